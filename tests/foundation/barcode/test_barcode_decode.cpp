// Every symbology that zxing-cpp reads is proven by reading its drawn patterns back: a
// seeded random set of valid texts per symbology, with and without check characters,
// every character of the symbology's set reached, must decode to exactly the expected
// content and format. The patterns are drawn at whole-pixel widths with quiet zones of at
// least ten narrow widths.
//
// Inputs that our rules accept but a decoder refuses by design are listed in
// DecoderRefusals below and kept out of the random sets (see each Case's lengths).
#include "BarPatternRaster.h"

#include "barcode/KXBarcodePattern.h"
#include "barcode/KXBarcodeText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace {

using kx::TKXBar;

std::string CharRange(int from, int to)
{
    std::string s;
    for (int c = from; c <= to; ++c)
        s += char(c);
    return s;
}

const std::string Digits = "0123456789";
const std::string Code39Chars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%"; // no '*'
const std::string Code93Chars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
const std::string CodabarChars = "0123456789$:/.+-";

bool IsEanUpc(TKXBar bar)
{
    return bar == TKXBar::EAN13 || bar == TKXBar::EAN8 || bar == TKXBar::UPCA || bar == TKXBar::UPCE0;
}

bool IsCode128(TKXBar bar)
{
    return kx::Ord(bar) >= kx::Ord(TKXBar::EAN128A) && kx::Ord(bar) <= kx::Ord(TKXBar::CODE128C);
}

bool IsGs1(TKXBar bar)
{
    return bar == TKXBar::EAN128A || bar == TKXBar::EAN128B || bar == TKXBar::EAN128C;
}

bool IsSetC(TKXBar bar) { return bar == TKXBar::EAN128C || bar == TKXBar::CODE128C; }

// Symbologies written in modules use ratio 2; the two-width ones are drawn at 2, 2.5 and 3.
bool IsModuleBased(TKXBar bar)
{
    return IsEanUpc(bar) || IsCode128(bar) || bar == TKXBar::CODE93 || bar == TKXBar::CODE93EX;
}

struct Case {
    TKXBar bar;
    const char *format; // zxing's name of the format
    std::string alphabet;
    size_t minLen, maxLen; // random text lengths before completion
};

// Minimum lengths are the decoders' (see DecoderRefusals); EAN/UPC lengths are those of
// the text given with CheckSum (without it, the full length is used).
const Case Cases[] = {
    {TKXBar::EAN13, "EAN-13", Digits, 0, 13},
    {TKXBar::EAN8, "EAN-8", Digits, 0, 8},
    {TKXBar::UPCA, "UPC-A", Digits, 0, 12},
    {TKXBar::UPCE0, "UPC-E", Digits, 0, 8},
    {TKXBar::CODE39, "Code39", Code39Chars, 1, 20},
    {TKXBar::CODE39EX, "Code39", CharRange(0, 127), 1, 20},
    {TKXBar::CODE93, "Code93", Code93Chars, 1, 20},
    {TKXBar::CODE93EX, "Code93", CharRange(0, 127), 1, 20},
    {TKXBar::CODABAR, "Codabar", CodabarChars, 2, 20},
    {TKXBar::EAN128A, "Code128", CharRange(0, 95), 0, 20},
    {TKXBar::EAN128B, "Code128", CharRange(32, 126), 0, 20},
    {TKXBar::EAN128C, "Code128", Digits, 0, 20},
    {TKXBar::CODE128A, "Code128", CharRange(0, 95), 1, 20},
    {TKXBar::CODE128B, "Code128", CharRange(32, 126), 1, 20},
    {TKXBar::CODE128C, "Code128", Digits, 1, 20},
    {TKXBar::INTER_25, "ITF", Digits, 5, 20},
};

constexpr int TextsPerRun = 300;

// Draws random characters from the alphabet, but first deals the whole alphabet once in a
// shuffled order, so that the first few texts reach every character.
class TextSource {
public:
    TextSource(const std::string &alphabet, uint32_t seed) : alphabet_(alphabet), rng_(seed)
    {
        deck_ = alphabet;
        std::shuffle(deck_.begin(), deck_.end(), rng_);
    }

    std::string Next(size_t len)
    {
        std::string s;
        for (size_t i = 0; i < len; ++i) {
            if (!deck_.empty()) {
                s += deck_.back();
                deck_.pop_back();
            } else {
                s += alphabet_[std::uniform_int_distribution<size_t>(0, alphabet_.size() - 1)(rng_)];
            }
        }
        return s;
    }

    size_t Length(size_t lo, size_t hi) { return std::uniform_int_distribution<size_t>(lo, hi)(rng_); }
    bool Coin() { return std::uniform_int_distribution<int>(0, 1)(rng_) == 1; }
    std::mt19937 &Rng() { return rng_; }

private:
    std::string alphabet_;
    std::string deck_;
    std::mt19937 rng_;
};

// Puts an application identifier in parentheses in front of a digit text, the way the
// compound text joins its parts: "(01)0123..." or "(10)...".
std::string WithAiParens(const std::string &digits, TextSource &src)
{
    const size_t aiLen = src.Length(2, 4);
    const std::string ai = src.Next(aiLen);
    return "(" + ai + ")" + digits;
}

std::string Printable(const std::string &s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c >= 32 && c < 127) {
            out += char(c);
        } else {
            char buf[8];
            snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out;
}

struct Trial {
    std::string given;     // the text as entered
    std::string completed; // BarTextWithCheck
    std::string expected;  // what the decoder must report
    zt::Decoded decoded;
    std::string pattern;
};

// gtest prints a failing parameter by its symbology.
void PrintTo(const Case &c, std::ostream *os) { *os << kx::EnumName(c.bar); }

class RoundTrip : public testing::TestWithParam<Case> {};

TEST_P(RoundTrip, RandomTextsDecodeExactly)
{
    const Case &c = GetParam();
    std::set<char> reached;
    std::set<std::string> code128Checks, code93Checks;
    int failures = 0;
    for (const bool checkSum : {false, true}) {
        TextSource src(c.alphabet, 20261210u + kx::Ord(c.bar) * 2u + checkSum);
        for (int n = 0; n < TextsPerRun; ++n) {
            Trial r;
            bool allowParens = false;
            if (IsEanUpc(c.bar) && (!checkSum || c.bar == TKXBar::UPCA)) {
                // A full-length text with a right check digit (UPC-A always gets one).
                r.given = src.Next(c.maxLen - 1);
                if (c.bar == TKXBar::UPCE0)
                    r.given[0] = '0';
                r.given = kx::BarTextWithCheck(r.given, c.bar, true);
            } else {
                r.given = src.Next(src.Length(c.minLen, c.maxLen));
                if (c.bar == TKXBar::UPCE0 && r.given.size() >= 7)
                    r.given[0] = '0'; // number system 0 only
                if (IsSetC(c.bar) && n % 3 == 0) {
                    r.given = WithAiParens(r.given, src);
                    allowParens = true;
                }
            }
            for (char ch : r.given)
                if (!allowParens || (ch != '(' && ch != ')'))
                    reached.insert(ch);

            ASSERT_TRUE(kx::ValidBarText(r.given, c.bar, checkSum, allowParens))
                << Printable(r.given);
            std::string check;
            r.completed = kx::BarTextWithCheck(r.given, c.bar, checkSum, check);
            const bool showNumber = src.Coin();
            r.pattern = kx::BarPattern(r.completed, c.bar, checkSum, showNumber);
            ASSERT_TRUE(zt::PatternAlternates(r.pattern)) << r.pattern;

            zt::DecodeOptions opt;
            opt.formats = c.format;
            r.expected = r.completed;
            if (c.bar == TKXBar::CODE39 || c.bar == TKXBar::CODE39EX) {
                // With the check character the decoder verifies it and reports the text
                // without it.
                opt.code39Extended = c.bar == TKXBar::CODE39EX;
                opt.validateCode39Check = checkSum;
                if (checkSum)
                    r.expected = r.completed.substr(0, r.completed.size() - 1);
            }
            if (c.bar == TKXBar::INTER_25)
                opt.validateITFCheck = checkSum;
            if (IsSetC(c.bar))
                r.expected.erase(std::remove_if(r.expected.begin(), r.expected.end(),
                                                [](char ch) { return ch == '(' || ch == ')'; }),
                                 r.expected.end());

            const double ratio = IsModuleBased(c.bar) ? 2.0 : 2.0 + 0.5 * (n % 3);
            r.decoded = zt::Decode(zt::RasterPattern(r.pattern, zt::PatternWidths(2, ratio)), opt);

            bool ok = r.decoded.ok && r.decoded.bytes == r.expected && r.decoded.format == c.format;
            if (IsCode128(c.bar))
                ok = ok && r.decoded.symbologyId == (IsGs1(c.bar) ? "]C1" : "]C0");
            if (!ok && ++failures <= 5)
                ADD_FAILURE() << kx::EnumName(c.bar) << " CheckSum=" << checkSum << " ratio " << ratio
                              << ": given \"" << Printable(r.given) << "\" encoded \""
                              << Printable(r.completed) << "\" expected \"" << Printable(r.expected)
                              << "\" read " << (r.decoded.ok ? "\"" + Printable(r.decoded.bytes) + "\" as " + r.decoded.format + " " + r.decoded.symbologyId : "nothing");

            // The check symbols stand just before the stop: they reach every row of the
            // Code 128 and Code 93 tables, including the rows no character reaches.
            if (IsCode128(c.bar))
                code128Checks.insert(r.pattern.substr(r.pattern.size() - 13, 6));
            if (c.bar == TKXBar::CODE93 || c.bar == TKXBar::CODE93EX) {
                code93Checks.insert(r.pattern.substr(r.pattern.size() - 19, 6));
                code93Checks.insert(r.pattern.substr(r.pattern.size() - 13, 6));
            }
        }
    }
    EXPECT_EQ(failures, 0);
    const std::set<char> all(c.alphabet.begin(), c.alphabet.end());
    EXPECT_EQ(reached, all) << "the random texts did not reach every character";
    if (IsCode128(c.bar)) {
        EXPECT_GT(code128Checks.size(), 90u);
    }
    if (c.bar == TKXBar::CODE93 || c.bar == TKXBar::CODE93EX) {
        EXPECT_EQ(code93Checks.size(), 47u);
    }
}

INSTANTIATE_TEST_SUITE_P(Symbologies, RoundTrip, testing::ValuesIn(Cases),
                         [](const testing::TestParamInfo<Case> &info) -> std::string {
                             return std::string(kx::EnumName(info.param.bar));
                         });

// Across all six Code 128 kinds the check symbol takes every value 0..102, so every row of
// the table has been read by the decoder.
TEST(RoundTripCoverage, Code128CheckSymbolsReachEveryRow)
{
    std::set<std::string> seen;
    std::mt19937 rng(7);
    for (int n = 0; seen.size() < 103 && n < 5000; ++n) {
        const TKXBar bar = TKXBar(kx::Ord(TKXBar::EAN128A) + n % 6);
        std::string text;
        const size_t len = 2 + rng() % 10;
        for (size_t i = 0; i < len; ++i)
            text += char('0' + rng() % 10);
        const std::string completed = kx::BarTextWithCheck(text, bar, false);
        const std::string pattern = kx::BarPattern(completed, bar, false, false);
        const std::string checkCodes = pattern.substr(pattern.size() - 13, 6);
        if (seen.count(checkCodes))
            continue;
        zt::DecodeOptions opt;
        opt.formats = "Code128";
        const zt::Decoded d = zt::Decode(zt::RasterPattern(pattern, zt::PatternWidths(2, 2.0)), opt);
        ASSERT_TRUE(d.ok && d.bytes == completed) << kx::EnumName(bar) << " " << completed;
        seen.insert(checkCodes);
    }
    EXPECT_EQ(seen.size(), 103u);
}

// ---------------------------------------------------------------------------------------
// Inputs the rules accept (ValidBarText is true and a pattern is built, as the element
// draws them) that a decoder refuses by design. They are kept as they are; the random
// sets above stay clear of them.

struct Refusal {
    TKXBar bar;
    const char *text;
    bool checkSum;
    const char *format;
    const char *why;
};

const Refusal Refusals[] = {
    {TKXBar::CODE39, "AB*CD", false, "Code39", "'*' is the start/stop character: a reader stops at it"},
    {TKXBar::CODE39, "", false, "Code39", "a symbol without data characters"},
    {TKXBar::CODE39EX, "", false, "Code39", "a symbol without data characters"},
    {TKXBar::CODE93, "", false, "Code93", "a symbol without data characters"},
    {TKXBar::CODE93EX, "", false, "Code93", "a symbol without data characters"},
    {TKXBar::CODABAR, "", false, "Codabar", "a symbol without data characters"},
    {TKXBar::CODABAR, "7", false, "Codabar", "zxing needs two data characters at least"},
    {TKXBar::CODE128A, "", false, "Code128", "a symbol without data characters"},
    {TKXBar::CODE128B, "", false, "Code128", "a symbol without data characters"},
    {TKXBar::INTER_25, "1234", false, "ITF", "zxing needs six digits at least"},
    {TKXBar::INTER_25, "", false, "ITF", "a symbol without data characters"},
    {TKXBar::EAN13, "4006381333930", false, "EAN-13", "wrong check digit entered without CheckSum"},
    {TKXBar::EAN8, "96385075", false, "EAN-8", "wrong check digit entered without CheckSum"},
    {TKXBar::UPCE0, "04252610", false, "UPC-E", "wrong check digit entered without CheckSum"},
};

TEST(DecoderRefusals, AcceptedTextsThatReadersRefuseByDesign)
{
    for (const Refusal &r : Refusals) {
        SCOPED_TRACE(std::string(kx::EnumName(r.bar)) + " \"" + r.text + "\": " + r.why);
        ASSERT_TRUE(kx::ValidBarText(r.text, r.bar, r.checkSum));
        const std::string completed = kx::BarTextWithCheck(r.text, r.bar, r.checkSum);
        const std::string pattern = kx::BarPattern(completed, r.bar, r.checkSum, false);
        EXPECT_TRUE(zt::PatternAlternates(pattern));
        zt::DecodeOptions opt;
        opt.formats = r.format;
        const double ratio = IsModuleBased(r.bar) ? 2.0 : 3.0;
        EXPECT_FALSE(zt::Decode(zt::RasterPattern(pattern, zt::PatternWidths(2, ratio)), opt).ok);
    }
}

// ---------------------------------------------------------------------------------------
// The mended faults, each read back by the decoder.

zt::Decoded DecodeBar(const std::string &text, TKXBar bar, bool checkSum, zt::DecodeOptions opt,
                      bool allowParens = false)
{
    EXPECT_TRUE(kx::ValidBarText(text, bar, checkSum, allowParens)) << text;
    const std::string completed = kx::BarTextWithCheck(text, bar, checkSum);
    const std::string pattern = kx::BarPattern(completed, bar, checkSum, false);
    return zt::Decode(zt::RasterPattern(pattern, zt::PatternWidths(2, IsModuleBased(bar) ? 2.0 : 3.0)), opt);
}

// UPC-E 0425261 stands for UPC-A 04210000526, whose check digit is 4; the digit of the
// seven digits as they stand would be 0, which no reader accepts.
TEST(MendedFaults, UpcECheckDigitComesFromUpcA)
{
    EXPECT_EQ(kx::BarTextWithCheck("0425261", TKXBar::UPCE0, true), "04252614");
    zt::DecodeOptions opt;
    opt.formats = "UPC-E";
    const zt::Decoded d = DecodeBar("0425261", TKXBar::UPCE0, true, opt);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.text, "04252614");
}

// ABF sums to 36, the value of '-'. Drawn through the full-ASCII table '-' would become
// "/M" and the symbol's check would fail; it is drawn as the one character '-'. For "a"
// the check is over the encoded "+A" (41 + 10 = 51, 51 mod 43 = 8).
TEST(MendedFaults, Code39FullAsciiCheckIsOverEncodedCharacters)
{
    zt::DecodeOptions opt;
    opt.formats = "Code39";
    opt.code39Extended = true;
    opt.validateCode39Check = true;
    for (const auto &[text, completed] : {std::pair<std::string, std::string>{"ABF", "ABF-"},
                                         {"a", "a8"},
                                         {"x%", "x%%"}}) {
        EXPECT_EQ(kx::BarTextWithCheck(text, TKXBar::CODE39EX, true), completed);
        const zt::Decoded d = DecodeBar(text, TKXBar::CODE39EX, true, opt);
        ASSERT_TRUE(d.ok) << text;
        EXPECT_EQ(d.text, text);
    }
}

// "(01)09501101530003" is printed with its parentheses and encoded as the digits alone
// after FNC1, never as a pair "00" in their place.
TEST(MendedFaults, Ean128ParenthesesAreNotEncoded)
{
    zt::DecodeOptions opt;
    opt.formats = "Code128";
    for (const TKXBar bar : {TKXBar::EAN128C, TKXBar::CODE128C}) {
        const zt::Decoded d = DecodeBar("(01)09501101530003", bar, false, opt, true);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.text, "0109501101530003");
        EXPECT_EQ(d.symbologyId, bar == TKXBar::EAN128C ? "]C1" : "]C0");
    }
    // Unbalanced parentheses do not change how many digits are paired: the odd digit count
    // gets its zero, so no digit is lost.
    EXPECT_EQ(kx::BarTextWithCheck("(10123", TKXBar::EAN128C, false), "0(10123");
    const zt::Decoded d = DecodeBar("(10123", TKXBar::EAN128C, false, opt, true);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.text, "010123");
}

} // namespace
