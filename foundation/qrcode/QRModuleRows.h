// The mask choice on bit rows: the symbol is held as one bit per module, and the eight masks and
// the four penalty rules are evaluated 64 modules at a time. The rules and their sums are those of
// PenaltyRuns, PenaltyBlocks, PenaltyFinderLike and PenaltyDarkRatio on a TByteMatrix; this form
// only exists so that choosing a mask costs a few microseconds.
#pragma once

#include "qrcode/QRMatrix.h"
#include "qrcode/QRVersion.h"

#include <cstdint>

namespace KXQRCode {

constexpr int32_t MaxModules = 177; // version 40
constexpr int32_t MaxRowWords = 3;  // 64-bit words for one row of 177 modules

// Bit X % 64 of word X / 64 of row Y is the module at column X (1 dark); bits beyond Size are 0.
struct TModuleRows {
    int32_t Size = 0;  // modules a side, 21..177
    int32_t Words = 0; // words per row in use, 1..3
    uint64_t Rows[MaxModules][MaxRowWords];
};

// Places the interleaved codewords of one symbol of Version into the data region, with the
// remainder bits 0, tries the masks and returns the one with the lowest penalty (the lower number
// on a tie); Out receives the finished symbol with its format information. ForcedMask 0..7 takes
// that mask without evaluating any.
int32_t PlaceAndPickMask(int32_t Version, const TErrorCorrectionLevel &ECLevel, const uint8_t *Codewords,
                         int32_t NumCodewords, int32_t ForcedMask, TModuleRows &Out);

// The sum of the four penalty rules.
int32_t MaskPenaltyRows(const TModuleRows &Symbol);

void RowsToMatrix(const TModuleRows &Symbol, TByteMatrix &Matrix);
// Cells other than 1 read as light.
void MatrixToRows(const TByteMatrix &Matrix, TModuleRows &Symbol);

} // namespace KXQRCode
