// A growable string of bits, the QR Code encoder's bit stream.
#pragma once

#include "core/KXTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace KXQRCode {

using kx::TBytesArray;

// Bit i lives in word i / 32 at bit position i % 32, counted from the least significant bit;
// words beyond Size hold 0 bits. Invariant: Bits.size() * 32 >= Size, and at least one word.
class TBitArray {
public:
    TBitArray() : FBits(1, 0) {}
    // Empty, with room reserved for Size bits.
    explicit TBitArray(int32_t Size) : FBits(size_t(Size > 0 ? (Size + 31) / 32 : 1), 0) {}

    bool Get(int32_t I) const { return (FBits[size_t(I) >> 5] >> (I & 31)) & 1u; }
    int32_t GetSize() const { return FSize; }
    int32_t GetSizeInBytes() const { return (FSize + 7) / 8; }
    const std::vector<uint32_t> &Bits() const { return FBits; }

    // Sets bit Index (which must lie within the reserved words) without changing Size.
    void SetBit(int32_t Index) { FBits[size_t(Index) >> 5] |= 1u << (Index & 31); }
    void AppendBit(bool Bit);
    // Appends the lowest NumBits (0..32) bits of Value, most significant first.
    void AppendBits(uint32_t Value, int32_t NumBits);
    void AppendBitArray(const TBitArray &NewBitArray);
    // Writes NumBytes bytes into Source from index Offset on, each made of the next 8 bits from
    // BitOffset on, the first bit the most significant.
    void ToBytes(int32_t BitOffset, TBytesArray &Source, int32_t Offset, int32_t NumBytes) const;
    // Exclusive-or with another array of the same number of words; otherwise nothing happens.
    void XorOperation(const TBitArray &Other);
    // Back to empty, keeping the reserved words.
    void Clear();

private:
    void EnsureCapacity(int32_t Size);

    std::vector<uint32_t> FBits;
    int32_t FSize = 0; // bits appended so far
};

} // namespace KXQRCode
