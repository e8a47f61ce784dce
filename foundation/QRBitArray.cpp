#include "QRBitArray.h"

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
    for (int32_t b = NumBits - 1; b >= 0; --b) {
        if ((Value >> b) & 1u)
            SetBit(FSize);
        ++FSize;
    }
}

void TBitArray::AppendBitArray(const TBitArray &NewBitArray)
{
    EnsureCapacity(FSize + NewBitArray.FSize);
    for (int32_t i = 0; i < NewBitArray.FSize; ++i) {
        if (NewBitArray.Get(i))
            SetBit(FSize);
        ++FSize;
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
