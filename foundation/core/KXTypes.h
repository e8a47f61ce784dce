// The shared vocabulary of the label library: enumerations with their inspector names,
// the small records passed between the layers, and the event types.
//
// Every enumeration is one byte wide and its ordinals are positions from 0; label streams
// store an enumeration as that one unsigned byte, so the order of the values is part of
// the file format and must never change. Enumerations are scoped because several reuse a
// prefix (ft, dt, ep).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

// ---------------------------------------------------------------------------------------
// Enumeration names
//
// KX_ENUM declares the scoped enumeration and keeps the text of its value list, from which
// the inspector's name table is cut at compile time, so a name can never drift from its
// enumerator.

namespace detail {

constexpr bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

template <size_t N>
constexpr std::array<std::string_view, N> SplitNames(std::string_view list)
{
    std::array<std::string_view, N> names{};
    size_t n = 0, i = 0;
    while (i < list.size() && n < N) {
        while (i < list.size() && !IsNameChar(list[i]))
            ++i;
        const size_t start = i;
        while (i < list.size() && IsNameChar(list[i]))
            ++i;
        if (i > start)
            names[n++] = list.substr(start, i - start);
    }
    return names;
}

constexpr size_t CountNames(std::string_view list)
{
    size_t n = 0;
    bool inName = false;
    for (char c : list) {
        const bool nc = IsNameChar(c);
        if (nc && !inName)
            ++n;
        inName = nc;
    }
    return n;
}

} // namespace detail

// Specialised by KX_ENUM for every enumeration.
template <typename E>
struct EnumInfo;

#define KX_ENUM(Type, ...)                                                                   \
    enum class Type : uint8_t { __VA_ARGS__ };                                               \
    template <>                                                                              \
    struct EnumInfo<Type> {                                                                  \
        static constexpr std::string_view TypeName = #Type;                                  \
        static constexpr size_t Count = detail::CountNames(#__VA_ARGS__);                    \
        static constexpr std::array<std::string_view, Count> Names =                         \
            detail::SplitNames<Count>(#__VA_ARGS__);                                         \
    };

template <typename E>
constexpr size_t EnumCount()
{
    return EnumInfo<E>::Count;
}

template <typename E>
constexpr uint8_t Ord(E value)
{
    return static_cast<uint8_t>(value);
}

// The name the inspector shows; empty for an ordinal outside the enumeration.
template <typename E>
constexpr std::string_view EnumName(E value)
{
    const size_t i = Ord(value);
    return i < EnumInfo<E>::Count ? EnumInfo<E>::Names[i] : std::string_view{};
}

// Looks a value up by its exact name (names are shown and looked up as written).
template <typename E>
constexpr std::optional<E> EnumFromName(std::string_view name)
{
    for (size_t i = 0; i < EnumInfo<E>::Count; ++i)
        if (EnumInfo<E>::Names[i] == name)
            return static_cast<E>(i);
    return std::nullopt;
}

// The value for a stored ordinal; none when a stream holds an ordinal the type lacks.
template <typename E>
constexpr std::optional<E> EnumFromOrdinal(int ordinal)
{
    if (ordinal < 0 || size_t(ordinal) >= EnumInfo<E>::Count)
        return std::nullopt;
    return static_cast<E>(ordinal);
}

// ---------------------------------------------------------------------------------------
// Enumerations of the document model

// Element type code: the first byte of every stand-alone element record. dePoint and
// deColRowLay never stand alone.
KX_ENUM(TKXEle, dePoint, deLine, deText, deBar, deRect, deSymbol, deAddText, deImage, deParagraph,
        deTable, deAskText, dePolyText, deLayout, dePdf417, deColRowLay, deDataMatrix, deQRCode)

// Target of a drawing call: design canvas, printer, preview page, thumbnail/file preview.
KX_ENUM(TKXDrawType, tdLab, tdPrint, tdPreview, tdOpenDialog)

// Where data-bound elements take their contents when drawn.
KX_ENUM(TKXFillType, ftNone, ftField, ftCounter, ftFieldCounter)

// Unit in which lengths are shown and entered; storage is always hundredths of a millimetre.
KX_ENUM(TKXUnits, unMM, unINCH, unCM)

// Geometry kind of an element: how it is selected and resized.
KX_ENUM(TKXSelType, stPoint, stLine, stColRow, stRect, stRectText, stRefTrimLine, stRefExtLine,
        stRefJoinLine, stRefRect)

// Direction of an undo operation (urUndo, urRedo) and the kind of a record.
KX_ENUM(TKXURAction, urUndo, urRedo, urProp, urCreate, urDelete)

// Placement against the label or a layout cell. "Rigth" is spelt as the inspector shows it.
KX_ENUM(TKXEleAlign, eaLeft, eaTop, eaRight, eaBottom, eaCenter, eaLeftTop, eaLeftCenter,
        eaLeftBottom, eaCenterTop, eaCenterCenter, eaCenterBottom, eaRigthTop, eaRigthCenter,
        eaRigthBottom, eaNone)

// Nine-way anchoring of single-line texts (Le/Ce/Ri by Bo/To/Ce).
KX_ENUM(TTextAlign, taLeBo, taCeBo, taRiBo, taLeTo, taCeTo, taRiTo, taLeCe, taCeCe, taRiCe)

// Paragraph layout: horizontal (left, right, centre, justified) by vertical.
KX_ENUM(TKXTextFormat, tfLeftTop, tfRightTop, tfCenterTop, tfJustifyTop, tfLeftCenter,
        tfRightCenter, tfCenterCenter, tfJustifyCenter, tfLeftBottom, tfRightBottom,
        tfCenterBottom, tfJustifyBottom)

// The 21 one-dimensional symbologies.
KX_ENUM(TKXBar, EAN13, EAN8, UPCA, UPCE0, CODE39, CODE39EX, CODE93, CODE93EX, CODABAR, EAN128A,
        EAN128B, EAN128C, CODE128A, CODE128B, CODE128C, INTER_25, INDUS_25, MATRIX_25, CODE11, MSI,
        POSTNET)

// Check-digit setting of a barcode: none and six schemes.
KX_ENUM(TKXCheckType, csNone, csmMod10, csmMod10UPCE, csmMod10Right, csMod11, csMSI, csMSI10)

// How the document reaches its data.
KX_ENUM(TKXDataAccessType, daNone, daBDEAlias, daDataSet)

// Kind of a linked external data file.
KX_ENUM(TKXExtFileType, efNone, efExcelXls, efExcelXlsx, efCsv, efTxt, efAccess, efPartnerFile)

// Field separator of a delimited external file: , ; . : and tab.
KX_ENUM(TKXExtSeparator, esComa, esPuntoyComa, esPunto, esDosPuntos, esTabulador)

// Shape of the label.
KX_ENUM(TZantorType, ltRect, ltCircle)

// Label outline.
KX_ENUM(TKXFrameStyle, fsNone, fsOneLine, fsTwoLine)

// Label background.
KX_ENUM(TKXBackStyle, biNone, biImage, biGradHor, biGradVer, biGraCircle, biHalf1, biHalf2,
        biQuarter)

// Printing through the printer driver is the only kind.
KX_ENUM(TKXPrintKind, pkDriver)

// Aggregate in a table column's footer.
KX_ENUM(TKXFooterType, ftSum, ftAvg, ftMin, ftMax, ftCount)

// Kind of the detail field bound to a table column.
KX_ENUM(TKXFieldKind, fkFloat, fkNumber, fkTime)

// Orientation of a table's data.
KX_ENUM(TKXDrawTable, dtColumns, dtRows)

// Inner grid lines of a table.
KX_ENUM(TKXGridStyle, gsNone, gsHorz, gsVert, gsBoth)

// ---------------------------------------------------------------------------------------
// Enumerations of the designer and the application (carried by the document, its file or
// its events)

KX_ENUM(TKXSnap, snPoint, snGrid, snNone)
KX_ENUM(TKXGridDraw, gdPoints, gdLines)
KX_ENUM(TKXAlignPos, epLeft, epTop, epRight, epBottom, epFirstLeft, epFirstTop, epFirstRight,
        epFirstBottom)
KX_ENUM(TKXDrawTool, dwLine, dwRect, dwText, dwBarCode, dwSelection, dwSymbol, dwAddText, dwImage,
        dwParagraph, dwTable, dwAskText, dwCircle, dwTriangle, dwDateTime, dwPolyText, dwLayout,
        dwExtendLine, dwTrimLine, dwJoinLines, dwPdf417, dwDataMatrix, dwQRCode)
KX_ENUM(TKXAction, acNone, acSelLineToAdjust, acSelRefLineOrRect, acSelRefLine)
KX_ENUM(TKXLineMove, lmNone, lmOrto)
KX_ENUM(TKXDragType, dtMove, dtTop, dtLeft, dtBottom, dtRight, dtLeftTop, dtRightTop, dtLeftBottom,
        dtRightBottom, dtPoint1, dtPoint2, dtLine, dtMulti, dtColumn, dtRow, dtCaret)
KX_ENUM(TKXDrag, drgNone, drgLine, drgObject, drgSizes, drgAligns, drgMulti, drgCaret)
KX_ENUM(TKXSelectStyle, ssRect, ssDotRect, ssLines, ssDotLines)
KX_ENUM(TKXZoom, zm50, zm75, zm100, zm125, zm150, zm175, zm200, zm250, zm300, zm350, zm400, zm450,
        zm500, zmWidth, zmFitAll)
KX_ENUM(TKXRulerStyle, rsStyle01, rsStyle02, rsStyle03, rsStyle04)
KX_ENUM(TKXTickSize, tsAll, tsMiddle, tsTop, tsBottom)
KX_ENUM(TKXElementProp, epBoolean, epString, epInteger, epFloat, epEnum, epRatio, epFactor,
        epFontName, epText, epFieldName, epAngle, epNumber, epChar, epParaText, epFileImage,
        epAlignText, epTable, epDataPoly, epAlignEle, epAlignPara, epColor, epCode, epDateFormat)
KX_ENUM(TKXLanguage, kxEnglish, kxSpanish, kxDutch, kxCustom)
KX_ENUM(TKXInspectMode, imClick, imDblClick)

// Alignment of a table's title band: 0 left, 1 right, 2 centre.
KX_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter)

// ---------------------------------------------------------------------------------------
// Basic types

using TColor = uint32_t;               // $00BBGGRR: red in the low byte
using WideString = std::u16string;     // UTF-16, as label streams store it
using AnsiString = std::string;        // Windows-1252 bytes
using TBytesArray = std::vector<uint8_t>;
using TStringList = std::vector<WideString>;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;

struct TPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const TPoint &, const TPoint &) = default;
};

// Lengths in hundredths of a millimetre (or pixels where stated), y growing downwards.
struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    friend bool operator==(const TRect &, const TRect &) = default;
};

// Base of every object that fires events; handlers receive it as Sender.
class TObject {
public:
    virtual ~TObject() = default;
};

// ---------------------------------------------------------------------------------------
// Records

// A point or size in fractional units (text measurement, the offset of an element move).
struct TKXPoint2D {
    float x = 0;
    float y = 0;
};

// One segment marker of the design surface (selection frames, reference marks), pixels.
struct TKXSel {
    uint16_t Tipo = 0;
    TPoint Pos1;
    TPoint Pos2;
};

// One point marker (handle glyph) of the design surface, pixels.
struct TKXSim {
    uint16_t Tipo = 0;
    TPoint Pos;
};

// A reference line, or a rectangle with P1 its left-top and P2 its right-bottom corner.
struct TRefPoints {
    TPoint P1;
    TPoint P2;
};

// The title band of a table. Lengths in hundredths of a millimetre.
struct TTableTitle {
    WideString Text;
    bool Visible = false;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    TColor BackColor = clWhite;
    TColor FontColor = clBlack;
    WideString FontName;
    int32_t FontHeight = 0;
    int32_t Height = 0;
    TAlignment Alignment = TAlignment::taLeftJustify;
};

// Passed between the one-dimensional barcode routines and the elements.
struct TDigitControl {
    AnsiString Code; // the text to encode
    AnsiString DC;   // its check digits
};

// ---------------------------------------------------------------------------------------
// Event types. `var` parameters of the description are references the handler may change.

using TKXUndoRedoEvent = std::function<void(TObject *Sender, bool UndoEmpty, bool RedoEmpty)>;
using TKXPrintTextEvent = std::function<void(TObject *Sender, const AnsiString &ID, WideString &Text)>;
using TKXPrintDataPolyEvent =
    std::function<void(TObject *Sender, const AnsiString &ID, WideString &Text)>;
using TKXPrintTitleEvent = std::function<void(TObject *Sender, int32_t Page, WideString &Title)>;
using TKXAskTextEvent =
    std::function<void(TObject *Sender, int32_t Pos, const AnsiString &ID, WideString &Text)>;
using TKXAskDataCounter = std::function<void(TObject *Sender, const AnsiString &CounterName,
                                             int64_t &NumFrom, int64_t &NumTo)>;
using TKXAssignedDataSet = std::function<void(TObject *Sender, const AnsiString &DataSetName)>;
using TKXGetFontListEvent = std::function<void(TObject *Sender, TStringList &List)>;
using TKXFloatEditEvent =
    std::function<void(TObject *Sender, const AnsiString &PropertyName, long double &Increment,
                       long double &MinValue, long double &MaxValue)>;
using TKXRightClickEvent =
    std::function<void(TObject *Sender, bool select, int32_t X, int32_t Y, int32_t PosX, int32_t PosY)>;
using TZantorMouseMove = std::function<void(TObject *Sender, int32_t X, int32_t Y, long double XValue,
                                            long double YValue)>;
using TZantorMouseDown =
    std::function<void(TObject *Sender, int32_t X, int32_t Y, int32_t PosX, int32_t PosY,
                       long double XValue, long double YValue)>;
using TKXChangeDrawTool =
    std::function<void(TObject *Sender, TKXDrawTool OldDrawTool, TKXDrawTool NewDrawTool)>;

// Carriage return and line feed.
inline constexpr std::u16string_view CRLF = u"\r\n";

} // namespace kx
