#include "qrcode/KXQRCode.h"

#include "core/KXCodec1252.h"
#include "qrcode/QRModuleRows.h"
#include "qrcode/QRReedSolomon.h"

#include <algorithm>
#include <climits>

namespace KXQRCode {

// ---- modes ----------------------------------------------------------------------------------

int32_t ModeIndicatorBits(TMode Mode)
{
    switch (Mode) {
    case TMode::qmTerminator: return 0x0;
    case TMode::qmNumeric: return 0x1;
    case TMode::qmAlphanumeric: return 0x2;
    case TMode::qmStructuredAppend: return 0x3;
    case TMode::qmByte: return 0x4;
    case TMode::qmECI: return 0x7;
    case TMode::qmKanji: return 0x8;
    case TMode::qmFNC1FirstPosition: return 0x5;
    case TMode::qmFNC1SecondPosition: return 0x9;
    case TMode::qmHanzi: return 0xD;
    }
    return 0;
}

int32_t CharCountBits(TMode Mode, int32_t Version)
{
    // Character count indicator widths, ISO/IEC 18004 Table 3, for versions 1-9, 10-26, 27-40.
    static constexpr int32_t numeric[3] = {10, 12, 14}, alphanumeric[3] = {9, 11, 13}, byte[3] = {8, 16, 16},
                             kanji[3] = {8, 10, 12};
    const int band = Version <= 9 ? 0 : Version <= 26 ? 1 : 2;
    switch (Mode) {
    case TMode::qmNumeric: return numeric[band];
    case TMode::qmAlphanumeric: return alphanumeric[band];
    case TMode::qmByte: return byte[band];
    case TMode::qmKanji:
    case TMode::qmHanzi: return kanji[band];
    default: return 0;
    }
}

bool HasLoneSurrogate(std::u16string_view Text)
{
    for (size_t i = 0; i < Text.size(); ++i) {
        const char16_t c = Text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < Text.size() && Text[i + 1] >= 0xDC00 && Text[i + 1] <= 0xDFFF)
            ++i; // a pair
        else if (c >= 0xD800 && c <= 0xDFFF)
            return true;
    }
    return false;
}

// ---- TQRCode --------------------------------------------------------------------------------

void TQRCode::SetECLevel(const TErrorCorrectionLevel &NewECLevel)
{
    FECLevel = std::make_unique<TErrorCorrectionLevel>();
    FECLevel->Assign(NewECLevel);
}

void TQRCode::SetAll(int32_t VersionNum, int32_t NumBytes, int32_t NumDataBytes, int32_t NumRSBlocks,
                     int32_t NumECBytes, int32_t MatrixWidth)
{
    FVersion = VersionNum;
    FNumTotalBytes = NumBytes;
    FNumDataBytes = NumDataBytes;
    FNumRSBlocks = NumRSBlocks;
    FNumECBytes = NumECBytes;
    FMatrixWidth = MatrixWidth;
}

int32_t TQRCode::At(int32_t X, int32_t Y)
{
    const int32_t v = FMatrix ? FMatrix->Get(X, Y) : -1;
    if (v != 0 && v != 1)
        FQRCodeError = true;
    return v;
}

bool TQRCode::IsValid() const
{
    return FECLevel && FVersion != -1 && FMatrixWidth != -1 && FMaskPattern != -1 && FNumTotalBytes != -1
        && FNumDataBytes != -1 && FNumECBytes != -1 && FNumRSBlocks != -1 && IsValidMaskPattern(FMaskPattern)
        && FNumDataBytes + FNumECBytes == FNumTotalBytes && FMatrix && FMatrixWidth == FMatrix->Width()
        && FMatrixWidth == FMatrix->Height();
}

// ---- TEncoder: data ---------------------------------------------------------------------------

int32_t TEncoder::AlphanumericValue(char16_t C)
{
    // The 45 characters of ISO/IEC 18004 Table 5.
    if (C >= u'0' && C <= u'9')
        return C - u'0';
    if (C >= u'A' && C <= u'Z')
        return C - u'A' + 10;
    switch (C) {
    case u' ': return 36;
    case u'$': return 37;
    case u'%': return 38;
    case u'*': return 39;
    case u'+': return 40;
    case u'-': return 41;
    case u'.': return 42;
    case u'/': return 43;
    case u':': return 44;
    default: return -1;
    }
}

TMode TEncoder::SelectDataMode(std::u16string_view Content, int32_t &EncodeOptions)
{
    switch (EncodeOptions) {
    case int32_t(TQRCodeEncoding::Numeric): return TMode::qmNumeric;
    case int32_t(TQRCodeEncoding::Alphanumeric): return TMode::qmAlphanumeric;
    case int32_t(TQRCodeEncoding::Automatic): break;
    default: return TMode::qmByte;
    }
    const bool any = !Content.empty();
    if (any && std::all_of(Content.begin(), Content.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; }))
        return TMode::qmNumeric;
    if (any && std::all_of(Content.begin(), Content.end(), [](char16_t c) { return AlphanumericValue(c) >= 0; }))
        return TMode::qmAlphanumeric;
    const bool latin1 = std::all_of(Content.begin(), Content.end(), [](char16_t c) { return c < 256; });
    EncodeOptions = int32_t(any && latin1 ? TQRCodeEncoding::ISO88591 : TQRCodeEncoding::UTF8NoBOM);
    return TMode::qmByte;
}

std::u16string TEncoder::KeepEncodableChars(std::u16string_view Content, TMode Mode, int32_t EncodeOptions)
{
    auto keep = [&](char16_t c) {
        switch (Mode) {
        case TMode::qmNumeric: return c >= u'0' && c <= u'9';
        case TMode::qmAlphanumeric: return AlphanumericValue(c) >= 0;
        case TMode::qmByte:
            if (EncodeOptions == int32_t(TQRCodeEncoding::ISO88591))
                return c < 256;
            return EncodeOptions == int32_t(TQRCodeEncoding::UTF8NoBOM)
                || EncodeOptions == int32_t(TQRCodeEncoding::UTF8BOM);
        default: return false;
        }
    };
    std::u16string kept;
    kept.reserve(Content.size());
    for (char16_t c : Content)
        if (keep(c))
            kept.push_back(c);
    // The symbol carries the rest; the flag lets the element tell the user that something was lost.
    if (kept.size() != Content.size())
        FEncoderError = true;
    return kept;
}

void TEncoder::AddNumericData(std::u16string_view Content, TBitArray &Bits)
{
    // Groups of three digits in 10 bits; a final pair in 7 bits, a final digit in 4.
    const size_t n = Content.size();
    size_t i = 0;
    for (; i + 3 <= n; i += 3)
        Bits.AppendBits(uint32_t((Content[i] - u'0') * 100 + (Content[i + 1] - u'0') * 10 + (Content[i + 2] - u'0')), 10);
    if (n - i == 2)
        Bits.AppendBits(uint32_t((Content[i] - u'0') * 10 + (Content[i + 1] - u'0')), 7);
    else if (n - i == 1)
        Bits.AppendBits(uint32_t(Content[i] - u'0'), 4);
}

void TEncoder::AddAlphanumericData(std::u16string_view Content, TBitArray &Bits)
{
    // Pairs as 45 x first + second in 11 bits; a final character in 6 bits.
    const size_t n = Content.size();
    for (size_t i = 0; i < n; i += 2) {
        const int32_t a = AlphanumericValue(Content[i]);
        const int32_t b = i + 1 < n ? AlphanumericValue(Content[i + 1]) : 0;
        if (a < 0 || b < 0) {
            FEncoderError = true;
            return;
        }
        if (i + 1 < n)
            Bits.AppendBits(uint32_t(a * 45 + b), 11);
        else
            Bits.AppendBits(uint32_t(a), 6);
    }
}

void TEncoder::AddByteData(std::u16string_view Content, int32_t EncodeOptions, TBitArray &Bits)
{
    FBytes.clear();
    switch (EncodeOptions) {
    case int32_t(TQRCodeEncoding::ISO88591):
        for (char16_t c : Content)
            FBytes.push_back(uint8_t(c));
        break;
    case int32_t(TQRCodeEncoding::UTF8NoBOM):
        FBytes.insert(FBytes.end(), {0xEF, 0xBB, 0xBF}); // this option writes the mark
        [[fallthrough]];
    case int32_t(TQRCodeEncoding::UTF8BOM): {
        const std::string utf8 = kx::Utf16ToUtf8(Content);
        FBytes.insert(FBytes.end(), utf8.begin(), utf8.end());
        if (HasLoneSurrogate(Content))
            FEncoderError = true;
        break;
    }
    default: break;
    }
    for (uint8_t b : FBytes)
        Bits.AppendBits(b, 8);
}

void TEncoder::AddDataBits(std::u16string_view Content, TMode Mode, int32_t EncodeOptions, TBitArray &Bits)
{
    switch (Mode) {
    case TMode::qmNumeric: AddNumericData(Content, Bits); break;
    case TMode::qmAlphanumeric: AddAlphanumericData(Content, Bits); break;
    case TMode::qmByte: AddByteData(Content, EncodeOptions, Bits); break;
    default: FEncoderError = true; break;
    }
}

void TEncoder::AddModeIndicator(TMode Mode, TBitArray &Bits) { Bits.AppendBits(uint32_t(ModeIndicatorBits(Mode)), 4); }

void TEncoder::AddCharCountIndicator(int32_t NumLetters, TMode Mode, int32_t Version, TBitArray &Bits)
{
    const int32_t width = CharCountBits(Mode, Version);
    if (NumLetters < 0 || NumLetters >= (int32_t(1) << width)) {
        FEncoderError = true;
        return;
    }
    Bits.AppendBits(uint32_t(NumLetters), width);
}

const TVersion *TEncoder::ChooseSegmentVersion(TMode Mode, int32_t HeaderBits, int32_t DataBits,
                                               const TErrorCorrectionLevel &ECLevel)
{
    // Start from the narrowest count field and widen it while the version found needs a wider
    // one: the first pass, with the width of version 1, then one with the width of the version
    // it found; a further pass would only follow if that version's width were wider still.
    int32_t width = CharCountBits(Mode, 1);
    const TVersion *v = TVersion::ChooseVersion(HeaderBits + width + DataBits, ECLevel);
    while (v && CharCountBits(Mode, v->VersionNumber()) != width) {
        width = CharCountBits(Mode, v->VersionNumber());
        v = TVersion::ChooseVersion(HeaderBits + width + DataBits, ECLevel);
    }
    return v;
}

void TEncoder::PadToCapacity(int32_t NumDataBytes, TBitArray &Bits)
{
    const int32_t capacity = 8 * NumDataBytes;
    if (Bits.GetSize() > capacity) {
        FEncoderError = true;
        return;
    }
    for (int32_t i = 0; i < 4 && Bits.GetSize() < capacity; ++i) // terminator
        Bits.AppendBit(false);
    if (Bits.GetSize() % 8)
        Bits.AppendBits(0, 8 - Bits.GetSize() % 8);
    for (int32_t i = Bits.GetSizeInBytes(), k = 0; i < NumDataBytes; ++i, ++k)
        Bits.AppendBits(k % 2 ? 0x11 : 0xEC, 8); // pad codewords 11101100 and 00010001
    if (Bits.GetSize() != capacity)
        FEncoderError = true;
}

// ---- TEncoder: blocks -------------------------------------------------------------------------

void TEncoder::BlockSizesForIndex(int32_t NumTotalBytes, int32_t NumDataBytes, int32_t NumRSBlocks, int32_t BlockIndex,
                                  int32_t &NumDataBytesInBlock, int32_t &NumECBytesInBlock)
{
    if (NumRSBlocks <= 0 || BlockIndex < 0 || BlockIndex >= NumRSBlocks) {
        FEncoderError = true;
        return;
    }
    // The last NumTotalBytes mod n blocks carry one more data codeword.
    const int32_t longBlocks = NumTotalBytes % NumRSBlocks;
    const int32_t shortBlocks = NumRSBlocks - longBlocks;
    const int32_t shortTotal = NumTotalBytes / NumRSBlocks;
    const int32_t shortData = NumDataBytes / NumRSBlocks;
    const int32_t longData = shortData + 1;
    const int32_t ecShort = shortTotal - shortData;
    const int32_t ecLong = (shortTotal + 1) - longData;
    if (ecShort != ecLong || shortBlocks + longBlocks != NumRSBlocks
        || NumTotalBytes != (shortData + ecShort) * shortBlocks + (longData + ecLong) * longBlocks) {
        FEncoderError = true;
        return;
    }
    NumDataBytesInBlock = BlockIndex < shortBlocks ? shortData : longData;
    NumECBytesInBlock = ecShort;
}

void TEncoder::MakeECBytes(const TBytesArray &DataBytes, int32_t NumECBytes, TBytesArray &ECBytes)
{
    ECBytes.assign(size_t(std::max(NumECBytes, 0)), 0);
    if (NumECBytes <= 0 || DataBytes.empty())
        return;
    if (NumECBytes <= MaxECCodewords) {
        ComputeECCodewords(DataBytes.data(), int32_t(DataBytes.size()), ECBytes.data(), NumECBytes);
        return;
    }
    TIntegerArray toEncode(DataBytes.begin(), DataBytes.end());
    toEncode.resize(toEncode.size() + size_t(NumECBytes), 0);
    TReedSolomonEncoder(TGenericGF::QRCodeField256()).Encode(toEncode, NumECBytes);
    std::copy(toEncode.end() - NumECBytes, toEncode.end(), ECBytes.begin());
}

bool TEncoder::InterleaveCodewords(const uint8_t *Data, int32_t NumTotalBytes, int32_t NumDataBytes, int32_t NumRSBlocks,
                                   TBytesArray &Result)
{
    constexpr int32_t maxBlocks = 81; // version 40 at level H
    if (NumRSBlocks <= 0 || NumRSBlocks > maxBlocks || NumTotalBytes < NumDataBytes) {
        FEncoderError = true;
        return false;
    }
    int32_t offsets[maxBlocks], lengths[maxBlocks];
    int32_t offset = 0, maxData = 0, ecPerBlock = 0;
    for (int32_t b = 0; b < NumRSBlocks; ++b) {
        int32_t data = -1, ec = -1;
        BlockSizesForIndex(NumTotalBytes, NumDataBytes, NumRSBlocks, b, data, ec);
        if (data < 0 || ec < 1 || ec > MaxECCodewords) { // every block carries check codewords
            FEncoderError = true;
            return false;
        }
        offsets[b] = offset;
        lengths[b] = data;
        offset += data;
        maxData = std::max(maxData, data);
        ecPerBlock = ec;
    }
    if (offset != NumDataBytes) {
        FEncoderError = true;
        return false;
    }
    Result.resize(size_t(NumTotalBytes));
    // Data codewords position by position across the blocks, then the check codewords likewise.
    size_t k = 0;
    for (int32_t i = 0; i < maxData; ++i)
        for (int32_t b = 0; b < NumRSBlocks; ++b)
            if (i < lengths[b])
                Result[k++] = Data[offsets[b] + i];
    uint8_t ec[MaxECCodewords];
    for (int32_t b = 0; b < NumRSBlocks; ++b) {
        ComputeECCodewords(Data + offsets[b], lengths[b], ec, ecPerBlock);
        for (int32_t j = 0; j < ecPerBlock; ++j)
            Result[size_t(NumDataBytes + j * NumRSBlocks + b)] = ec[j];
    }
    if (k + size_t(ecPerBlock) * size_t(NumRSBlocks) != size_t(NumTotalBytes)) {
        FEncoderError = true;
        return false;
    }
    return true;
}

void TEncoder::InterleaveBlocks(const TBitArray &Bits, int32_t NumTotalBytes, int32_t NumDataBytes, int32_t NumRSBlocks,
                                TBitArray &Result)
{
    if (Bits.GetSizeInBytes() != NumDataBytes) {
        FEncoderError = true;
        return;
    }
    TBytesArray data(static_cast<size_t>(NumDataBytes)), out;
    Bits.ToBytes(0, data, 0, NumDataBytes);
    if (!InterleaveCodewords(data.data(), NumTotalBytes, NumDataBytes, NumRSBlocks, out))
        return;
    for (uint8_t b : out)
        Result.AppendBits(b, 8);
}

// ---- TEncoder: mask ---------------------------------------------------------------------------

int32_t TEncoder::MaskPenalty(const TByteMatrix &Matrix)
{
    return PenaltyRuns(Matrix) + PenaltyBlocks(Matrix) + PenaltyFinderLike(Matrix) + PenaltyDarkRatio(Matrix);
}

int32_t TEncoder::PickMaskPattern(const TBitArray &Bits, const TErrorCorrectionLevel &ECLevel, TByteMatrix &Matrix,
                                  int32_t Version)
{
    int32_t best = INT32_MAX, bestMask = 0;
    for (int32_t m = 0; m < 8; ++m) {
        TMatrixUtil().BuildMatrix(Bits, ECLevel, Version, m, Matrix);
        const int32_t p = MaskPenalty(Matrix);
        if (p < best) {
            best = p;
            bestMask = m;
        }
    }
    return bestMask;
}

// ---- TEncoder::Encode -------------------------------------------------------------------------

void TEncoder::Encode(std::u16string_view Content, int32_t EncodeOptions, const TErrorCorrectionLevel &ECLevel,
                      TQRCode &QRCode)
{
    // 1-2. Mode and the characters it carries.
    int32_t options = EncodeOptions;
    const TMode mode = SelectDataMode(Content, options);
    FFiltered = KeepEncodableChars(Content, mode, options);

    // 3-4. Data and header bits.
    FData.Clear();
    AddDataBits(FFiltered, mode, options, FData);
    FHeader.Clear();
    AddModeIndicator(mode, FHeader);

    // 5. Version: the smallest that holds the segment, or the forced one if it does.
    const TVersion *version = nullptr;
    if (FForcedVersion != 0) {
        version = TVersion::GetVersionForNumber(FForcedVersion);
        if (version) {
            const int32_t bits = FHeader.GetSize() + CharCountBits(mode, FForcedVersion) + FData.GetSize();
            if ((bits + 7) / 8 > version->GetDataCodewords(ECLevel))
                version = nullptr;
        }
    } else {
        version = ChooseSegmentVersion(mode, FHeader.GetSize(), FData.GetSize(), ECLevel);
    }
    if (!version) {
        // Too long for any version (or for the forced one): the result keeps its previous symbol.
        FEncoderError = true;
        return;
    }
    const int32_t versionNumber = version->VersionNumber();

    // 6. Header, character count, data.
    FBits.Clear();
    FBits.AppendBitArray(FHeader);
    const int32_t count = mode == TMode::qmByte ? FData.GetSize() / 8 : int32_t(FFiltered.size());
    AddCharCountIndicator(count, mode, versionNumber, FBits);
    FBits.AppendBitArray(FData);

    // 7-8. Terminator and padding.
    const TECBlocks &blocks = version->GetECBlocksForLevel(ECLevel);
    const int32_t numTotal = version->GetTotalCodewords();
    const int32_t numData = numTotal - blocks.GetTotalECCodewords();
    const int32_t numBlocks = blocks.GetNumBlocks();
    PadToCapacity(numData, FBits);
    if (FBits.GetSize() != 8 * numData)
        return; // bits and capacity disagree (flagged): no symbol is better than a wrong one

    // 9. Blocks and interleaving.
    FBytes.resize(size_t(numData));
    FBits.ToBytes(0, FBytes, 0, numData);
    TBytesArray codewords;
    if (!InterleaveCodewords(FBytes.data(), numTotal, numData, numBlocks, codewords))
        return;

    // 10-11. Result and matrix.
    thread_local TModuleRows symbol;
    const int32_t forcedMask = TQRCode::IsValidMaskPattern(FForcedMask) ? FForcedMask : -1;
    const int32_t mask = PlaceAndPickMask(versionNumber, ECLevel, codewords.data(), numTotal, forcedMask, symbol);
    auto matrix = std::make_unique<TByteMatrix>(symbol.Size, symbol.Size);
    RowsToMatrix(symbol, *matrix);

    QRCode.SetECLevel(ECLevel);
    QRCode.SetMode(mode);
    QRCode.SetVersion(versionNumber);
    QRCode.SetMaskPattern(mask);
    QRCode.SetAll(versionNumber, numTotal, numData, numBlocks, numTotal - numData, symbol.Size);
    QRCode.SetMatrix(std::move(matrix));
    QRCode.SetCodewords(std::move(codewords));
}

} // namespace KXQRCode
