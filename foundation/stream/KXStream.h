// Label streams: bounds-checked little-endian reading over a byte buffer and writing into a
// growing one. Label files, undo records and the designer's copy stream are all such
// streams.
//
// Every read checks that its bytes are there; a short read throws EKxStreamError and leaves
// the position where the read started. The label reader turns that into its
// "ERROR READING FILE".
#pragma once

#include "core/KXError.h"
#include "core/KXTypes.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kx {

// A read past the end of a stream, or a field a stream cannot hold (a string count above
// its limit, an enumeration ordinal the type lacks). Caught as EKxError as well.
class EKxStreamError : public EKxError {
public:
    using EKxError::EKxError;
};

// How the stream being read is laid out. Set by the label reader per stream; every reader
// starts with both clear, which is the layout of undo records and copy streams.
struct TKXStreamContext {
    // The oldest layout: wide string records carry no byte length.
    bool OldFormat = false;
    // The label reader has switched this old stream's texts to ANSI records.
    bool AnsiFallback = false;
};

class TKXStreamReader {
public:
    // Reads Data without copying it: the bytes must outlive the reader.
    explicit TKXStreamReader(std::span<const uint8_t> Data, TKXStreamContext Context = {});
    // A temporary byte vector would be gone before the first read.
    explicit TKXStreamReader(std::vector<uint8_t> &&Data, TKXStreamContext Context = {}) = delete;

    // Position and size in bytes from the start of the data.
    size_t Position() const { return FPos; }
    size_t Size() const { return FData.size(); }
    size_t Remaining() const { return FData.size() - FPos; }
    bool AtEnd() const { return FPos == FData.size(); }
    // Moves to Pos (0 .. Size()); beyond the end throws EKxStreamError.
    void Seek(size_t Pos);
    // Moves forward by Count bytes, which must be there.
    void Skip(size_t Count);

    TKXStreamContext &Context() { return FContext; }
    const TKXStreamContext &Context() const { return FContext; }

    uint8_t ReadUInt8();
    int8_t ReadInt8();
    uint16_t ReadUInt16();
    int16_t ReadInt16();
    uint32_t ReadUInt32();
    int32_t ReadInt32();
    uint64_t ReadUInt64();
    int64_t ReadInt64();
    float ReadSingle();  // IEEE 754 binary32
    double ReadDouble(); // IEEE 754 binary64
    // One byte; any value but 0 is true.
    bool ReadBool();
    void ReadBytes(uint8_t *Dest, size_t Count);
    TBytesArray ReadBytes(size_t Count);

    // An enumeration stored as its one-byte ordinal; an ordinal the type lacks is an error.
    template <typename E>
    E ReadEnum()
    {
        const size_t at = FPos;
        const uint8_t ordinal = ReadUInt8();
        if (const auto value = EnumFromOrdinal<E>(ordinal))
            return *value;
        FPos = at;
        throw EKxStreamError(std::string(EnumInfo<E>::TypeName) + ": ordinal " + std::to_string(ordinal) +
                             " out of range at offset " + std::to_string(at));
    }

private:
    // The next Count bytes, advancing past them; throws when fewer remain.
    const uint8_t *Take(size_t Count);
    template <typename T>
    T ReadLE();

    std::span<const uint8_t> FData;
    size_t FPos = 0; // 0 .. FData.size()
    TKXStreamContext FContext;
};

class TKXStreamWriter {
public:
    // Bytes written so far; the next write appends at Position() == Size().
    size_t Position() const { return FData.size(); }
    size_t Size() const { return FData.size(); }
    const TBytesArray &Bytes() const { return FData; }
    // Hands the bytes over and leaves the writer empty.
    TBytesArray TakeBytes();

    void WriteUInt8(uint8_t Value);
    void WriteInt8(int8_t Value);
    void WriteUInt16(uint16_t Value);
    void WriteInt16(int16_t Value);
    void WriteUInt32(uint32_t Value);
    void WriteInt32(int32_t Value);
    void WriteUInt64(uint64_t Value);
    void WriteInt64(int64_t Value);
    void WriteSingle(float Value);
    void WriteDouble(double Value);
    // One byte, 1 or 0.
    void WriteBool(bool Value);
    void WriteBytes(std::span<const uint8_t> Data);
    // Count zero bytes (reserved fields and blocks written empty).
    void WriteZeros(size_t Count);

    template <typename E>
    void WriteEnum(E Value)
    {
        WriteUInt8(Ord(Value));
    }

private:
    template <typename T>
    void WriteLE(T Value);

    TBytesArray FData;
};

} // namespace kx
