// Bar patterns: the worked examples as exact width-code strings, the shape every pattern
// must have, the lookups, and the digit positions of the EAN/UPC human-readable groups.
// Whether the patterns read as the right data is proven by decoding
// (test_barcode_decode.cpp) and against zint (test_barcode_zint.cpp).
#include "BarPatternRaster.h"

#include "barcode/KXBarcodePattern.h"
#include "barcode/KXBarcodeTables.h"
#include "barcode/KXBarcodeText.h"

#include <gtest/gtest.h>

namespace {

using kx::TKXBar;

std::string Shift(const std::string &modules) { return kx::ShiftPatternDigits(modules); }

std::string M128(int value) { return std::string(kx::Code128Modules[size_t(value)]); }

struct PatternCase {
    TKXBar bar;
    std::string text; // as BarTextWithCheck returns it
    bool showNumber;
    std::string pattern;
    const char *source;
};

const std::string Star = "515060605";

const PatternCase PatternCases[] = {
    {TKXBar::CODE39, "A", false, Star + "0" + "605051506" + "0" + Star, "29 codes"},
    {TKXBar::CODE128B, "A", false, Shift("211214" + M128(33) + M128(34) + "2331112"),
     "check (104 + 33) mod 103 = 34"},
    {TKXBar::EAN128C, "12", false, Shift("211232" + M128(102) + M128(12) + M128(25) + "2331112"),
     "check (105 + 102 + 24) mod 103 = 25"},
    {TKXBar::EAN128C, "(01)12", false, Shift("211232" + M128(102) + M128(1) + M128(12) + M128(39) + "2331112"),
     "parentheses not encoded: (105 + 102 + 2 + 36) mod 103 = 39"},
    {TKXBar::CODE128C, "123", false, Shift("211232" + M128(12) + M128(14) + "2331112"),
     "odd length: leading pairs only"},
    {TKXBar::EAN128A, std::string("\0", 1), false, Shift("211412" + M128(102) + M128(64) + M128(24) + "2331112"),
     "NUL is set A value 64: (103 + 102 + 128) mod 103 = 24"},
    {TKXBar::INTER_25, "123", false, "5050" "6051505061" "605", "odd length: one pair"},
    {TKXBar::INDUS_25, "0", false, "606050" "5050606050" "605060", "digit 0 = 00110"},
    {TKXBar::MATRIX_25, "0", false, "705050" "506150" "70505", "digit 0 = 00110"},
    {TKXBar::CODE11, "-", false, "61836" "1" "61816" "1" "61836", "hyphen row"},
    {TKXBar::MSI, "1", false, "81" "63636381" "636", "digit 1"},
    {TKXBar::POSTNET, "0", false, "51" "5151A1A1A1" "5", "three full, three half, full"},
    {TKXBar::CODABAR, "1", false, "5061515" "0" "5050615" "0" "5151506", "start A, stop B"},
    {TKXBar::UPCE0, "01234565", false,
     "505" "0616" "1516" "0805" "1705" "0715" "0508" "050505", "parity EOOEEO of check 5"},
    {TKXBar::UPCE0, "01234565", true,
     "949" "0616" "1516" "0805" "1705" "0715" "0508" "494949", "guards shown"},
    {TKXBar::EAN8, "96385074", false,
     "505" "2506" "0508" "0805" "0607" "05050" "5170" "7150" "5251" "5071" "505", "EAN-8"},
};

TEST(BarPattern, ExampleCases)
{
    for (const PatternCase &c : PatternCases) {
        SCOPED_TRACE(std::string(kx::EnumName(c.bar)) + " \"" + c.text + "\": " + c.source);
        EXPECT_EQ(kx::BarPattern(c.text, c.bar, false, c.showNumber), c.pattern);
    }
}

// EAN-13 4006381333931: parity row of 4 is ABAABB, so the first drawn digit 0 takes set A.
TEST(BarPattern, Ean13GuardsAndParity)
{
    const std::string plain = kx::BarPattern("4006381333931", TKXBar::EAN13, false, false);
    ASSERT_EQ(plain.size(), 59u);
    EXPECT_EQ(plain.substr(0, 7), "505" "2605");
    EXPECT_EQ(plain.substr(27, 5), "05050");
    EXPECT_EQ(plain.substr(56), "505");
    const std::string shown = kx::BarPattern("4006381333931", TKXBar::EAN13, false, true);
    EXPECT_EQ(shown.substr(0, 3), "949");
    EXPECT_EQ(shown.substr(27, 5), "49494");
    EXPECT_EQ(shown.substr(56), "949");
    // Guard codes have the widths of the codes they replace.
    for (size_t i = 0; i < plain.size(); ++i)
        if (plain[i] != shown[i]) {
            EXPECT_TRUE((plain[i] == '5' && shown[i] == '9') || (plain[i] == '0' && shown[i] == '4')) << i;
        }
}

// Every symbology builds a pattern of the width-code alphabet in which bars and spaces
// alternate from a bar to a bar; EAN/UPC patterns have their fixed number of codes.
TEST(BarPattern, ShapeOfEverySymbology)
{
    const std::string sample[] = {
        "4006381333931", "96385074", "036000291452", "01234565", "CODE-39 $/+%", "Hello\x01~",
        "CODE 93.$", "hello\x7f", "12-$:/.+", "A\x1f", "Hi!", "1234", "A_", "b}", "123456",
        "1234567", "1234567", "1234567", "12-34", "1234567", "123456789"};
    static_assert(std::size(sample) == kx::EnumCount<TKXBar>());
    const size_t eanCodes[] = {59, 43, 59, 33};
    for (size_t b = 0; b < kx::EnumCount<TKXBar>(); ++b) {
        const TKXBar bar = TKXBar(b);
        for (const bool checkSum : {false, true})
            for (const bool show : {false, true}) {
                SCOPED_TRACE(std::string(kx::EnumName(bar)) + " CheckSum=" + std::to_string(checkSum));
                ASSERT_TRUE(kx::ValidBarText(sample[b], bar, checkSum));
                const std::string text = kx::BarTextWithCheck(sample[b], bar, checkSum);
                const std::string p = kx::BarPattern(text, bar, checkSum, show);
                EXPECT_TRUE(zt::PatternAlternates(p)) << p;
                EXPECT_EQ(p.find_first_of("BCD"), std::string::npos);
                if (bar != TKXBar::POSTNET) {
                    EXPECT_EQ(p.find('A'), std::string::npos);
                }
                if (b < 4) {
                    EXPECT_EQ(p.size(), eanCodes[b]);
                }
                if (!show || b >= 4) {
                    EXPECT_EQ(p.find_first_of("49"), std::string::npos);
                }
            }
    }
}

// Texts that skipped validation still give a pattern without reading outside the tables
// (the sanitizer build watches this); missing digits count as 0.
TEST(BarPattern, UnvalidatedTextsStayInBounds)
{
    EXPECT_EQ(kx::BarPattern("", TKXBar::EAN13, false, false),
              kx::BarPattern("0000000000000", TKXBar::EAN13, false, false));
    EXPECT_EQ(kx::BarPattern("x", TKXBar::UPCE0, false, false),
              kx::BarPattern("00000000", TKXBar::UPCE0, false, false));
    EXPECT_EQ(kx::BarPattern("\xff", TKXBar::CODE39EX, false, false),
              kx::BarPattern("", TKXBar::CODE39EX, false, false));
    const std::string odd[] = {"\xff\x80", "a*z", std::string("\0\xff", 2)};
    for (size_t b = 0; b < kx::EnumCount<TKXBar>(); ++b)
        for (const std::string &t : odd)
            for (const bool cs : {false, true})
                EXPECT_FALSE(kx::BarPattern(t, TKXBar(b), cs, true).empty()) << kx::EnumName(TKXBar(b));
}

TEST(BarPattern, ShiftPatternDigits)
{
    EXPECT_EQ(kx::ShiftPatternDigits("211214"), "605153");
    EXPECT_EQ(kx::ShiftPatternDigits("1234"), "5173");
    EXPECT_EQ(kx::ShiftPatternDigits(""), "");
}

TEST(BarPattern, Lookups)
{
    EXPECT_EQ(kx::Code39Index('0'), 0);
    EXPECT_EQ(kx::Code39Index('*'), kx::Code39AsteriskRow);
    EXPECT_EQ(kx::Code39Index('%'), 43);
    EXPECT_EQ(kx::Code39Index('a'), -1);
    EXPECT_EQ(kx::Code93Index('%'), 42);
    EXPECT_EQ(kx::Code93Index('['), 43);
    EXPECT_EQ(kx::Code93Index('}'), 46);
    EXPECT_EQ(kx::Code93Index('*'), -1);
    EXPECT_EQ(kx::CodabarIndex('1'), 0);
    EXPECT_EQ(kx::CodabarIndex('A'), 16);
    EXPECT_EQ(kx::CodabarIndex('E'), -1);
    EXPECT_EQ(kx::Code128IndexA(' '), 0);
    EXPECT_EQ(kx::Code128IndexA('A'), 33);
    EXPECT_EQ(kx::Code128IndexA('\0'), 64);
    EXPECT_EQ(kx::Code128IndexA('\x1f'), 95);
    EXPECT_EQ(kx::Code128IndexA('a'), -1);
    EXPECT_EQ(kx::Code128IndexB(' '), 0); // the first row, not the space held by value 95
    EXPECT_EQ(kx::Code128IndexB('~'), 94);
    EXPECT_EQ(kx::Code128IndexB('\x7f'), -1);
    EXPECT_EQ(kx::Code128IndexB('\n'), -1);
    EXPECT_EQ(kx::Code128IndexC("00"), 0);
    EXPECT_EQ(kx::Code128IndexC("99"), 99);
    EXPECT_EQ(kx::Code128IndexC("9a"), -1);
    EXPECT_EQ(kx::Code128IndexC("1"), -1);
}

// Every module-count row adds up to its symbol width: 11 modules in Code 128, 9 in Code 93.
TEST(BarPattern, ModuleRowsHaveTheirWidth)
{
    auto modules = [](std::string_view s) {
        int n = 0;
        for (char c : s)
            n += c - '0';
        return n;
    };
    for (std::string_view row : kx::Code128Modules)
        EXPECT_EQ(modules(row), 11) << row;
    for (const auto &row : kx::Code93Table)
        EXPECT_EQ(modules(row.Modules), 9) << row.Ch;
    EXPECT_EQ(modules(kx::Code128Stop), 13);
}

// ---------------------------------------------------------------------------------------
// Widths and digit positions

TEST(BarWidths, WideWidthRoundsHalvesToEven)
{
    EXPECT_EQ(kx::WideWidth(30, 2.0), 60);
    EXPECT_EQ(kx::WideWidth(31, 2.5), 78); // 77.5
    EXPECT_EQ(kx::WideWidth(29, 2.5), 72); // 72.5
    EXPECT_EQ(kx::WideWidth(10, 2.25), 22); // 22.5
    EXPECT_EQ(kx::WideWidth(30, 2.25), 68); // 67.5
    EXPECT_EQ(kx::WideWidth(30, 3.0), 90);
}

TEST(BarWidths, PatternWidthOfCode39)
{
    // "A" in Code 39: 3 characters of 6 narrow and 3 wide, 2 narrow gaps.
    const kx::TBarWidths w{30, 90, 135, 180};
    EXPECT_EQ(kx::PatternWidth(kx::BarPattern("A", TKXBar::CODE39, false, false), w), 3 * (6 * 30 + 3 * 90) + 2 * 30);
    EXPECT_EQ(w.Of('4'), 30);
    EXPECT_EQ(w.Of('A'), 30);
    EXPECT_EQ(w.Of('C'), 135);
    EXPECT_EQ(w.Of('D'), 180);
    EXPECT_EQ(w.Of('x'), 0);
}

// With ratio 2 every EAN module is N wide, so the marks fall on module counts: a guard is 3
// modules, a digit 7, the centre guard 5.
TEST(BarWidths, DigitMarksOfEanAndUpc)
{
    const int N = 30, X = 300;
    const struct {
        TKXBar bar;
        std::string text;
        std::vector<int> modules;
    } cases[] = {
        {TKXBar::EAN13, "4006381333931", {3 + 21, 3 + 42 + 5 + 21}},
        {TKXBar::EAN8, "96385074", {3 + 14, 3 + 28 + 5 + 14}},
        {TKXBar::UPCA, "036000291452", {3 + 21, 3 + 42 + 5 + 21, 95}},
        {TKXBar::UPCE0, "01234565", {3 + 21, 51}},
    };
    for (const auto &c : cases)
        for (const bool show : {false, true}) {
            const std::string p = kx::BarPattern(c.text, c.bar, false, show);
            std::vector<int32_t> expected;
            for (int m : c.modules)
                expected.push_back(X + m * N);
            EXPECT_EQ(kx::BarDigitMarks(p, c.bar, N, X, 2.0), expected) << kx::EnumName(c.bar);
        }
    // The last mark of UPC-A and UPC-E is the right end of the bars.
    const std::string upca = kx::BarPattern("036000291452", TKXBar::UPCA, false, true);
    EXPECT_EQ(kx::BarDigitMarks(upca, TKXBar::UPCA, 31, 0, 2.5).back(),
              kx::PatternWidth(upca, {31, 78, 117, 156}));
    EXPECT_TRUE(kx::BarDigitMarks(kx::BarPattern("A", TKXBar::CODE39, false, true), TKXBar::CODE39, N, X, 3.0).empty());
}

// One-and-a-half widths are (3 × W) div 2 on the walk: with W = 75 a '7' adds 112.
TEST(BarWidths, DigitMarksTruncateOneAndAHalf)
{
    const std::string sevens(15, '7');
    EXPECT_EQ(kx::BarDigitMarks(sevens + std::string(44, '5'), TKXBar::EAN13, 30, 0, 2.5).front(), 15 * 112);
}

} // namespace
