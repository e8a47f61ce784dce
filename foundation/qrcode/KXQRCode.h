// QR Code encoder (ISO/IEC 18004, Model 2, versions 1 to 40): turns a text into a module matrix.
//
// The pipeline of TEncoder::Encode, one stage per step:
//   mode choice and filtering -> data bits -> version -> count, terminator and padding
//   -> Reed-Solomon blocks and interleaving (QRReedSolomon.h) -> matrix and mask (QRMatrix.h).
// Nothing raises: a failing step sets TEncoder::EncoderError and the caller's result holder keeps
// what it had before the run.
#pragma once

#include "qrcode/QRBitArray.h"
#include "qrcode/QRMatrix.h"
#include "qrcode/QRVersion.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace KXQRCode {

using T2DBooleanArray = std::vector<std::vector<bool>>;

// The encoding option the QR Code element stores (label files keep the ordinal). Note that
// UTF8NoBOM writes the UTF-8 byte-order mark and UTF8BOM writes none: stored labels rely on it.
enum class TQRCodeEncoding : uint8_t {
    Automatic = 0,
    Numeric = 1,
    Alphanumeric = 2,
    ISO88591 = 3,
    UTF8NoBOM = 4,
    UTF8BOM = 5,
};

// Segment modes of ISO/IEC 18004; the encoder produces only qmNumeric, qmAlphanumeric and qmByte,
// one segment per symbol.
enum class TMode : uint8_t {
    qmTerminator,
    qmNumeric,
    qmAlphanumeric,
    qmStructuredAppend,
    qmByte,
    qmECI,
    qmKanji,
    qmFNC1FirstPosition,
    qmFNC1SecondPosition,
    qmHanzi,
};

// The mode's 4-bit mode indicator.
int32_t ModeIndicatorBits(TMode Mode);
// Width of the character count for a version: bands 1-9, 10-26 and 27-40.
int32_t CharCountBits(TMode Mode, int32_t Version);

// Whether the text holds a surrogate without its partner: UTF-8 cannot carry it (it becomes
// U+FFFD).
bool HasLoneSurrogate(std::u16string_view Text);

// The result of one encoding run.
class TQRCode {
public:
    TMode Mode() const { return FMode; }
    void SetMode(TMode Mode) { FMode = Mode; }
    // The level of the last run (a copy); nullptr before the first.
    const TErrorCorrectionLevel *ECLevel() const { return FECLevel.get(); }
    void SetECLevel(const TErrorCorrectionLevel &NewECLevel);

    int32_t Version() const { return FVersion; }
    void SetVersion(int32_t Version) { FVersion = Version; }
    int32_t MatrixWidth() const { return FMatrixWidth; }
    int32_t MaskPattern() const { return FMaskPattern; }
    void SetMaskPattern(int32_t MaskPattern) { FMaskPattern = MaskPattern; }
    int32_t NumTotalBytes() const { return FNumTotalBytes; }
    int32_t NumDataBytes() const { return FNumDataBytes; }
    int32_t NumRSBlocks() const { return FNumRSBlocks; }
    void SetAll(int32_t VersionNum, int32_t NumBytes, int32_t NumDataBytes, int32_t NumRSBlocks,
                int32_t NumECBytes, int32_t MatrixWidth);

    // The module matrix of the last successful run; nullptr before it.
    const TByteMatrix *Matrix() const { return FMatrix.get(); }
    void SetMatrix(std::unique_ptr<TByteMatrix> NewMatrix) { FMatrix = std::move(NewMatrix); }
    // The interleaved data and check codewords the matrix carries.
    const TBytesArray &Codewords() const { return FCodewords; }
    void SetCodewords(TBytesArray Codewords) { FCodewords = std::move(Codewords); }

    // The module at column X, row Y (1 dark, 0 light); sets QRCodeError for any other value.
    int32_t At(int32_t X, int32_t Y);
    bool QRCodeError() const { return FQRCodeError; }
    bool IsValid() const;
    static bool IsValidMaskPattern(int32_t MaskPattern) { return MaskPattern >= 0 && MaskPattern < 8; }

private:
    TMode FMode = TMode::qmTerminator;
    std::unique_ptr<TErrorCorrectionLevel> FECLevel;
    int32_t FVersion = -1;       // 1..40, -1 not set
    int32_t FMatrixWidth = -1;   // 17 + 4 x version
    int32_t FMaskPattern = -1;   // 0..7
    int32_t FNumTotalBytes = -1; // data + check codewords
    int32_t FNumDataBytes = -1;
    int32_t FNumECBytes = -1;
    int32_t FNumRSBlocks = -1;
    std::unique_ptr<TByteMatrix> FMatrix;
    TBytesArray FCodewords;
    bool FQRCodeError = false;
};

class TEncoder {
public:
    // Set by every failing step of any run (including characters the chosen mode cannot carry,
    // which are dropped) and kept until ClearEncoderError.
    bool EncoderError() const { return FEncoderError; }
    void ClearEncoderError() { FEncoderError = false; }

    // Forcing hooks, to compare symbols with other encoders: a version of 1..40 (0 = the smallest
    // that holds the data) and a mask of 0..7 (-1 = the lowest penalty).
    int32_t ForcedVersion() const { return FForcedVersion; }
    void SetForcedVersion(int32_t Version) { FForcedVersion = Version; }
    int32_t ForcedMask() const { return FForcedMask; }
    void SetForcedMask(int32_t Mask) { FForcedMask = Mask; }

    // Encodes Content with the encoding option EncodeOptions (a TQRCodeEncoding ordinal) at
    // ECLevel into QRCode. On failure QRCode keeps its previous matrix and EncoderError is set.
    void Encode(std::u16string_view Content, int32_t EncodeOptions, const TErrorCorrectionLevel &ECLevel,
                TQRCode &QRCode);

    // ---- stages ----
    // The value of a character in the 45-character alphanumeric set, -1 when it has none.
    static int32_t AlphanumericValue(char16_t C);
    // The segment mode for an option; Automatic settles on numeric, alphanumeric or byte and then
    // sets EncodeOptions to 3 (ISO-8859-1) or 4 (UTF-8 with mark) for byte.
    static TMode SelectDataMode(std::u16string_view Content, int32_t &EncodeOptions);
    // The characters the mode can carry, in order. Dropping any sets EncoderError.
    std::u16string KeepEncodableChars(std::u16string_view Content, TMode Mode, int32_t EncodeOptions);
    void AddDataBits(std::u16string_view Content, TMode Mode, int32_t EncodeOptions, TBitArray &Bits);
    static void AddModeIndicator(TMode Mode, TBitArray &Bits);
    void AddCharCountIndicator(int32_t NumLetters, TMode Mode, int32_t Version, TBitArray &Bits);
    // The smallest version whose capacity holds the segment with its own count width; nullptr
    // when none up to 40 does.
    static const TVersion *ChooseSegmentVersion(TMode Mode, int32_t HeaderBits, int32_t DataBits,
                                                const TErrorCorrectionLevel &ECLevel);
    // Terminator, bit padding and pad codewords up to NumDataBytes codewords.
    void PadToCapacity(int32_t NumDataBytes, TBitArray &Bits);

    // ---- blocks (ISO/IEC 18004 8.5, 8.6) ----
    void BlockSizesForIndex(int32_t NumTotalBytes, int32_t NumDataBytes, int32_t NumRSBlocks, int32_t BlockIndex,
                            int32_t &NumDataBytesInBlock, int32_t &NumECBytesInBlock);
    void MakeECBytes(const TBytesArray &DataBytes, int32_t NumECBytes, TBytesArray &ECBytes);
    void InterleaveBlocks(const TBitArray &Bits, int32_t NumTotalBytes, int32_t NumDataBytes, int32_t NumRSBlocks,
                          TBitArray &Result);
    // The same on codewords: Data holds NumDataBytes codewords, Result receives NumTotalBytes.
    bool InterleaveCodewords(const uint8_t *Data, int32_t NumTotalBytes, int32_t NumDataBytes, int32_t NumRSBlocks,
                             TBytesArray &Result);

    // ---- mask ----
    // Builds the matrix for each mask in turn and returns the lowest penalty's mask, the lower
    // number on a tie; Matrix (of the version's size) is scratch space.
    int32_t PickMaskPattern(const TBitArray &Bits, const TErrorCorrectionLevel &ECLevel, TByteMatrix &Matrix,
                            int32_t Version);
    static int32_t MaskPenalty(const TByteMatrix &Matrix);

private:
    void AddNumericData(std::u16string_view Content, TBitArray &Bits);
    void AddAlphanumericData(std::u16string_view Content, TBitArray &Bits);
    void AddByteData(std::u16string_view Content, int32_t EncodeOptions, TBitArray &Bits);

    bool FEncoderError = false;
    int32_t FForcedVersion = 0;
    int32_t FForcedMask = -1;
    // Scratch kept between runs so that encoding allocates little.
    std::u16string FFiltered;
    TBitArray FData, FHeader, FBits;
    TBytesArray FBytes;
};

} // namespace KXQRCode
