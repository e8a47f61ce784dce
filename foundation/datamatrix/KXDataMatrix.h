// Data Matrix ECC 200 encoder (ISO/IEC 16022): bytes in, module grid out.
//
// The pipeline, one stage per routine, in the order the data flows:
//   MakeCodeword          bytes -> data codewords (ASCII with digit pairs and upper shift,
//                         Base 256 where the look-ahead says so), symbol size, pads
//   AddECC200Correction   data codewords -> data + Reed-Solomon check codewords, interleaved
//   PlaceECC200Modules    all codewords -> mapping matrix (the standard's "utah" placement)
//   BuildECC200Symbol     mapping matrix -> symbol grid with data regions, finders and clocks
// EncodeECC200 runs the four; it reads the same tables but keeps its working data on the
// stack and draws the grid from a per-size module map, so one call allocates at most the
// grid itself.
//
// Failures raise EKxError with a fixed text named after the failing step
// ("MakeCodeword Error", "Base256_Encode Error", "PloyMod Error").
#pragma once

#include "core/KXTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kx {


// Symbol sizes, rows x columns. The ordinal (1..30) is the size's row in ECC200Attributes:
// squares 1..24, rectangles 25..30. Stored in label files as one byte.
enum class TECC200Size : uint8_t {
    ecc200_Autosize,
    ecc200_10x10, ecc200_12x12, ecc200_14x14, ecc200_16x16, ecc200_18x18, ecc200_20x20,
    ecc200_22x22, ecc200_24x24, ecc200_26x26, ecc200_32x32, ecc200_36x36, ecc200_40x40,
    ecc200_44x44, ecc200_48x48, ecc200_52x52, ecc200_64x64, ecc200_72x72, ecc200_80x80,
    ecc200_88x88, ecc200_96x96, ecc200_104x104, ecc200_120x120, ecc200_132x132, ecc200_144x144,
    ecc200_8x18, ecc200_8x32, ecc200_12x26, ecc200_12x36, ecc200_16x36, ecc200_16x48,
};

// Only steers the automatic choice of the size.
enum class TECC200Shape : uint8_t { ecc200_Square, ecc200_Rectangle };

// ---------------------------------------------------------------------------------------
// Symbol attributes

// Columns of ECC200Attributes.
enum ECC200Attr : int {
    dmaOrdinal,        // 1..30, = the row
    dmaSymbolRows,     // finder and clock patterns included, no quiet zone
    dmaSymbolCols,
    dmaRegionRows,     // data modules of one region
    dmaRegionCols,
    dmaRegionsV,       // regions stacked vertically
    dmaRegionsH,       // regions side by side
    dmaMappingRows,    // = dmaRegionRows * dmaRegionsV
    dmaMappingCols,    // = dmaRegionCols * dmaRegionsH
    dmaDataCodewords,  // capacity
    dmaECCodewords,    // total, all blocks
    dmaDataPerBlock,   // 144x144: blocks 8 and 9 hold one less
    dmaECPerBlock,
    dmaBlocks,
    dmaColumnCount
};

constexpr int ECC200SizeCount = 30;      // ordinals 1..30
constexpr int ECC200MaxDataCodewords = 1558;
constexpr int ECC200MaxCodewords = 2178; // 144x144: 1558 data + 620 check
constexpr int ECC200WorkBuffer = 5000;   // MakeCodeword's working buffer, codewords

// Row 0 stands for ecc200_Autosize and is all zero.
extern const std::array<std::array<int32_t, dmaColumnCount>, ECC200SizeCount + 1> ECC200Attributes;

// ---------------------------------------------------------------------------------------
// Entry point

// Encodes `data` in the given size (ecc200_Autosize: the smallest of `shape` that holds it).
// `modules` receives rows x cols bytes, row-major from the top left, 1 = dark; no quiet zone.
// On failure the outputs keep what they held.
void EncodeECC200(const TBytesArray &data, TECC200Size size, TECC200Shape shape, TBytesArray &modules,
                  uint16_t &cols, uint16_t &rows);

// ---------------------------------------------------------------------------------------
// Encodation

// Data codewords padded to exactly the chosen size's capacity; `sizeOrdinal` 1..30.
void MakeCodeword(const TBytesArray &data, TECC200Size size, TECC200Shape shape, uint8_t &sizeOrdinal,
                  TBytesArray &codewords);

// Encodation modes as the look-ahead names them; only ASCII and Base 256 are produced.
enum ECC200Mode : uint8_t { dmmASCII, dmmC40, dmmText, dmmX12, dmmEDIFACT, dmmBase256 };

// The look-ahead: the mode that the data from `position` on is best encoded in, given the
// current mode. Counts are 32-bit floats; every increment is added at extended precision.
uint8_t ChooseECC200Mode(const TBytesArray &data, int position, uint8_t currentMode);

// The 253-state (pads) and 255-state (Base 256) randomisers; `position` counts from 1.
uint8_t Randomize253(uint8_t value, int position);
uint8_t Randomize255(uint8_t value, int position);

// ---------------------------------------------------------------------------------------
// Error correction and placement

// Product in GF(256) with the field polynomial x^8 + x^5 + x^3 + x^2 + 1 (0x12D).
uint8_t GF256Mul(uint8_t a, uint8_t b);

// The generator polynomial of degree `ecPerBlock` (one of the degrees ECC 200 uses),
// constant term first, leading 1 last; empty for any other degree.
TBytesArray ECC200Generator(int ecPerBlock);

// Remainder of `message` by `generator` (index = degree). `message` is the work area.
void PloyMod(TBytesArray &message, const TBytesArray &generator, TBytesArray &remainder);

void AddECC200Correction(const TBytesArray &codewords, uint8_t sizeOrdinal, TBytesArray &allCodewords);
void PlaceECC200Modules(const TBytesArray &allCodewords, uint8_t sizeOrdinal, TBytesArray &mapping);
void BuildECC200Symbol(const TBytesArray &mapping, uint8_t sizeOrdinal, TBytesArray &modules);

} // namespace kx
