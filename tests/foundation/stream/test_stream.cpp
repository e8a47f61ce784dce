// Label streams: byte-exact layouts of numbers and text records, the oldest layout, and
// clean failure on short or malformed data.
#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <memory>
#include <string>

using namespace kx;

namespace {

// "02 00 00 00 41" -> bytes.
TBytesArray Hex(const std::string &text)
{
    TBytesArray out;
    for (size_t i = 0; i < text.size();) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        if (i >= text.size())
            break;
        out.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

std::string ToHex(const TBytesArray &bytes)
{
    std::string out;
    char buf[4];
    for (uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, out.empty() ? "%02X" : " %02X", b);
        out += buf;
    }
    return out;
}

// The bytes a writer produced by one call.
template <typename F>
std::string Written(F write)
{
    TKXStreamWriter w;
    write(w);
    return ToHex(w.Bytes());
}

WideString Units(size_t n)
{
    WideString s;
    for (size_t i = 0; i < n; ++i)
        s.push_back(char16_t(u'a' + i % 26));
    return s;
}

// ---------------------------------------------------------------------------------------
// Numbers

TEST(Stream, NumbersAreLittleEndian)
{
    EXPECT_EQ(Written([](auto &w) { w.WriteInt32(0x01020304); }), "04 03 02 01");
    EXPECT_EQ(Written([](auto &w) { w.WriteInt32(2811); }), "FB 0A 00 00");
    EXPECT_EQ(Written([](auto &w) { w.WriteInt32(-2); }), "FE FF FF FF");
    EXPECT_EQ(Written([](auto &w) { w.WriteInt16(-300); }), "D4 FE");
    EXPECT_EQ(Written([](auto &w) { w.WriteUInt16(0xBEEF); }), "EF BE");
    EXPECT_EQ(Written([](auto &w) { w.WriteInt64(0x0102030405060708LL); }), "08 07 06 05 04 03 02 01");
    EXPECT_EQ(Written([](auto &w) { w.WriteInt8(-1); }), "FF");
    EXPECT_EQ(Written([](auto &w) { w.WriteSingle(1.0f); }), "00 00 80 3F");
    EXPECT_EQ(Written([](auto &w) { w.WriteDouble(-2.5); }), "00 00 00 00 00 00 04 C0");
    EXPECT_EQ(Written([](auto &w) {
                  w.WriteBool(true);
                  w.WriteBool(false);
              }), "01 00");
    EXPECT_EQ(Written([](auto &w) { w.WriteEnum(TKXEle::deQRCode); }), "10");
    EXPECT_EQ(Written([](auto &w) { w.WriteZeros(3); }), "00 00 00");
}

TEST(Stream, NumbersRoundTrip)
{
    TKXStreamWriter w;
    w.WriteInt8(std::numeric_limits<int8_t>::min());
    w.WriteUInt8(0xFF);
    w.WriteInt16(std::numeric_limits<int16_t>::min());
    w.WriteUInt16(0xFFFF);
    w.WriteInt32(std::numeric_limits<int32_t>::min());
    w.WriteUInt32(0xFFFFFFFFu);
    w.WriteInt64(std::numeric_limits<int64_t>::min());
    w.WriteUInt64(~0ULL);
    w.WriteSingle(-0.1f);
    w.WriteDouble(1e300);
    w.WriteBool(true);
    const uint8_t raw[] = {9, 8, 7};
    w.WriteBytes(raw);
    EXPECT_EQ(w.Size(), 1u + 1 + 2 + 2 + 4 + 4 + 8 + 8 + 4 + 8 + 1 + 3);

    TKXStreamReader r(w.Bytes());
    EXPECT_EQ(r.ReadInt8(), std::numeric_limits<int8_t>::min());
    EXPECT_EQ(r.ReadUInt8(), 0xFF);
    EXPECT_EQ(r.ReadInt16(), std::numeric_limits<int16_t>::min());
    EXPECT_EQ(r.ReadUInt16(), 0xFFFF);
    EXPECT_EQ(r.ReadInt32(), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(r.ReadUInt32(), 0xFFFFFFFFu);
    EXPECT_EQ(r.ReadInt64(), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(r.ReadUInt64(), ~0ULL);
    EXPECT_EQ(r.ReadSingle(), -0.1f);
    EXPECT_EQ(r.ReadDouble(), 1e300);
    EXPECT_TRUE(r.ReadBool());
    EXPECT_EQ(r.ReadBytes(3), (TBytesArray{9, 8, 7}));
    EXPECT_TRUE(r.AtEnd());
}

TEST(Stream, BoolReadsAnyNonZeroAsTrue)
{
    const uint8_t data[] = {0, 1, 2, 0xFF};
    TKXStreamReader r(data);
    EXPECT_FALSE(r.ReadBool());
    EXPECT_TRUE(r.ReadBool());
    EXPECT_TRUE(r.ReadBool());
    EXPECT_TRUE(r.ReadBool());
}

TEST(Stream, ShortReadFailsAndKeepsThePosition)
{
    const uint8_t data[] = {1, 2, 3};
    TKXStreamReader r(data);
    EXPECT_THROW(r.ReadInt32(), EKxStreamError);
    EXPECT_EQ(r.Position(), 0u);
    EXPECT_EQ(r.ReadUInt16(), 0x0201);
    EXPECT_THROW(r.ReadUInt16(), EKxStreamError);
    EXPECT_THROW(r.Skip(2), EKxStreamError);
    EXPECT_EQ(r.Position(), 2u);
    EXPECT_EQ(r.ReadUInt8(), 3);
    EXPECT_THROW(r.ReadUInt8(), EKxStreamError);
    EXPECT_THROW(r.ReadBytes(1), EKxStreamError);
    EXPECT_NO_THROW(r.ReadBytes(0));

    r.Seek(3); // the end is a valid position
    EXPECT_THROW(r.Seek(4), EKxStreamError);
    EXPECT_EQ(r.Position(), 3u);
    r.Seek(1);
    EXPECT_EQ(r.Remaining(), 2u);

    // A stream error is a library error too, so the label reader catches one kind.
    TKXStreamReader empty(std::span<const uint8_t>{});
    EXPECT_THROW(empty.ReadDouble(), EKxError);
}

TEST(Stream, TakeBytesEmptiesTheWriter)
{
    TKXStreamWriter w;
    w.WriteInt32(7);
    const TBytesArray b = w.TakeBytes();
    EXPECT_EQ(b.size(), 4u);
    EXPECT_EQ(w.Size(), 0u);
    w.WriteUInt8(1);
    EXPECT_EQ(ToHex(w.Bytes()), "01");
}

// ---------------------------------------------------------------------------------------
// Text records: layouts

TEST(StreamStr, VarLengthBoundaries)
{
    struct Case {
        int32_t value;
        const char *bytes;
    } cases[] = {
        {0, "00"},
        {127, "7F"},
        {128, "80 01"},
        {16383, "FF 7F"},
        {16384, "80 80 01"},
        {20000, "A0 9C 01"}, // 10000 code units
        {2097151, "FF FF 7F"},
        {2097152, "80 80 80 01"},
        {268435455, "FF FF FF 7F"},
        {268435456, "80 80 80 80 01"},
        {std::numeric_limits<int32_t>::max(), "FF FF FF FF 07"},
        {-1, "7F"}, // the size test is signed: a negative value takes one byte
    };
    for (const auto &c : cases)
        EXPECT_EQ(Written([&](auto &w) { WriteVarLength(c.value, w); }), c.bytes) << c.value;
}

TEST(StreamStr, WideRecordLayouts)
{
    struct Case {
        size_t units;
        const char *head; // count and byte length; the text follows
    } cases[] = {
        {0, "00 00 00 00"},
        {1, "01 00 00 00 02"},
        {63, "3F 00 00 00 7E"},
        {64, "40 00 00 00 80 01"},
        {8191, "FF 1F 00 00 FE 7F"},
        {8192, "00 20 00 00 80 80 01"},
        {10000, "10 27 00 00 A0 9C 01"},
    };
    for (const auto &c : cases) {
        const WideString text = Units(c.units);
        TKXStreamWriter w;
        WriteWideStr(text, w);
        const TBytesArray head = Hex(c.head);
        ASSERT_EQ(w.Size(), head.size() + 2 * c.units) << c.units;
        EXPECT_EQ(ToHex(TBytesArray(w.Bytes().begin(), w.Bytes().begin() + head.size())), c.head);
        if (c.units > 0) {
            EXPECT_EQ(w.Bytes()[head.size()], 'a');
            EXPECT_EQ(w.Bytes()[head.size() + 1], 0);
        }
        TKXStreamReader r(w.Bytes());
        EXPECT_EQ(ReadWideStr(r), text) << c.units;
        EXPECT_TRUE(r.AtEnd());
    }
    EXPECT_EQ(Written([](auto &w) { WriteWideStr(u"AB", w); }), "02 00 00 00 04 41 00 42 00");
    EXPECT_EQ(Written([](auto &w) { WriteWideStr(u"\u20AC", w); }), "01 00 00 00 02 AC 20");
}

TEST(StreamStr, AnsiRecordLayouts)
{
    EXPECT_EQ(Written([](auto &w) { WriteAnsiStr("", w); }), "00 00 00 00");
    EXPECT_EQ(Written([](auto &w) { WriteAnsiStr("AB", w); }), "02 00 00 00 41 42");
    EXPECT_EQ(Written([](auto &w) { WriteAnsiStr("\x80\xFF", w); }), "02 00 00 00 80 FF");
    const AnsiString longest(10000, 'x');
    TKXStreamWriter w;
    WriteAnsiStr(longest, w);
    EXPECT_EQ(w.Size(), 4u + 10000);
    TKXStreamReader r(w.Bytes());
    EXPECT_EQ(ReadAnsiStr(r), longest);
    EXPECT_TRUE(r.AtEnd());
}

TEST(StreamStr, OldLayoutHasNoByteLength)
{
    const TBytesArray oldAB = Hex("02 00 00 00 41 00 42 00");
    TKXStreamReader old(oldAB, {.OldFormat = true});
    EXPECT_EQ(ReadWideStr(old), u"AB");
    EXPECT_TRUE(old.AtEnd());

    const TBytesArray newAB = Hex("02 00 00 00 04 41 00 42 00");
    TKXStreamReader cur(newAB);
    EXPECT_EQ(ReadWideStr(cur), u"AB");
    EXPECT_TRUE(cur.AtEnd());

    // The flag belongs to each reader: a new reader starts clear, and ANSI records read the
    // same in both layouts.
    TKXStreamReader other(newAB);
    EXPECT_FALSE(other.Context().OldFormat);
    const TBytesArray ansi = Hex("02 00 00 00 41 42");
    TKXStreamReader oldAnsi(ansi, {.OldFormat = true, .AnsiFallback = true});
    EXPECT_EQ(ReadAnsiStr(oldAnsi), "AB");
}

TEST(StreamStr, ByteLengthIsNotUsedForTheTextLength)
{
    // A byte length that disagrees with the count: the count decides.
    const TBytesArray data = Hex("02 00 00 00 80 80 01 41 00 42 00");
    TKXStreamReader r(data);
    EXPECT_EQ(ReadWideStr(r), u"AB");
    EXPECT_TRUE(r.AtEnd());
}

TEST(StreamStr, NegativeCountIsEmptyAndReadsNothingMore)
{
    const TBytesArray data = Hex("FF FF FF FF 41 42");
    TKXStreamReader w(data);
    EXPECT_EQ(ReadWideStr(w), u"");
    EXPECT_EQ(w.Position(), 4u);
    TKXStreamReader a(data);
    EXPECT_EQ(ReadAnsiStr(a), "");
    EXPECT_EQ(a.Position(), 4u);
}

TEST(StreamStr, IsOldLabelStream)
{
    struct Case {
        const char *bytes;
        bool old;
    } cases[] = {
        {"FB 0A 00 00", false}, // 2811, the current version
        {"CF 07 00 00", true},  // 1999
        {"D0 07 00 00", false}, // 2000
        {"14 00 00 00", true},  // 20
        {"FF FF FF FF", true},  // negative
    };
    for (const auto &c : cases) {
        const TBytesArray data = Hex(c.bytes);
        TKXStreamReader r(data);
        EXPECT_EQ(IsOldLabelStream(r), c.old) << c.bytes;
        EXPECT_EQ(r.Position(), 0u);
    }
}

// Fault: the test used to leave the stream at 0 wherever it started.
TEST(StreamStr, IsOldLabelStreamRestoresItsStartPosition)
{
    const TBytesArray data = Hex("AA BB FB 0A 00 00 CF 07 00 00");
    TKXStreamReader r(data);
    r.Seek(2);
    EXPECT_FALSE(IsOldLabelStream(r));
    EXPECT_EQ(r.Position(), 2u);
    r.Seek(6);
    EXPECT_TRUE(IsOldLabelStream(r));
    EXPECT_EQ(r.Position(), 6u);
    r.Seek(7);
    EXPECT_THROW(IsOldLabelStream(r), EKxStreamError);
    EXPECT_EQ(r.Position(), 7u);
}

// ---------------------------------------------------------------------------------------
// Text records: mended faults

// Fault: a text over 10000 units was written as empty without a word. Now the write fails,
// names the length and leaves the stream as it was, so the caller can refuse to save.
TEST(StreamStr, TooLongTextIsRefusedNamingItsLength)
{
    TKXStreamWriter w;
    w.WriteUInt8(0x55);
    try {
        WriteWideStr(Units(10001), w);
        FAIL() << "a 10001-unit text was written";
    } catch (const EKxTextTooLong &e) {
        EXPECT_EQ(e.Length(), 10001u);
        EXPECT_NE(std::string(e.what()).find("10001"), std::string::npos) << e.what();
    }
    try {
        WriteAnsiStr(AnsiString(123456, 'x'), w);
        FAIL() << "a 123456-byte text was written";
    } catch (const EKxTextTooLong &e) {
        EXPECT_EQ(e.Length(), 123456u);
        EXPECT_NE(std::string(e.what()).find("123456"), std::string::npos) << e.what();
    }
    EXPECT_EQ(ToHex(w.Bytes()), "55");
    EXPECT_THROW(WriteWideStr(Units(10001), w), EKxError); // one library error class to catch

    EXPECT_TRUE(FitsStreamText(Units(10000)));
    EXPECT_FALSE(FitsStreamText(Units(10001)));
    EXPECT_TRUE(FitsStreamText(AnsiString(10000, 'x')));
    EXPECT_FALSE(FitsStreamText(AnsiString(10001, 'x')));
}

// Fault: a count above 10000 was read as 0 and the text's bytes taken as the next fields;
// a byte length of more than five bytes was read without end.
TEST(StreamStr, MalformedRecordsAreReadErrors)
{
    struct Case {
        const char *bytes;
        bool wide;
        const char *why;
    } cases[] = {
        {"11 27 00 00 A2 9C 01 41 00", true, "wide count 10001"},
        {"11 27 00 00 41 42", false, "ANSI count 10001"},
        {"FF FF FF 7F", true, "wide count 2^31 - 1"},
        {"01 00 00 00 80 80 80 80 80 02 41 00", true, "byte length of six bytes"},
        {"01 00 00 00 80 80 80 80 80", true, "byte length never ends"},
        {"02 00 00 00 04 41 00 42", true, "text cut short"},
        {"02 00 00 00", true, "no byte length"},
        {"03 00 00 00 41 42", false, "ANSI text cut short"},
        {"02 00 00", false, "count cut short"},
    };
    for (const auto &c : cases) {
        const TBytesArray data = Hex(c.bytes);
        TKXStreamReader r(data);
        WideString w = u"keep";
        AnsiString a = "keep";
        if (c.wide)
            EXPECT_THROW(ReadWideStr(r, w), EKxStreamError) << c.why;
        else
            EXPECT_THROW(ReadAnsiStr(r, a), EKxStreamError) << c.why;
        // The text is untouched and the stream back at the record, ready for a retry.
        EXPECT_EQ(w, u"keep") << c.why;
        EXPECT_EQ(a, "keep") << c.why;
        EXPECT_EQ(r.Position(), 0u) << c.why;
    }
    // Five bytes is the longest byte length a 32-bit value needs; it still reads.
    const TBytesArray five = Hex("01 00 00 00 82 80 80 80 00 41 00");
    TKXStreamReader r(five);
    EXPECT_EQ(ReadWideStr(r), u"A");
}

// Every prefix of a well-formed stream fails with a stream error and never reads outside
// the buffer (each prefix lives in its own heap block, so the sanitizer build sees any
// over-read); the whole stream reads back.
TEST(StreamStr, TruncatedStreamsFailCleanlyAtEveryLength)
{
    TKXStreamWriter w;
    w.WriteInt32(2811);
    WriteWideStr(Units(70), w); // a two-byte length
    WriteAnsiStr("label", w);
    w.WriteEnum(TKXEleAlign::eaRigthCenter);
    w.WriteBool(true);
    w.WriteDouble(12.5);
    WriteWideStr(u"", w);
    WriteWideStr(u"\u00E9t\u00E9", w);
    w.WriteInt16(-7);
    const TBytesArray full = w.Bytes();

    auto readAll = [](TKXStreamReader &r) {
        EXPECT_EQ(r.ReadInt32(), 2811);
        EXPECT_EQ(ReadWideStr(r), Units(70));
        EXPECT_EQ(ReadAnsiStr(r), "label");
        EXPECT_EQ(r.ReadEnum<TKXEleAlign>(), TKXEleAlign::eaRigthCenter);
        EXPECT_TRUE(r.ReadBool());
        EXPECT_EQ(r.ReadDouble(), 12.5);
        EXPECT_EQ(ReadWideStr(r), u"");
        EXPECT_EQ(ReadWideStr(r), u"\u00E9t\u00E9");
        EXPECT_EQ(r.ReadInt16(), -7);
    };

    for (size_t len = 0; len < full.size(); ++len) {
        auto block = std::make_unique<uint8_t[]>(len); // exactly len bytes, none to spare
        std::copy(full.begin(), full.begin() + len, block.get());
        TKXStreamReader r(std::span<const uint8_t>(block.get(), len));
        EXPECT_THROW(readAll(r), EKxStreamError) << "prefix of " << len << " bytes";
        EXPECT_LE(r.Position(), len);
    }
    TKXStreamReader r(full);
    readAll(r);
    EXPECT_TRUE(r.AtEnd());
}

} // namespace
