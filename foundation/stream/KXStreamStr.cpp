#include "stream/KXStreamStr.h"

#include <string>

namespace kx {

namespace {

// The base-128 length takes at most five bytes for any 32-bit value.
constexpr int MaxVarLengthBytes = 5;

int32_t ReadCount(TKXStreamReader &Stream)
{
    const size_t at = Stream.Position();
    const int32_t n = Stream.ReadInt32();
    if (n > MaxStreamText)
        throw EKxStreamError("text record at offset " + std::to_string(at) + " has count " + std::to_string(n) +
                             ", above " + std::to_string(MaxStreamText));
    return n;
}

// The byte length of a wide record; its value is not used, the count decides.
void SkipVarLength(TKXStreamReader &Stream)
{
    const size_t at = Stream.Position();
    for (int i = 0; i < MaxVarLengthBytes; ++i)
        if ((Stream.ReadUInt8() & 0x80) == 0)
            return;
    throw EKxStreamError("text record byte length at offset " + std::to_string(at) + " runs over " +
                         std::to_string(MaxVarLengthBytes) + " bytes");
}

// Runs a record read; on failure puts the stream back where the record started.
template <typename F>
void ReadRecord(TKXStreamReader &Stream, F read)
{
    const size_t start = Stream.Position();
    try {
        read();
    } catch (...) {
        Stream.Seek(start);
        throw;
    }
}

} // namespace

EKxTextTooLong::EKxTextTooLong(size_t Length)
    : EKxError("TEXT TOO LONG TO SAVE: " + std::to_string(Length) + " CHARACTERS, AT MOST " +
               std::to_string(MaxStreamText)),
      FLength(Length)
{
}

bool IsOldLabelStream(TKXStreamReader &Stream)
{
    const size_t start = Stream.Position();
    const int32_t first = Stream.ReadInt32();
    Stream.Seek(start);
    return first < 2000;
}

void WriteVarLength(int32_t Value, TKXStreamWriter &Stream)
{
    int bytes = 5;
    if (Value < 0x80)
        bytes = 1;
    else if (Value < 0x4000)
        bytes = 2;
    else if (Value < 0x200000)
        bytes = 3;
    else if (Value < 0x10000000)
        bytes = 4;
    uint32_t v = static_cast<uint32_t>(Value);
    for (int i = 1; i <= bytes; ++i) {
        Stream.WriteUInt8(static_cast<uint8_t>((v & 0x7F) | (i < bytes ? 0x80 : 0)));
        v >>= 7;
    }
}

void WriteWideStr(const WideString &Text, TKXStreamWriter &Stream)
{
    if (!FitsStreamText(Text))
        throw EKxTextTooLong(Text.size());
    const auto n = static_cast<int32_t>(Text.size());
    Stream.WriteInt32(n);
    if (n < 1)
        return;
    WriteVarLength(2 * n, Stream);
    for (char16_t c : Text)
        Stream.WriteUInt16(static_cast<uint16_t>(c));
}

void WriteAnsiStr(const AnsiString &Text, TKXStreamWriter &Stream)
{
    if (!FitsStreamText(Text))
        throw EKxTextTooLong(Text.size());
    const auto n = static_cast<int32_t>(Text.size());
    Stream.WriteInt32(n);
    for (char c : Text)
        Stream.WriteUInt8(static_cast<uint8_t>(c));
}

void ReadWideStr(TKXStreamReader &Stream, WideString &Text)
{
    WideString s;
    ReadRecord(Stream, [&] {
        const int32_t n = ReadCount(Stream);
        if (n < 1)
            return;
        if (!Stream.Context().OldFormat)
            SkipVarLength(Stream);
        s.resize(size_t(n));
        for (auto &c : s)
            c = static_cast<char16_t>(Stream.ReadUInt16());
    });
    Text = std::move(s);
}

WideString ReadWideStr(TKXStreamReader &Stream)
{
    WideString s;
    ReadWideStr(Stream, s);
    return s;
}

void ReadAnsiStr(TKXStreamReader &Stream, AnsiString &Text)
{
    AnsiString s;
    ReadRecord(Stream, [&] {
        const int32_t n = ReadCount(Stream);
        if (n < 1)
            return;
        s.resize(size_t(n));
        Stream.ReadBytes(reinterpret_cast<uint8_t *>(s.data()), size_t(n));
    });
    Text = std::move(s);
}

AnsiString ReadAnsiStr(TKXStreamReader &Stream)
{
    AnsiString s;
    ReadAnsiStr(Stream, s);
    return s;
}

} // namespace kx
