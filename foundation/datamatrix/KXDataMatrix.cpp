#include "datamatrix/KXDataMatrix.h"

#include "core/KXError.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace kx {

namespace {

[[noreturn]] void Fail(const char *text)
{
    throw EKxError(text);
}

const char *const kMakeCodewordError = "MakeCodeword Error";
const char *const kBase256Error = "Base256_Encode Error";
const char *const kPloyModError = "PloyMod Error";
// A stage routine given a size ordinal outside the attribute table.
const char *const kAddECC200CorrectionError = "AddECC200Correction Error";
const char *const kPlaceECC200ModulesError = "PlaceECC200Modules Error";
const char *const kBuildECC200SymbolError = "BuildECC200Symbol Error";

// Codeword values of the ASCII and Base 256 encodations.
constexpr uint8_t kPad = 129;
constexpr uint8_t kDigitPairBase = 130;  // 130 + 00..99
constexpr uint8_t kLatchBase256 = 231;
constexpr uint8_t kUpperShift = 235;
constexpr int kBase256MaxField = 1555;    // longest field a two-codeword length can state

constexpr bool IsDigit(uint8_t c)
{
    return c >= '0' && c <= '9';
}

} // namespace

// ---------------------------------------------------------------------------------------
// Symbol attributes: ISO/IEC 16022:2006 Table 7 (ECC 200), checked against libdmtx's
// dmtxGetSymbolAttribute in the tests.

const std::array<std::array<int32_t, dmaColumnCount>, ECC200SizeCount + 1> ECC200Attributes = {{
    // ord  rows cols  regR regC  V  H  mapR mapC  data   ec  d/blk ec/blk blocks
    {   0,    0,   0,    0,   0, 0, 0,    0,   0,    0,   0,    0,   0,  0},
    {   1,   10,  10,    8,   8, 1, 1,    8,   8,    3,   5,    3,   5,  1},
    {   2,   12,  12,   10,  10, 1, 1,   10,  10,    5,   7,    5,   7,  1},
    {   3,   14,  14,   12,  12, 1, 1,   12,  12,    8,  10,    8,  10,  1},
    {   4,   16,  16,   14,  14, 1, 1,   14,  14,   12,  12,   12,  12,  1},
    {   5,   18,  18,   16,  16, 1, 1,   16,  16,   18,  14,   18,  14,  1},
    {   6,   20,  20,   18,  18, 1, 1,   18,  18,   22,  18,   22,  18,  1},
    {   7,   22,  22,   20,  20, 1, 1,   20,  20,   30,  20,   30,  20,  1},
    {   8,   24,  24,   22,  22, 1, 1,   22,  22,   36,  24,   36,  24,  1},
    {   9,   26,  26,   24,  24, 1, 1,   24,  24,   44,  28,   44,  28,  1},
    {  10,   32,  32,   14,  14, 2, 2,   28,  28,   62,  36,   62,  36,  1},
    {  11,   36,  36,   16,  16, 2, 2,   32,  32,   86,  42,   86,  42,  1},
    {  12,   40,  40,   18,  18, 2, 2,   36,  36,  114,  48,  114,  48,  1},
    {  13,   44,  44,   20,  20, 2, 2,   40,  40,  144,  56,  144,  56,  1},
    {  14,   48,  48,   22,  22, 2, 2,   44,  44,  174,  68,  174,  68,  1},
    {  15,   52,  52,   24,  24, 2, 2,   48,  48,  204,  84,  102,  42,  2},
    {  16,   64,  64,   14,  14, 4, 4,   56,  56,  280, 112,  140,  56,  2},
    {  17,   72,  72,   16,  16, 4, 4,   64,  64,  368, 144,   92,  36,  4},
    {  18,   80,  80,   18,  18, 4, 4,   72,  72,  456, 192,  114,  48,  4},
    {  19,   88,  88,   20,  20, 4, 4,   80,  80,  576, 224,  144,  56,  4},
    {  20,   96,  96,   22,  22, 4, 4,   88,  88,  696, 272,  174,  68,  4},
    {  21,  104, 104,   24,  24, 4, 4,   96,  96,  816, 336,  136,  56,  6},
    {  22,  120, 120,   18,  18, 6, 6,  108, 108, 1050, 408,  175,  68,  6},
    {  23,  132, 132,   20,  20, 6, 6,  120, 120, 1304, 496,  163,  62,  8},
    {  24,  144, 144,   22,  22, 6, 6,  132, 132, 1558, 620,  156,  62, 10},
    {  25,    8,  18,    6,  16, 1, 1,    6,  16,    5,   7,    5,   7,  1},
    {  26,    8,  32,    6,  14, 1, 2,    6,  28,   10,  11,   10,  11,  1},
    {  27,   12,  26,   10,  24, 1, 1,   10,  24,   16,  14,   16,  14,  1},
    {  28,   12,  36,   10,  16, 1, 2,   10,  32,   22,  18,   22,  18,  1},
    {  29,   16,  36,   14,  16, 1, 2,   14,  32,   32,  24,   32,  24,  1},
    {  30,   16,  48,   14,  22, 1, 2,   14,  44,   49,  28,   49,  28,  1},
}};

namespace {

constexpr int kSize144 = 24;      // the one size whose blocks differ in length
constexpr int kSize144ShortFrom = 8; // its blocks 8 and 9 hold 155 data codewords, not 156

int BlockDataCount(int ordinal, int block)
{
    const int d = ECC200Attributes[ordinal][dmaDataPerBlock];
    return (ordinal == kSize144 && block >= kSize144ShortFrom) ? d - 1 : d;
}

bool ValidOrdinal(int ordinal)
{
    return ordinal >= 1 && ordinal <= ECC200SizeCount;
}

// ---------------------------------------------------------------------------------------
// Encodation

// Look-ahead counts are 32-bit floats, and every increment is added at extended precision
// with the sum rounded back to 32 bits. The sums are done here in double, which gives the
// same 32-bit result for every count the look-ahead can reach (checked exhaustively for all
// floats from 0 to 100000 and each third; input is capped at 10000 bytes, so no count
// passes 43400): x + n/3 always lies a third of a float step from the nearest float, far
// from the halfway point where the precision of n/3 could tip the rounding. The other
// increments are exact in every format.
struct LookAheadCosts {
    double a[256], c[256], t[256], x[256], e[256];
};

constexpr LookAheadCosts MakeLookAheadCosts()
{
    LookAheadCosts k{};
    for (int b = 0; b < 256; ++b) {
        const bool digit = b >= '0' && b <= '9';
        const bool upper = b >= 'A' && b <= 'Z';
        const bool lower = b >= 'a' && b <= 'z';
        const bool high = b > 127;
        k.a[b] = digit ? 0.5 : high ? 2.0 : 1.0;
        k.c[b] = (b == ' ' || digit || upper) ? 2.0 / 3.0 : high ? 8.0 / 3.0 : 4.0 / 3.0;
        k.t[b] = (b == ' ' || digit || lower) ? 2.0 / 3.0 : high ? 8.0 / 3.0 : 4.0 / 3.0;
        k.x[b] = (b == 13 || b == '*' || b == '>' || b == ' ' || digit || upper) ? 2.0 / 3.0
                 : high                                                          ? 13.0 / 3.0
                                                                                 : 10.0 / 3.0;
        k.e[b] = (b >= 32 && b <= 94) ? 0.75 : high ? 4.25 : 3.25;
    }
    return k;
}

constexpr LookAheadCosts kCosts = MakeLookAheadCosts();

// Adds to a count and rounds the sum to 32 bits; the count is kept widened to double.
inline void Count(double &count, double increment)
{
    count = static_cast<float>(count + increment);
}

// A count rounded up the way the end of the look-ahead does it, Trunc(count + 0.9999999):
// a count at most 1e-7 above a whole number stays there.
inline int64_t RoundUpCount(double count)
{
    return static_cast<int64_t>(count + 0.9999999);
}

uint8_t LookAhead(const uint8_t *d, int len, int start, uint8_t current)
{
    double A, C, T, X, E, B;  // each holds a 32-bit float value
    if (current == dmmASCII) {
        A = 0; C = T = X = E = 1; B = 1.25;
    } else {
        A = 1; C = T = X = E = 2; B = 2.25;
    }
    switch (current) {
    case dmmC40: C = 0; break;
    case dmmText: T = 0; break;
    case dmmX12: X = 0; break;
    case dmmEDIFACT: E = 0; break;
    case dmmBase256: B = 0; break;
    default: break;
    }
    for (int p = start < 0 ? 0 : start; p < len; ++p) {
        const uint8_t ch = d[p];
        Count(A, kCosts.a[ch]);
        Count(C, kCosts.c[ch]);
        Count(T, kCosts.t[ch]);
        Count(X, kCosts.x[ch]);
        Count(E, kCosts.e[ch]);
        Count(B, 1.0);
        if (p < start + 4)
            continue;
        // Compared at double precision, where a 32-bit count plus one is exact.
        const double a = A, c = C, t = T, x = X, e = E, b = B;
        if (a + 1 <= c && a + 1 <= t && a + 1 <= x && a + 1 <= e && a + 1 <= b)
            return dmmASCII;
        if (b + 1 <= a || (b <= c && b <= t && b <= x && b <= e))
            return dmmBase256;
        if (e + 1 < a && e + 1 < c && e + 1 < t && e + 1 < x && e + 1 < b)
            return dmmEDIFACT;
        if (t + 1 < a && t + 1 < c && t + 1 < x && t + 1 < e && t + 1 < b)
            return dmmText;
        if (x + 1 < a && x + 1 < c && x + 1 < t && x + 1 < e && x + 1 < b)
            return dmmX12;
        if (c + 1 < a && c + 1 < b && c + 1 < e && c + 1 < t) {
            if (C != X)
                return dmmC40;
            // A tie with X12 goes to X12 when the byte just counted is an X12 terminator
            // and more data follows.
            const bool terminator = ch == 13 || ch == '*' || ch == '>';
            return (p < len - 1 && terminator) ? dmmX12 : dmmC40;
        }
    }
    const int64_t a = RoundUpCount(A), c = RoundUpCount(C), t = RoundUpCount(T),
                  x = RoundUpCount(X), e = RoundUpCount(E), b = RoundUpCount(B);
    if (a <= c && a <= t && a <= x && a <= e && a <= b)
        return dmmASCII;
    if (b < a && b < c && b < t && b < x && b < e)
        return dmmBase256;
    if (e < a && e < c && e < t && e < x && e < b)
        return dmmEDIFACT;
    if (t < a && t < c && t < x && t < e && t < b)
        return dmmText;
    if (x < a && x < c && x < t && x < e && x < b)
        return dmmX12;
    return dmmC40;
}

// Appends codewords to a buffer of ECC200WorkBuffer bytes. No symbol holds more than 1558
// data codewords, so running out of room is the same failure as not fitting: it is raised
// before the write.
struct CodewordWriter {
    uint8_t *buf;
    int count = 0;

    void Put(uint8_t v)
    {
        if (count >= ECC200WorkBuffer)
            Fail(kMakeCodewordError);
        buf[count++] = v;
    }
};

// ASCII run: digit pairs, single characters, upper shift for bytes above 127. Returns the
// next mode: Base 256 when the look-ahead asks for it (the latch is written, the byte is
// left for the field), else ASCII at the end of the input.
uint8_t EncodeAsciiRun(const uint8_t *d, int len, int &pos, CodewordWriter &w)
{
    while (pos < len) {
        const uint8_t ch = d[pos];
        // The digit-pair test comes before the look-ahead: a pair is always packed.
        if (pos + 1 < len && IsDigit(ch) && IsDigit(d[pos + 1])) {
            w.Put(uint8_t(kDigitPairBase + (ch - '0') * 10 + (d[pos + 1] - '0')));
            pos += 2;
            continue;
        }
        if (LookAhead(d, len, pos, dmmASCII) == dmmBase256) {
            w.Put(kLatchBase256);
            return dmmBase256;
        }
        if (ch > 127) {
            w.Put(kUpperShift);
            w.Put(uint8_t(ch - 127));
        } else {
            w.Put(uint8_t(ch + 1));
        }
        ++pos;
    }
    return dmmASCII;
}

// Base 256 run: collects the bytes the look-ahead keeps in Base 256 and writes the field
// with its explicit length, every codeword randomised by its place in the stream. No
// unlatch: the length ends the field and encodation goes on in ASCII.
uint8_t Base256_Encode(const uint8_t *d, int len, int &pos, CodewordWriter &w)
{
    const int first = pos;
    // The byte the latch was written for always goes in, so the field is never empty: a
    // length of 0 would tell the reader the field runs to the end of the symbol.
    ++pos;
    while (pos < len && pos - first <= kBase256MaxField
           && LookAhead(d, len, pos, dmmBase256) == dmmBase256)
        ++pos;
    const int n = pos - first;
    if (n > kBase256MaxField)
        Fail(kBase256Error);
    if (n <= 249) {
        w.Put(Randomize255(uint8_t(n), w.count + 1));
    } else {
        w.Put(Randomize255(uint8_t(n / 250 + 249), w.count + 1));
        w.Put(Randomize255(uint8_t(n % 250), w.count + 1));
    }
    for (int i = first; i < pos; ++i)
        w.Put(Randomize255(d[i], w.count + 1));
    return dmmASCII;
}

// Encodes the data into `buf` (ECC200WorkBuffer bytes); returns the codeword count.
int EncodeData(const uint8_t *d, int len, uint8_t *buf)
{
    // Every byte costs at least half a codeword (a digit pair), so longer input would pass
    // the work area in any case: refuse it before spending quadratic look-ahead time on it.
    if (len > 2 * ECC200WorkBuffer)
        Fail(kMakeCodewordError);
    CodewordWriter w{buf};
    int pos = 0;
    uint8_t mode = dmmASCII;
    while (pos < len)
        mode = (mode == dmmBase256) ? Base256_Encode(d, len, pos, w) : EncodeAsciiRun(d, len, pos, w);
    return w.count;
}

// The size for `count` data codewords; raises when they do not fit.
int ChooseSize(int count, TECC200Size size, TECC200Shape shape)
{
    int ordinal = static_cast<int>(size);
    if (size == TECC200Size::ecc200_Autosize) {
        const bool rect = shape == TECC200Shape::ecc200_Rectangle;
        const int firstRow = rect ? 25 : 1, lastRow = rect ? 30 : 24;
        // When none is large enough the last row tried stands and fails the test below.
        for (ordinal = firstRow; ordinal < lastRow; ++ordinal)
            if (ECC200Attributes[ordinal][dmaDataCodewords] >= count)
                break;
    }
    if (!ValidOrdinal(ordinal) || ECC200Attributes[ordinal][dmaDataCodewords] < count)
        Fail(kMakeCodewordError);
    return ordinal;
}

// Fills buf[count..capacity) with the pad 129 and then randomised pads.
void Pad(uint8_t *buf, int count, int capacity)
{
    if (count < capacity)
        buf[count] = kPad;
    for (int i = count + 1; i < capacity; ++i)
        buf[i] = Randomize253(kPad, i + 1);
}

// ---------------------------------------------------------------------------------------
// GF(256) and Reed-Solomon

constexpr int kFieldPolynomial = 0x12D;

struct GFTables {
    uint8_t exp[512];  // exp[i] = 2^i, doubled so that exp[log a + log b] needs no mod
    int16_t log[256];  // log[0] unused
};

constexpr GFTables MakeGFTables()
{
    GFTables g{};
    int x = 1;
    for (int i = 0; i < 255; ++i) {
        g.exp[i] = uint8_t(x);
        g.log[x] = int16_t(i);
        x <<= 1;
        if (x & 0x100)
            x ^= kFieldPolynomial;
    }
    for (int i = 255; i < 512; ++i)
        g.exp[i] = g.exp[i - 255];
    return g;
}

constexpr GFTables kGF = MakeGFTables();

// Error-correction codewords per block that ECC 200 uses.
constexpr int kECDegrees[] = {5, 7, 10, 11, 12, 14, 18, 20, 24, 28, 36, 42, 48, 56, 62, 68};
constexpr int kECDegreeCount = int(sizeof kECDegrees / sizeof kECDegrees[0]);
constexpr int kMaxECDegree = 68;

// The product of (x + 2^i), i = 1..n: coefficients constant term first, leading 1 last.
struct Generators {
    uint8_t coef[kECDegreeCount][kMaxECDegree + 1];
};

constexpr Generators MakeGenerators()
{
    Generators gs{};
    for (int k = 0; k < kECDegreeCount; ++k) {
        const int n = kECDegrees[k];
        uint8_t *g = gs.coef[k];
        g[0] = 1;
        for (int i = 1; i <= n; ++i) {
            const uint8_t root = kGF.exp[i];
            // Multiply by (x + root): g(x) * x + g(x) * root, degree i - 1 -> i.
            for (int j = i; j >= 0; --j) {
                const uint8_t shifted = j > 0 ? g[j - 1] : 0;
                const uint8_t scaled = g[j] ? kGF.exp[kGF.log[g[j]] + kGF.log[root]] : 0;
                g[j] = uint8_t(shifted ^ (j < i ? scaled : 0));
            }
        }
    }
    return gs;
}

constexpr Generators kGenerators = MakeGenerators();

int GeneratorIndex(int degree)
{
    for (int k = 0; k < kECDegreeCount; ++k)
        if (kECDegrees[k] == degree)
            return k;
    return -1;
}

// Products of every field element with the coefficients of one generator, so that a step
// of the shift register is a row lookup and an exclusive-or: row fb, column j =
// fb x (coefficient of x^(n-1-j)). Rows are padded with zeros to whole 8-byte words.
constexpr int kRegisterWords = (kMaxECDegree + 7) / 8;
constexpr int kRowStride(int n)
{
    return (n + 7) / 8 * 8;
}

const uint8_t *ProductTable(int degreeIndex)
{
    static std::once_flag once[kECDegreeCount];
    static std::vector<uint8_t> tables[kECDegreeCount];
    std::call_once(once[degreeIndex], [degreeIndex] {
        const int n = kECDegrees[degreeIndex], stride = kRowStride(n);
        const uint8_t *g = kGenerators.coef[degreeIndex];
        std::vector<uint8_t> t(size_t(256) * stride, 0);
        for (int fb = 1; fb < 256; ++fb)
            for (int j = 0; j < n; ++j) {
                const uint8_t gj = g[n - 1 - j];
                t[size_t(fb) * stride + j] = gj ? kGF.exp[kGF.log[fb] + kGF.log[gj]] : 0;
            }
        tables[degreeIndex] = std::move(t);
    });
    return tables[degreeIndex].data();
}

// Check codewords of every block written in place after the data codewords, interleaved.
// Works on the polynomial as a shift register, eight coefficients to a word; the same
// remainder PloyMod computes.
void AddCorrectionInPlace(uint8_t *cw, int ordinal)
{
    const auto &at = ECC200Attributes[ordinal];
    const int n = at[dmaECPerBlock], blocks = at[dmaBlocks];
    const int stride = kRowStride(n), words = stride / 8;
    const uint8_t *products = ProductTable(GeneratorIndex(n));
    for (int k = 0; k < blocks; ++k) {
        const int dk = BlockDataCount(ordinal, k);
        // reg[0] is the highest remainder coefficient. Cells from n on stay 0: each step
        // moves them down by one from cells above that are 0 too, plus a zero padding column.
        uint8_t regA[(kRegisterWords + 1) * 8] = {}, regB[(kRegisterWords + 1) * 8] = {};
        uint8_t *reg = regA, *next = regB;
        for (int i = 0; i < dk; ++i) {
            const uint8_t *row = products + size_t(cw[k + i * blocks] ^ reg[0]) * stride;
            for (int w = 0; w < words; ++w) {
                uint64_t hi, p;
                std::memcpy(&hi, reg + 8 * w + 1, 8);
                std::memcpy(&p, row + 8 * w, 8);
                hi ^= p;
                std::memcpy(next + 8 * w, &hi, 8);
            }
            std::swap(reg, next);
        }
        for (int j = 0; j < n; ++j)
            cw[k + (dk + j) * blocks] = reg[j];
    }
}

// ---------------------------------------------------------------------------------------
// Placement

// Runs the standard placement over an nrow x ncol mapping matrix: marks[cell] becomes
// codeword number (from 1) x 10 + bit number (1 = most significant .. 8); cells no codeword
// reaches stay 0. Returns true when the lower right 2x2 corner is left over and takes the
// fixed fill (dark at its lower right and upper left cells).
bool PlaceMarks(int nrow, int ncol, std::vector<int32_t> &marks)
{
    marks.assign(size_t(nrow) * size_t(ncol), 0);
    auto module = [&](int row, int col, int c, int bit) {
        if (row < 0) {
            row += nrow;
            col += 4 - ((nrow + 4) % 8);
        }
        if (col < 0) {
            col += ncol;
            row += 4 - ((ncol + 4) % 8);
        }
        marks[size_t(row) * ncol + col] = c * 10 + bit;
    };
    auto utah = [&](int r, int c, int cw) {
        module(r - 2, c - 2, cw, 1);
        module(r - 2, c - 1, cw, 2);
        module(r - 1, c - 2, cw, 3);
        module(r - 1, c - 1, cw, 4);
        module(r - 1, c, cw, 5);
        module(r, c - 2, cw, 6);
        module(r, c - 1, cw, 7);
        module(r, c, cw, 8);
    };
    auto shape = [&](const int (&cells)[8][2], int cw) {
        for (int b = 0; b < 8; ++b)
            module(cells[b][0], cells[b][1], cw, b + 1);
    };
    const int r1 = nrow - 1, r2 = nrow - 2, r3 = nrow - 3;
    const int c1 = ncol - 1, c2 = ncol - 2, c3 = ncol - 3, c4 = ncol - 4;
    const int corner1[8][2] = {{r1, 0}, {r1, 1}, {r1, 2}, {0, c2}, {0, c1}, {1, c1}, {2, c1}, {3, c1}};
    const int corner2[8][2] = {{r3, 0}, {r2, 0}, {r1, 0}, {0, c4}, {0, c3}, {0, c2}, {0, c1}, {1, c1}};
    const int corner3[8][2] = {{r3, 0}, {r2, 0}, {r1, 0}, {0, c2}, {0, c1}, {1, c1}, {2, c1}, {3, c1}};
    const int corner4[8][2] = {{r1, 0}, {r1, c1}, {0, c3}, {0, c2}, {0, c1}, {1, c3}, {1, c2}, {1, c1}};
    auto isFree = [&](int r, int c) { return marks[size_t(r) * ncol + c] == 0; };

    int row = 4, col = 0, cw = 1;
    do {
        if (row == nrow && col == 0)
            shape(corner1, cw++);
        if (row == nrow - 2 && col == 0 && ncol % 4 != 0)
            shape(corner2, cw++);
        if (row == nrow - 2 && col == 0 && ncol % 8 == 4)
            shape(corner3, cw++);
        if (row == nrow + 4 && col == 2 && ncol % 8 == 0)
            shape(corner4, cw++);
        // Sweep up and to the right...
        do {
            if (row < nrow && col >= 0 && isFree(row, col))
                utah(row, col, cw++);
            row -= 2;
            col += 2;
        } while (row >= 0 && col < ncol);
        row += 1;
        col += 3;
        // ...then down and to the left.
        do {
            if (row >= 0 && col < ncol && isFree(row, col))
                utah(row, col, cw++);
            row += 2;
            col -= 2;
        } while (row < nrow && col >= 0);
        row += 3;
        col += 1;
    } while (row < nrow || col < ncol);
    return isFree(nrow - 1, ncol - 1);
}

bool IsCornerFillDark(int nrow, int ncol, size_t cell)
{
    return cell == size_t(nrow - 1) * ncol + (ncol - 1) || cell == size_t(nrow - 2) * ncol + (ncol - 2);
}

// Spreads the mapping matrix over the data regions and draws each region's solid left and
// bottom edges and its clock tracks on top and right (the horizontal edges win where they
// cross the vertical ones).
template <class T>
void AssembleRegions(const T *mapping, int ordinal, T *grid, T dark, T light)
{
    const auto &at = ECC200Attributes[ordinal];
    const int R = at[dmaSymbolRows], C = at[dmaSymbolCols];
    const int r = at[dmaRegionRows], c = at[dmaRegionCols];
    const int V = at[dmaRegionsV], H = at[dmaRegionsH], mapC = at[dmaMappingCols];
    for (int i = 0; i < R * C; ++i)
        grid[i] = light;
    for (int l = 0; l < V; ++l)
        for (int f = 0; f < r; ++f)
            for (int k = 0; k < H; ++k)
                for (int m = 0; m < c; ++m)
                    grid[(l * (r + 2) + f + 1) * C + k * (c + 2) + m + 1] = mapping[(l * r + f) * mapC + k * c + m];
    for (int k = 0; k < H; ++k)
        for (int y = 0; y < R; ++y) {
            grid[y * C + k * (c + 2)] = dark;
            grid[y * C + (k + 1) * (c + 2) - 1] = (y % 2) ? dark : light;
        }
    for (int l = 0; l < V; ++l)
        for (int x = 0; x < C; ++x) {
            grid[l * (r + 2) * C + x] = (x % 2) ? light : dark;
            grid[((l + 1) * (r + 2) - 1) * C + x] = dark;
        }
}

// Per-size module map: for each symbol module, where its colour comes from, as
// codeword index x 8 + bit (0 = most significant), an index into the codewords expanded
// to one byte per bit. Fixed modules point at two constant codewords kept after the
// largest symbol's codewords.
constexpr int kLightWord = ECC200MaxCodewords;     // always 0x00
constexpr int kDarkWord = ECC200MaxCodewords + 1;  // always 0xFF
static_assert((kDarkWord + 1) * 8 <= 0x10000, "map entries are 16-bit");

struct ModuleMap {
    std::vector<uint16_t> source;  // symbol rows x columns, row-major
};

ModuleMap BuildModuleMap(int ordinal)
{
    const auto &at = ECC200Attributes[ordinal];
    const int nrow = at[dmaMappingRows], ncol = at[dmaMappingCols];
    std::vector<int32_t> marks;
    const bool fill = PlaceMarks(nrow, ncol, marks);
    const uint16_t light = kLightWord * 8, dark = kDarkWord * 8;
    std::vector<uint16_t> mapping(marks.size());
    for (size_t i = 0; i < marks.size(); ++i) {
        const int m = marks[i];
        if (m)
            mapping[i] = uint16_t((m / 10 - 1) * 8 + (m % 10 - 1));
        else
            mapping[i] = (fill && IsCornerFillDark(nrow, ncol, i)) ? dark : light;
    }
    ModuleMap map;
    map.source.resize(size_t(at[dmaSymbolRows]) * at[dmaSymbolCols]);
    AssembleRegions<uint16_t>(mapping.data(), ordinal, map.source.data(), dark, light);
    return map;
}

// A codeword spread to 8 bytes, one bit each, the most significant bit first in memory.
struct SpreadTable {
    uint8_t bits[256][8];
};

constexpr SpreadTable MakeSpreadTable()
{
    SpreadTable t{};
    for (int v = 0; v < 256; ++v)
        for (int k = 0; k < 8; ++k)
            t.bits[v][k] = uint8_t((v >> (7 - k)) & 1);
    return t;
}

constexpr SpreadTable kSpread = MakeSpreadTable();

const ModuleMap &MapFor(int ordinal)
{
    static std::once_flag once[ECC200SizeCount + 1];
    static ModuleMap maps[ECC200SizeCount + 1];
    std::call_once(once[ordinal], [ordinal] { maps[ordinal] = BuildModuleMap(ordinal); });
    return maps[ordinal];
}

} // namespace

// ---------------------------------------------------------------------------------------
// Entry point

void EncodeECC200(const TBytesArray &data, TECC200Size size, TECC200Shape shape, TBytesArray &modules,
                  uint16_t &cols, uint16_t &rows)
{
    if (data.size() > size_t(INT32_MAX))
        Fail(kMakeCodewordError);
    // One buffer for the whole run: the encodation's work area, then data and check
    // codewords.
    uint8_t buf[ECC200WorkBuffer];
    const int count = EncodeData(data.data(), int(data.size()), buf);
    const int ordinal = ChooseSize(count, size, shape);
    const auto &at = ECC200Attributes[ordinal];
    Pad(buf, count, at[dmaDataCodewords]);
    AddCorrectionInPlace(buf, ordinal);
    // Every codeword spread to one byte per bit; the constant words at their fixed places.
    uint8_t bits[(kDarkWord + 1) * 8];
    const int total = at[dmaDataCodewords] + at[dmaECCodewords];
    for (int i = 0; i < total; ++i)
        std::memcpy(bits + 8 * i, kSpread.bits[buf[i]], 8);
    std::memcpy(bits + 8 * kLightWord, kSpread.bits[0x00], 8);
    std::memcpy(bits + 8 * kDarkWord, kSpread.bits[0xFF], 8);

    const std::vector<uint16_t> &src = MapFor(ordinal).source;
    modules.resize(src.size());
    uint8_t *out = modules.data();
    const uint16_t *from = src.data();
    for (size_t i = 0, n = src.size(); i < n; ++i)
        out[i] = bits[from[i]];
    cols = uint16_t(at[dmaSymbolCols]);
    rows = uint16_t(at[dmaSymbolRows]);
}

// ---------------------------------------------------------------------------------------
// Encodation

void MakeCodeword(const TBytesArray &data, TECC200Size size, TECC200Shape shape, uint8_t &sizeOrdinal,
                  TBytesArray &codewords)
{
    if (data.size() > size_t(INT32_MAX))
        Fail(kMakeCodewordError);
    uint8_t buf[ECC200WorkBuffer];
    const int count = EncodeData(data.data(), int(data.size()), buf);
    const int ordinal = ChooseSize(count, size, shape);
    const int capacity = ECC200Attributes[ordinal][dmaDataCodewords];
    Pad(buf, count, capacity);
    codewords.assign(buf, buf + capacity);
    sizeOrdinal = uint8_t(ordinal);
}

uint8_t ChooseECC200Mode(const TBytesArray &data, int position, uint8_t currentMode)
{
    return LookAhead(data.data(), int(data.size()), position, currentMode);
}

uint8_t Randomize253(uint8_t value, int position)
{
    const int v = value + (149 * position) % 253 + 1;
    return uint8_t(v <= 254 ? v : v - 254);
}

uint8_t Randomize255(uint8_t value, int position)
{
    return uint8_t(value + (149 * position) % 255 + 1);
}

// ---------------------------------------------------------------------------------------
// Error correction and placement

uint8_t GF256Mul(uint8_t a, uint8_t b)
{
    // Shift and add, reducing by the field polynomial whenever the product overflows.
    int product = 0, x = a;
    for (int m = b; m; m >>= 1) {
        if (m & 1)
            product ^= x;
        x <<= 1;
        if (x & 0x100)
            x ^= kFieldPolynomial;
    }
    return uint8_t(product);
}

TBytesArray ECC200Generator(int ecPerBlock)
{
    const int k = GeneratorIndex(ecPerBlock);
    if (k < 0)
        return {};
    return TBytesArray(kGenerators.coef[k], kGenerators.coef[k] + ecPerBlock + 1);
}

void PloyMod(TBytesArray &message, const TBytesArray &generator, TBytesArray &remainder)
{
    if (generator.empty() || generator.back() != 1)
        Fail(kPloyModError);
    const int L = int(message.size()), G = int(generator.size());
    for (int i = L - 1; i >= G - 1; --i) {
        const uint8_t q = message[i];
        if (q == 0)
            continue;
        for (int a = G - 1; a >= 0; --a)
            message[i - (G - 1) + a] ^= GF256Mul(generator[a], q);
    }
    remainder.assign(size_t(G - 1), 0);
    for (int i = 0; i < G - 1 && i < L; ++i)
        remainder[i] = message[i];
}

void AddECC200Correction(const TBytesArray &codewords, uint8_t sizeOrdinal, TBytesArray &allCodewords)
{
    if (!ValidOrdinal(sizeOrdinal))
        Fail(kAddECC200CorrectionError);
    const auto &at = ECC200Attributes[sizeOrdinal];
    const int capacity = at[dmaDataCodewords], n = at[dmaECPerBlock], blocks = at[dmaBlocks];
    TBytesArray all(size_t(capacity + at[dmaECCodewords]), 0);
    std::memcpy(all.data(), codewords.data(), std::min(codewords.size(), size_t(capacity)));
    const TBytesArray generator = ECC200Generator(n);
    TBytesArray message, remainder;
    for (int k = 0; k < blocks; ++k) {
        const int dk = BlockDataCount(sizeOrdinal, k);
        // Highest coefficient first: the block's first data codeword, then n zeros below.
        message.assign(size_t(dk + n), 0);
        for (int i = 0; i < dk; ++i)
            message[dk + n - 1 - i] = all[k + i * blocks];
        PloyMod(message, generator, remainder);
        // The block's check codewords follow its data on the same stride.
        for (int j = 0; j < n; ++j)
            all[k + (dk + j) * blocks] = remainder[n - 1 - j];
    }
    allCodewords = std::move(all);
}

void PlaceECC200Modules(const TBytesArray &allCodewords, uint8_t sizeOrdinal, TBytesArray &mapping)
{
    if (!ValidOrdinal(sizeOrdinal))
        Fail(kPlaceECC200ModulesError);
    const auto &at = ECC200Attributes[sizeOrdinal];
    const int nrow = at[dmaMappingRows], ncol = at[dmaMappingCols];
    std::vector<int32_t> marks;
    const bool fill = PlaceMarks(nrow, ncol, marks);
    TBytesArray m(marks.size(), 0);
    for (size_t i = 0; i < marks.size(); ++i) {
        const int mark = marks[i];
        if (mark) {
            const size_t c = size_t(mark / 10 - 1);
            // A codeword past the end of a short array reads as 0, never outside it.
            const uint8_t word = c < allCodewords.size() ? allCodewords[c] : 0;
            m[i] = (word >> (8 - mark % 10)) & 1;
        } else {
            m[i] = (fill && IsCornerFillDark(nrow, ncol, i)) ? 1 : 0;
        }
    }
    mapping = std::move(m);
}

void BuildECC200Symbol(const TBytesArray &mapping, uint8_t sizeOrdinal, TBytesArray &modules)
{
    if (!ValidOrdinal(sizeOrdinal))
        Fail(kBuildECC200SymbolError);
    const auto &at = ECC200Attributes[sizeOrdinal];
    TBytesArray src(size_t(at[dmaMappingRows]) * at[dmaMappingCols], 0);
    std::memcpy(src.data(), mapping.data(), std::min(mapping.size(), src.size()));
    TBytesArray grid(size_t(at[dmaSymbolRows]) * at[dmaSymbolCols]);
    AssembleRegions<uint8_t>(src.data(), sizeOrdinal, grid.data(), 1, 0);
    modules = std::move(grid);
}

} // namespace kx
