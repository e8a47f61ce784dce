// Data Matrix ECC 200: codewords, error correction, placement and symbol structure,
// against worked examples, ISO/IEC 16022 and libdmtx's attribute table.
// Decoding of whole symbols by zxing-cpp and the comparison with zint live in
// test_datamatrix_decode.cpp.
#include "core/KXError.h"
#include "datamatrix/KXDataMatrix.h"

#include <dmtx.h>
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>

using namespace kx;

namespace {

TBytesArray Bytes(const std::string &s)
{
    return TBytesArray(s.begin(), s.end());
}

TBytesArray Repeat(uint8_t b, size_t n)
{
    return TBytesArray(n, b);
}

// "142 164 186": the way codewords are written down by hand.
std::string Words(const TBytesArray &cw)
{
    std::ostringstream s;
    for (size_t i = 0; i < cw.size(); ++i)
        s << (i ? " " : "") << int(cw[i]);
    return s.str();
}

TECC200Size Size(int ordinal)
{
    return static_cast<TECC200Size>(ordinal);
}

const auto &Attr(int ordinal)
{
    return ECC200Attributes[ordinal];
}

// Base 256 codewords carry their place in the stream; this takes it off again.
int Unrandomize255(uint8_t value, int position)
{
    const int v = value - ((149 * position) % 255 + 1);
    return v >= 0 ? v : v + 256;
}

// The text of the library error `f` raises; any other exception shows as such.
std::string ErrorText(const std::function<void()> &f)
{
    try {
        f();
    } catch (const EKxError &e) {
        return e.what();
    } catch (const std::exception &e) {
        return std::string("(not EKxError) ") + e.what();
    }
    return "(no error)";
}

// ---------------------------------------------------------------------------------------
// Encodation

struct CodewordCase {
    const char *name;
    TBytesArray data;
    TECC200Size size;
    TECC200Shape shape;
    int ordinal;
    std::string codewords;  // data codewords with pads, as written down by hand
    const char *source;
};

TEST(DataMatrixCodewords, WorkedExamples)
{
    const auto sq = TECC200Shape::ecc200_Square;
    const auto rect = TECC200Shape::ecc200_Rectangle;
    const auto autoSize = TECC200Size::ecc200_Autosize;
    const CodewordCase cases[] = {
        {"empty: only pads", {}, autoSize, sq, 1, "129 175 70", "pad 129, then 253-state randomised 129"},
        {"digit pairs fill 10x10 exactly", Bytes("123456"), autoSize, sq, 1, "142 164 186",
         "130 + 12, 130 + 34, 130 + 56"},
        {"odd last digit as ASCII, one pad", Bytes("1234567"), autoSize, sq, 2, "142 164 186 56 129",
         "'7' + 1 = 56; 12x12 holds 5"},
        {"one less than capacity: only the pad 129", Bytes("1234"), autoSize, sq, 1, "142 164 129",
         "first pad is never randomised"},
        {"single high byte: upper shift", {233}, autoSize, sq, 1, "235 106 129", "233 - 127 = 106"},
        {"three high bytes: Base 256", {233, 233, 233}, autoSize, sq, 2, "231 47 170 64 213",
         "latch, length 3 and bytes, 255-state randomised at positions 2 to 5"},
        {"ASCII text of the new element", Bytes("DataMatrixCode"), autoSize, sq, 5,
         "69 98 117 98 78 98 117 115 106 121 68 112 101 102 129 237 133 28",
         "14 ASCII codewords and four pads in 18x18"},
        {"rectangle chosen by shape", Bytes("123456"), autoSize, rect, 25, "142 164 186 129 115",
         "8x18 holds 5"},
        {"fixed size larger than needed", Bytes("123456"), TECC200Size::ecc200_12x12, rect, 2,
         "142 164 186 129 115", "a fixed size ignores the shape"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        uint8_t ordinal = 0;
        TBytesArray cw;
        MakeCodeword(c.data, c.size, c.shape, ordinal, cw);
        EXPECT_EQ(int(ordinal), c.ordinal);
        EXPECT_EQ(Words(cw), c.codewords) << c.source;
        EXPECT_EQ(int(cw.size()), Attr(ordinal)[dmaDataCodewords]);
    }
}

TEST(DataMatrixCodewords, Randomisers)
{
    // 253-state: value + (149 x position mod 253) + 1, less 254 past 254.
    EXPECT_EQ(Randomize253(129, 2), 175);
    EXPECT_EQ(Randomize253(129, 3), 70);
    EXPECT_EQ(Randomize253(129, 17), 133);
    EXPECT_EQ(Randomize253(254, 253), 1);  // 149 x 253 mod 253 = 0: 254 + 1 = 255 -> 1
    // 255-state: the same with 255, kept to a byte.
    EXPECT_EQ(Randomize255(3, 2), 47);
    EXPECT_EQ(Randomize255(233, 3), 170);
    EXPECT_EQ(Randomize255(255, 1), 149);  // 255 + 150 = 405 -> 149
    EXPECT_EQ(Randomize255(0, 255), 1);
}

// Reads the Base 256 fields of a codeword stream: their lengths as stated.
std::vector<int> Base256Fields(const TBytesArray &cw)
{
    std::vector<int> fields;
    for (size_t i = 0; i < cw.size();) {
        const uint8_t v = cw[i++];
        if (v == 129)
            break;
        if (v == 235) {
            ++i;
        } else if (v == 231) {
            int n = Unrandomize255(cw[i], int(i) + 1);
            ++i;
            if (n >= 250) {
                n = (n - 249) * 250 + Unrandomize255(cw[i], int(i) + 1);
                ++i;
            }
            fields.push_back(n);
            i += size_t(n);
        }
    }
    return fields;
}

TEST(DataMatrixCodewords, Base256Fields)
{
    uint8_t ordinal = 0;
    TBytesArray cw;

    // Five high bytes and then letters: a letter raises the ASCII and Base 256 counts alike,
    // so the whole text stays in one field.
    TBytesArray data = {200, 201, 202, 203, 204};
    for (char c : std::string("abcdef"))
        data.push_back(uint8_t(c));
    MakeCodeword(data, TECC200Size::ecc200_Autosize, TECC200Shape::ecc200_Square, ordinal, cw);
    EXPECT_EQ(Base256Fields(cw), std::vector<int>{11});
    EXPECT_EQ(cw[0], 231);

    // Digits after such a field end it where ASCII wins: five or more digits ahead.
    data.resize(5);
    for (char c : std::string("1234567890"))
        data.push_back(uint8_t(c));
    MakeCodeword(data, TECC200Size::ecc200_Autosize, TECC200Shape::ecc200_Square, ordinal, cw);
    EXPECT_EQ(Base256Fields(cw), std::vector<int>{5});
    EXPECT_EQ(Words(TBytesArray(cw.begin() + 7, cw.begin() + 12)), "142 164 186 208 220");

    // Lengths 1..249 take one codeword, 250..1555 two: n div 250 + 249, n mod 250.
    for (int n : {249, 250, 251, 1555}) {
        SCOPED_TRACE(n);
        MakeCodeword(Repeat(0xE9, size_t(n)), TECC200Size::ecc200_Autosize, TECC200Shape::ecc200_Square,
                     ordinal, cw);
        EXPECT_EQ(Base256Fields(cw), std::vector<int>{n});
        const int lengthWords = n <= 249 ? 1 : 2;
        EXPECT_EQ(Unrandomize255(cw[1], 2), n <= 249 ? n : n / 250 + 249);
        if (lengthWords == 2) {
            EXPECT_EQ(Unrandomize255(cw[2], 3), n % 250);
        }
    }
    // 1555 bytes, latch and two length codewords fill the largest symbol exactly.
    EXPECT_EQ(int(ordinal), 24);
    EXPECT_NE(cw.back(), 129);
}

// A field never states the length 0, which a reader takes as "to the end of the symbol":
// data that ends inside a field, fields that fill the symbol to its last codeword and
// fields between ASCII stretches all carry their explicit length of at least one byte.
TEST(DataMatrixCodewords, Base256FieldsAlwaysStateTheirLength)
{
    std::mt19937 rng(4106);
    for (int round = 0; round < 300; ++round) {
        TBytesArray data;
        const int pieces = 1 + int(rng() % 4);
        for (int p = 0; p < pieces; ++p) {
            const int n = int(rng() % 12);
            const bool high = rng() % 2;
            for (int i = 0; i < n; ++i)
                data.push_back(high ? uint8_t(128 + rng() % 128) : uint8_t('0' + rng() % 43));
        }
        uint8_t ordinal = 0;
        TBytesArray cw;
        MakeCodeword(data, TECC200Size::ecc200_Autosize, TECC200Shape::ecc200_Square, ordinal, cw);
        for (int n : Base256Fields(cw))
            EXPECT_GE(n, 1) << Words(cw);
    }
}

TEST(DataMatrixCodewords, LookAhead)
{
    struct Case {
        const char *data;
        int position;
        uint8_t current;
        uint8_t expected;
        const char *why;
    };
    const Case cases[] = {
        {"\xE9", 0, dmmASCII, dmmASCII, "end of data: A 2, B 3 after rounding up"},
        {"\xE9\xE9\xE9", 0, dmmASCII, dmmBase256, "end of data: A 6, B 4.25 -> 5"},
        {"\xE9\xE9\xE9\xE9\xE9", 0, dmmASCII, dmmBase256, "fifth byte: B + 1 <= A"},
        {"1234567890", 0, dmmBase256, dmmASCII, "fifth byte: A 3.5 + 1 <= every other count"},
        {"abcdefghijk", 0, dmmASCII, dmmText, "lower case: Text ahead by more than one"},
        {"ABCDEFGHIJK", 0, dmmASCII, dmmC40, "upper case: C40 and X12 tie, no terminator"},
        {"!!!!!!!!!!", 0, dmmASCII, dmmEDIFACT, "punctuation: EDIFACT 3/4 a byte against ASCII's 1"},
        {"abcde\xE9\xE9\xE9\xE9", 5, dmmASCII, dmmBase256, "counting starts at the position"},
        // The counts are 32-bit floats: with exact thirds this text would stay in ASCII.
        {"Q* qq!\xE9Q{ !q!{ ", 0, dmmASCII, dmmBase256, "rounding of the 32-bit counts tips it"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(int(ChooseECC200Mode(Bytes(c.data), c.position, c.current)), int(c.expected)) << c.data;
    }
}

// ---------------------------------------------------------------------------------------
// Failures

TEST(DataMatrixErrors, TooMuchDataRaisesAndKeepsOutputs)
{
    const auto sq = TECC200Shape::ecc200_Square;
    const auto rect = TECC200Shape::ecc200_Rectangle;
    const auto autoSize = TECC200Size::ecc200_Autosize;
    struct Case {
        const char *name;
        TBytesArray data;
        TECC200Size size;
        TECC200Shape shape;
        const char *error;
    };
    std::string digits(3117, '7');
    const Case cases[] = {
        {"one codeword past 144x144", Bytes(digits), autoSize, sq, "MakeCodeword Error"},
        {"past 16x48 with the rectangle shape", Bytes(std::string(100, '1')), autoSize, rect,
         "MakeCodeword Error"},
        {"past a fixed size", Bytes("1234567"), TECC200Size::ecc200_10x10, sq, "MakeCodeword Error"},
        {"size out of range", Bytes("1"), static_cast<TECC200Size>(31), sq, "MakeCodeword Error"},
        {"Base 256 run of 1556 bytes", Repeat(0xFE, 1556), autoSize, sq, "Base256_Encode Error"},
        {"Base 256 run longer still", Repeat(0xFE, 3000), autoSize, sq, "Base256_Encode Error"},
        // Far past the 5000-codeword work area: must fail, not write past it.
        {"text past the work area", Repeat('x', 9000), autoSize, sq, "MakeCodeword Error"},
        {"huge input", Repeat('a', 1 << 20), autoSize, sq, "MakeCodeword Error"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TBytesArray modules = {7, 7, 7};
        uint16_t cols = 11, rows = 13;
        EXPECT_EQ(ErrorText([&] { EncodeECC200(c.data, c.size, c.shape, modules, cols, rows); }), c.error);
        EXPECT_EQ(modules, (TBytesArray{7, 7, 7}));
        EXPECT_EQ(cols, 11);
        EXPECT_EQ(rows, 13);
        uint8_t ordinal = 99;
        TBytesArray cw = {1};
        EXPECT_EQ(ErrorText([&] { MakeCodeword(c.data, c.size, c.shape, ordinal, cw); }), c.error);
        EXPECT_EQ(cw, TBytesArray{1});
    }
    // One digit pair less fits 144x144 exactly.
    digits.resize(3116);
    uint8_t ordinal = 0;
    TBytesArray cw;
    MakeCodeword(Bytes(digits), autoSize, sq, ordinal, cw);
    EXPECT_EQ(int(ordinal), 24);
}

TEST(DataMatrixErrors, PloyModRefusesGeneratorWithoutLeadingOne)
{
    TBytesArray message = {1, 2, 3, 4}, remainder;
    EXPECT_EQ(ErrorText([&] { PloyMod(message, {5, 3, 2}, remainder); }), "PloyMod Error");
    EXPECT_EQ(ErrorText([&] { PloyMod(message, {}, remainder); }), "PloyMod Error");
}

TEST(DataMatrixErrors, StageRoutinesRaiseTheLibraryErrorForUnknownSizes)
{
    TBytesArray in = {1, 2, 3}, out = {7};
    for (uint8_t ordinal : {uint8_t(0), uint8_t(31), uint8_t(255)}) {
        EXPECT_EQ(ErrorText([&] { AddECC200Correction(in, ordinal, out); }), "AddECC200Correction Error");
        EXPECT_EQ(ErrorText([&] { PlaceECC200Modules(in, ordinal, out); }), "PlaceECC200Modules Error");
        EXPECT_EQ(ErrorText([&] { BuildECC200Symbol(in, ordinal, out); }), "BuildECC200Symbol Error");
        EXPECT_EQ(out, TBytesArray{7});
    }
}

// ---------------------------------------------------------------------------------------
// Attributes

// Our table against libdmtx's, column by column, and its own sums.
TEST(DataMatrixAttributes, MatchLibdmtx)
{
    for (int ord = 1; ord <= ECC200SizeCount; ++ord) {
        SCOPED_TRACE(ord);
        const auto &a = Attr(ord);
        const int idx = ord - 1;  // libdmtx counts its sizes from 0 in the same order
        EXPECT_EQ(a[dmaOrdinal], ord);
        EXPECT_EQ(a[dmaSymbolRows], dmtxGetSymbolAttribute(DmtxSymAttribSymbolRows, idx));
        EXPECT_EQ(a[dmaSymbolCols], dmtxGetSymbolAttribute(DmtxSymAttribSymbolCols, idx));
        EXPECT_EQ(a[dmaRegionRows], dmtxGetSymbolAttribute(DmtxSymAttribDataRegionRows, idx));
        EXPECT_EQ(a[dmaRegionCols], dmtxGetSymbolAttribute(DmtxSymAttribDataRegionCols, idx));
        EXPECT_EQ(a[dmaRegionsV], dmtxGetSymbolAttribute(DmtxSymAttribVertDataRegions, idx));
        EXPECT_EQ(a[dmaRegionsH], dmtxGetSymbolAttribute(DmtxSymAttribHorizDataRegions, idx));
        EXPECT_EQ(a[dmaMappingRows], dmtxGetSymbolAttribute(DmtxSymAttribMappingMatrixRows, idx));
        EXPECT_EQ(a[dmaMappingCols], dmtxGetSymbolAttribute(DmtxSymAttribMappingMatrixCols, idx));
        EXPECT_EQ(a[dmaDataCodewords], dmtxGetSymbolAttribute(DmtxSymAttribSymbolDataWords, idx));
        EXPECT_EQ(a[dmaECCodewords], dmtxGetSymbolAttribute(DmtxSymAttribSymbolErrorWords, idx));
        EXPECT_EQ(a[dmaECPerBlock], dmtxGetSymbolAttribute(DmtxSymAttribBlockErrorWords, idx));
        EXPECT_EQ(a[dmaBlocks], dmtxGetSymbolAttribute(DmtxSymAttribInterleavedBlocks, idx));

        EXPECT_EQ(a[dmaMappingRows], a[dmaRegionRows] * a[dmaRegionsV]);
        EXPECT_EQ(a[dmaMappingCols], a[dmaRegionCols] * a[dmaRegionsH]);
        EXPECT_EQ(a[dmaSymbolRows], (a[dmaRegionRows] + 2) * a[dmaRegionsV]);
        EXPECT_EQ(a[dmaSymbolCols], (a[dmaRegionCols] + 2) * a[dmaRegionsH]);
        EXPECT_EQ(a[dmaECCodewords], a[dmaECPerBlock] * a[dmaBlocks]);
        EXPECT_EQ(a[dmaDataCodewords], a[dmaDataPerBlock] * a[dmaBlocks] - (ord == 24 ? 2 : 0));
        // Every codeword takes 8 modules; at most a 2x2 corner is left over.
        const int cells = a[dmaMappingRows] * a[dmaMappingCols];
        EXPECT_EQ(cells / 8, a[dmaDataCodewords] + a[dmaECCodewords]);
        EXPECT_TRUE(cells % 8 == 0 || cells % 8 == 4);
    }
    for (int c = 0; c < dmaColumnCount; ++c)
        EXPECT_EQ(Attr(0)[c], 0);
}

// ---------------------------------------------------------------------------------------
// Error correction

TEST(DataMatrixCorrection, TenByTenExample)
{
    // "123456" in 10x10: ISO/IEC 16022's worked example.
    TBytesArray all;
    AddECC200Correction({142, 164, 186}, 1, all);
    EXPECT_EQ(Words(all), "142 164 186 114 25 5 88 102");
    // The degree 5 generator x^5 + 62x^4 + 111x^3 + 15x^2 + 48x + 228, constant term first.
    EXPECT_EQ(Words(ECC200Generator(5)), "228 48 15 111 62 1");
    EXPECT_TRUE(ECC200Generator(6).empty());
}

TEST(DataMatrixCorrection, GF256)
{
    EXPECT_EQ(GF256Mul(0x80, 2), 0x2D);  // x^8 reduces to x^5 + x^3 + x^2 + 1
    EXPECT_EQ(GF256Mul(0, 0x57), 0);
    EXPECT_EQ(GF256Mul(0x57, 1), 0x57);
    // Every non-zero element has an inverse: a x b = 1 for exactly one b.
    for (int a = 1; a < 256; ++a) {
        int inverses = 0;
        for (int b = 1; b < 256; ++b)
            inverses += GF256Mul(uint8_t(a), uint8_t(b)) == 1;
        ASSERT_EQ(inverses, 1) << a;
    }
}

// Every generator's roots are 2^1..2^n.
TEST(DataMatrixCorrection, GeneratorRoots)
{
    for (int n : {5, 7, 10, 11, 12, 14, 18, 20, 24, 28, 36, 42, 48, 56, 62, 68}) {
        SCOPED_TRACE(n);
        const TBytesArray g = ECC200Generator(n);
        ASSERT_EQ(int(g.size()), n + 1);
        EXPECT_EQ(g.back(), 1);
        uint8_t root = 1;
        for (int i = 1; i <= n; ++i) {
            root = GF256Mul(root, 2);
            uint8_t value = 0;  // Horner from the leading coefficient down
            for (int k = n; k >= 0; --k)
                value = uint8_t(GF256Mul(value, root) ^ g[k]);
            EXPECT_EQ(value, 0) << "root 2^" << i;
        }
    }
}

// 144x144: blocks 8 and 9 hold 155 data codewords, and the check codewords start with
// block 8's, then block 9's, then blocks 0 to 7.
TEST(DataMatrixCorrection, LargestSymbolInterleaving)
{
    std::mt19937 rng(144);
    TBytesArray data(1558);
    for (auto &b : data)
        b = uint8_t(rng());
    TBytesArray all;
    AddECC200Correction(data, 24, all);
    ASSERT_EQ(all.size(), 2178u);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), all.begin()));
    const TBytesArray g = ECC200Generator(62);
    for (int k = 0; k < 10; ++k) {
        SCOPED_TRACE(k);
        const int dk = k < 8 ? 156 : 155;
        TBytesArray message(size_t(dk + 62), 0), rem;
        for (int i = 0; i < dk; ++i)
            message[size_t(dk + 61 - i)] = data[size_t(k + 10 * i)];
        PloyMod(message, g, rem);
        const int firstCheck = k < 8 ? 1560 + k : 1558 + (k - 8);
        for (int j = 0; j < 62; ++j)
            ASSERT_EQ(all[size_t(firstCheck + 10 * j)], rem[size_t(61 - j)]) << "check " << j;
    }
}

// ---------------------------------------------------------------------------------------
// Placement and symbol structure

// All-light and all-dark codewords show which cells no codeword reaches: only the 2x2
// corner of the sizes whose mapping matrix leaves 4 modules over, dark on its diagonal.
TEST(DataMatrixPlacement, EveryCellPlacedButTheCornerFill)
{
    for (int ord = 1; ord <= ECC200SizeCount; ++ord) {
        SCOPED_TRACE(ord);
        const int nrow = Attr(ord)[dmaMappingRows], ncol = Attr(ord)[dmaMappingCols];
        const size_t total = size_t(Attr(ord)[dmaDataCodewords] + Attr(ord)[dmaECCodewords]);
        const bool fill = (nrow * ncol) % 8 == 4;
        auto at = [&](const TBytesArray &m, int r, int c) { return int(m[size_t(r * ncol + c)]); };
        TBytesArray light, dark;
        PlaceECC200Modules(TBytesArray(total, 0x00), uint8_t(ord), light);
        PlaceECC200Modules(TBytesArray(total, 0xFF), uint8_t(ord), dark);
        ASSERT_EQ(light.size(), size_t(nrow * ncol));
        int lightDark = 0, darkLight = 0;
        for (size_t i = 0; i < light.size(); ++i) {
            lightDark += light[i];
            darkLight += !dark[i];
        }
        EXPECT_EQ(lightDark, fill ? 2 : 0);
        EXPECT_EQ(darkLight, fill ? 2 : 0);
        if (fill) {
            EXPECT_EQ(at(light, nrow - 1, ncol - 1), 1);
            EXPECT_EQ(at(light, nrow - 2, ncol - 2), 1);
            EXPECT_EQ(at(dark, nrow - 1, ncol - 2), 0);
            EXPECT_EQ(at(dark, nrow - 2, ncol - 1), 0);
        }
    }
}

std::string Row(const TBytesArray &grid, int cols, int r)
{
    std::string s;
    for (int c = 0; c < cols; ++c)
        s += grid[size_t(r * cols + c)] ? '1' : '0';
    return s;
}

std::string Column(const TBytesArray &grid, int cols, int rows, int c)
{
    std::string s;
    for (int r = 0; r < rows; ++r)
        s += grid[size_t(r * cols + c)] ? '1' : '0';
    return s;
}

std::string Times(const std::string &s, int n)
{
    std::string r;
    for (int i = 0; i < n; ++i)
        r += s;
    return r;
}

// 32x32: four 14x14 regions, each with a solid left and bottom edge and clock tracks along
// its top and right; neighbouring regions' edges lie side by side.
TEST(DataMatrixSymbol, RegionEdgesOf32x32)
{
    TBytesArray modules;
    uint16_t cols = 0, rows = 0;
    EncodeECC200(Bytes("Region edges"), TECC200Size::ecc200_32x32, TECC200Shape::ecc200_Square, modules,
                 cols, rows);
    ASSERT_EQ(cols, 32);
    ASSERT_EQ(rows, 32);
    const std::string clock = Times("10", 16), solid(32, '1'), rightClock = Times("01", 16);
    EXPECT_EQ(Row(modules, 32, 0), clock);
    EXPECT_EQ(Row(modules, 32, 15), solid);
    EXPECT_EQ(Row(modules, 32, 16), clock);
    EXPECT_EQ(Row(modules, 32, 31), solid);
    EXPECT_EQ(Column(modules, 32, 32, 0), solid);
    EXPECT_EQ(Column(modules, 32, 32, 15), rightClock);
    EXPECT_EQ(Column(modules, 32, 32, 16), solid);
    EXPECT_EQ(Column(modules, 32, 32, 31), rightClock);
}

// The fast path (per-size module map) against the four steps run one by one, every size.
TEST(DataMatrixSymbol, EncodeEqualsTheStepsInTurn)
{
    std::mt19937 rng(107);
    for (int ord = 1; ord <= ECC200SizeCount; ++ord) {
        SCOPED_TRACE(ord);
        TBytesArray data;
        const int target = int(rng() % uint32_t(Attr(ord)[dmaDataCodewords] + 1));
        for (int i = 0; i < target; ++i)
            data.push_back(uint8_t(' ' + rng() % 90));
        TBytesArray cw, all, mapping, stepped, modules;
        uint8_t ordinal = 0;
        MakeCodeword(data, Size(ord), TECC200Shape::ecc200_Square, ordinal, cw);
        ASSERT_EQ(ordinal, ord);
        AddECC200Correction(cw, ordinal, all);
        PlaceECC200Modules(all, ordinal, mapping);
        BuildECC200Symbol(mapping, ordinal, stepped);
        uint16_t cols = 0, rows = 0;
        EncodeECC200(data, Size(ord), TECC200Shape::ecc200_Square, modules, cols, rows);
        EXPECT_EQ(cols, Attr(ord)[dmaSymbolCols]);
        EXPECT_EQ(rows, Attr(ord)[dmaSymbolRows]);
        EXPECT_EQ(modules, stepped);
    }
}

} // namespace
