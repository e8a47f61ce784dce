// Data Matrix ECC 200 symbols judged from outside: zxing-cpp must read every grid back to
// exactly the input bytes, at every size and in both encodations, and for digit-only data
// the grid must equal zint's module for module.
#include "datamatrix/KXDataMatrix.h"
#include "SymbolDecode.h"

#include <gtest/gtest.h>
#include <zint.h>

#include <memory>
#include <random>
#include <set>
#include <string>

using namespace kx;

namespace {

TECC200Size Size(int ordinal)
{
    return static_cast<TECC200Size>(ordinal);
}

int Capacity(int ordinal)
{
    return ECC200Attributes[ordinal][dmaDataCodewords];
}

struct Symbol {
    TBytesArray modules;
    uint16_t cols = 0, rows = 0;
    int ordinal = 0;
    TBytesArray codewords;  // data codewords with pads

    bool Dark(int r, int c) const { return modules[size_t(r) * cols + size_t(c)] != 0; }
};

Symbol Encode(const TBytesArray &data, TECC200Size size, TECC200Shape shape = TECC200Shape::ecc200_Square)
{
    Symbol s;
    EncodeECC200(data, size, shape, s.modules, s.cols, s.rows);
    uint8_t ordinal = 0;
    MakeCodeword(data, size, shape, ordinal, s.codewords);
    s.ordinal = ordinal;
    return s;
}

// Drawn with a 2-module quiet zone, 3 pixels a module.
zt::Decoded DecodeSymbol(const Symbol &s)
{
    std::vector<std::vector<bool>> grid(s.rows, std::vector<bool>(s.cols));
    for (int r = 0; r < s.rows; ++r)
        for (int c = 0; c < s.cols; ++c)
            grid[size_t(r)][size_t(c)] = s.Dark(r, c);
    zt::DecodeOptions options;
    options.formats = "DataMatrix";
    return zt::Decode(zt::RasterGrid(grid, 3, 2), options);
}

// Base 256 fields in a codeword stream (the latch 231 read as a latch, not inside a field).
int CountBase256Fields(const TBytesArray &cw)
{
    int fields = 0;
    for (size_t i = 0; i < cw.size();) {
        const uint8_t v = cw[i++];
        if (v == 129)
            break;
        if (v == 235) {
            ++i;
        } else if (v == 231) {
            ++fields;
            auto un = [&](size_t at) { int x = cw[at] - ((149 * int(at + 1)) % 255 + 1); return x < 0 ? x + 256 : x; };
            int n = un(i++);
            if (n >= 250)
                n = (n - 249) * 250 + un(i++);
            i += size_t(n);
        }
    }
    return fields;
}

enum class Kind { Digits, Text, High, Mixed };

uint8_t RandomByte(Kind kind, std::mt19937 &rng)
{
    switch (kind) {
    case Kind::Digits: return uint8_t('0' + rng() % 10);
    case Kind::Text: return uint8_t(' ' + rng() % 95);
    case Kind::High: return uint8_t(128 + rng() % 128);
    case Kind::Mixed: break;
    }
    return uint8_t(rng());
}

// The longest prefix of `data` that fits the size (input may shrink the codeword count
// non-monotonically near the end, so step down from the first prefix that fits).
TBytesArray LongestFit(TBytesArray data, int ordinal)
{
    auto fits = [&](size_t n) {
        TBytesArray cw;
        uint8_t ord = 0;
        try {
            MakeCodeword(TBytesArray(data.begin(), data.begin() + long(n)), Size(ordinal),
                         TECC200Shape::ecc200_Square, ord, cw);
            return true;
        } catch (const std::exception &) {
            return false;
        }
    };
    size_t lo = 0, hi = data.size();  // fits(lo) holds
    if (fits(hi))
        return data;
    while (hi - lo > 1) {
        const size_t mid = (lo + hi) / 2;
        (fits(mid) ? lo : hi) = mid;
    }
    data.resize(lo);
    return data;
}

void ExpectDecodes(const Symbol &s, const TBytesArray &data)
{
    const zt::Decoded d = DecodeSymbol(s);
    ASSERT_TRUE(d.ok) << "size " << s.ordinal << ", " << data.size() << " bytes";
    EXPECT_EQ(d.format, "DataMatrix");
    EXPECT_EQ(d.bytes, std::string(data.begin(), data.end())) << "size " << s.ordinal;
}

// A seeded random set at every size: digits, plain text, bytes 128-255 and arbitrary
// bytes, in lengths up to what each size holds, at a fixed size and chosen automatically.
TEST(DataMatrixDecode, RandomSetReachesEverySizeInBothEncodations)
{
    std::mt19937 rng(16022);
    std::set<int> reached, base256At, asciiOnlyAt;
    for (int ord = 1; ord <= ECC200SizeCount; ++ord) {
        const TECC200Shape shape = ord <= 24 ? TECC200Shape::ecc200_Square : TECC200Shape::ecc200_Rectangle;
        for (Kind kind : {Kind::Digits, Kind::Text, Kind::High, Kind::Mixed}) {
            for (int round = 0; round < 3; ++round) {
                const int cap = Capacity(ord);
                const int maxLen = kind == Kind::Digits ? 2 * cap : cap;
                TBytesArray data(size_t(rng() % uint32_t(maxLen + 1)));
                for (auto &b : data)
                    b = RandomByte(kind, rng);
                data = LongestFit(data, ord);
                // Half the cases at a fixed size, half chosen by the shape.
                const bool fixed = round != 1;
                SCOPED_TRACE(testing::Message() << "size " << ord << " kind " << int(kind) << " len " << data.size());
                const Symbol s = Encode(data, fixed ? Size(ord) : TECC200Size::ecc200_Autosize, shape);
                if (!fixed) {
                    // The smallest size of the shape that holds the codewords.
                    const int first = ord <= 24 ? 1 : 25;
                    for (int smaller = first; smaller < s.ordinal; ++smaller) {
                        uint8_t o = 0;
                        TBytesArray cw;
                        EXPECT_ANY_THROW(MakeCodeword(data, Size(smaller), shape, o, cw)) << smaller;
                    }
                }
                ExpectDecodes(s, data);
                reached.insert(s.ordinal);
                (CountBase256Fields(s.codewords) ? base256At : asciiOnlyAt).insert(s.ordinal);
            }
        }
    }
    for (int ord = 1; ord <= ECC200SizeCount; ++ord) {
        EXPECT_TRUE(reached.count(ord)) << ord;
        EXPECT_TRUE(asciiOnlyAt.count(ord)) << ord;
        // 10x10 holds no Base 256 field: one high byte goes in ASCII, three need 5 codewords.
        if (ord != 1) {
            EXPECT_TRUE(base256At.count(ord)) << ord;
        }
    }
}

// The largest input of each size, in each encodation, fills it to the last codeword.
TEST(DataMatrixDecode, LargestInputOfEverySize)
{
    std::mt19937 rng(2178);
    for (int ord = 1; ord <= ECC200SizeCount; ++ord) {
        SCOPED_TRACE(ord);
        const int cap = Capacity(ord);
        TBytesArray digits(size_t(2 * cap));
        TBytesArray text(static_cast<size_t>(cap));
        TBytesArray high;
        for (auto &b : digits)
            b = RandomByte(Kind::Digits, rng);
        for (auto &b : text)
            b = uint8_t('a' + rng() % 26);  // letters only, so no digit pairs shorten it
        // Latch, one or two length codewords, the bytes.
        const int n = cap - 2 <= 249 ? cap - 2 : cap - 3;
        for (int i = 0; i < n; ++i)
            high.push_back(RandomByte(Kind::High, rng));
        for (const TBytesArray *data : {&digits, &text, &high}) {
            if (data->size() < 3 && data == &high)
                continue;  // 10x10: a single high byte is an upper shift, not a field
            const Symbol s = Encode(*data, Size(ord));
            EXPECT_EQ(int(s.codewords.size()), cap);
            EXPECT_NE(s.codewords.back(), 129) << "no pad at capacity";
            ExpectDecodes(s, *data);
            // One byte more does not fit.
            TBytesArray more = *data;
            more.push_back(data == &high ? 0xC8 : data->back());
            if (data == &digits)
                more.push_back('5');
            uint8_t o = 0;
            TBytesArray cw;
            EXPECT_ANY_THROW(MakeCodeword(more, Size(ord), TECC200Shape::ecc200_Square, o, cw));
        }
    }
}

// Edge cases named in the issue: empty input at every size, Base 256 runs around the
// one/two length codeword boundary, fields between ASCII stretches.
TEST(DataMatrixDecode, EdgeCases)
{
    for (int ord = 1; ord <= ECC200SizeCount; ++ord) {
        SCOPED_TRACE(ord);
        const Symbol s = Encode({}, Size(ord));
        const zt::Decoded d = DecodeSymbol(s);
        ASSERT_TRUE(d.ok);
        EXPECT_TRUE(d.bytes.empty());
    }
    std::mt19937 rng(249);
    for (int n = 245; n <= 256; ++n) {
        SCOPED_TRACE(n);
        TBytesArray data;
        for (int i = 0; i < n; ++i)
            data.push_back(RandomByte(Kind::High, rng));
        const Symbol s = Encode(data, TECC200Size::ecc200_Autosize);
        EXPECT_EQ(CountBase256Fields(s.codewords), 1);
        ExpectDecodes(s, data);
        // The same run between ASCII text and digits.
        const std::string text = "Lot " + std::string(data.begin(), data.end()) + "0123456789 end";
        const TBytesArray framed(text.begin(), text.end());
        const Symbol f = Encode(framed, TECC200Size::ecc200_Autosize);
        ExpectDecodes(f, framed);
    }
    // The largest Base 256 field, in the largest symbol.
    const TBytesArray longest(1555, 0xAB);
    const Symbol s = Encode(longest, TECC200Size::ecc200_Autosize);
    EXPECT_EQ(s.ordinal, 24);
    ExpectDecodes(s, longest);
}

// ---------------------------------------------------------------------------------------
// zint, size forced: option_2 numbers the sizes as our ordinals do (1..24 squares,
// 25..30 rectangles).

struct ZintDeleter {
    void operator()(zint_symbol *s) const { ZBarcode_Delete(s); }
};

bool ZintModule(const zint_symbol *z, int row, int col)
{
    // encoded_data rows hold one bit per module, the first module in the lowest bit.
    return (z->encoded_data[row][col >> 3] >> (col & 7)) & 1;
}

TEST(DataMatrixZint, DigitsMatchModuleForModuleAtEverySize)
{
    std::mt19937 rng(71);
    std::unique_ptr<zint_symbol, ZintDeleter> z(ZBarcode_Create());
    int compared = 0;
    for (int ord = 1; ord <= ECC200SizeCount; ++ord) {
        const int cap = Capacity(ord);
        // One digit, an odd and an even length, one digit short of full, and full.
        std::set<int> lengths = {1, 2 * cap - 1, 2 * cap};
        lengths.insert(1 + 2 * int(rng() % uint32_t(cap)));
        lengths.insert(2 + 2 * int(rng() % uint32_t(cap)));
        for (int len : lengths) {
            if (len > 2 * cap)
                continue;
            SCOPED_TRACE(testing::Message() << "size " << ord << ", " << len << " digits");
            std::string digits;
            for (int i = 0; i < len; ++i)
                digits += char('0' + rng() % 10);
            const TBytesArray data(digits.begin(), digits.end());
            const Symbol s = Encode(data, Size(ord));

            ZBarcode_Clear(z.get());
            z->symbology = BARCODE_DATAMATRIX;
            z->input_mode = DATA_MODE;
            z->option_2 = ord;
            ASSERT_LT(ZBarcode_Encode(z.get(), data.data(), int(data.size())), ZINT_ERROR) << z->errtxt;
            ASSERT_EQ(z->rows, s.rows);
            ASSERT_EQ(z->width, s.cols);
            int differ = 0;
            for (int r = 0; r < s.rows; ++r)
                for (int c = 0; c < s.cols; ++c)
                    differ += ZintModule(z.get(), r, c) != s.Dark(r, c);
            EXPECT_EQ(differ, 0);
            ++compared;
        }
    }
    EXPECT_GE(compared, 4 * ECC200SizeCount);
}

} // namespace
