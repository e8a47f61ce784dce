#include "qrcode/QRBitArray.h"

#include <algorithm>

namespace KXQRCode {

void TBitArray::EnsureCapacity(int32_t Size)
{
    const size_t words = size_t((Size + 31) / 32);
    if (words > FBits.size())
        FBits.resize(std::max(words, FBits.size() * 2), 0);
}

void TBitArray::AppendBit(bool Bit)
{
    EnsureCapacity(FSize + 1);
    if (Bit)
        SetBit(FSize);
    ++FSize;
}

void TBitArray::AppendBits(uint32_t Value, int32_t NumBits)
{
    if (NumBits <= 0)
        return;
    EnsureCapacity(FSize + NumBits);
    for (int32_t b = NumBits - 1; b >= 0;) {
        // As many bits as fit in the current word, in one step: bit FSize + k of the array is
        // bit b - k of Value.
        const int32_t pos = FSize & 31;
        const int32_t take = std::min(32 - pos, b + 1);
        uint32_t chunk = Value >> (b + 1 - take);
        if (take < 32)
            chunk &= (1u << take) - 1;
        // Reverse the chunk's order: the first bit appended lands at the lowest position.
        uint32_t reversed = 0;
        for (int32_t k = 0; k < take; ++k)
            reversed |= ((chunk >> (take - 1 - k)) & 1u) << k;
        FBits[size_t(FSize) >> 5] |= reversed << pos;
        FSize += take;
        b -= take;
    }
}

void TBitArray::AppendBitArray(const TBitArray &NewBitArray)
{
    EnsureCapacity(FSize + NewBitArray.FSize);
    // Whole source words at a time, each split across at most two destination words.
    for (int32_t i = 0; i < NewBitArray.FSize; i += 32) {
        const int32_t n = std::min(32, NewBitArray.FSize - i);
        uint32_t word = NewBitArray.FBits[size_t(i) >> 5];
        if (n < 32)
            word &= (1u << n) - 1;
        const int32_t pos = FSize & 31;
        FBits[size_t(FSize) >> 5] |= word << pos;
        if (pos && pos + n > 32)
            FBits[(size_t(FSize) >> 5) + 1] |= word >> (32 - pos);
        FSize += n;
    }
}

void TBitArray::ToBytes(int32_t BitOffset, TBytesArray &Source, int32_t Offset, int32_t NumBytes) const
{
    const int32_t capacityBits = int32_t(FBits.size()) * 32;
    for (int32_t i = 0; i < NumBytes; ++i) {
        uint8_t b = 0;
        for (int32_t j = 0; j < 8; ++j) {
            const int32_t bit = BitOffset + 8 * i + j;
            b = uint8_t(b << 1);
            if (bit < capacityBits && Get(bit))
                b |= 1;
        }
        Source[size_t(Offset + i)] = b;
    }
}

void TBitArray::XorOperation(const TBitArray &Other)
{
    if (FBits.size() != Other.FBits.size())
        return;
    for (size_t i = 0; i < FBits.size(); ++i)
        FBits[i] ^= Other.FBits[i];
}

void TBitArray::Clear()
{
    std::fill(FBits.begin(), FBits.end(), 0u);
    FSize = 0;
}

} // namespace KXQRCode
