#include "stream/KXStream.h"

#include <bit>
#include <cstring>

namespace kx {

// ---------------------------------------------------------------------------------------
// Reader

TKXStreamReader::TKXStreamReader(std::span<const uint8_t> Data, TKXStreamContext Context)
    : FData(Data), FContext(Context)
{
}

void TKXStreamReader::Seek(size_t Pos)
{
    if (Pos > FData.size())
        throw EKxStreamError("stream seek to " + std::to_string(Pos) + " beyond its size " +
                             std::to_string(FData.size()));
    FPos = Pos;
}

void TKXStreamReader::Skip(size_t Count)
{
    Take(Count);
}

const uint8_t *TKXStreamReader::Take(size_t Count)
{
    if (Count > Remaining())
        throw EKxStreamError("stream read of " + std::to_string(Count) + " bytes at offset " +
                             std::to_string(FPos) + " runs past its end at " + std::to_string(FData.size()));
    const uint8_t *p = FData.data() + FPos;
    FPos += Count;
    return p;
}

template <typename T>
T TKXStreamReader::ReadLE()
{
    const uint8_t *p = Take(sizeof(T));
    T v = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        v = T(v | T(T(p[i]) << (8 * i)));
    return v;
}

uint8_t TKXStreamReader::ReadUInt8() { return *Take(1); }
int8_t TKXStreamReader::ReadInt8() { return static_cast<int8_t>(ReadUInt8()); }
uint16_t TKXStreamReader::ReadUInt16() { return ReadLE<uint16_t>(); }
int16_t TKXStreamReader::ReadInt16() { return static_cast<int16_t>(ReadLE<uint16_t>()); }
uint32_t TKXStreamReader::ReadUInt32() { return ReadLE<uint32_t>(); }
int32_t TKXStreamReader::ReadInt32() { return static_cast<int32_t>(ReadLE<uint32_t>()); }
uint64_t TKXStreamReader::ReadUInt64() { return ReadLE<uint64_t>(); }
int64_t TKXStreamReader::ReadInt64() { return static_cast<int64_t>(ReadLE<uint64_t>()); }
float TKXStreamReader::ReadSingle() { return std::bit_cast<float>(ReadLE<uint32_t>()); }
double TKXStreamReader::ReadDouble() { return std::bit_cast<double>(ReadLE<uint64_t>()); }
bool TKXStreamReader::ReadBool() { return ReadUInt8() != 0; }

void TKXStreamReader::ReadBytes(uint8_t *Dest, size_t Count)
{
    const uint8_t *p = Take(Count);
    if (Count > 0)
        std::memcpy(Dest, p, Count);
}

TBytesArray TKXStreamReader::ReadBytes(size_t Count)
{
    const uint8_t *p = Take(Count);
    return TBytesArray(p, p + Count);
}

// ---------------------------------------------------------------------------------------
// Writer

TBytesArray TKXStreamWriter::TakeBytes()
{
    TBytesArray out = std::move(FData);
    FData.clear();
    return out;
}

template <typename T>
void TKXStreamWriter::WriteLE(T Value)
{
    for (size_t i = 0; i < sizeof(T); ++i)
        FData.push_back(static_cast<uint8_t>(Value >> (8 * i)));
}

void TKXStreamWriter::WriteUInt8(uint8_t Value) { FData.push_back(Value); }
void TKXStreamWriter::WriteInt8(int8_t Value) { FData.push_back(static_cast<uint8_t>(Value)); }
void TKXStreamWriter::WriteUInt16(uint16_t Value) { WriteLE(Value); }
void TKXStreamWriter::WriteInt16(int16_t Value) { WriteLE(static_cast<uint16_t>(Value)); }
void TKXStreamWriter::WriteUInt32(uint32_t Value) { WriteLE(Value); }
void TKXStreamWriter::WriteInt32(int32_t Value) { WriteLE(static_cast<uint32_t>(Value)); }
void TKXStreamWriter::WriteUInt64(uint64_t Value) { WriteLE(Value); }
void TKXStreamWriter::WriteInt64(int64_t Value) { WriteLE(static_cast<uint64_t>(Value)); }
void TKXStreamWriter::WriteSingle(float Value) { WriteLE(std::bit_cast<uint32_t>(Value)); }
void TKXStreamWriter::WriteDouble(double Value) { WriteLE(std::bit_cast<uint64_t>(Value)); }
void TKXStreamWriter::WriteBool(bool Value) { FData.push_back(Value ? 1 : 0); }

void TKXStreamWriter::WriteBytes(std::span<const uint8_t> Data)
{
    FData.insert(FData.end(), Data.begin(), Data.end());
}

void TKXStreamWriter::WriteZeros(size_t Count)
{
    FData.insert(FData.end(), Count, uint8_t(0));
}

} // namespace kx
