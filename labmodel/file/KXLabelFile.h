// The label file (".eti"): the document written as one binary stream.
//
// Layout, little-endian throughout: a header with the document's settings, the counters, then
// one record per element in list order (a type byte, then the kind's record). There is no
// signature and no checksum; the first 32-bit value tells the layout. Current files start
// with their version (2811). The oldest files start with six texts and carry the version
// after them; their wide texts have no byte length (the stream context's OldFormat), and
// some of them hold ANSI texts where later ones hold wide texts (AnsiFallback).
//
// Version gates of the header (the element records test the document's FileVersion):
//   >= 18    the thumbnail flag byte; older files always carry a bitmap there
//   >= 19    the title's font colour
//   >= 20    lengths in hundredths of a millimetre (older: tenths, scaled by 10 on reading,
//            except the title position, the sheet counts and the print settings); the
//            counters; the data access type's current ordinals
//   >= 2700  the detail dataset name
//   >= 2800  the printer block (index, name, field repetition, continuous paper)
//   >= 2810  the external-file block (type, separator, header row, file, table, caption,
//            and optionally the field list of the first catalogue dataset)
//
// The header is read whole into a TKXLabelHeader before anything of the document changes, so
// a stream that fails part way leaves the document's settings as they were.
#pragma once

#include "core/KXTypes.h"
#include "document/KXSetup.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace kx {

class TKXCustomLab;
class TKXStreamReader;
class TKXStreamWriter;

// The editor's settings stored in every label file (fields 18 and 36 to 39). A document
// without an editor keeps the block it last read and writes it back.
struct TKXEditorFileBlock {
    TKXSnap Snap = TKXSnap::snPoint;
    TColor GridColor = 0;
    int32_t IncX = 0; // hundredths of a millimetre
    int32_t IncY = 0;
    bool ShowGrid = false;
    TColor SelColor = 0;

    bool operator==(const TKXEditorFileBlock &) const = default;
};

// One field of the external-file dataset (field 14).
struct TKXFileField {
    QString Name;
    QString Caption;
    bool FloatAsDateTime = false;
    int16_t FieldType = 0;

    bool operator==(const TKXFileField &) const = default;
};

// One counter record (stored after the header from version 20 on).
struct TKXFileCounter {
    int64_t NumFrom = 1;
    int64_t NumTo = 100;
    int32_t Num = 100;
    int32_t Step = 1;
    int32_t NumBefore = -1;
    int32_t NumAfter = -1;
    QString Format; // Windows-1252 text in the file
    QString Name;

    bool operator==(const TKXFileCounter &) const = default;
};

// What the file stores of the editor while the document has none; the document keeps it
// between a load and the next save.
struct TKXLabelFileExtras {
    TKXEditorFileBlock Editor;
};

// Every header field of the current layout, lengths in hundredths of a millimetre.
struct TKXLabelHeader {
    int32_t Version = 2811;
    QString BackFile;          // 2: background picture file
    QString DatasetName;       // 3
    QString DetailName;        // 6
    TKXExtFileType ExtFileType = TKXExtFileType::efNone;
    TKXExtSeparator ExtSeparator = TKXExtSeparator::esComa;
    bool ExtHasHeader = true;
    QString ExtFileName;
    QString ExtTableName;
    QString ExtTableDisplay;
    bool ExtSaveFileds = false;
    std::vector<TKXFileField> ExtFields; // 14, stored only with ExtSaveFileds
    QString LabelName;         // 15
    QString PaperName;         // 16
    TKXEditorFileBlock Editor; // 18, 36-39
    TKXUnits Units = TKXUnits::unMM;
    TKXDataAccessType DataAccessType = TKXDataAccessType::daDataSet;
    // Measure
    int32_t Width = 0, Height = 0, MarLeft = 0, MarTop = 0, DiHor = 0, DiVer = 0;
    int32_t NuHor = 1, NuVer = 1; // rows, columns
    int32_t PaperWidth = 0, PaperHeight = 0, InnerCircle = 0;
    TZantorType LabelType = TZantorType::ltRect;
    // Title
    int32_t TitleFontHeight = 0;
    TColor TitleFontColor = 0;
    TPoint TitlePosition;
    bool TitlePrint = false;
    QString TitleFontName;
    QString TitleText;
    // Back surface
    TColor BackColor = 0, BackToColor = 0, AlignColor = 0;
    TKXBackStyle BackStyle = TKXBackStyle::biNone;
    int32_t AlignX = 0, AlignY = 0;
    bool ShowAlign = false;
    bool BackPrint = false;
    bool ShowMargins = false;
    // Frame
    TColor FrameColor = 0;
    int32_t Dist1 = 0, Dist2 = 0, Radio = 0;
    TKXFrameStyle FrameStyle = TKXFrameStyle::fsNone;
    int32_t FramePenWidth = 0;
    bool LinkData = false;
    // Print settings
    int32_t NumLabs = 1;
    TColor MarginColor = 0;
    int32_t FirstRow = 1, FirstCol = 1, FirstLab = 1, LastLab = 0;
    int16_t PaperSize = 9;
    TPrinterOrientation Orientation = TPrinterOrientation::poPortrait;
    int32_t PrinterIndex = -99;
    QString PrinterName;
    QString FieldRepetition; // Windows-1252 text in the file
    bool ContinousPaper = false;
    std::vector<TKXFileCounter> Counters;

    bool operator==(const TKXLabelHeader &) const = default;
};

// A length of a stream older than version 20, stored in tenths of a millimetre, in
// hundredths. A value whose hundredths do not fit 32 bits cannot be a length: the stream is
// malformed (EKxStreamError).
int32_t TenthsToInternal(int32_t Tenths);

// The largest length (pen width, padding, gap, font height, module size, row height...) an
// element record hands to the drawing code: 10 m in hundredths of a millimetre, far beyond
// any label, small enough that a few of them added to a point cannot leave 64 bits and a
// few of them added together cannot leave 32 bits. Readers bring every stored length
// within +-MaxFileLength, keeping its sign; points are not lengths and stay as stored.
inline constexpr int32_t MaxFileLength = 1000000;
int32_t LimitedLength(int32_t Stored);
// A stored scale factor: NaN (which every comparison lets through) reads as 1, infinities
// and anything beyond +-MaxFileFactor as that bound.
inline constexpr float MaxFileFactor = 10000.0f;
float LimitedFactor(float Stored);

class TKXLabelFile {
public:
    // Most elements, counters or fields one stream may announce; a count above it (or above
    // the bytes left) is a malformed stream, not a reason to loop for hours.
    static constexpr int32_t MaxRecords = 1000000;

    // Reads the header and the counters (everything before the element count). Sets the
    // stream context's OldFormat and AnsiFallback for the rest of the stream. Throws
    // EKxStreamError on a stream that ends early or holds a field it cannot have; changes
    // nothing outside Stream and the result.
    static TKXLabelHeader ReadHeader(TKXStreamReader &Stream);
    // Writes the header and the counters in the current layout. A text too long for the
    // format throws EKxTextTooLong.
    static void WriteHeader(const TKXLabelHeader &Header, TKXStreamWriter &Stream);

    // The header the document would write now.
    static TKXLabelHeader Capture(const TKXCustomLab &Lab);
    // Stores a header into the document and its set-up objects directly (no setters, no
    // change notification), except the background picture's file, which is set through
    // its setter so the picture loads. Counters and the catalogue are left alone.
    static void Apply(const TKXLabelHeader &Header, TKXCustomLab &Lab);
    // The external file's dataset of a header that stores its fields, into the catalogue's
    // front (Name and BaseName the table's name, Caption its display name). An item of the
    // catalogue with that name is replaced, so loading a label again adds no second copy.
    static void PutExtDataset(const TKXLabelHeader &Header, TKXCustomLab &Lab);
    // The header's counters, appended to the document's.
    static void AddCounters(const TKXLabelHeader &Header, TKXCustomLab &Lab);

    // Reads the element count and the element records, creating each element on Lab with
    // the element factory. In a version-18 stream type 10 named a kind that no longer
    // exists (it fails) and 12 the asked text. An unknown type ends the read with
    // EKxStreamError; elements read before it stay in Lab's list for the caller to remove.
    static void ReadElements(TKXStreamReader &Stream, TKXCustomLab &Lab, int32_t Version);
    // The type code a stored code stands for in a stream of that version.
    static int RemapElementType(int Code, int32_t Version);

    // Skips the Windows bitmap file image of an old stream's thumbnail ("BM", total size).
    static void SkipBitmap(TKXStreamReader &Stream);
};

} // namespace kx
