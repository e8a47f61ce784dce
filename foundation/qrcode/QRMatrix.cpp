#include "qrcode/QRMatrix.h"

#include <algorithm>
#include <cstdlib>

namespace KXQRCode {

// ---- TByteMatrix ----------------------------------------------------------------------------

TByteMatrix::TByteMatrix(int32_t Width, int32_t Height)
    : FBytes(size_t(std::max(Width, 0)) * size_t(std::max(Height, 0)), 0),
      FWidth(std::max(Width, 0)), FHeight(std::max(Height, 0))
{
}

void TByteMatrix::Clear(uint8_t Value) { std::fill(FBytes.begin(), FBytes.end(), Value); }

std::string TByteMatrix::Hash() const
{
    std::string h;
    h.reserve(size_t(FHeight));
    for (int32_t y = 0; y < FHeight; ++y) {
        int32_t sum = 0;
        for (int32_t x = 0; x < FWidth; ++x)
            sum += Row(y)[x];
        h.push_back(char('A' + sum % 26));
    }
    return h;
}

// ---- TMaskUtil ------------------------------------------------------------------------------

bool TMaskUtil::GetDataMaskBit(int32_t MaskPattern, int32_t X, int32_t Y)
{
    // The data mask patterns of ISO/IEC 18004 (i the row Y, j the column X): the module is
    // inverted where the expression is 0.
    switch (MaskPattern) {
    case 0: return (X + Y) % 2 == 0;
    case 1: return Y % 2 == 0;
    case 2: return X % 3 == 0;
    case 3: return (X + Y) % 3 == 0;
    case 4: return (X / 3 + Y / 2) % 2 == 0;
    case 5: return (X * Y) % 2 + (X * Y) % 3 == 0;
    case 6: return ((X * Y) % 2 + (X * Y) % 3) % 2 == 0;
    case 7: return ((X * Y) % 3 + (X + Y) % 2) % 2 == 0;
    default: return false;
    }
}

// ---- TMatrixUtil ----------------------------------------------------------------------------

namespace {

constexpr uint8_t kFinder[7 * 7] = {
    1, 1, 1, 1, 1, 1, 1,
    1, 0, 0, 0, 0, 0, 1,
    1, 0, 1, 1, 1, 0, 1,
    1, 0, 1, 1, 1, 0, 1,
    1, 0, 1, 1, 1, 0, 1,
    1, 0, 0, 0, 0, 0, 1,
    1, 1, 1, 1, 1, 1, 1,
};

constexpr uint8_t kAlignment[5 * 5] = {
    1, 1, 1, 1, 1,
    1, 0, 0, 0, 1,
    1, 0, 1, 0, 1,
    1, 0, 0, 0, 1,
    1, 1, 1, 1, 1,
};

constexpr uint32_t kFormatGenerator = 0x537;  // x^10 + x^8 + x^5 + x^4 + x^2 + x + 1
constexpr uint32_t kFormatMask = 0x5412;      // 101010000010010
constexpr uint32_t kVersionGenerator = 0x1F25; // x^12 + x^11 + x^10 + x^9 + x^8 + x^5 + x^2 + 1

// First copy of the format information, (X, Y) for bits 0 to 14, around the top-left finder.
constexpr int32_t kFormatCell1[15][2] = {
    {8, 0}, {8, 1}, {8, 2}, {8, 3}, {8, 4}, {8, 5}, {8, 7}, {8, 8},
    {7, 8}, {5, 8}, {4, 8}, {3, 8}, {2, 8}, {1, 8}, {0, 8},
};

} // namespace

void TMatrixUtil::FormatInfoCell1(int32_t I, int32_t &X, int32_t &Y)
{
    X = kFormatCell1[I][0];
    Y = kFormatCell1[I][1];
}

void TMatrixUtil::FormatInfoCell2(int32_t I, int32_t Size, int32_t &X, int32_t &Y)
{
    // Bits 0..7 run leftward along row 8 under the top-right finder, bits 8..14 downward along
    // column 8 beside the bottom-left finder.
    if (I <= 7) {
        X = Size - 1 - I;
        Y = 8;
    } else {
        X = 8;
        Y = Size - 15 + I;
    }
}

int32_t TMatrixUtil::BitLength(uint32_t Value)
{
    int32_t n = 0;
    while (Value) {
        ++n;
        Value >>= 1;
    }
    return n;
}

uint32_t TMatrixUtil::BchRemainder(uint32_t Value, uint32_t Generator)
{
    const int32_t n = BitLength(Generator);
    Value <<= (n - 1);
    while (BitLength(Value) >= n)
        Value ^= Generator << (BitLength(Value) - n);
    return Value;
}

int32_t TMatrixUtil::FormatInfoBits(const TErrorCorrectionLevel &ECLevel, int32_t MaskPattern)
{
    const int32_t value = ECLevel.Bits() * 8 + MaskPattern;
    if (value < 0 || value > 31)
        return -1;
    const uint32_t data = uint32_t(value);
    return int32_t(((data << 10) | BchRemainder(data, kFormatGenerator)) ^ kFormatMask);
}

int32_t TMatrixUtil::VersionInfoBits(int32_t Version)
{
    if (Version < 7 || Version > TVersion::MaxVersion)
        return -1;
    return int32_t((uint32_t(Version) << 12) | BchRemainder(uint32_t(Version), kVersionGenerator));
}

void TMatrixUtil::PlacePattern(TByteMatrix &Matrix, int32_t Left, int32_t Top, int32_t Size,
                               const uint8_t *Cells)
{
    for (int32_t y = 0; y < Size; ++y)
        for (int32_t x = 0; x < Size; ++x) {
            if (Matrix.Get(Left + x, Top + y) != -1) {
                FMatrixUtilError = true;
                return;
            }
            Matrix.SetInteger(Left + x, Top + y, Cells[y * Size + x]);
        }
}

void TMatrixUtil::PlaceFinderPatterns(TByteMatrix &Matrix)
{
    const int32_t w = Matrix.Width(), h = Matrix.Height();
    PlacePattern(Matrix, 0, 0, 7, kFinder);
    PlacePattern(Matrix, w - 7, 0, 7, kFinder);
    PlacePattern(Matrix, 0, w - 7, 7, kFinder);

    auto separator = [&](int32_t x0, int32_t y0, int32_t dx, int32_t dy, int32_t n) {
        for (int32_t i = 0; i < n; ++i) {
            const int32_t x = x0 + i * dx, y = y0 + i * dy;
            if (Matrix.Get(x, y) != -1) {
                FMatrixUtilError = true;
                return;
            }
            Matrix.SetInteger(x, y, 0);
        }
    };
    separator(0, 7, 1, 0, 8);
    separator(w - 8, 7, 1, 0, 8);
    separator(0, w - 8, 1, 0, 8);
    separator(7, 0, 0, 1, 7);
    separator(h - 8, 0, 0, 1, 7);
    separator(7, h - 7, 0, 1, 7);
}

void TMatrixUtil::PlaceDarkModule(TByteMatrix &Matrix)
{
    const int32_t y = Matrix.Height() - 8;
    if (Matrix.Get(8, y) == 0) {
        FMatrixUtilError = true;
        return;
    }
    Matrix.SetInteger(8, y, 1);
}

void TMatrixUtil::PlaceAlignmentPatterns(int32_t Version, TByteMatrix &Matrix)
{
    const TVersion *v = TVersion::GetVersionForNumber(Version);
    if (!v || Version < 2)
        return;
    const auto centres = v->AlignmentPatternCenters();
    for (int32_t y : centres)
        for (int32_t x : centres)
            // A centre that falls on a finder pattern is already set and so skipped.
            if (Matrix.Get(x, y) == -1)
                PlacePattern(Matrix, x - 2, y - 2, 5, kAlignment);
}

void TMatrixUtil::PlaceTimingPatterns(TByteMatrix &Matrix)
{
    for (int32_t i = 8; i < Matrix.Width() - 8; ++i) {
        const int32_t bit = (i + 1) % 2; // dark at even positions
        if (Matrix.Get(i, 6) == -1)
            Matrix.SetInteger(i, 6, bit);
        if (Matrix.Get(6, i) == -1)
            Matrix.SetInteger(6, i, bit);
    }
}

void TMatrixUtil::PlaceFunctionPatterns(int32_t Version, TByteMatrix &Matrix)
{
    PlaceFinderPatterns(Matrix);
    PlaceDarkModule(Matrix);
    PlaceAlignmentPatterns(Version, Matrix);
    PlaceTimingPatterns(Matrix);
}

void TMatrixUtil::PlaceFormatInfo(const TErrorCorrectionLevel &ECLevel, int32_t MaskPattern, TByteMatrix &Matrix)
{
    const int32_t bits = FormatInfoBits(ECLevel, MaskPattern);
    if (bits < 0) {
        FMatrixUtilError = true;
        return;
    }
    for (int32_t i = 0; i < 15; ++i) {
        const int32_t bit = (bits >> i) & 1;
        int32_t x, y;
        FormatInfoCell1(i, x, y);
        Matrix.SetInteger(x, y, bit);
        FormatInfoCell2(i, Matrix.Width(), x, y);
        Matrix.SetInteger(x, y, bit);
    }
}

void TMatrixUtil::PlaceVersionInfo(int32_t Version, TByteMatrix &Matrix)
{
    if (Version < 7)
        return;
    const int32_t bits = VersionInfoBits(Version);
    if (bits < 0) {
        FMatrixUtilError = true;
        return;
    }
    // Bit k (from the least significant) goes to the 6 x 3 block above the bottom-left finder at
    // column k / 3, row H - 11 + k % 3, and transposed to the block left of the top-right finder.
    const int32_t h = Matrix.Height();
    int32_t k = 0;
    for (int32_t i = 0; i < 6; ++i)
        for (int32_t j = 0; j < 3; ++j, ++k) {
            const int32_t bit = (bits >> k) & 1;
            Matrix.SetInteger(i, h - 11 + j, bit);
            Matrix.SetInteger(h - 11 + j, i, bit);
        }
}

void TMatrixUtil::PlaceDataBits(const TBitArray &DataBits, int32_t MaskPattern, TByteMatrix &Matrix)
{
    int32_t k = 0;
    const int32_t n = DataBits.GetSize();
    ForEachEmptyCellInPlacementOrder(Matrix, [&](int32_t x, int32_t y) {
        // Cells after the stream's end are the remainder bits: 0, masked like the data.
        bool bit = k < n && DataBits.Get(k);
        ++k;
        if (MaskPattern != -1 && TMaskUtil::GetDataMaskBit(MaskPattern, x, y))
            bit = !bit;
        Matrix.SetBoolean(x, y, bit);
    });
    if (k < n)
        FMatrixUtilError = true;
}

void TMatrixUtil::BuildMatrix(const TBitArray &DataBits, const TErrorCorrectionLevel &ECLevel, int32_t Version,
                              int32_t MaskPattern, TByteMatrix &Matrix)
{
    ResetMatrix(Matrix);
    PlaceFunctionPatterns(Version, Matrix);
    PlaceFormatInfo(ECLevel, MaskPattern, Matrix);
    PlaceVersionInfo(Version, Matrix);
    PlaceDataBits(DataBits, MaskPattern, Matrix);
}

// ---- penalty rules --------------------------------------------------------------------------

namespace {

int32_t PenaltyRunsOneWay(const TByteMatrix &m, bool rows)
{
    const int32_t outer = rows ? m.Height() : m.Width();
    const int32_t inner = rows ? m.Width() : m.Height();
    int32_t penalty = 0;
    for (int32_t i = 0; i < outer; ++i) {
        int32_t run = 0, colour = -2;
        for (int32_t j = 0; j < inner; ++j) {
            const int32_t c = rows ? m.Get(j, i) : m.Get(i, j);
            if (c == colour) {
                ++run;
            } else {
                if (run >= 5)
                    penalty += 3 + (run - 5);
                colour = c;
                run = 1;
            }
        }
        if (run >= 5)
            penalty += 3 + (run - 5);
    }
    return penalty;
}

} // namespace

int32_t PenaltyRuns(const TByteMatrix &Matrix)
{
    return PenaltyRunsOneWay(Matrix, true) + PenaltyRunsOneWay(Matrix, false);
}

int32_t PenaltyBlocks(const TByteMatrix &Matrix)
{
    int32_t penalty = 0;
    for (int32_t y = 0; y + 1 < Matrix.Height(); ++y) {
        const uint8_t *a = Matrix.Row(y), *b = Matrix.Row(y + 1);
        for (int32_t x = 0; x + 1 < Matrix.Width(); ++x)
            if (a[x] == a[x + 1] && a[x] == b[x] && a[x] == b[x + 1])
                penalty += 3;
    }
    return penalty;
}

int32_t PenaltyFinderLike(const TByteMatrix &Matrix)
{
    static constexpr uint8_t pattern[7] = {1, 0, 1, 1, 1, 0, 1};
    const int32_t w = Matrix.Width(), h = Matrix.Height();
    // Cells outside the matrix never count as light.
    auto light = [&](int32_t x, int32_t y) { return x >= 0 && y >= 0 && x < w && y < h && Matrix.Get(x, y) == 0; };
    auto lightRun = [&](int32_t x, int32_t y, int32_t dx, int32_t dy) {
        for (int32_t i = 0; i < 4; ++i)
            if (!light(x + i * dx, y + i * dy))
                return false;
        return true;
    };
    int32_t penalty = 0;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            if (x + 6 < w) {
                bool match = true;
                for (int32_t i = 0; i < 7 && match; ++i)
                    match = Matrix.Get(x + i, y) == pattern[i];
                if (match && (lightRun(x + 7, y, 1, 0) || lightRun(x - 4, y, 1, 0)))
                    penalty += 40;
            }
            if (y + 6 < h) {
                bool match = true;
                for (int32_t i = 0; i < 7 && match; ++i)
                    match = Matrix.Get(x, y + i) == pattern[i];
                if (match && (lightRun(x, y + 7, 0, 1) || lightRun(x, y - 4, 0, 1)))
                    penalty += 40;
            }
        }
    return penalty;
}

int32_t PenaltyDarkRatio(const TByteMatrix &Matrix)
{
    int64_t dark = 0;
    const int64_t total = int64_t(Matrix.Width()) * Matrix.Height();
    if (total == 0)
        return 0;
    for (int32_t y = 0; y < Matrix.Height(); ++y)
        for (int32_t x = 0; x < Matrix.Width(); ++x)
            dark += Matrix.Row(y)[x] == 1;
    // |100 dark / total - 50| / 5 = |20 dark - 10 total| / total, taken exactly.
    return int32_t(10 * (std::llabs(20 * dark - 10 * total) / total));
}

} // namespace KXQRCode
