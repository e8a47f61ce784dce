#include "qrcode/QRModuleRows.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

namespace KXQRCode {

namespace {

// ---- fixed layout of each version, built once -----------------------------------------------

struct Layout {
    int32_t size = 0, words = 0;
    std::vector<uint64_t> func; // dark function modules (format information left out)
    std::vector<uint64_t> data; // the data region, where the masks apply
    // Data cells in placement order, each as (Y x MaxRowWords + X / 64) << 6 | X % 64: the word of
    // TModuleRows::Rows seen as one flat array, and the bit within it.
    std::vector<uint16_t> cells;
    int32_t formatX[30], formatY[30]; // cell of format bit i: [i] first copy, [15 + i] second
};

Layout BuildLayout(int32_t version)
{
    Layout l;
    l.size = 17 + 4 * version;
    l.words = (l.size + 63) / 64;
    l.func.assign(size_t(l.size * l.words), 0);
    l.data.assign(size_t(l.size * l.words), 0);

    TByteMatrix m(l.size, l.size);
    TMatrixUtil util;
    TMatrixUtil::ResetMatrix(m);
    util.PlaceFunctionPatterns(version, m);
    util.PlaceVersionInfo(version, m);
    for (int32_t i = 0; i < 15; ++i) {
        TMatrixUtil::FormatInfoCell1(i, l.formatX[i], l.formatY[i]);
        TMatrixUtil::FormatInfoCell2(i, l.size, l.formatX[15 + i], l.formatY[15 + i]);
        m.SetInteger(l.formatX[i], l.formatY[i], 0);
        m.SetInteger(l.formatX[15 + i], l.formatY[15 + i], 0);
    }
    for (int32_t y = 0; y < l.size; ++y)
        for (int32_t x = 0; x < l.size; ++x)
            if (m.Get(x, y) == 1)
                l.func[size_t(y * l.words + x / 64)] |= uint64_t(1) << (x % 64);
    TMatrixUtil::ForEachEmptyCellInPlacementOrder(m, [&](int32_t x, int32_t y) {
        l.cells.push_back(uint16_t(((y * MaxRowWords + x / 64) << 6) | (x % 64)));
        l.data[size_t(y * l.words + x / 64)] |= uint64_t(1) << (x % 64);
        m.SetInteger(x, y, 0);
    });
    return l;
}

const Layout &LayoutFor(int32_t version)
{
    static std::array<std::once_flag, 40> once;
    static std::array<std::unique_ptr<Layout>, 40> layouts;
    const size_t i = size_t(version - 1);
    std::call_once(once[i], [&] { layouts[i] = std::make_unique<Layout>(BuildLayout(version)); });
    return *layouts[i];
}

// Every mask repeats after 12 rows and 12 columns, so 12 rows of 192 columns describe it anywhere.
struct MaskRows {
    uint64_t rows[8][12][MaxRowWords];
};

const MaskRows &MaskTable()
{
    static const MaskRows table = [] {
        MaskRows t{};
        for (int32_t m = 0; m < 8; ++m)
            for (int32_t y = 0; y < 12; ++y)
                for (int32_t x = 0; x < 64 * MaxRowWords; ++x)
                    if (TMaskUtil::GetDataMaskBit(m, x, y))
                        t.rows[m][y][x / 64] |= uint64_t(1) << (x % 64);
        return t;
    }();
    return table;
}

// ---- penalty on bit rows --------------------------------------------------------------------

// Bit count without a library call: the build targets plain x86-64, where std::popcount is one.
inline int32_t PopCount(uint64_t x)
{
    x = x - ((x >> 1) & 0x5555555555555555ULL);
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return int32_t((x * 0x0101010101010101ULL) >> 56);
}

template <int NW>
struct Bits {
    uint64_t w[NW];

    static Bits Load(const uint64_t *p)
    {
        Bits r;
        for (int i = 0; i < NW; ++i)
            r.w[i] = p[i];
        return r;
    }
    // Bits [0, n) set (n may be <= 0).
    static Bits Low(int32_t n)
    {
        Bits r;
        for (int i = 0; i < NW; ++i) {
            const int32_t k = n - 64 * i;
            r.w[i] = k >= 64 ? ~uint64_t(0) : k <= 0 ? 0 : (uint64_t(1) << k) - 1;
        }
        return r;
    }
    Bits operator&(const Bits &o) const { Bits r; for (int i = 0; i < NW; ++i) r.w[i] = w[i] & o.w[i]; return r; }
    Bits operator|(const Bits &o) const { Bits r; for (int i = 0; i < NW; ++i) r.w[i] = w[i] | o.w[i]; return r; }
    Bits operator^(const Bits &o) const { Bits r; for (int i = 0; i < NW; ++i) r.w[i] = w[i] ^ o.w[i]; return r; }
    Bits operator~() const { Bits r; for (int i = 0; i < NW; ++i) r.w[i] = ~w[i]; return r; }
    // Bit i of the result is bit i + k (0 < k < 64): the cell k to the right.
    Bits Next(int k) const
    {
        Bits r;
        for (int i = 0; i < NW; ++i)
            r.w[i] = (w[i] >> k) | (i + 1 < NW ? w[i + 1] << (64 - k) : 0);
        return r;
    }
    // Bit i of the result is bit i - k (0 < k < 64): the cell k to the left.
    Bits Prev(int k) const
    {
        Bits r;
        for (int i = 0; i < NW; ++i)
            r.w[i] = (w[i] << k) | (i > 0 ? w[i - 1] >> (64 - k) : 0);
        return r;
    }
    bool Any() const
    {
        uint64_t a = 0;
        for (int i = 0; i < NW; ++i)
            a |= w[i];
        return a != 0;
    }
    int32_t Count() const
    {
        int32_t n = 0;
        for (int i = 0; i < NW; ++i)
            n += PopCount(w[i]);
        return n;
    }
};

template <int NW>
int32_t PenaltyRows(const TModuleRows &s)
{
    using B = Bits<NW>;
    const int32_t n = s.Size;
    const B all = B::Low(n);
    const B pairs = B::Low(n - 1);          // positions with a right neighbour
    const B finders = B::Low(n - 6);        // positions where 7 cells fit
    const B after = B::Low(n - 10);         // ... and 4 more after them
    const B before = all & ~B::Low(4);      // positions with 4 cells before them

    int32_t runs = 0, blocks = 0, finderLike = 0, dark = 0;
    B prevS5{}; // one bit per column: five equal cells downward from row y - 1
    for (int32_t y = 0; y < n; ++y) {
        const B r = B::Load(s.Rows[y]);
        dark += r.Count();

        // Rule 1, row y: s5 marks the starts of five equal cells; a run of m >= 5 has m - 4 of
        // them and costs (m - 4) + 2.
        const B e = ~(r ^ r.Next(1)) & pairs;
        const B s5 = e & e.Next(1) & e.Next(2) & e.Next(3);
        runs += s5.Count() + 2 * (s5 & ~s5.Prev(1)).Count();

        // Rule 3, row y.
        const B p = r & ~r.Next(1) & r.Next(2) & r.Next(3) & r.Next(4) & ~r.Next(5) & r.Next(6) & finders;
        if (p.Any()) {
            const B lightAfter = ~(r.Next(7) | r.Next(8) | r.Next(9) | r.Next(10)) & after;
            const B lightBefore = ~(r.Prev(1) | r.Prev(2) | r.Prev(3) | r.Prev(4)) & before;
            finderLike += 40 * (p & (lightAfter | lightBefore)).Count();
        }

        if (y + 1 < n) {
            const B below = B::Load(s.Rows[y + 1]);
            // Rule 2: cells (x, y), (x + 1, y), (x, y + 1), (x + 1, y + 1) of one colour.
            const B v = ~(r ^ below);
            blocks += 3 * (v & v.Next(1) & ~(r ^ r.Next(1)) & pairs).Count();
        }

        // Columns, all at once: five equal cells downward from row y.
        if (y + 4 < n) {
            B s5v = all;
            for (int k = 0; k < 4; ++k)
                s5v = s5v & ~(B::Load(s.Rows[y + k]) ^ B::Load(s.Rows[y + k + 1]));
            runs += s5v.Count() + 2 * (s5v & ~prevS5).Count();
            prevS5 = s5v;
        }
        if (y + 6 < n) {
            auto row = [&](int k) { return B::Load(s.Rows[y + k]); };
            const B pv = r & ~row(1) & row(2) & row(3) & row(4) & ~row(5) & row(6) & all;
            if (pv.Any()) {
                B light{};
                if (y + 10 < n)
                    light = ~(row(7) | row(8) | row(9) | row(10)) & all;
                if (y >= 4)
                    light = light | (~(row(-1) | row(-2) | row(-3) | row(-4)) & all);
                finderLike += 40 * (pv & light).Count();
            }
        }
    }
    const int64_t total = int64_t(n) * n;
    const int32_t ratio = int32_t(10 * (std::llabs(20 * int64_t(dark) - 10 * total) / total));
    return runs + blocks + finderLike + ratio;
}

template <int NW>
int32_t Pick(const Layout &l, int32_t levelBitsBase, int32_t forcedMask, const TModuleRows &base, TModuleRows &out,
             TModuleRows &work)
{
    const MaskRows &masks = MaskTable();
    // Format information of every mask at this level, 15 bits each (ISO/IEC 18004 Annex C).
    static const auto formatTable = [] {
        std::array<std::array<int32_t, 8>, 4> t{};
        for (int32_t bits = 0; bits < 4; ++bits)
            for (int32_t m = 0; m < 8; ++m)
                t[size_t(bits)][size_t(m)] = TMatrixUtil::FormatInfoBits(TErrorCorrectionLevel(bits), m);
        return t;
    }();
    const auto &formats = formatTable[size_t(levelBitsBase & 3)];
    int32_t best = INT32_MAX, bestMask = 0;
    const int32_t first = forcedMask >= 0 ? forcedMask : 0, last = forcedMask >= 0 ? forcedMask : 7;
    for (int32_t m = first; m <= last; ++m) {
        TModuleRows &cand = forcedMask >= 0 ? out : work;
        cand.Size = l.size;
        cand.Words = l.words;
        for (int32_t y = 0; y < l.size; ++y) {
            const uint64_t *mk = masks.rows[m][y % 12];
            const uint64_t *d = &l.data[size_t(y * NW)];
            for (int i = 0; i < NW; ++i)
                cand.Rows[y][i] = base.Rows[y][i] ^ (mk[i] & d[i]);
        }
        const int32_t format = formats[m];
        for (int32_t i = 0; i < 30; ++i)
            if ((format >> (i % 15)) & 1)
                cand.Rows[l.formatY[i]][l.formatX[i] / 64] |= uint64_t(1) << (l.formatX[i] % 64);
        if (forcedMask >= 0)
            return m;
        const int32_t p = PenaltyRows<NW>(cand);
        if (p < best) {
            best = p;
            bestMask = m;
            out.Size = cand.Size;
            out.Words = cand.Words;
            for (int32_t y = 0; y < l.size; ++y)
                for (int i = 0; i < NW; ++i)
                    out.Rows[y][i] = cand.Rows[y][i];
        }
    }
    return bestMask;
}

} // namespace

int32_t MaskPenaltyRows(const TModuleRows &Symbol)
{
    switch (Symbol.Words) {
    case 1: return PenaltyRows<1>(Symbol);
    case 2: return PenaltyRows<2>(Symbol);
    default: return PenaltyRows<3>(Symbol);
    }
}

int32_t PlaceAndPickMask(int32_t Version, const TErrorCorrectionLevel &ECLevel, const uint8_t *Codewords,
                         int32_t NumCodewords, int32_t ForcedMask, TModuleRows &Out)
{
    const Layout &l = LayoutFor(Version);
    // Unmasked symbol: function patterns, then the codewords' bits in placement order, the
    // first bit of each codeword its most significant; cells past the stream stay 0.
    thread_local TModuleRows base, work;
    base.Size = l.size;
    base.Words = l.words;
    for (int32_t y = 0; y < l.size; ++y)
        for (int32_t i = 0; i < l.words; ++i)
            base.Rows[y][i] = l.func[size_t(y * l.words + i)];
    const int32_t placed = std::min<int32_t>(NumCodewords, int32_t(l.cells.size() / 8));
    const uint16_t *cell = l.cells.data();
    uint64_t *flat = &base.Rows[0][0];
    for (int32_t c = 0; c < placed; ++c, cell += 8) {
        const uint64_t b = Codewords[c];
        for (int32_t j = 0; j < 8; ++j) // without branches: the bits are random
            flat[cell[j] >> 6] |= ((b >> (7 - j)) & 1) << (cell[j] & 63);
    }
    switch (l.words) {
    case 1: return Pick<1>(l, ECLevel.Bits(), ForcedMask, base, Out, work);
    case 2: return Pick<2>(l, ECLevel.Bits(), ForcedMask, base, Out, work);
    default: return Pick<3>(l, ECLevel.Bits(), ForcedMask, base, Out, work);
    }
}

void RowsToMatrix(const TModuleRows &Symbol, TByteMatrix &Matrix)
{
    if (Matrix.Width() != Symbol.Size || Matrix.Height() != Symbol.Size)
        Matrix = TByteMatrix(Symbol.Size, Symbol.Size);
    for (int32_t y = 0; y < Symbol.Size; ++y) {
        uint8_t *row = Matrix.Row(y);
        for (int32_t x = 0; x < Symbol.Size; ++x)
            row[x] = uint8_t((Symbol.Rows[y][x / 64] >> (x % 64)) & 1);
    }
}

void MatrixToRows(const TByteMatrix &Matrix, TModuleRows &Symbol)
{
    Symbol.Size = std::min(Matrix.Width(), MaxModules);
    Symbol.Words = (Symbol.Size + 63) / 64;
    for (int32_t y = 0; y < Symbol.Size; ++y) {
        for (int32_t i = 0; i < MaxRowWords; ++i)
            Symbol.Rows[y][i] = 0;
        for (int32_t x = 0; x < Symbol.Size; ++x)
            if (Matrix.Get(x, y) == 1)
                Symbol.Rows[y][x / 64] |= uint64_t(1) << (x % 64);
    }
}

} // namespace KXQRCode
