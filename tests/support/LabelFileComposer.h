// An independent little composer of label files for the tests: it writes the bytes field by
// field from the format's tables (header fields 1 to 52, the string records, records E and D
// of the elements, the counter record), with every version gate, without any of the
// library's writers. Values are given as the file stores them (tenths of a millimetre for
// lengths in files older than version 20).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zt {

using Bytes = std::vector<uint8_t>;

// Little-endian bytes, appended.
class LeBytes {
public:
    Bytes B;
    LeBytes &U8(uint8_t v);
    LeBytes &I16(int16_t v);
    LeBytes &I32(int32_t v);
    LeBytes &I64(int64_t v);
    LeBytes &F32(float v);
    LeBytes &Raw(const Bytes &v);
    // Wide record: count, the byte length in base 128 (not in the oldest layout), UTF-16LE.
    LeBytes &Wide(const std::u16string &s, bool OldLayout = false);
    // ANSI record: count, the bytes.
    LeBytes &Ansi(const std::string &s);
};

// A Windows bitmap file image of w x h pixels, 24 bits ("BM", total size, offset 54).
Bytes BitmapFile(int w, int h);

struct ComposedField {
    std::u16string Name, Caption;
    uint8_t FloatAsDateTime = 0;
    int16_t FieldType = 0;
};

struct ComposedCounter {
    int64_t NumFrom = 1, NumTo = 100;
    int32_t Num = 100, Step = 1, NumBefore = -1, NumAfter = -1;
    std::string Format, Name;
};

// Record E (and D) of one element, fields as stored. Code is the type byte.
struct ComposedElement {
    uint8_t Code = 4;
    int32_t Color = 0, BackColor = 0xFFFFFF, BorderColor = 0xFF;
    uint8_t PenStyle = 0, ShowBorder = 0, Transparent = 1, Print = 1;
    int32_t PenWidth = 10;
    int32_t P1x = 100, P1y = 200, P2x = 300, P2y = 400;
    int32_t OP1x = 0, OP1y = 0, OP2x = 0, OP2y = 0;
    int32_t Angle = 0, TextD = 0, Margin = 0;
    uint8_t EleAlign = 14; // eaNone
    int32_t PadX = 0, PadY = 0, FrameRadio = 0;
    std::string ID = "Rectangle1";
    int32_t DesignWidth = 0;
    float TrX = 1.0f, TrY = 1.0f;
    // Record D (kinds with a font and data binding).
    bool HasData = false;
    std::string FontName = "Arial", FieldName;
    int32_t FontHeight = 500;
    uint8_t Data = 0, Charset = 0;
    int32_t CharWidth = 0;
    // Record T (single-line texts), after record D; Tail1 and Tail2 follow for the added text
    // (Before, After) and the asked text (Question, Answer).
    bool HasText = false;
    std::u16string Text = u"-";
    std::string DisplayFormat;
    uint8_t TextAlign = 3; // taLeTo
    uint8_t Bold = 0, Italic = 0, Underline = 0, Shadow = 0;
    int32_t ShadowColor = 0x808080, GapX = 20, GapY = 20;
    bool HasTails = false;
    std::u16string Tail1, Tail2;
    // The paragraph's format byte, after record T.
    bool HasParagraph = false;
    uint8_t ParagraphFormat = 0;
    // The rectangle's tail after record E: corner size (tenths before version 20), the
    // ellipse flag, and the figure from version 2800 on.
    bool HasRect = false;
    int32_t Radio = 0;
    uint8_t Ellipse = 0;
    int16_t Figure = 0;
};

struct ComposedLabel {
    int32_t Version = 2811;
    // Six texts first, the version after them; always so for versions below 2000.
    bool OldLayout = false;
    bool AnsiTexts = false; // in the oldest layout: fields 2, 15, 16 and 30 as ANSI records
    bool Thumbnail = false; // version >= 18: flag 1 and a bitmap (older ones always carry one)
    std::u16string BackFile, Dataset, Unused4, Unused5, Detail;
    uint8_t ExtFileType = 0, ExtSeparator = 0, ExtHasHeader = 1;
    std::u16string ExtFileName, ExtTableName, ExtTableDisplay;
    uint8_t ExtSaveFields = 0;
    std::vector<ComposedField> Fields;
    std::u16string LabelName = u"Mi etiqueta", PaperName = u"A4";
    uint8_t Snap = 0, Units = 0, Access = 2;
    int32_t Width = 6000, Height = 3500, MarLeft = 500, MarTop = 1000, DiHor = 400, DiVer = 400;
    int32_t NuHor = 7, NuVer = 3;
    int32_t PaperWidth = 21000, PaperHeight = 29700, InnerCircle = 0;
    uint8_t LabelType = 0;
    int32_t TitleFontHeight = 500, TitleFontColor = 0, TitleX = 0, TitleY = 0;
    uint8_t TitlePrint = 0;
    std::string TitleFontName = "Arial";
    std::u16string TitleText = u"Title";
    int32_t BackColor = 0xFFFFFF, BackToColor = 0xFFFFFF, AlignColor = 0xFF;
    uint8_t BackStyle = 0;
    int32_t AlignX = 0, AlignY = 0;
    uint8_t ShowAlign = 0, BackPrint = 0;
    int32_t GridColor = 0, IncX = 0, IncY = 0;
    uint8_t GridShow = 0, ShowMargins = 0;
    int32_t SelColor = 0;
    int32_t FrameColor = 0, Dist1 = 0, Dist2 = 100, Radio = 0;
    uint8_t FrameStyle = 0;
    int32_t FramePen = 10;
    uint8_t LinkData = 0;
    int32_t NumLabs = 1, MarginColor = 0xFF, FirstRow = 1, FirstCol = 1, FirstLab = 1, LastLab = 0;
    int16_t PaperSize = 9;
    uint8_t Orientation = 0;
    int32_t PrinterIndex = -99;
    std::u16string PrinterName;
    std::string FieldRepetition;
    uint8_t Continous = 0;
    std::vector<ComposedCounter> Counters;
    std::vector<ComposedElement> Elements;
    // Bytes appended after the element records of Elements (records of other kinds).
    Bytes ExtraElementBytes;
    int32_t ExtraElementCount = 0;
};

// Record E (and D) of an element at the label's version and layout, type byte first.
Bytes ComposeElement(const ComposedElement &E, int32_t Version, bool OldLayout);
// The whole label file.
Bytes ComposeLabel(const ComposedLabel &L);
// The offset of the element count (field 52) in a composed file.
size_t ElementCountOffset(const ComposedLabel &L);

} // namespace zt
