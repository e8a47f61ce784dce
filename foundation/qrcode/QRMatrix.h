// The QR Code module matrix: function patterns, format and version information, data placement,
// the eight data masks and the four penalty rules that choose between them (ISO/IEC 18004).
//
// Coordinates: X is the column (0 at the left), Y the row (0 at the top).
#pragma once

#include "qrcode/QRBitArray.h"
#include "qrcode/QRVersion.h"

#include <cstdint>
#include <string>
#include <vector>

namespace KXQRCode {

// A rectangle of module cells: 0 light, 1 dark, 255 empty (not yet set). Rows are stored one
// after another in a single block; Row gives the penalty rules direct row access.
class TByteMatrix {
public:
    static constexpr uint8_t Empty = 255;

    TByteMatrix() = default;
    TByteMatrix(int32_t Width, int32_t Height); // all cells 0

    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    // The cell value, -1 for an empty cell.
    int32_t Get(int32_t X, int32_t Y) const
    {
        const uint8_t v = FBytes[size_t(Y) * size_t(FWidth) + size_t(X)];
        return v == Empty ? -1 : v;
    }
    void SetBoolean(int32_t X, int32_t Y, bool Value) { Cell(X, Y) = Value ? 1 : 0; }
    void SetInteger(int32_t X, int32_t Y, int32_t Value) { Cell(X, Y) = uint8_t(Value); }
    void Clear(uint8_t Value);
    const uint8_t *Row(int32_t Y) const { return FBytes.data() + size_t(Y) * size_t(FWidth); }
    uint8_t *Row(int32_t Y) { return FBytes.data() + size_t(Y) * size_t(FWidth); }
    // One capital letter per row: "A" plus (sum of the row's cells, empty counting 255) mod 26.
    std::string Hash() const;

    bool operator==(const TByteMatrix &o) const = default;

private:
    uint8_t &Cell(int32_t X, int32_t Y) { return FBytes[size_t(Y) * size_t(FWidth) + size_t(X)]; }

    std::vector<uint8_t> FBytes; // FHeight rows of FWidth cells
    int32_t FWidth = 0;
    int32_t FHeight = 0;
};

class TMaskUtil {
public:
    // True where data mask MaskPattern (0..7) inverts the module at column X, row Y.
    static bool GetDataMaskBit(int32_t MaskPattern, int32_t X, int32_t Y);
};

// Builds a matrix cell by cell, in the order of ISO/IEC 18004. Every failed check sets
// MatrixUtilError; nothing is raised.
class TMatrixUtil {
public:
    bool MatrixUtilError() const { return FMatrixUtilError; }

    // Fills the given square matrix (17 + 4 x Version modules a side). MaskPattern -1 places the
    // data unmasked.
    void BuildMatrix(const TBitArray &DataBits, const TErrorCorrectionLevel &ECLevel, int32_t Version,
                     int32_t MaskPattern, TByteMatrix &Matrix);

    // The steps of BuildMatrix.
    static void ResetMatrix(TByteMatrix &Matrix) { Matrix.Clear(TByteMatrix::Empty); }
    // Finder patterns with separators, the dark module, alignment and timing patterns.
    void PlaceFunctionPatterns(int32_t Version, TByteMatrix &Matrix);
    void PlaceFormatInfo(const TErrorCorrectionLevel &ECLevel, int32_t MaskPattern, TByteMatrix &Matrix);
    void PlaceVersionInfo(int32_t Version, TByteMatrix &Matrix);
    void PlaceDataBits(const TBitArray &DataBits, int32_t MaskPattern, TByteMatrix &Matrix);

    // The 15 format bits (level bits x 8 + mask, BCH(15,5) check, masked with 5412 hex) as the
    // low bits of the result, the first bit the most significant; -1 when level bits x 8 + mask
    // does not fit the 5 data bits.
    static int32_t FormatInfoBits(const TErrorCorrectionLevel &ECLevel, int32_t MaskPattern);
    // The 18 version bits (the version in 6 bits, then the BCH(18,6) check); -1 outside 7..40.
    static int32_t VersionInfoBits(int32_t Version);
    static int32_t BitLength(uint32_t Value);
    static uint32_t BchRemainder(uint32_t Value, uint32_t Generator);

    // Format information cells: cell i of each copy takes bit i of FormatInfoBits, counted from the
    // least significant bit.
    static void FormatInfoCell1(int32_t I, int32_t &X, int32_t &Y);
    static void FormatInfoCell2(int32_t I, int32_t Size, int32_t &X, int32_t &Y);

    // Visits the cells still empty in the two-column zigzag of the data placement: column pairs
    // from the right, skipping the vertical timing column, rows alternately upward and downward.
    template <class Visit>
    static void ForEachEmptyCellInPlacementOrder(const TByteMatrix &Matrix, Visit &&visit)
    {
        const int32_t w = Matrix.Width(), h = Matrix.Height();
        bool upward = true;
        for (int32_t x = w - 1; x > 0; x -= 2) {
            if (x == 6)
                x = 5; // the vertical timing pattern is never part of a column pair
            for (int32_t step = 0; step < h; ++step) {
                const int32_t y = upward ? h - 1 - step : step;
                for (int32_t dx = 0; dx < 2; ++dx)
                    if (Matrix.Get(x - dx, y) == -1)
                        visit(x - dx, y);
            }
            upward = !upward;
        }
    }

private:
    void PlaceFinderPatterns(TByteMatrix &Matrix);
    void PlaceDarkModule(TByteMatrix &Matrix);
    void PlaceAlignmentPatterns(int32_t Version, TByteMatrix &Matrix);
    void PlaceTimingPatterns(TByteMatrix &Matrix);
    void PlacePattern(TByteMatrix &Matrix, int32_t Left, int32_t Top, int32_t Size, const uint8_t *Cells);

    bool FMatrixUtilError = false;
};

// ---- Penalty rules, on the finished matrix of one mask --------------------------------------
// Rule 1: in each row and each column, a run of n >= 5 modules of one colour costs 3 + (n - 5).
int32_t PenaltyRuns(const TByteMatrix &Matrix);
// Rule 2: each 2 x 2 square of one colour costs 3; overlapping squares count separately.
int32_t PenaltyBlocks(const TByteMatrix &Matrix);
// Rule 3: dark, light, dark, dark, dark, light, dark (rows rightward, columns downward) costs 40
// when the 4 cells after it, or else the 4 before it, exist and are light.
int32_t PenaltyFinderLike(const TByteMatrix &Matrix);
// Rule 4: 10 for each full 5 % that the share of dark modules lies away from 50 %.
int32_t PenaltyDarkRatio(const TByteMatrix &Matrix);

} // namespace KXQRCode
