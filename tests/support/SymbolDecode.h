// Test-side rasterising of symbols and decoding with zxing-cpp.
// Symbols are judged only by what a real decoder reads from the drawn image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zt {

// An 8-bit grey image, 0 = black, 255 = white, row-major.
struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

// Draws a one-dimensional symbol. `elements` are the widths, in modules, of alternating
// bars and spaces starting with a bar. Each module is `modulePx` pixels wide; `quietModules`
// of white are added on both sides, and the bars are `heightPx` high.
GreyImage RasterBars(const std::vector<int> &elements, int modulePx = 3, int heightPx = 60,
                     int quietModules = 12);

// Draws a two-dimensional module grid (grid[row][col], true = dark) with a quiet zone of
// `quietModules` modules around it, each module `modulePx` pixels square.
GreyImage RasterGrid(const std::vector<std::vector<bool>> &grid, int modulePx = 4,
                     int quietModules = 4);

struct Decoded {
    bool ok = false;
    std::string text;        // UTF-8 text as the decoder reports it
    std::string bytes;       // the raw content bytes
    std::string format;      // zxing's format name, e.g. "EAN-13", "QRCode", "DataMatrix"
    std::string symbologyId; // e.g. "]C1" for GS1-128
    bool mirrored = false;
    int orientation = 0;     // degrees the symbol is turned in the image (with tryRotate)
};

struct DecodeOptions {
    std::string formats;            // zxing format names separated by '|'; empty = all
    bool code39Extended = false;    // read Code 39 full ASCII
    bool validateCode39Check = false;
    bool validateITFCheck = false;
    bool codabarStartStop = false;  // keep Codabar's start and stop characters in the text
    bool pure = true;               // the image holds exactly one clean symbol
    bool tryRotate = false;         // also read symbols turned by a quarter turn
};

Decoded Decode(const GreyImage &image, const DecodeOptions &options = {});

// Writes the image as a binary PGM (for looking at a failing case).
void SavePgm(const GreyImage &image, const std::string &path);

} // namespace zt
