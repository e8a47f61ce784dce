// Text records of label streams.
//
// Wide record ("W"): 32-bit count n of UTF-16 code units; when n >= 1 the byte length 2n as
// a base-128 number (low seven bits first, 0x80 on every byte but the last; absent in the
// oldest layout), then the n code units, little-endian. ANSI record ("A"): 32-bit byte count
// n, then n Windows-1252 bytes. The empty text is the count 0 alone, in both kinds.
//
// Limits: the format holds at most MaxStreamText units per text.
//  - Writing a longer text throws EKxTextTooLong, naming the length, and writes nothing: the
//    format could only store it as an empty text, and a silent loss is not acceptable. The
//    label file writer lets it end the save (the old file stays whole) and reports it;
//    writers of in-memory records (undo, copy) check FitsStreamText first where a long text
//    can occur.
//  - Reading a count above MaxStreamText, or a byte length longer than five bytes, is a
//    malformed stream and throws EKxStreamError, as does every read past the end. A failed
//    read leaves the stream where the record started and the text untouched, so the label
//    reader can retry the record as ANSI.
#pragma once

#include "core/KXError.h"
#include "core/KXTypes.h"
#include "stream/KXStream.h"

#include <cstddef>
#include <cstdint>

namespace kx {

// Most code units (wide) or bytes (ANSI) one text record holds.
inline constexpr int32_t MaxStreamText = 10000;

// A text too long for a label stream. Length() is its length in code units or bytes.
class EKxTextTooLong : public EKxError {
public:
    explicit EKxTextTooLong(size_t Length);
    size_t Length() const { return FLength; }

private:
    size_t FLength;
};

inline bool FitsStreamText(const WideString &Text) { return Text.size() <= size_t(MaxStreamText); }
inline bool FitsStreamText(const AnsiString &Text) { return Text.size() <= size_t(MaxStreamText); }

// Whether the stream is of the oldest layout: its first 32-bit value, read at the current
// position, is below 2000 (current files start with their version, 2811). The position is
// restored afterwards. Fewer than four bytes left throws EKxStreamError.
bool IsOldLabelStream(TKXStreamReader &Stream);

// The base-128 byte length of a wide record: one byte below 0x80, two below 0x4000, three
// below 0x200000, four below 0x10000000, else five (signed comparisons).
void WriteVarLength(int32_t Value, TKXStreamWriter &Stream);

// Always in the current layout (with the byte length).
void WriteWideStr(const WideString &Text, TKXStreamWriter &Stream);
void WriteAnsiStr(const AnsiString &Text, TKXStreamWriter &Stream);

// Reads by Stream.Context().OldFormat; the text's length comes from the count alone. A
// negative count is the empty text with nothing after it.
void ReadWideStr(TKXStreamReader &Stream, WideString &Text);
WideString ReadWideStr(TKXStreamReader &Stream);
void ReadAnsiStr(TKXStreamReader &Stream, AnsiString &Text);
AnsiString ReadAnsiStr(TKXStreamReader &Stream);

} // namespace kx
