// QR Code versions: the error-correction block structure of every version and level, and the
// data capacity that the version choice reads.
#pragma once

#include <array>
#include <utility>
#include <cstdint>
#include <span>
#include <vector>

namespace KXQRCode {

using TIntegerArray = std::vector<int32_t>;

// An error-correction level. The element always uses level L; the other three exist so that the
// whole version table can be checked against other encoders.
class TErrorCorrectionLevel {
public:
    TErrorCorrectionLevel() = default;
    explicit TErrorCorrectionLevel(int32_t Bits) : FBits(Bits) {}
    static TErrorCorrectionLevel L() { return TErrorCorrectionLevel(1); }
    static TErrorCorrectionLevel M() { return TErrorCorrectionLevel(0); }
    static TErrorCorrectionLevel Q() { return TErrorCorrectionLevel(3); }
    static TErrorCorrectionLevel H() { return TErrorCorrectionLevel(2); }

    void Assign(const TErrorCorrectionLevel &Source) { FBits = Source.FBits; }
    // The level's two bits in the format information: L 1, M 0, Q 3, H 2.
    int32_t Bits() const { return FBits; }
    void SetBits(int32_t Bits) { FBits = Bits; }
    // The level's column in the version table (L 0, M 1, Q 2, H 3); bits outside 0..3 read as L.
    int Ordinal() const;

private:
    int32_t FBits = 1;
};

// One group of equal Reed-Solomon blocks.
class TECB {
public:
    TECB() = default;
    TECB(int32_t Count, int32_t DataCodewords) : FCount(Count), FDataCodewords(DataCodewords) {}
    int32_t GetCount() const { return FCount; }
    int32_t GetDataCodewords() const { return FDataCodewords; }

private:
    int32_t FCount = 0;         // blocks in the group, >= 1
    int32_t FDataCodewords = 0; // data codewords per block
};

// The blocks of one version at one level: one or two groups, the second (when present) with one
// more data codeword per block; every block carries the same number of check codewords.
class TECBlocks {
public:
    TECBlocks() = default;
    TECBlocks(int32_t ECCodewordsPerBlock, TECB ECBlocks1);
    TECBlocks(int32_t ECCodewordsPerBlock, TECB ECBlocks1, TECB ECBlocks2);

    std::span<const TECB> GetECBlocks() const { return {FECBlocks.data(), size_t(FGroups)}; }
    int32_t GetECCodewordsPerBlock() const { return FECCodewordsPerBlock; }
    int32_t GetNumBlocks() const;
    int32_t GetTotalECCodewords() const { return GetNumBlocks() * FECCodewordsPerBlock; }

private:
    int32_t FECCodewordsPerBlock = 0;
    std::array<TECB, 2> FECBlocks{};
    int32_t FGroups = 0; // 1 or 2
};

// One row of the version table. Rows live in a table built once; GetVersionForNumber hands out
// pointers into it, so a version never has to be freed and can never be half built.
class TVersion {
public:
    static constexpr int MinVersion = 1;
    static constexpr int MaxVersion = 40;

    // The row for 1..40, nullptr for any other number.
    static const TVersion *GetVersionForNumber(int VersionNum);

    // The first version from 1 to 40 whose data capacity at ecLevel holds NumInputBits
    // (rounded up to whole codewords); nullptr when none does.
    static const TVersion *ChooseVersion(int NumInputBits, const TErrorCorrectionLevel &ecLevel);

    int32_t VersionNumber() const { return FVersionNumber; }
    // Row and column coordinates of the alignment pattern centres (ISO/IEC 18004 Annex E).
    std::span<const int32_t> AlignmentPatternCenters() const;
    int32_t GetDimensionForVersion() const { return 17 + 4 * FVersionNumber; }
    const TECBlocks &GetECBlocksForLevel(const TErrorCorrectionLevel &ECLevel) const;
    int32_t GetTotalCodewords() const { return FTotalCodewords; }
    // Check codewords per block at level L.
    int32_t ECCodewords() const { return FECBlocks[0].GetECCodewordsPerBlock(); }
    // Data codewords at the given level: total codewords less all blocks' check codewords.
    int32_t GetDataCodewords(const TErrorCorrectionLevel &ECLevel) const;

    TVersion(int32_t VersionNumber, int32_t TotalCodewords, const std::array<TECBlocks, 4> &ECBlocks);

private:
    int32_t FVersionNumber = 0;        // 1..40
    std::array<TECBlocks, 4> FECBlocks; // levels L, M, Q, H
    int32_t FTotalCodewords = 0;       // sum over any level's blocks of data + check codewords
};

} // namespace KXQRCode
