// PDF417 encoder: codewords of known texts, the escapes, the grid choice and its limits,
// the generator polynomials and the pattern table. Whole symbols are judged by zxing-cpp in
// test_pdf417_decode; here a decode confirms the escape cases that must read as plain text.
#include "pdf417/KXPdf417Code.h"
#include "SymbolDecode.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace kx;

namespace {

using L = TKXPdf417CorrectionLevel;
using S = TKXPdf417Status;

// The data codewords (index 1 up to UsedCWords) as "477 95 812".
std::string DataCodewords(const TKXPdf417Code &c)
{
    std::string s;
    for (int i = 1; i < c.UsedCWords(); ++i)
        s += (s.empty() ? "" : " ") + std::to_string(c.CodeWords()[size_t(i)]);
    return s;
}

TKXPdf417Code Encoded(const std::string &text, L level = L::Auto, int rows = 0, int cols = 0)
{
    TKXPdf417Code c;
    c.SetCorrectionLevel(level);
    c.SetRows(int16_t(rows));
    c.SetCols(int16_t(cols));
    c.Encode(text);
    return c;
}

zt::Decoded DecodeSymbol(const TKXPdf417Code &code)
{
    std::vector<uint8_t> modules;
    code.MakeModuleRows(false, modules);
    const int w = code.Width(false);
    std::vector<std::vector<bool>> grid;
    for (int r = 0; r < code.YCount(); ++r)
        for (int k = 0; k < 3; ++k) {
            grid.emplace_back();
            for (int c = 0; c < w; ++c)
                grid.back().push_back(modules[size_t(r * w + c)] != 0);
        }
    zt::DecodeOptions options;
    options.formats = "PDF417";
    return zt::Decode(zt::RasterGrid(grid, 2, 4), options);
}

std::string Repeat(char c, int n)
{
    return std::string(size_t(n), c);
}

} // namespace

// Texts and their data codewords. Where from: the worked examples of the element's
// description (PdfCode, A, digits, bytes, \G); base-900 groups computed with Python's
// integers (int("1" + digits) and int.from_bytes); sub-mode values of ISO/IEC 15438 Table 2.
TEST(Pdf417Encoder, TextsGiveTheirDataCodewords)
{
    const std::string high7 = "\x80\x81\x82\x83\x84\x85\x86";
    const struct {
        std::string text;
        const char *codewords;
        const char *note;
    } cases[] = {
        {"PdfCode", "477 95 812 423 149", "no latch; latch to Lower before d, shift to Alpha for C"},
        {"A", "29", "one value completed by 29"},
        {"12345678901234", "902 171 209 269 12 434", "fourteen digits: numeric, \"1\" + digits in base 900"},
        {"1234567890123ABC", "841 63 125 187 249 1 63 840 32", "thirteen digits stay text (latch Mixed, back to Alpha)"},
        {"12345678901234ABCDEF", "902 171 209 269 12 434 900 1 63 125", "numeric, then latch 900 and text"},
        {high7, "901 215 318 502 193 33 134", "seven bytes: 901, six bytes as five codewords, one byte alone"},
        {high7.substr(0, 6), "924 215 318 502 193 33", "six bytes: 924"},
        {"AB\\G000003CD", "1 927 3 63", "ECI 3 inside text"},
        {"AB\\G001000CD", "1 926 0 100 63", "ECI 1000: 926, 1000 div 900 - 1, 1000 mod 900"},
        {"AB\\G810901CD", "1 925 1 63", "ECI 810901: 925, e - 810900"},
        {"AB\\C123CD", "1 123 63", "a codeword written whole"},
        {"A\\C123", "29 123", "a pending value is completed by 29 first"},
        {"a\\\\", "810 875", "double backslash: one backslash (Lower, then shift to Punctuation)"},
        {"A\\065\\x42\\X43", "0 32", "decimal and hexadecimal character codes"},
        {"Ab C", "27 56 812", "shift to Alpha (27) for the last character"},
        {"aBC", "810 868 32", "Lower to Alpha with the next character in Alpha: latch 28 28"},
        {"a;b", "810 870 59", "shift to Punctuation (29) where the next character is back in Lower"},
        {"A;;", "28 750 29", "latch to Punctuation (28 25) for a run of Punctuation"},
    };
    for (const auto &c : cases) {
        const TKXPdf417Code code = Encoded(c.text);
        EXPECT_EQ(DataCodewords(code), c.codewords) << c.note;
        EXPECT_EQ(code.Status(), S::psOk) << c.note;
    }
}

TEST(Pdf417Encoder, DefaultTextGivesTheDescribedSymbol)
{
    const TKXPdf417Code c = Encoded("PdfCode");
    EXPECT_EQ(c.UsedCWords(), 6);
    EXPECT_EQ(c.ErrorLevel(), 2);
    EXPECT_EQ(c.NumErrorCWords(), 8);
    EXPECT_EQ(c.XCount(), 3);
    EXPECT_EQ(c.YCount(), 5);
    EXPECT_EQ(c.CodeWords()[0], 7);   // length descriptor
    EXPECT_EQ(c.CodeWords()[6], 900); // one pad
    EXPECT_EQ(c.Width(false), 17 * 3 + 69);
    EXPECT_EQ(c.Width(true), 17 * 3 + 35);
    const zt::Decoded d = DecodeSymbol(c);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.bytes, "PdfCode");
}

// An empty text makes no data and keeps the grid of the last text.
TEST(Pdf417Encoder, EmptyTextKeepsTheGridWithEveryCodeword900)
{
    TKXPdf417Code c = Encoded("PdfCode");
    c.Encode("");
    EXPECT_EQ(c.Status(), S::psEmpty);
    EXPECT_EQ(c.UsedCWords(), 1);
    EXPECT_EQ(c.XCount(), 3);
    EXPECT_EQ(c.YCount(), 5);
    for (uint16_t cw : c.CodeWords())
        ASSERT_EQ(cw, 900);
    c.MakeErrorCorrection(); // a level change on an empty text
    EXPECT_EQ(c.Status(), S::psEmpty);
    std::vector<uint8_t> rows{1, 2, 3};
    c.MakeModuleRows(false, rows);
    EXPECT_TRUE(rows.empty());
}

// Automatic level by the codewords used (descriptor included): 2 below 41, 3 below 161,
// 4 below 321, else 5.
TEST(Pdf417Encoder, AutomaticLevelFollowsTheDataLength)
{
    const struct {
        int bytes; // after the latch: 5 codewords for each group of six, one for each byte left
        int used;
        int level;
    } cases[] = {{42, 37, 2}, {45, 40, 2}, {46, 41, 3}, {48, 42, 3}, {186, 157, 3}, {189, 160, 3},
                 {190, 161, 4}, {192, 162, 4}, {378, 317, 4}, {381, 320, 4}, {382, 321, 5}, {384, 322, 5}};
    for (const auto &c : cases) {
        const TKXPdf417Code code = Encoded(Repeat('\xE9', c.bytes));
        EXPECT_EQ(code.UsedCWords(), c.used);
        EXPECT_EQ(code.ErrorLevel(), c.level) << c.used;
        EXPECT_EQ(code.NumErrorCWords(), 2 << c.level);
    }
}

// Grid requests. "fits" = columns x rows - check codewords >= used.
TEST(Pdf417Encoder, GridRequestsAndTheirLimits)
{
    const std::string pdf = "PdfCode"; // used 6
    const struct {
        std::string text;
        L level;
        int rows, cols;
        S status;
        int xCount, yCount; // when psOk
        const char *note;
    } cases[] = {
        {pdf, L::Level2, 5, 3, S::psOk, 3, 5, "requested grid that fits"},
        {pdf, L::Level0, 1, 3, S::psOk, 3, 3, "fewer than three rows become three"},
        {pdf, L::Level8, 2, 1, S::psGridTooSmall, 0, 0, "512 check codewords in 3 cells: placeholder"},
        {pdf, L::Level2, 3, 4, S::psGridTooSmall, 0, 0, "12 - 8 = 4 < 6: too small, not truncated data"},
        {pdf, L::Level2, 3, 5, S::psOk, 5, 3, "15 - 8 = 7 >= 6: the boundary fits"},
        {pdf, L::Level2, 90, 30, S::psGridTooLarge, 0, 0, "2700 codewords is no symbol"},
        {pdf, L::Level2, 0, 1, S::psOk, 1, 15, "columns only: rows with 1 x rows - 8 > 6"},
        {pdf, L::Level2, 3, 0, S::psOk, 5, 3, "rows only: columns with cols x 3 - 8 > 6"},
        {Repeat('\xE9', 600), L::Level2, 0, 1, S::psGridTooSmall, 0, 0, "one column holds 90 codewords"},
        {Repeat('\xE9', 600), L::Level2, 3, 0, S::psGridTooSmall, 0, 0, "three rows hold 90 codewords"},
        {Repeat('\xE9', 600), L::Level8, 0, 0, S::psTooLong, 0, 0, "501 + 512 codewords fit no symbol"},
        {Repeat('A', 2000), L::Auto, 0, 0, S::psTooLong, 0, 0, "1000 codewords: compaction stops"},
        {Repeat('7', 5000), L::Auto, 0, 0, S::psTooLong, 0, 0, "long digit run"},
    };
    for (const auto &c : cases) {
        const TKXPdf417Code code = Encoded(c.text, c.level, c.rows, c.cols);
        const S expected = c.status;
        EXPECT_EQ(int(code.Status()), int(expected)) << c.note;
        EXPECT_LE(code.UsedCWords(), TKXPdf417Code::MaxCodewords - 2) << c.note;
        if (expected != S::psOk)
            continue;
        if (c.xCount) {
            EXPECT_EQ(code.XCount(), c.xCount) << c.note;
            EXPECT_EQ(code.YCount(), c.yCount) << c.note;
        }
        // The descriptor stays: it states the data region and the decoder reads the text.
        EXPECT_EQ(code.CodeWords()[0], code.XCount() * code.YCount() - code.NumErrorCWords()) << c.note;
        const zt::Decoded d = DecodeSymbol(code);
        ASSERT_TRUE(d.ok) << c.note;
        EXPECT_EQ(d.bytes, c.text) << c.note;
    }
}

// The automatic search: rows and columns grow together from 1 x 3 (the described sizes).
TEST(Pdf417Encoder, AutomaticGridGrowsRowsAndColumnsTogether)
{
    const struct {
        int bytes6;
        int x, y;
    } cases[] = {{1, 3, 5}, {7, 6, 8}, {31, 12, 15}, {100, 23, 25}};
    for (const auto &c : cases) {
        const TKXPdf417Code code = Encoded(Repeat('\xE9', c.bytes6 * 6));
        EXPECT_EQ(code.XCount(), c.x) << c.bytes6;
        EXPECT_EQ(code.YCount(), c.y) << c.bytes6;
        const int k = code.NumErrorCWords();
        EXPECT_GE(code.XCount() * code.YCount() - k, code.UsedCWords());
        EXPECT_LT((code.XCount() - 1) * (code.YCount() - 1) - k, code.UsedCWords());
    }
}

// Mended escapes: each text must read back as the bytes shown (zxing-cpp decodes them).
TEST(Pdf417Encoder, EscapesThatTextCannotHoldOrThatAreNoEscapes)
{
    const struct {
        std::string text;
        std::string bytes;
        const char *codewords; // empty: not checked
        const char *note;
    } cases[] = {
        {"A\\200B", "A\xC8" "B", "29 901 200 900 59", "a code outside the text table goes into bytes, no endless loop"},
        {"\\000", std::string(1, '\0'), "901 0", "code 0 alone"},
        {"\\x7F\\x80xyz", "\x7F\x80xyz", "", "two such codes in a row"},
        {"\\G999999", std::string(1, '\0'), "901 0", "no ECI number: the character code 0, in bytes"},
        {"AB\\Gabcdef", "AB\\Gabcdef", "", "\\G with non-digits is plain text"},
        {"AB\\G12", "AB\\G12", "", "\\G with fewer than six digits left is plain text"},
        {"\\C929", "\\C929", "", "929 is no codeword: plain text"},
        {"\\999", "\\999", "", "999 is no byte: plain text"},
        {"x\\", "x\\", "", "a backslash at the end is itself"},
        {"\\q", "\\q", "", "a backslash before another letter is itself"},
    };
    for (const auto &c : cases) {
        const TKXPdf417Code code = Encoded(c.text);
        ASSERT_EQ(code.Status(), S::psOk) << c.note;
        if (*c.codewords) {
            EXPECT_EQ(DataCodewords(code), c.codewords) << c.note;
        }
        const zt::Decoded d = DecodeSymbol(code);
        ASSERT_TRUE(d.ok) << c.note;
        EXPECT_EQ(d.bytes, c.bytes) << c.note;
    }
}

// A byte outside the text table that stands in the text itself ends the text segment and
// starts a byte segment that runs on to the next numeric or text run; only a byte made by an
// escape is written as a one-byte segment. Base-900 groups by Python's int.from_bytes.
TEST(Pdf417Encoder, RawByteAfterTextStartsAByteSegmentThatRunsOn)
{
    const struct {
        std::string text;
        std::string bytes; // as decoded
        const char *codewords;
        const char *note;
    } cases[] = {
        {"ABCDEF\xEE\xEE", "ABCDEF\xEE\xEE", "1 63 125 901 238 238", "two raw bytes: one segment"},
        {"ABCDEF" + Repeat('\xEE', 6), "ABCDEF" + Repeat('\xEE', 6), "1 63 125 924 400 370 306 448 78",
         "six raw bytes: 924 and one group"},
        {"ABCDEF\xE9" "abc\xFC" "d", "ABCDEF\xE9" "abc\xFC" "d", "1 63 125 901 233 97 98 99 252 900 813",
         "the bytes run over text too short for a run, up to the text at the end"},
        {"ABCDEF\xEE" "GHIJKL", "ABCDEF\xEE" "GHIJKL", "1 63 125 901 238 900 187 249 311",
         "a text run ends the byte segment"},
        {"ABCDEF\\xEE\xEE", "ABCDEF\xEE\xEE", "1 63 125 901 238 901 238",
         "a byte made by an escape stays a segment of its own"},
    };
    for (const auto &c : cases) {
        const TKXPdf417Code code = Encoded(c.text);
        ASSERT_EQ(code.Status(), S::psOk) << c.note;
        EXPECT_EQ(DataCodewords(code), c.codewords) << c.note;
        const zt::Decoded d = DecodeSymbol(code);
        ASSERT_TRUE(d.ok) << c.note;
        EXPECT_EQ(d.bytes, c.bytes) << c.note;
    }
}

// Each generator is prod (x - 3^i), i = 1..k: monic of degree k, so its k roots are the
// powers 3^1..3^k; the first one is the standard's table for level 0 (27, 917).
TEST(Pdf417Encoder, GeneratorsVanishAtTheirRoots)
{
    EXPECT_EQ(Pdf417Generator(0)[0], 27);
    EXPECT_EQ(Pdf417Generator(0)[1], 917);
    for (int level = 0; level <= 8; ++level) {
        const int k = 2 << level;
        const uint16_t *g = Pdf417Generator(level);
        uint32_t a = 1;
        for (int i = 1; i <= k + 1; ++i) {
            a = a * 3 % 929;
            // Horner from the leading 1.
            uint32_t v = 1;
            for (int j = k - 1; j >= 0; --j)
                v = (v * a + g[j]) % 929;
            if (i <= k) {
                ASSERT_EQ(v, 0u) << "level " << level << " root 3^" << i;
            } else {
                EXPECT_NE(v, 0u) << "level " << level << ": 3^(k+1) is no root";
            }
        }
    }
}

// The generated table against the standard's list it was made from, row for row, and each
// pattern's widths against its module bits.
TEST(Pdf417Encoder, PatternTableMatchesTheStandardsList)
{
    const std::string data = ZANTOR_TEST_DATA; // <source>/tests/data
    const std::string root = data.substr(0, data.rfind("/tests/"));
    std::ifstream f(root + "/foundation/pdf417/pdf417-patterns.txt");
    ASSERT_TRUE(f) << root;
    std::string line;
    int rows = 0;
    while (std::getline(f, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream in(line);
        int cluster = -1, value = -1;
        std::string widths;
        in >> cluster >> value >> widths;
        ASSERT_TRUE(cluster == 0 || cluster == 3 || cluster == 6) << line;
        ASSERT_TRUE(value >= 0 && value < 929) << line;
        const uint32_t w = Pdf417PatternWidths[cluster / 3][value];
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08X", w);
        ASSERT_EQ(std::string(hex), widths) << line;
        // Bits: runs of the widths, bar first, 17 modules.
        const uint32_t bits = Pdf417PatternBits(cluster / 3, value);
        std::string runs;
        int run = 1;
        for (int i = 15; i >= 0; --i) {
            if (((bits >> i) & 1) == ((bits >> (i + 1)) & 1)) {
                ++run;
            } else {
                runs += char('0' + run);
                run = 1;
            }
        }
        runs += char('0' + run);
        ASSERT_EQ(runs, widths) << line;
        ASSERT_EQ(bits >> 16, 1u) << line;
        ++rows;
    }
    EXPECT_EQ(rows, 3 * 929);
}

// Rows of a small symbol: start pattern, indicators, stop, and the truncated form's bar.
TEST(Pdf417Encoder, ModuleRowsFrameTheCodewords)
{
    const TKXPdf417Code c = Encoded("PdfCode");
    std::vector<uint8_t> m;
    c.MakeModuleRows(false, m);
    const int w = c.Width(false);
    ASSERT_EQ(m.size(), size_t(w) * 5);
    auto row = [&](int r, int from, int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += char('0' + m[size_t(r * w + from + i)]);
        return s;
    };
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(row(r, 0, 17), "11111111010101000");               // 8 1 1 1 1 1 1 3
        EXPECT_EQ(row(r, w - 18, 18), "111111101000101001");         // 7 1 1 3 1 1 1 2 1
    }
    // Row indicators, rows 0..2 (R = 5, C = 3, level 2): left 1, 7, 2; right 2, 1, 7.
    EXPECT_EQ(c.LeftIndicator(0), 1);
    EXPECT_EQ(c.LeftIndicator(1), 7);
    EXPECT_EQ(c.LeftIndicator(2), 2);
    EXPECT_EQ(c.RightIndicator(0), 2);
    EXPECT_EQ(c.RightIndicator(1), 1);
    EXPECT_EQ(c.RightIndicator(2), 7);
    EXPECT_EQ(c.LeftIndicator(3), 31);
    c.MakeModuleRows(true, m);
    const int wt = c.Width(true);
    ASSERT_EQ(m.size(), size_t(wt) * 5);
    EXPECT_EQ(m[size_t(wt - 1)], 1);
    EXPECT_EQ(m[size_t(wt - 2)], 0); // the last data codeword ends in a space
}
