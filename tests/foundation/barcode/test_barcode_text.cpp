// Barcode texts: validation, completion with check characters, the seven check schemes,
// padding and the character sets. Symbols themselves are judged by decoding
// (test_barcode_decode.cpp, test_barcode_zint.cpp); here the texts are.
#include "barcode/KXBarcodeTables.h"
#include "barcode/KXBarcodeText.h"
#include "core/KXError.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using kx::TKXBar;
using kx::TKXCheckType;

// ---------------------------------------------------------------------------------------
// ValidBarText and BarTextWithCheck

struct TextCase {
    TKXBar bar;
    std::string text;
    bool checkSum;
    bool allowParens;
    bool valid;
    std::string completed; // BarTextWithCheck, when valid
    std::string check;     // its Check output
    const char *source;
};

const TextCase TextCases[] = {
    // Worked examples of the completion and check-digit rules.
    {TKXBar::EAN13, "400638133393", true, false, true, "4006381333931", "1", "EAN-13 check"},
    {TKXBar::EAN13, "4006381333930", true, false, true, "4006381333931", "1", "given check replaced"},
    {TKXBar::EAN13, "123", true, false, true, "0000000001236", "6", "zero-padded to 12"},
    {TKXBar::EAN13, "4006381333930", false, false, true, "4006381333930", "", "encoded as given"},
    {TKXBar::EAN13, "400638133393", false, false, false, "", "", "13 digits needed without CheckSum"},
    {TKXBar::EAN13, "40063813339311", true, false, false, "", "", "too long"},
    {TKXBar::EAN13, "", true, false, true, "0000000000000", "0", "empty: all zeros"},
    {TKXBar::EAN13, "", false, false, false, "", "", "empty needs CheckSum"},
    {TKXBar::EAN8, "", true, false, true, "00000000", "0", "empty: all zeros"},
    {TKXBar::EAN8, "9638507", true, false, true, "96385074", "4", "EAN-8 check"},
    {TKXBar::UPCA, "", true, false, true, "000000000000", "0", "empty: all zeros"},
    {TKXBar::UPCA, "036000291453", false, false, true, "036000291452", "2", "twelfth digit always computed"},
    {TKXBar::UPCA, "03600029145", false, false, false, "", "", "12 digits needed without CheckSum"},
    {TKXBar::UPCE0, "", true, false, true, "00000000", "0", "empty: all zeros"},
    {TKXBar::CODE39, "ABC", true, false, true, "ABCX", "X", "10 + 11 + 12 = 33 = X"},
    {TKXBar::CODE39, "ABC", false, false, true, "ABC", "", "no check"},
    {TKXBar::CODE39, "AB*", false, false, true, "AB*", "", "the asterisk is in the set"},
    {TKXBar::CODE39, "abc", false, false, false, "", "", "lower case is full ASCII only"},
    {TKXBar::CODE93, "AB*", false, false, false, "", "", "no asterisk in Code 93"},
    {TKXBar::CODE93, "A-. $/+%", true, false, true, "A-. $/+%", "", "checks are in the bars"},
    {TKXBar::CODABAR, "12-$:/.+", true, false, true, "12-$:/.+", "", "no check"},
    {TKXBar::CODABAR, "A12", false, false, false, "", "", "start letters are not text"},
    {TKXBar::CODE11, "123-45", true, false, true, "123-455", "5", "C = 71 mod 11"},
    {TKXBar::CODE11, "18", true, false, true, "18-", "-", "C = 10 written '-'"},
    {TKXBar::CODE11, "0123456789", true, false, true, "012345678903", "3", "C and K, Check is K"},
    {TKXBar::CODE11, "12a", false, false, false, "", "", "digits and '-' only"},
    {TKXBar::INTER_25, "12345", false, false, true, "012345", "", "zero for even length"},
    {TKXBar::INTER_25, "12345", true, false, true, "123457", "7", "check makes it even"},
    {TKXBar::INTER_25, "12345678901234", false, false, true, "12345678901234", "", "14 stay 14"},
    {TKXBar::INTER_25, "12345678901234", true, false, true, "0123456789012343", "3", "check, then a zero"},
    {TKXBar::INDUS_25, "12345", true, false, true, "123457", "7", "mod 10, 3-1 from the right"},
    {TKXBar::MATRIX_25, "1234", false, false, true, "1234", "", "no check"},
    {TKXBar::CODE128C, "12345", false, false, true, "012345", "", "zero for even length"},
    {TKXBar::CODE128C, "12345", true, false, true, "123457", "7", "check makes it even"},
    {TKXBar::CODE128B, "1234", true, false, true, "012348", "8", "zero first, then the check"},
    {TKXBar::CODE128B, "12A4", true, false, true, "12A4", "", "a check only for digit texts"},
    {TKXBar::EAN128A, "123", false, false, true, "123", "", "sets A and B keep odd lengths"},
    {TKXBar::MSI, "1234", true, false, true, "12344", "4", "Luhn"},
    {TKXBar::POSTNET, "12345", true, false, true, "12345", "", "no check"},
    {TKXBar::POSTNET, "1234a", false, false, false, "", "", "digits only"},
    // Parentheses around application identifiers, only with AllowParens and only in set C.
    {TKXBar::EAN128C, "(01)123", false, true, true, "0(01)123", "", "five digits get a zero"},
    {TKXBar::EAN128C, "(10)12", true, true, true, "(10)12", "", "no check over parentheses"},
    {TKXBar::EAN128C, "(01)123", false, false, false, "", "", "parentheses need AllowParens"},
    {TKXBar::CODE128C, "(10123", false, true, true, "0(10123", "", "digits counted, not parentheses"},
    {TKXBar::CODE128B, "(01)12", false, false, true, "(01)12", "", "set B encodes '(' itself"},
    // Characters the symbology or its set cannot encode make the text invalid.
    {TKXBar::CODE128A, "abc", false, false, false, "", "", "no lower case in set A"},
    {TKXBar::CODE128A, std::string("A\0\x1f_", 4), false, false, true, std::string("A\0\x1f_", 4), "", "controls in set A"},
    {TKXBar::EAN128A, "\x80", false, false, false, "", "", "above 127"},
    {TKXBar::CODE128B, "\x01", false, false, false, "", "", "no controls in set B"},
    {TKXBar::CODE128B, "\x7f", false, false, false, "", "", "value 95 holds a space, 127 has no row"},
    {TKXBar::EAN128B, "a~ ", false, false, true, "a~ ", "", "32..126 in set B"},
    {TKXBar::CODE39EX, "caf\xe9", false, false, false, "", "", "above 127"},
    {TKXBar::CODE39EX, std::string("\0\x7f", 2), false, false, true, std::string("\0\x7f", 2), "", "0..127"},
    {TKXBar::CODE93EX, "\xff", false, false, false, "", "", "above 127"},
    // UPC-E is number system 0: the parity that would carry another is never drawn.
    {TKXBar::UPCE0, "11234565", false, false, false, "", "", "number system 1"},
    {TKXBar::UPCE0, "1234567", true, false, false, "", "", "number system 1 before the check"},
    {TKXBar::UPCE0, "123456", true, false, true, "01234565", "5", "padded: number system 0"},
    // The UPC-E check digit is that of the UPC-A number it stands for.
    {TKXBar::UPCE0, "0425261", true, false, true, "04252614", "4", "UPC-A 04210000526"},
    {TKXBar::UPCE0, "04252610", true, false, true, "04252614", "4", "given check replaced"},
    // Code 39 full ASCII: the check is over the encoded characters ("+A" for 'a').
    {TKXBar::CODE39EX, "a", true, false, true, "a8", "8", "41 + 10 = 51, mod 43 = 8"},
    {TKXBar::CODE39EX, "ABF", true, false, true, "ABF-", "-", "36 is '-'"},
};

TEST(BarText, ValidationAndCompletionCases)
{
    for (const TextCase &c : TextCases) {
        SCOPED_TRACE(std::string(kx::EnumName(c.bar)) + " \"" + c.text + "\" CheckSum=" +
                     std::to_string(c.checkSum) + ": " + c.source);
        EXPECT_EQ(kx::ValidBarText(c.text, c.bar, c.checkSum, c.allowParens), c.valid);
        if (!c.valid)
            continue;
        std::string check = "stale";
        EXPECT_EQ(kx::BarTextWithCheck(c.text, c.bar, c.checkSum, check), c.completed);
        EXPECT_EQ(check, c.check);
    }
}

// AllowParens opens only the two set C symbologies; elsewhere the rules stand as they are.
TEST(BarText, AllowParensOnlyForSetC)
{
    for (size_t b = 0; b < kx::EnumCount<TKXBar>(); ++b) {
        const TKXBar bar = TKXBar(b);
        const bool setC = bar == TKXBar::EAN128C || bar == TKXBar::CODE128C;
        EXPECT_EQ(kx::ValidBarText("(01)12", bar, true, true), setC || kx::ValidBarText("(01)12", bar, true, false))
            << kx::EnumName(bar);
    }
}

// Completed texts of the digit symbologies have the lengths their patterns need.
TEST(BarText, CompletedLengthsFitThePatterns)
{
    std::mt19937 rng(11);
    for (int n = 0; n < 500; ++n) {
        std::string digits;
        for (size_t i = 0, len = rng() % 14; i < len; ++i)
            digits += char('0' + rng() % 10);
        const bool cs = n % 2;
        if (kx::ValidBarText(digits, TKXBar::EAN13, true)) {
            EXPECT_EQ(kx::BarTextWithCheck(digits, TKXBar::EAN13, true).size(), 13u);
        }
        if (kx::ValidBarText(digits, TKXBar::UPCA, true)) {
            EXPECT_EQ(kx::BarTextWithCheck(digits, TKXBar::UPCA, cs).size(), 12u);
        }
        EXPECT_EQ(kx::BarTextWithCheck(digits, TKXBar::INTER_25, cs).size() % 2, 0u) << digits;
        EXPECT_EQ(kx::BarTextWithCheck(digits, TKXBar::CODE128C, cs).size() % 2, 0u) << digits;
        EXPECT_EQ(kx::BarTextWithCheck(digits, TKXBar::EAN128B, true).size() % 2, 0u) << digits;
    }
}

// ---------------------------------------------------------------------------------------
// CheckDigits

struct CheckCase {
    std::string text;
    TKXCheckType type;
    std::string code, dc;
};

const CheckCase CheckCases[] = {
    {"1234", TKXCheckType::csNone, "1234", ""},
    {"400638133393", TKXCheckType::csmMod10, "4006381333931", "1"},
    {"400638133393", TKXCheckType::csmMod10Right, "4006381333931", "1"},
    {"", TKXCheckType::csmMod10, "0", "0"},
    // First digit left out; 6×1 + 5×3 + 4×1 + 3×3 + 2×1 + 1×3 = 39.
    {"0123456", TKXCheckType::csmMod10UPCE, "01234561", "1"},
    {"9123456", TKXCheckType::csmMod10UPCE, "91234561", "1"},
    {"123-45", TKXCheckType::csMod11, "123-455", "5"},
    {"18", TKXCheckType::csMod11, "18-", "-"},
    {"0123456789", TKXCheckType::csMod11, "012345678903", "3"},
    // N = 24, 2N = 48: 4 + 8 + 1 + 3 = 16.
    {"1234", TKXCheckType::csMSI, "12344", "4"},
    {"1234", TKXCheckType::csMSI10, "12344", "4"},
    // N = 24680246802 (eleven digits), 2N = 49360493604: digit sum 48, plus 54.
    {"12345678901234567890123", TKXCheckType::csMSI, "123456789012345678901238", "8"},
    {"12345678901234567890123", TKXCheckType::csMSI10, "123456789012345678901234", "4"},
};

TEST(CheckDigits, SchemeCases)
{
    for (const CheckCase &c : CheckCases) {
        SCOPED_TRACE(std::string(kx::EnumName(c.type)) + " " + c.text);
        const kx::TDigitControl dc = kx::CheckDigits(c.text, c.type);
        EXPECT_EQ(dc.Code, c.code);
        EXPECT_EQ(dc.DC, c.dc);
    }
}

// csmMod10 and csmMod10Right agree on every digit string; csMSI (alternate digits joined
// from the left) and csMSI10 (Luhn from the right) agree whenever the last digit is at an
// even position, for texts far longer than a machine number holds.
TEST(CheckDigits, SchemesThatMustAgree)
{
    std::mt19937 rng(5);
    for (int n = 0; n < 400; ++n) {
        std::string s;
        for (size_t i = 0, len = rng() % 60; i < len; ++i)
            s += char('0' + rng() % 10);
        EXPECT_EQ(kx::CheckDigits(s, TKXCheckType::csmMod10).DC,
                  kx::CheckDigits(s, TKXCheckType::csmMod10Right).DC) << s;
        if (s.size() % 2 == 0) {
            EXPECT_EQ(kx::CheckDigits(s, TKXCheckType::csMSI).DC,
                      kx::CheckDigits(s, TKXCheckType::csMSI10).DC) << s;
        }
    }
}

TEST(CheckDigits, NonDigitIsAnIntegerConversionError)
{
    try {
        kx::CheckDigits("12a4", TKXCheckType::csmMod10);
        FAIL() << "no error";
    } catch (const kx::EKxError &e) {
        EXPECT_STREQ(e.what(), "'a' is not a valid integer value");
    }
    EXPECT_THROW(kx::CheckDigits("1-2", TKXCheckType::csMSI10), kx::EKxError);
    EXPECT_THROW(kx::CheckDigits("1-2", TKXCheckType::csMSI), kx::EKxError);
    EXPECT_NO_THROW(kx::CheckDigits("1-2", TKXCheckType::csMod11)); // '-' is 10 there
    EXPECT_NO_THROW(kx::CheckDigits("1-2", TKXCheckType::csNone));
}

// ---------------------------------------------------------------------------------------
// Padding and character sets

TEST(BarText, Padding)
{
    EXPECT_EQ(kx::ZeroPad("123", 5), "00123");
    EXPECT_EQ(kx::ZeroPad("12345", 3), "12345");
    EXPECT_EQ(kx::ZeroPad("", 0), "");
    EXPECT_EQ(kx::ZeroPad("", 255), std::string(255, '0'));
    EXPECT_EQ(kx::ZeroPrefixOdd("123"), "0123");
    EXPECT_EQ(kx::ZeroPrefixOdd("12"), "12");
    EXPECT_EQ(kx::ZeroPrefixOdd(""), "");
}

// Each set test accepts exactly the characters of its defining string, over all 256 byte
// values, and the empty text.
TEST(BarText, CharacterSetsAreExact)
{
    const struct {
        bool (*test)(std::string_view);
        std::string chars;
        const char *name;
    } sets[] = {
        {kx::AllDigits, "0123456789", "AllDigits"},
        {kx::DigitsOrParens, "0123456789()", "DigitsOrParens"},
        {kx::IsCode39Text, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. *$/+%", "IsCode39Text"},
        {kx::IsCode93Text, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%", "IsCode93Text"},
        {kx::IsCodabarText, "0123456789$:/.+-", "IsCodabarText"},
        {kx::IsCode11Text, "0123456789-", "IsCode11Text"},
    };
    for (const auto &s : sets) {
        EXPECT_TRUE(s.test("")) << s.name;
        EXPECT_TRUE(s.test(s.chars)) << s.name;
        for (int c = 0; c < 256; ++c) {
            const std::string one(1, char(c));
            EXPECT_EQ(s.test(one), s.chars.find(char(c)) != std::string::npos) << s.name << " " << c;
            EXPECT_EQ(s.test("0" + one), s.test(one)) << s.name << " " << c; // every character counts
        }
    }
}

// Code 39 values: the order of the set without the asterisk; the asterisk is 0.
TEST(BarText, Code39Values)
{
    const std::string order = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
    for (size_t v = 0; v < order.size(); ++v)
        EXPECT_EQ(kx::Code39Value(order[v]), int(v)) << order[v];
    EXPECT_EQ(kx::Code39Value('*'), 0);
    EXPECT_EQ(kx::Code39Value('a'), -1);
}

TEST(BarText, FullAsciiExpansions)
{
    EXPECT_EQ(kx::Code39Expand(std::string("\0", 1)), "%U");
    EXPECT_EQ(kx::Code39Expand("a-./!:@\x7f Z9"), "+A/M/N/O/A/Z%V%T Z9");
    EXPECT_EQ(kx::Code93Expand(std::string("\0", 1)), "]U");
    EXPECT_EQ(kx::Code93Expand("a-.$ Z"), "}A-.{D Z");
    // Characters above 127 have no expansion (ValidBarText refuses them).
    EXPECT_EQ(kx::Code39Expand("A\xe9" "B"), "AB");
    EXPECT_EQ(kx::Code93Expand("\x80"), "");
    // Every expansion is made of characters of the basic set.
    for (int c = 0; c < 128; ++c) {
        EXPECT_TRUE(kx::IsCode39Text(kx::Code39Expand(std::string(1, char(c))))) << c;
        for (char e : kx::Code93Expand(std::string(1, char(c))))
            EXPECT_GE(kx::Code93Index(e), 0) << c;
    }
}

TEST(BarText, UpcEExpansion)
{
    // The zero-suppression rules by the last of the six digits.
    EXPECT_EQ(kx::UpcEToUpcA("0425261"), "04210000526");
    EXPECT_EQ(kx::UpcEToUpcA("0123453"), "01230000045");
    EXPECT_EQ(kx::UpcEToUpcA("0123454"), "01234000005");
    EXPECT_EQ(kx::UpcEToUpcA("0123457"), "01234500007");
}

} // namespace
