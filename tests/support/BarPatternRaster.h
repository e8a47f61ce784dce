// Test-side drawing of width-code bar patterns (KXBarcodePattern.h) into grey images for
// zxing, and their reading as runs of bars and spaces for comparisons with zint.
#pragma once

#include "SymbolDecode.h"

#include "barcode/KXBarcodePattern.h"

#include <string_view>
#include <vector>

namespace zt {

// Widths of the codes for a narrow width in pixels and a ratio, rounded as the painter
// rounds them (W halves to even, 3W/2 rounded, 2W).
kx::TBarWidths PatternWidths(int narrowPx, double ratio);

// The pattern as alternating runs, bar first, each the summed width of its codes; a code
// of the same colour as the one before it widens that run. An empty pattern gives no runs.
std::vector<int> PatternRuns(std::string_view pattern, const kx::TBarWidths &widths);

// Whether every code of the pattern is in the width-code alphabet, bars and spaces
// alternate, and the pattern starts and ends with a bar (trailing spaces aside).
bool PatternAlternates(std::string_view pattern);

// Draws the pattern with `quietPx` of white on either side (at least ten narrow widths by
// default). Full bars take the whole height; short bars ('A'..'D') the lower 2/5.
GreyImage RasterPattern(std::string_view pattern, const kx::TBarWidths &widths, int heightPx = 30,
                        int quietPx = -1);

} // namespace zt
