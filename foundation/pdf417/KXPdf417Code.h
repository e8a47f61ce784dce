// PDF417 encoder (ISO/IEC 15438): an ANSI text in, codewords and module rows out.
//
// The pipeline, one stage per routine, in the order the data flows:
//   Encode              text -> data codewords from index 1 (text, byte and numeric
//                       compaction chosen by the run tests, backslash escapes in text)
//   MakeErrorCorrection level (chosen or automatic), grid (CalcSize), length descriptor at
//                       index 0, pads 900, Reed-Solomon check codewords over GF(929)
//   CalcSize            the grid of rows and data columns from the request and the data
//   MakeModuleRows      codewords -> the finished rows of modules (start pattern, row
//                       indicators, data, right indicator and stop pattern or the
//                       truncated form's single stop bar)
// Encode ends with MakeErrorCorrection; a changed level or grid request runs it alone over
// the data codewords already made.
//
// Nothing throws: a text that cannot become a symbol leaves Status() saying why, and the
// element draws its placeholder for it.
#pragma once

#include "core/KXTypes.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kx {

// Stored in label files as one byte (ordinal 0..9).
KX_ENUM(TKXPdf417CorrectionLevel, Level0, Level1, Level2, Level3, Level4, Level5, Level6, Level7, Level8,
        Auto)

enum class TKXPdf417Status : uint8_t {
    psOk,          // a symbol
    psEmpty,       // no text: no symbol
    psTooLong,     // the data fits no grid (at most 928 codewords in all)
    psGridTooSmall, // the requested grid cannot hold the data and its check codewords
    psGridTooLarge  // the requested grid has more than 928 codewords
};

// Bar-space patterns of the three clusters 0, 3, 6 (index 0, 1, 2), codeword 0..928: the
// eight element widths in modules as hexadecimal digits, bar first (KXPdf417Patterns.cpp,
// generated).
extern const uint32_t Pdf417PatternWidths[3][929];

// A pattern as 17 module bits, leftmost module in bit 16, 1 = bar.
uint32_t Pdf417PatternBits(int clusterIndex, int codeword);

// Coefficient of x^j (j = 0..k-1) of the generator prod (x - 3^i), i = 1..k, modulo 929,
// for k = 2^(level + 1); the leading 1 is left out.
const uint16_t *Pdf417Generator(int level);

class TKXPdf417Code {
public:
    static constexpr int MaxCodewords = 928;  // a whole symbol, check codewords included
    static constexpr int MaxRows = 90;
    static constexpr int MinRows = 3;
    static constexpr int MaxCols = 30;

    // --- Request -------------------------------------------------------------------------
    TKXPdf417CorrectionLevel CorrectionLevel() const { return FCorrecLevel; }
    void SetCorrectionLevel(TKXPdf417CorrectionLevel Value) { FCorrecLevel = Value; }
    // Requested rows (0..90) and data columns (0..30); 0 = automatic. Other values are
    // clamped into range.
    int16_t Rows() const { return FRows; }
    void SetRows(int16_t Value);
    int16_t Cols() const { return FCols; }
    void SetCols(int16_t Value);

    // --- Stages --------------------------------------------------------------------------
    // Rebuilds every codeword, the grid and the check codewords from Text (Windows-1252
    // bytes). An empty text leaves the grid as it was, with every codeword 900.
    void Encode(std::string_view Text);
    // Level, grid, length descriptor, pads and check codewords over the data codewords.
    void MakeErrorCorrection();
    // Sets XCount and YCount from the request and the data; psOk when the grid holds the
    // descriptor, the data and the check codewords.
    TKXPdf417Status CalcSize();
    // The symbol's rows of modules, row-major, one byte a module (1 = bar); Width() bytes a
    // row, YCount() rows. Empty when Status() is not psOk.
    void MakeModuleRows(bool Truncated, std::vector<uint8_t> &Modules) const;

    // --- Result --------------------------------------------------------------------------
    TKXPdf417Status Status() const { return FStatus; }
    // Codewords: index 0 the length descriptor, the data from 1, pads, then the check
    // codewords; XCount() x YCount() of them make the symbol.
    const std::array<uint16_t, MaxCodewords> &CodeWords() const { return FCodeWords; }
    int32_t UsedCWords() const { return FUsedCWords; }
    int32_t NumErrorCWords() const { return FNumErrorCWords; }
    int32_t ErrorLevel() const { return FErrorLevel; }
    uint16_t XCount() const { return FXCount; }
    uint16_t YCount() const { return FYCount; }
    // Modules a row: 17 x XCount + 69, or + 35 truncated (no right indicator, stop is one bar).
    int Width(bool Truncated) const { return 17 * FXCount + (Truncated ? 35 : 69); }
    // The left and right row indicator codewords of row j (0 at the top).
    uint16_t LeftIndicator(int j) const;
    uint16_t RightIndicator(int j) const;

private:
    // Compaction helpers (KXPdf417Code.cpp); each returns the position after its segment.
    void Put(uint16_t cw);
    size_t NumericSegment(std::string_view t, size_t pos);
    size_t ByteSegment(std::string_view t, size_t pos);
    // outsideChar: a character that an escape produced and text cannot hold, else -1.
    size_t TextSegment(std::string_view t, size_t pos, int &outsideChar);

    std::array<uint16_t, MaxCodewords> FCodeWords{}; // values 0..928
    int32_t FUsedCWords = 1;     // next free index = data codewords + 1; <= MaxCodewords - 2
    int32_t FNumErrorCWords = 0; // 2..512, = 2^(FErrorLevel + 1)
    int32_t FErrorLevel = 0;     // 0..8
    TKXPdf417CorrectionLevel FCorrecLevel = TKXPdf417CorrectionLevel::Auto;
    int16_t FRows = 0;           // 0..90, 0 = automatic
    int16_t FCols = 0;           // 0..30, 0 = automatic
    uint16_t FXCount = 0;        // data columns of the grid, 1..30
    uint16_t FYCount = 0;        // rows of the grid, 3..90; XCount x YCount <= 928
    bool FOverflow = false;      // compaction ran past what any symbol holds
    bool FEmpty = true;
    TKXPdf417Status FStatus = TKXPdf417Status::psEmpty;
};

} // namespace kx
