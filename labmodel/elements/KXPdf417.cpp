#include "elements/KXPdf417.h"

#include "core/KXCodec1252.h"
#include "core/KXUtils.h"
#include "document/KXBaseLab.h"
#include "document/KXCounter.h"
#include "document/KXDesignerServices.h"
#include "file/KXLabelFile.h"
#include "platform/KXCanvas.h"
#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kx {

namespace {

constexpr int32_t kMinBarWidth = 20;   // 0.2 mm
constexpr int32_t kMinRowHeight = 26;  // 0.26 mm
constexpr int32_t kPlaceholderPen = 10;

int32_t ClampToInt32(long double v)
{
    if (!(v == v))
        return 0;
    return int32_t(std::clamp<long double>(v, std::numeric_limits<int32_t>::min(),
                                           std::numeric_limits<int32_t>::max()));
}

// Trunc(value x 100). A value typed as 0.29 arrives as the float 0.2899999...; the small
// nudge keeps the hundredth the user typed without rounding any real fraction up.
int32_t TruncHundredths(float Value)
{
    const long double x = static_cast<long double>(Value) * 100.0L;
    return ClampToInt32(std::trunc(x + (x < 0 ? -1e-4L : 1e-4L)));
}

// A rectangle turned about C by a quarter-turn angle, its edges put back in order.
TRect Turned(TRect R, TPoint C, int32_t Angle)
{
    if (Angle > 0) {
        RotateRect(R, C, Angle);
        NormalizeRect(R);
    }
    return R;
}

TPoint TurnedPoint(TPoint P, TPoint C, int32_t Angle)
{
    if (Angle > 0)
        RotatePoint(P, C, Angle);
    return P;
}

// Start and stop patterns, element widths in modules, bar first.
constexpr int kStartWidths[] = {8, 1, 1, 1, 1, 1, 1, 3};
constexpr int kStopWidths[] = {7, 1, 1, 3, 1, 1, 1, 2, 1};

} // namespace

// ---------------------------------------------------------------------------------------
// Lifecycle and published properties

TKXPdf417::TKXPdf417(TKXCustomLab *AOwner) : TKXData(AOwner)
{
    FSelType = TKXSelType::stPoint;
    Encode();
}

void TKXPdf417::AddPublished(TKXPropTable &t)
{
    TKXData::AddPublished(t);
    t.Add(PublishProp("ID", "AnsiString", &TKXElement::ID, &TKXElement::SetID));
    t.Add(PublishProp("Angle", "Integer", &TKXElement::Angle, &TKXElement::SetAngle));
    t.Add(PublishProp("CorrectionLevel", "", &TKXPdf417::CorrectionLevel, &TKXPdf417::SetCorrectionLevel));
    t.Add(PublishProp("RowCount", "SmallInt", &TKXPdf417::RowCount, &TKXPdf417::SetRowCount));
    t.Add(PublishProp("ColCount", "SmallInt", &TKXPdf417::ColCount, &TKXPdf417::SetColCount));
    t.Add(PublishProp("BarWidth", "Single", &TKXPdf417::BarWidth, &TKXPdf417::SetBarWidth));
    t.Add(PublishProp("BHeight", "Single", &TKXPdf417::BHeight, &TKXPdf417::SetBHeight));
    t.Add(PublishProp("LeftMargin", "Single", &TKXPdf417::LeftMargin, &TKXPdf417::SetLeftMargin));
    t.Add(PublishProp("TopMargin", "Single", &TKXPdf417::TopMargin, &TKXPdf417::SetTopMargin));
    t.Add(PublishProp("Ratio", "Single", &TKXPdf417::Ratio, &TKXPdf417::SetRatio));
    t.Add(PublishProp("Code", "AnsiString", &TKXPdf417::Code, &TKXPdf417::SetCode));
    t.Add(PublishProp("Truncated", "Boolean", &TKXPdf417::Truncated, &TKXPdf417::SetTruncated));
}

const TKXPropTable &TKXPdf417::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXPdf417::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXPdf417", &TKXData::ClassInfo());
}

// ---------------------------------------------------------------------------------------
// Setters

// Level and grid request: the data stays, its grid and check codewords are rebuilt.
void TKXPdf417::SetCorrectionLevel(TKXPdf417CorrectionLevel Value)
{
    if (Value == FPdf.CorrectionLevel())
        return;
    RecordUndo();
    FPdf.SetCorrectionLevel(Value);
    FPdf.MakeErrorCorrection();
    Changed(QStringLiteral("CorrectionLevel"));
    MarkModified();
}

void TKXPdf417::SetRowCount(int16_t Value)
{
    const int16_t rows = int16_t(std::clamp<int>(Value, 0, TKXPdf417Code::MaxRows));
    if (rows == FPdf.Rows())
        return;
    RecordUndo();
    FPdf.SetRows(rows);
    FPdf.MakeErrorCorrection();
    Changed(QStringLiteral("RowCount"));
    MarkModified();
}

void TKXPdf417::SetColCount(int16_t Value)
{
    const int16_t cols = int16_t(std::clamp<int>(Value, 0, TKXPdf417Code::MaxCols));
    if (cols == FPdf.Cols())
        return;
    RecordUndo();
    FPdf.SetCols(cols);
    FPdf.MakeErrorCorrection();
    Changed(QStringLiteral("ColCount"));
    MarkModified();
}

// The lengths have no equality test: every entry records and marks the document modified.
void TKXPdf417::SetLength(int32_t &Field, int32_t Value, const QString &Name)
{
    RecordUndo();
    Field = Value;
    Changed(Name);
    MarkModified();
}

void TKXPdf417::SetBarWidth(float Value)
{
    RecordUndo();
    FBWidth = std::max(kMinBarWidth, TruncHundredths(Value));
    if (FRatio > 0) {
        FBHeight = ClampToInt32(int64_t(FRatio) * FBWidth / 100);
        FOwner->InspectorPropChanged(QStringLiteral("BHeight"));
    }
    FOwner->InspectorPropChanged(QStringLiteral("BarWidth"));
    Changed(QStringLiteral("BarWidth"));
    MarkModified();
}

void TKXPdf417::SetBHeight(float Value)
{
    RecordUndo();
    FBHeight = std::max(kMinRowHeight, ToInternal(Value));
    if (FRatio > 0) {
        FBWidth = ClampToInt32(int64_t(FBHeight) * 100 / FRatio);
        FOwner->InspectorPropChanged(QStringLiteral("BarWidth"));
    }
    FOwner->InspectorPropChanged(QStringLiteral("BHeight"));
    Changed(QStringLiteral("BHeight"));
    MarkModified();
}

void TKXPdf417::SetLeftMargin(float Value)
{
    SetLength(FLeftMargin, ToInternal(Value), QStringLiteral("LeftMargin"));
}

void TKXPdf417::SetTopMargin(float Value)
{
    SetLength(FTopMargin, ToInternal(Value), QStringLiteral("TopMargin"));
}

// A ratio of 0 or less frees the two lengths again, without a notification.
void TKXPdf417::SetRatio(float Value)
{
    RecordUndo();
    FRatio = TruncHundredths(Value);
    if (FRatio <= 0) {
        FRatio = 0;
        MarkModified();
        return;
    }
    FBHeight = ClampToInt32(int64_t(FRatio) * FBWidth / 100);
    FOwner->InspectorPropChanged(QStringLiteral("BHeight"));
    Changed(QStringLiteral("Ratio"));
    MarkModified();
}

QString TKXPdf417::Code() const
{
    return QString::fromStdU16String(AnsiToWide(FCode));
}

void TKXPdf417::SetCode(const QString &Value)
{
    const AnsiString code = WideToAnsi(Value.toStdU16String());
    if (code == FCode)
        return;
    RecordUndo();
    FCode = code;
    FDCode = code;
    Encode();
    Changed(QStringLiteral("Code"));
    MarkModified();
}

void TKXPdf417::SetTruncated(bool Value)
{
    SetProp(FTruncated, Value, QStringLiteral("Truncated"));
}

// ---------------------------------------------------------------------------------------
// Symbol

void TKXPdf417::Encode()
{
    FPdf.Encode(FDCode);
    FEncoded = FDCode;
}

int32_t TKXPdf417::SymbolWidth() const
{
    return ClampToInt32(2 * int64_t(FLeftMargin) + int64_t(FBWidth) * FPdf.Width(FTruncated));
}

int32_t TKXPdf417::SymbolHeight() const
{
    return ClampToInt32(int64_t(FBHeight) * FPdf.YCount() + 2 * int64_t(FTopMargin));
}

// ---------------------------------------------------------------------------------------
// Drawing

AnsiString TKXPdf417::DrawingText(TKXDrawType DrawType, TKXFillType fill) const
{
    if (DrawType == TKXDrawType::tdLab || !FDatabase)
        return FCode;
    if (FIsCounter) {
        if (fill != TKXFillType::ftCounter && fill != TKXFillType::ftFieldCounter)
            return FCode;
        const TKXCounter *c = FOwner->FindCounter(FFieldName);
        return c ? WideToAnsi(c->FValue.toStdU16String()) : AnsiString();
    }
    if (fill != TKXFillType::ftField && fill != TKXFillType::ftFieldCounter)
        return FCode;
    QString text;
    FOwner->GetFieldText(FFieldName, QString(), false, text);
    return WideToAnsi(text.toStdU16String());
}

void TKXPdf417::Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill)
{
    if (DrawType != TKXDrawType::tdLab && !FPrint)
        return;
    // A data fill encodes the record's value; back on Code (the design surface after a
    // run) the element's own text is encoded again.
    FDCode = DrawingText(DrawType, fill);
    if (FDCode != FEncoded)
        Encode();
    if (HasSymbol()) {
        // The anchor within +-MaxAnchor: the symbol's edges stay on the 32-bit range.
        const TPoint A{AnchorCoord(int64_t(po.x) + FP1.x), AnchorCoord(int64_t(po.y) + FP1.y)};
        PaintSymbol(Canvas, A, DrawType);
        if (DrawType != TKXDrawType::tdLab)
            return;
        const int32_t W = SymbolWidth(), H = SymbolHeight();
        FP2 = {ClampCoord(int64_t(FP1.x) + W), ClampCoord(int64_t(FP1.y) + H)};
        UpdateExtent();
        Frame = {FP1.x, FP1.y, FP2.x, FP2.y};
        AnchorRect(Frame, FAngle, FP1.x, FP1.y, W, H, 3);
        TKXCustomEditor *ed = FOwner->Editor();
        if (!ed)
            return;
        FBorder = Canvas.LPtoDP(TRect{ClampCoord(int64_t(Frame.Left) + po.x), ClampCoord(int64_t(Frame.Top) + po.y),
                                      ClampCoord(int64_t(Frame.Right) + po.x), ClampCoord(int64_t(Frame.Bottom) + po.y)});
        ed->DrawSelectionFrame(GetIsSelected(), FDatabase, FSelType, uint16_t(FAngle), Frame, FBorder, false);
        if (!ed->ShowMarks)
            return;
        // Design marks: the quiet zones' outer edges, or a cross on the anchor without
        // margins.
        Canvas.SaveState();
        TKXPen mark;
        mark.Color = ed->MarkColor;
        mark.Width = 0;
        auto at = [&](int64_t dx, int64_t dy) { return TPoint{ClampCoord(A.x + dx), ClampCoord(A.y + dy)}; };
        auto line = [&](TPoint a, TPoint b) {
            a = TurnedPoint(a, A, FAngle);
            b = TurnedPoint(b, A, FAngle);
            Canvas.MoveTo(a.x, a.y);
            Canvas.LineTo(b.x, b.y);
        };
        if (FLeftMargin > 0 || FTopMargin > 0) {
            mark.Style = TKXPenStyle::psDot;
            Canvas.SetPen(mark);
            if (FLeftMargin > 0) {
                line(A, at(0, H));
                line(at(W, 0), at(W, H));
            }
            if (FTopMargin > 0) {
                line(A, at(W, 0));
                line(at(0, H), at(W, H));
            }
        } else {
            Canvas.SetPen(mark);
            line({A.x - 50, A.y}, {A.x + 50, A.y});
            line({A.x, A.y - 50}, {A.x, A.y + 50});
        }
        Canvas.RestoreState();
        return;
    }
    // No symbol: an empty text shows the placeholder on the design surface only; a grid
    // that cannot hold the data shows it everywhere, so a label never carries a wrong or
    // cut symbol.
    if (FPdf.Status() == TKXPdf417Status::psEmpty && DrawType != TKXDrawType::tdLab)
        return;
    PaintPlaceholder(Canvas, po, DrawType);
}

void TKXPdf417::PaintSymbol(TKXCanvas &Canvas, TPoint A, TKXDrawType DrawType)
{
    (void)DrawType;
    const int32_t W = SymbolWidth(), H = SymbolHeight();
    // Bar edges and row bounds in 64 bits (rows x row height, modules x bar width), put back
    // on the 32-bit range once per bar.
    const int64_t x0 = int64_t(A.x) + FLeftMargin;
    const int64_t y0 = int64_t(A.y) + FTopMargin;
    const int64_t y1 = y0 + int64_t(FBHeight) * FPdf.YCount();
    const int32_t angle = FAngle;

    Canvas.SaveState();
    TKXPen clear;
    clear.Width = 0;
    clear.Style = TKXPenStyle::psClear;
    Canvas.SetPen(clear);
    if (!FTransparent) {
        Canvas.SetBrush({FBackColor, TKXBrushStyle::bsSolid});
        Canvas.FillRect(Turned({A.x, A.y, ClampCoord(int64_t(A.x) + W), ClampCoord(int64_t(A.y) + H)}, A, angle));
    }
    Canvas.SetBrush({FColor, TKXBrushStyle::bsSolid});
    // Every bar of the symbol is given to the canvas in one call at the end (one fill per
    // bar on printers and PDF files).
    thread_local std::vector<TRect> boxes;
    boxes.clear();
    // Bars of one pattern from module `module` on, widths in modules, bar first.
    auto bars = [&](int module, const int *widths, int count, int64_t top, int64_t bottom) {
        for (int e = 0; e < count; ++e) {
            if (e % 2 == 0) {
                const int64_t left = x0 + int64_t(module) * FBWidth;
                boxes.push_back(Turned({ClampCoord(left), ClampCoord(top), ClampCoord(left + int64_t(widths[e]) * FBWidth),
                                        ClampCoord(bottom)},
                                       A, angle));
            }
            module += widths[e];
        }
    };
    auto codeword = [&](int module, int cluster, uint16_t value, int64_t top, int64_t bottom) {
        const uint32_t packed = Pdf417PatternWidths[cluster][value];
        int widths[8];
        for (int e = 0; e < 8; ++e)
            widths[e] = int((packed >> (28 - 4 * e)) & 0xF);
        bars(module, widths, 8, top, bottom);
    };
    const int C = FPdf.XCount();
    bars(0, kStartWidths, 8, y0, y1);
    if (FTruncated)
        bars((C + 2) * 17, kStopWidths + 8, 1, y0, y1); // one bar, one module wide
    else
        bars((C + 3) * 17, kStopWidths, 9, y0, y1);
    const auto &cw = FPdf.CodeWords();
    for (int j = 0; j < FPdf.YCount(); ++j) {
        const int64_t top = y0 + int64_t(j) * FBHeight;
        const int64_t bottom = top + FBHeight;
        const int cluster = j % 3;
        codeword(17, cluster, FPdf.LeftIndicator(j), top, bottom);
        for (int i = 0; i < C; ++i)
            codeword(34 + 17 * i, cluster, cw[size_t(j * C + i)], top, bottom);
        if (!FTruncated)
            codeword(17 * (C + 2), cluster, FPdf.RightIndicator(j), top, bottom);
    }
    Canvas.FillRects(boxes, TKXCanvas::TRectFill::rfEach);
    Canvas.RestoreState();
}

void TKXPdf417::PaintPlaceholder(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType)
{
    DrawInvalidBarcode(po, Canvas, DrawType, FBHeight, kPlaceholderPen);
    // On the design surface the placeholder lies unturned, and so does the element.
    if (DrawType == TKXDrawType::tdLab)
        SetAngle(0);
}

// ---------------------------------------------------------------------------------------
// Record

void TKXPdf417::SaveToStream(TKXStreamWriter &Stream) const
{
    Stream.WriteEnum(TKXEle::dePdf417);
    TKXData::SaveToStream(Stream);
    WriteAnsiStr(FCode, Stream);
    Stream.WriteEnum(FPdf.CorrectionLevel());
    Stream.WriteInt32(FBWidth);
    Stream.WriteInt32(FBHeight);
    Stream.WriteInt32(FLeftMargin);
    Stream.WriteInt32(FTopMargin);
    Stream.WriteInt32(FRatio);
    Stream.WriteInt16(FPdf.Cols());
    Stream.WriteInt16(FPdf.Rows());
    Stream.WriteBool(FTruncated);
}

void TKXPdf417::LoadFromStream(TKXStreamReader &Stream)
{
    TKXData::LoadFromStream(Stream);
    FCode = ReadAnsiStr(Stream);
    const TKXPdf417CorrectionLevel level = Stream.ReadEnum<TKXPdf417CorrectionLevel>();
    // Bar width and row height as the setters keep them (never below their minimum, and
    // a row never of negative height), all lengths within what a file may hand the painter.
    FBWidth = std::clamp(Stream.ReadInt32(), kMinBarWidth, MaxFileLength);
    FBHeight = std::clamp(Stream.ReadInt32(), 1, MaxFileLength);
    FLeftMargin = LimitedLength(Stream.ReadInt32());
    FTopMargin = LimitedLength(Stream.ReadInt32());
    FRatio = std::clamp(Stream.ReadInt32(), 0, MaxFileLength);
    const int16_t cols = Stream.ReadInt16();
    const int16_t rows = Stream.ReadInt16();
    FTruncated = Stream.ReadBool();
    FPdf.SetCorrectionLevel(level);
    FPdf.SetCols(cols);
    FPdf.SetRows(rows);
    FDCode = FCode;
    Encode();
}

} // namespace kx
