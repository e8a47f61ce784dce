// Windows-1252 and UTF-8 conversion, judged against glibc's iconv where it has an answer.
#include "core/KXCodec1252.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <cerrno>
#include <optional>
#include <string>

using namespace kx;

namespace {

// One byte through iconv's CP1252 -> UTF-16LE; none where iconv leaves the byte undefined.
std::optional<char16_t> IconvCp1252(uint8_t byte)
{
    iconv_t cd = iconv_open("UTF-16LE", "CP1252");
    if (cd == iconv_t(-1))
        return std::nullopt;
    char in[1] = {static_cast<char>(byte)};
    char out[4] = {};
    char *ip = in, *op = out;
    size_t il = 1, ol = sizeof out;
    const size_t rc = iconv(cd, &ip, &il, &op, &ol);
    iconv_close(cd);
    if (rc == size_t(-1) || ol != 2)
        return std::nullopt;
    return char16_t(uint8_t(out[0]) | (uint8_t(out[1]) << 8));
}

TEST(Codec1252, EveryByteMatchesIconvAndRoundTrips)
{
    int checked = 0;
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        const std::u16string wide = AnsiToWide(one);
        ASSERT_EQ(wide.size(), 1u) << b;
        if (const auto expected = IconvCp1252(uint8_t(b))) {
            EXPECT_EQ(int(wide[0]), int(*expected)) << "byte " << b;
            ++checked;
        } else {
            // The five bytes the code page leaves undefined keep their value.
            EXPECT_EQ(int(wide[0]), b) << "byte " << b;
        }
        EXPECT_EQ(WideToAnsi(wide), one) << "byte " << b;
        EXPECT_TRUE(IsAnsiText(wide));
    }
    EXPECT_EQ(checked, 251); // iconv must have answered for every defined byte
}

TEST(Codec1252, UnmappableCharactersBecomeQuestionMarks)
{
    struct Case {
        std::u16string wide;
        std::string ansi;
    } cases[] = {
        {u"Caf\u00E9 \u20AC5", "Caf\xE9 \x80"
                               "5"},
        {u"a\u4E2Db", "a?b"},
        {u"\U0001F600", "?"},         // a surrogate pair is one character
        {u"x\xD800y", "x?y"},         // a lone high surrogate
        {u"\xDC00", "?"},             // a lone low surrogate
        {u"\u0152\u0153\u2122\u0178", "\x8C\x9C\x99\x9F"},
        {u"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(WideToAnsi(c.wide), c.ansi);
    EXPECT_FALSE(IsAnsiText(u"a\u4E2Db"));
    EXPECT_TRUE(IsAnsiText(u"\u20AC\u00FF"));
}

TEST(CodecUtf8, KnownEncodingsBothWays)
{
    struct Case {
        std::u16string wide;
        std::string utf8;
    } cases[] = {
        {u"", ""},
        {u"A", "A"},
        {u"\u00E9", "\xC3\xA9"},
        {u"\u20AC", "\xE2\x82\xAC"},
        {u"\uFFFF", "\xEF\xBF\xBF"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
        {u"a\u00E9\u20AC\U0001F600z", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Utf16ToUtf8(c.wide), c.utf8);
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.wide);
    }
    // A lone surrogate has no UTF-8 form.
    EXPECT_EQ(Utf16ToUtf8(u"a\xD800"), "a\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(u"\xDC00z"), "\xEF\xBF\xBDz");
}

TEST(CodecUtf8, MalformedInputBecomesReplacementCharacters)
{
    const char16_t R = 0xFFFD;
    struct Case {
        std::string utf8;
        std::u16string wide;
        const char *why;
    } cases[] = {
        {"\xC0\xAF", {R, R}, "overlong slash: C0 is never a lead byte"},
        {"\xE0\x80\xAF", {R, R, R}, "overlong three-byte form"},
        {"\xED\xA0\x80", {R, R, R}, "encoded surrogate"},
        {"\xF4\x90\x80\x80", {R, R, R, R}, "above U+10FFFF"},
        {"\xE2\x82"
         "A",
         {R, u'A'},
         "cut-short sequence: one replacement for its valid prefix"},
        {"\x80", {R}, "stray continuation byte"},
        {"a\xFF"
         "b",
         {u'a', R, u'b'},
         "FF is never valid"},
        {"\xF0\x9F\x98", {R}, "truncated at the end"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.wide) << c.why;
}

} // namespace
