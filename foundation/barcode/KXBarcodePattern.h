// The bar side of the one-dimensional barcode engine: BarPattern turns a validated text,
// completed with its check characters (KXBarcodeText.h), into a width-code pattern, one
// character per bar or space, which the bar painter walks from left to right.
//
// Width codes (N = narrow width, W = N × ratio rounded, halves to even):
//   '0' space N   '1' space W   '2' space 3W/2   '3' space 2W   '4' guard space N
//   '5' bar N     '6' bar W     '7' bar 3W/2     '8' bar 2W     '9' guard bar N, lengthened
//                                                                   below the bars when the
//                                                                   digits are shown
//   'A' 'B' 'C' 'D' short bars (lower part of the height) N, W, 3W/2, 2W
// With ratio 2 the four widths of each colour are 1..4 modules.
#pragma once

#include "core/KXTypes.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace kx {

// ---------------------------------------------------------------------------------------
// Patterns

// The pattern of a text returned by BarTextWithCheck for the same Bar and CheckSum.
// ShowNumber selects the EAN/UPC guard codes ('9'/'4' when the digits are shown, '5'/'0'
// otherwise). CheckSum matters only for CODE39EX: its check character is the text's last
// character and is drawn as one symbol character, not through the full-ASCII table.
// Code 128 C drops the parentheses of application identifiers: they are printed only.
AnsiString BarPattern(const AnsiString &Text, TKXBar Bar, bool CheckSum, bool ShowNumber);

// Turns a module-count string ('1'..'4', bar first) into width codes: odd positions
// (first, third, ...) become bars '5'..'8', even positions spaces '0'..'3'.
AnsiString ShiftPatternDigits(std::string_view Modules);

// ---------------------------------------------------------------------------------------
// Widths

// The widths of the codes for a narrow width N (label units or pixels).
struct TBarWidths {
    int32_t N = 0;   // narrow: '0', '4', '5', '9', 'A'
    int32_t W = 0;   // wide: '1', '6', 'B'
    int32_t W15 = 0; // one and a half wide: '2', '7', 'C'
    int32_t W2 = 0;  // double wide: '3', '8', 'D'

    // The width of one code; 0 for a character outside the alphabet.
    int32_t Of(char Code) const;
};

// W = N × Ratio rounded to the nearest integer, halves to the even neighbour.
int32_t WideWidth(int32_t N, double Ratio);

// Sum of the widths of all codes of a pattern.
int32_t PatternWidth(std::string_view Pattern, const TBarWidths &Widths);

// ---------------------------------------------------------------------------------------
// Human-readable digit positions of EAN and UPC symbols

// Walks the pattern from StartX, adding each code's width (W15 = (3 × W) div 2 here), and
// returns the x reached after the codes that mark the digit groups:
//   EAN13 after 15, 44 codes (centres of the two groups of six)
//   EAN8  after 11, 32 codes (centres of the two groups of four)
//   UPCA  after 15, 44, 59 codes (centres of the two groups, right end of the bars)
//   UPCE0 after 15, 33 codes (centre of the six digits, right end of the bars)
// Other symbologies have no marks (empty result).
std::vector<int32_t> BarDigitMarks(std::string_view Pattern, TKXBar Bar, int32_t N, int32_t StartX,
                                   double Ratio);

} // namespace kx
