#include "elements/KXText.h"

#include "core/KXCodec1252.h"
#include "document/KXBaseLab.h"
#include "file/KXLabelFile.h"
#include "platform/KXCanvas.h"
#include "platform/KXMetafile.h"
#include "platform/KXQtCanvas.h"
#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"

#include <algorithm>
#include <cstdlib>

namespace kx {

namespace {

QString ReadText(TKXStreamReader &Stream, bool Wide)
{
    if (Wide)
        return QString::fromStdU16String(ReadWideStr(Stream));
    return QString::fromStdU16String(AnsiToWide(ReadAnsiStr(Stream)));
}

AnsiString ToAnsi(const QString &S)
{
    return WideToAnsi(S.toStdU16String());
}

TRect Ordered(TPoint A, TPoint B)
{
    return {std::min(A.x, B.x), std::min(A.y, B.y), std::max(A.x, B.x), std::max(A.y, B.y)};
}

TRect Offset(const TRect &R, TPoint po)
{
    return {ClampCoord(int64_t(R.Left) + po.x), ClampCoord(int64_t(R.Top) + po.y),
            ClampCoord(int64_t(R.Right) + po.x), ClampCoord(int64_t(R.Bottom) + po.y)};
}

} // namespace

// ---------------------------------------------------------------------------------------
// TKXDataText: lifecycle and published properties

TKXDataText::TKXDataText(TKXCustomLab *AOwner) : TKXData(AOwner)
{
    FAlign = TTextAlign::taLeTo;
}

void TKXDataText::AddPublished(TKXPropTable &t)
{
    TKXData::AddPublished(t);
    t.Add(PublishProp("FontHeight", "Single", &TKXData::FontHeight, &TKXData::SetFontHeight));
    t.Add(PublishProp("FontName", "TFontName", &TKXData::FontName, &TKXData::SetFontName));
    t.Add(PublishProp("Separation", "Single", &TKXDataText::Separation, &TKXDataText::SetSeparation));
    t.Add(PublishProp("Bold", "Boolean", &TKXDataText::Bold, &TKXDataText::SetBold));
    t.Add(PublishProp("Underline", "Boolean", &TKXDataText::Underline, &TKXDataText::SetUnderline));
    t.Add(PublishProp("Italic", "Boolean", &TKXDataText::Italic, &TKXDataText::SetItalic));
}

const TKXPropTable &TKXDataText::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXDataText::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXDataText", &TKXData::ClassInfo());
}

void TKXShadowDataText::AddPublished(TKXPropTable &t)
{
    TKXDataText::AddPublished(t);
    t.Add(PublishProp("Text", "WideString", &TKXDataText::Text, &TKXDataText::SetText));
    t.Add(PublishProp("DisplayFormat", "AnsiString", &TKXDataText::DisplayFormat, &TKXDataText::SetDisplayFormat));
    t.Add(PublishProp("TextAlign", "", &TKXDataText::TextAlign, &TKXDataText::SetTextAlign));
    t.Add(PublishProp("Angle", "Integer", &TKXElement::Angle, &TKXElement::SetAngle));
    t.Add(PublishProp("GapX", "Single", &TKXDataText::GapX, &TKXDataText::SetGapX));
    t.Add(PublishProp("GapY", "Single", &TKXDataText::GapY, &TKXDataText::SetGapY));
    t.Add(PublishProp("Shadow", "Boolean", &TKXDataText::Shadow, &TKXDataText::SetShadow));
    t.Add(PublishProp("ShadowColor", "TColor", &TKXDataText::ShadowColor, &TKXDataText::SetShadowColor));
}

const TKXPropTable &TKXShadowDataText::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXShadowDataText::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXShadowDataText", &TKXDataText::ClassInfo());
}

namespace {

// The border and padding properties the three kinds publish after their own.
void AddBorderProps(TKXPropTable &t)
{
    t.Add(PublishProp("ShowBorder", "Boolean", &TKXElement::ShowBorder, &TKXElement::SetShowBorder));
    t.Add(PublishProp("BorderColor", "TColor", &TKXElement::BorderColor, &TKXElement::SetBorderColor));
    t.Add(PublishProp("BorderRadio", "Single", &TKXElement::BorderRadio, &TKXElement::SetBorderRadio));
    t.Add(PublishProp("PenWidth", "Single", &TKXElement::PenWidth, &TKXElement::SetPenWidth));
    t.Add(PublishProp("PaddingX", "Single", &TKXElement::PaddingX, &TKXElement::SetPaddingX));
    t.Add(PublishProp("PaddingY", "Single", &TKXElement::PaddingY, &TKXElement::SetPaddingY));
}

TKXPropInfo IDProp()
{
    return PublishProp("ID", "AnsiString", &TKXElement::ID, &TKXElement::SetID);
}

} // namespace

void TKXText::AddPublished(TKXPropTable &t)
{
    TKXShadowDataText::AddPublished(t);
    t.Add(IDProp());
    AddBorderProps(t);
}

const TKXPropTable &TKXText::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXText::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXText", &TKXShadowDataText::ClassInfo());
}

TKXAddText::TKXAddText(TKXCustomLab *AOwner) : TKXShadowDataText(AOwner)
{
    FBefore = QStringLiteral("Pre");
    FSelType = TKXSelType::stPoint;
}

void TKXAddText::AddPublished(TKXPropTable &t)
{
    TKXShadowDataText::AddPublished(t);
    t.Add(IDProp());
    t.Add(PublishProp("Before", "WideString", &TKXAddText::Before, &TKXAddText::SetBefore));
    t.Add(PublishProp("After", "WideString", &TKXAddText::After, &TKXAddText::SetAfter));
    AddBorderProps(t);
}

const TKXPropTable &TKXAddText::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXAddText::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXAddText", &TKXShadowDataText::ClassInfo());
}

TKXAskText::TKXAskText(TKXCustomLab *AOwner) : TKXShadowDataText(AOwner) {}

void TKXAskText::AddPublished(TKXPropTable &t)
{
    TKXShadowDataText::AddPublished(t);
    t.Add(IDProp());
    t.Add(PublishProp("Question", "WideString", &TKXAskText::Question, &TKXAskText::SetQuestion));
    t.Add(PublishProp("Answer", "WideString", &TKXAskText::Answer, &TKXAskText::SetAnswer));
    AddBorderProps(t);
}

const TKXPropTable &TKXAskText::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXAskText::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXAskText", &TKXShadowDataText::ClassInfo());
}

// ---------------------------------------------------------------------------------------
// Setters

void TKXDataText::SetBold(bool Value)
{
    SetProp(FBold, Value, QStringLiteral("Bold"));
}

void TKXDataText::SetUnderline(bool Value)
{
    SetProp(FUnderline, Value, QStringLiteral("Underline"));
}

void TKXDataText::SetItalic(bool Value)
{
    SetProp(FItalic, Value, QStringLiteral("Italic"));
}

void TKXDataText::SetShadow(bool Value)
{
    SetProp(FShadow, Value, QStringLiteral("Shadow"));
}

void TKXDataText::SetText(const QString &Value)
{
    SetProp(FText, Value, QStringLiteral("Text"));
}

void TKXDataText::SetDisplayFormat(const QString &Value)
{
    SetProp(FDisplayFormat, Value, QStringLiteral("DisplayFormat"));
}

void TKXDataText::SetTextAlign(TTextAlign Value)
{
    SetProp(FAlign, Value, QStringLiteral("TextAlign"));
}

void TKXDataText::SetShadowColor(TColor Value)
{
    SetProp(FShadowColor, Value, QStringLiteral("ShadowColor"));
}

float TKXDataText::GapX() const { return ToUnits(FShadowGap.x); }
float TKXDataText::GapY() const { return ToUnits(FShadowGap.y); }

// No equality test; the gap only shows with the shadow on.
void TKXDataText::SetGapX(float Value)
{
    RecordUndo();
    FShadowGap.x = ToInternal(Value);
    if (FShadow) {
        Changed(QStringLiteral("GapX"));
        MarkModified();
    }
}

void TKXDataText::SetGapY(float Value)
{
    RecordUndo();
    FShadowGap.y = ToInternal(Value);
    if (FShadow) {
        Changed(QStringLiteral("GapY"));
        MarkModified();
    }
}

float TKXDataText::Separation() const { return float(FTextD) / 100.0f; }

// Millimetres whatever the Units; no equality test.
void TKXDataText::SetSeparation(float Value)
{
    RecordUndo();
    FTextD = int32_t(ToHundredths(Value));
    Changed(QStringLiteral("Distance"));
    MarkModified();
}

void TKXAddText::SetBefore(const QString &Value)
{
    SetProp(FBefore, Value, QStringLiteral("Before"));
}

void TKXAddText::SetAfter(const QString &Value)
{
    SetProp(FAfter, Value, QStringLiteral("After"));
}

void TKXAskText::SetQuestion(const QString &Value)
{
    SetProp(FQuestion, Value, QStringLiteral("Question"));
}

// No undo record and no notification, unlike the common setter.
void TKXAskText::SetAnswer(const QString &Value)
{
    if (Value == FAnswer)
        return;
    FAnswer = Value;
    MarkModified();
}

// ---------------------------------------------------------------------------------------
// Binding

void TKXDataText::SetData(bool Value)
{
    TKXData::SetData(Value);
    UpdateGeometryKind();
    if (FDatabase && !FFieldName.isEmpty()) {
        FText = FieldName();
        Changed(QStringLiteral("Database"));
        FOwner->InspectorPropChanged(QStringLiteral("Text"));
        MarkModified();
    }
}

void TKXDataText::SetFieldName(const QString &Value)
{
    TKXData::SetFieldName(Value);
    UpdateGeometryKind();
    if (FDatabase && !FFieldName.isEmpty()) {
        FText = FieldName();
        Changed(QStringLiteral("FieldName"));
        FOwner->InspectorPropChanged(QStringLiteral("Text"));
        MarkModified();
    }
}

void TKXShadowDataText::UpdateGeometryKind()
{
    FSelType = FDatabase && !FFieldName.isEmpty() ? TKXSelType::stRectText : TKXSelType::stPoint;
}

// ---------------------------------------------------------------------------------------
// Placement

void TKXDataText::SetBorder(const TRect &Value)
{
    if (Value == FBorder)
        return;
    FBorder = Value;
    FKXEleAlign = TKXEleAlign::eaNone;
    IDLayout = 0;
    TKXCustomEditor *ed = FOwner->Editor();
    if (!ed)
        return;
    const int32_t w = std::abs(Value.Right - Value.Left), h = std::abs(Value.Bottom - Value.Top);
    if (FSelType == TKXSelType::stRectText) {
        int32_t dw = (FAngle == 90 || FAngle == 270) ? ed->ScreenToLabelY(h) : ed->ScreenToLabelX(w);
        if (FShowBorder)
            dw = ClampCoord(dw - 2 * (int64_t(FPadding.x) + FPenWidth));
        if (FMinDesignWidth > 0 && dw < FMinDesignWidth)
            dw = FMinDesignWidth;
        if (FMaxDesignWidth > 0 && dw > FMaxDesignWidth)
            dw = FMaxDesignWidth;
        FDesignWidth = dw;
    }
    // The anchor is taken on the screen box, then converted.
    TPoint anchor;
    const TRect box{Value.Left, Value.Top, Value.Left + w, Value.Top + h};
    if (AnchorInBox(box.Left, box.Top, box.Right, box.Bottom, anchor))
        FP1 = {ed->ScreenToLabelX(anchor.x), ed->ScreenToLabelY(anchor.y)};
    MarkModified();
}

TKXPoint2D TKXDataText::GetTextSize() const
{
    // One logical unit is one device unit: the canvas measures in hundredths of a millimetre.
    TKXMetafile metafile(10000, 10000, 10000, 10000);
    auto canvas = metafile.OpenCanvas();
    return GetTextSize(*canvas);
}

TKXPoint2D TKXDataText::GetTextSize(TKXCanvas &Canvas) const
{
    TKXFont font;
    font.Name = FFontName;
    font.Height = FFontHeight;
    font.Bold = FBold;
    font.Italic = FItalic;
    font.Underline = FUnderline;
    Canvas.SaveState();
    Canvas.SetFont(font);
    Canvas.SetTextCharacterExtra(0);
    int64_t w = Canvas.TextExtent(FText).cx;
    Canvas.RestoreState();
    int64_t h = FFontHeight;
    if (FShadow) {
        w += FShadowGap.x;
        h += FShadowGap.y;
    }
    if (FShowBorder) {
        w += 2 * (int64_t(FPadding.x) + FPenWidth);
        h += 2 * (int64_t(FPadding.y) + FPenWidth);
    }
    return {ToUnits(ClampCoord(w)), ToUnits(ClampCoord(h))};
}

// ---------------------------------------------------------------------------------------
// Drawing

bool TKXDataText::DrawsOn(TKXDrawType DrawType) const
{
    switch (DrawType) {
    case TKXDrawType::tdLab:
        return true;
    case TKXDrawType::tdPrint:
    case TKXDrawType::tdPreview:
    case TKXDrawType::tdOpenDialog:
        return FPrint;
    }
    return false;
}

bool TKXDataText::BoundValue(TKXFillType fill, QString &Value) const
{
    if (FIsCounter) {
        if (fill != TKXFillType::ftCounter && fill != TKXFillType::ftFieldCounter)
            return false;
        const TKXCounter *c = FOwner->FindCounter(FFieldName);
        Value = c ? c->FValue : QString();
        return true;
    }
    if (fill != TKXFillType::ftField && fill != TKXFillType::ftFieldCounter)
        return false;
    FOwner->GetFieldText(FFieldName, FDisplayFormat, FFloatAsDateTime, Value);
    return true;
}

void TKXDataText::PrintTextEvent(QString &Text)
{
    if (!FOwner->OnPrintText)
        return;
    WideString w = Text.toStdU16String();
    FOwner->OnPrintText(this, ToAnsi(FID), w);
    Text = QString::fromStdU16String(w);
}

void TKXDataText::SetupFont(TKXCanvas &Canvas) const
{
    // The font is created turned by the angle (tenths of a degree, counter-clockwise).
    TKXFont font;
    font.Name = FFontName;
    font.Height = FFontHeight;
    font.Bold = FBold;
    font.Italic = FItalic;
    font.Underline = FUnderline;
    // Whole turns do not change the direction; a damaged file's absurd angle must not
    // overflow the tenths.
    font.Escapement = (FAngle % 360) * 10;
    font.Color = FColor;
    Canvas.SetFont(font);
    // A text that is not transparent paints its character cells in BackColor.
    Canvas.SetBrush({FBackColor, FTransparent ? TKXBrushStyle::bsClear : TKXBrushStyle::bsSolid});
    Canvas.SetBkColor(FBackColor);
    Canvas.SetBkMode(FTransparent ? TKXBkMode::bkTransparent : TKXBkMode::bkOpaque);
    Canvas.SetTextCharacterExtra(FTextD);
}

void TKXDataText::LayoutBox(TKXCanvas &Canvas, TKXDrawType DrawType, const QString &T)
{
    FSizeTxt = Canvas.TextExtent(T);
    if (DrawType == TKXDrawType::tdLab) {
        FMaxDesignWidth = FSizeTxt.cx;
        // The fixed texts around the value (Before and After) are the narrowest a box may
        // be; with none there is no minimum.
        const QString fixed = FixedText();
        FMinDesignWidth = fixed.isEmpty() ? 0 : Canvas.TextExtent(fixed).cx;
        if (FDesignWidth > 0)
            FSizeTxt.cx = FDesignWidth;
    }
    // The box in 64 bits: a measured text, the shadow gap, the padding and the pen of a
    // damaged file may each reach the 32-bit range; the results are clamped onto it.
    int64_t w = FSizeTxt.cx, h = FSizeTxt.cy;
    if (FShadow) {
        w += FShadowGap.x;
        h += FShadowGap.y;
    }
    if (FShowBorder) {
        w += 2 * (int64_t(FPadding.x) + FPenWidth);
        h += 2 * (int64_t(FPadding.y) + FPenWidth);
    }
    FSize = {ClampCoord(w), ClampCoord(h)};
    w = FSize.cx;
    h = FSize.cy;
    const int64_t x = FP1.x, y = FP1.y;
    auto at = [](int64_t px, int64_t py) { return TPoint{ClampCoord(px), ClampCoord(py)}; };
    switch (FAlign) {
    case TTextAlign::taLeBo: FTL = at(x, y - h); break;
    case TTextAlign::taCeBo: FTL = at(x - w / 2, y - h); break;
    case TTextAlign::taRiBo: FTL = at(x - w, y - h); break;
    case TTextAlign::taLeTo: FTL = at(x, y); break;
    case TTextAlign::taCeTo: FTL = at(x - w / 2, y); break;
    case TTextAlign::taRiTo: FTL = at(x - w, y); break;
    case TTextAlign::taLeCe: FTL = at(x, y - h / 2); break;
    case TTextAlign::taCeCe: FTL = at(x - w / 2, y - h / 2); break;
    case TTextAlign::taRiCe: FTL = at(x - w, y - h / 2); break;
    }
    FP2 = at(int64_t(FTL.x) + w, int64_t(FTL.y) + h);
}

void TKXDataText::DrawText(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, const QString &T)
{
    Canvas.SaveState();
    SetupFont(Canvas);
    LayoutBox(Canvas, DrawType, T);

    auto at = [](int64_t px, int64_t py) { return TPoint{ClampCoord(px), ClampCoord(py)}; };
    FP = FTL;
    if (FShowBorder)
        FP = at(int64_t(FP.x) + FPadding.x + FPenWidth, int64_t(FP.y) + FPadding.y + FPenWidth);
    SP = FP;
    if (FShadow)
        SP = at(int64_t(FP.x) + FShadowGap.x, int64_t(FP.y) + FShadowGap.y);
    if (FAngle > 0) {
        RotatePoint(FP2, FP1, FAngle);
        RotatePoint(FTL, FP1, FAngle);
        RotatePoint(FP, FP1, FAngle);
        RotatePoint(SP, FP1, FAngle);
    }
    UpdateExtent();

    // The design box clips the text on the design surface and in file previews only; it
    // is FDesignWidth wide and FontHeight high from FP, turned about FP.
    const bool clip = FDesignWidth > 0 &&
                      (DrawType == TKXDrawType::tdLab || DrawType == TKXDrawType::tdOpenDialog);
    TRect clipBox;
    if (clip) {
        const int64_t dw = FDesignWidth, fh = FFontHeight, x = FP.x, y = FP.y;
        auto box = [](int64_t l, int64_t t, int64_t r, int64_t b) {
            return TRect{ClampCoord(l), ClampCoord(t), ClampCoord(r), ClampCoord(b)};
        };
        switch (FAngle) {
        case 90: clipBox = box(x, y - dw, x + fh, y); break;
        case 180: clipBox = box(x - dw, y - fh, x, y); break;
        case 270: clipBox = box(x - fh, y, x, y + dw); break;
        default: clipBox = box(x, y, x + dw, y + fh); break;
        }
    }

    if (FShowBorder)
        DrawBorderBox(Canvas, Offset(Ordered(FTL, FP2), po));

    if (clip) {
        Canvas.SaveState();
        Canvas.IntersectClipRect(Offset(clipBox, po));
    }
    if (FShadow) {
        // The shadow: the same text in ShadowColor at the shadow origin, under the text.
        TKXFont shadowFont = Canvas.Font();
        shadowFont.Color = FShadowColor;
        const TKXFont textFont = Canvas.Font();
        const TKXBkMode mode = Canvas.BkMode();
        Canvas.SetFont(shadowFont);
        Canvas.SetBkMode(TKXBkMode::bkTransparent);
        Canvas.TextOut(ClampCoord(int64_t(po.x) + SP.x), ClampCoord(int64_t(po.y) + SP.y), T);
        Canvas.SetFont(textFont);
        Canvas.SetBkMode(mode);
    }
    Canvas.TextOut(ClampCoord(int64_t(po.x) + FP.x), ClampCoord(int64_t(po.y) + FP.y), T);
    if (clip)
        Canvas.RestoreState();

    if (DrawType == TKXDrawType::tdLab) {
        Frame = Ordered(FTL, FP2);
        DrawDesignMarks(Canvas, po, FDatabase);
    }
    Canvas.RestoreState();
}

void TKXText::Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill)
{
    if (!DrawsOn(DrawType))
        return;
    QString shown = FText;
    if (DrawType != TKXDrawType::tdLab) {
        if (FDatabase)
            BoundValue(fill, shown);
        PrintTextEvent(shown);
    } else if (shown.isEmpty()) {
        // Only what is shown: the element keeps its own (empty) text.
        shown = QStringLiteral("-");
    }
    DrawText(Canvas, po, DrawType, shown);
}

void TKXAddText::Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill)
{
    if (!DrawsOn(DrawType))
        return;
    QString value = FText;
    const bool output = DrawType != TKXDrawType::tdLab;
    if (output && FDatabase)
        BoundValue(fill, value);
    QString shown = FBefore + value + FAfter;
    if (output)
        PrintTextEvent(shown);
    DrawText(Canvas, po, DrawType, shown);
}

void TKXAskText::Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType)
{
    if (!DrawsOn(DrawType))
        return;
    DrawText(Canvas, po, DrawType, FAnswer.isEmpty() ? QStringLiteral(".") : FAnswer);
}

// ---------------------------------------------------------------------------------------
// Record T

void TKXDataText::SaveToStream(TKXStreamWriter &Stream) const
{
    TKXData::SaveToStream(Stream);
    WriteWideStr(FText.toStdU16String(), Stream);
    WriteAnsiStr(ToAnsi(FDisplayFormat), Stream);
    Stream.WriteEnum(FAlign);
    Stream.WriteBool(FBold);
    Stream.WriteBool(FItalic);
    Stream.WriteBool(FUnderline);
    Stream.WriteBool(FShadow);
    Stream.WriteInt32(int32_t(FShadowColor));
    Stream.WriteInt32(FShadowGap.x);
    Stream.WriteInt32(FShadowGap.y);
}

void TKXDataText::LoadFromStream(TKXStreamReader &Stream)
{
    TKXData::LoadFromStream(Stream);
    const int32_t version = FOwner->FileVersion();
    FText = ReadText(Stream, version >= 19);
    FDisplayFormat = QString::fromStdU16String(AnsiToWide(ReadAnsiStr(Stream)));
    // Anchorings beyond the nine (beyond the six of records before version 20) read as
    // left-top.
    const uint8_t align = Stream.ReadUInt8();
    FAlign = (align > 8 || (version < 20 && align > 5)) ? TTextAlign::taLeTo : TTextAlign(align);
    FBold = Stream.ReadBool();
    FItalic = Stream.ReadBool();
    FUnderline = Stream.ReadBool();
    FShadow = Stream.ReadBool();
    FShadowColor = TColor(Stream.ReadInt32());
    FShadowGap.x = Stream.ReadInt32();
    FShadowGap.y = Stream.ReadInt32();
    if (version < 20)
        FShadowGap = {TenthsToInternal(FShadowGap.x), TenthsToInternal(FShadowGap.y)}; // tenths of a millimetre
    FShadowGap = {LimitedLength(FShadowGap.x), LimitedLength(FShadowGap.y)};
}

void TKXShadowDataText::LoadFromStream(TKXStreamReader &Stream)
{
    TKXDataText::LoadFromStream(Stream);
    UpdateGeometryKind();
}

void TKXText::SaveToStream(TKXStreamWriter &Stream) const
{
    Stream.WriteEnum(TKXEle::deText);
    TKXShadowDataText::SaveToStream(Stream);
}

void TKXAddText::SaveToStream(TKXStreamWriter &Stream) const
{
    Stream.WriteEnum(TKXEle::deAddText);
    TKXShadowDataText::SaveToStream(Stream);
    WriteWideStr(FBefore.toStdU16String(), Stream);
    WriteWideStr(FAfter.toStdU16String(), Stream);
}

void TKXAddText::LoadFromStream(TKXStreamReader &Stream)
{
    TKXShadowDataText::LoadFromStream(Stream);
    const bool wide = FOwner->FileVersion() >= 19;
    FBefore = ReadText(Stream, wide);
    FAfter = ReadText(Stream, wide);
}

void TKXAskText::SaveToStream(TKXStreamWriter &Stream) const
{
    Stream.WriteEnum(TKXEle::deAskText);
    TKXShadowDataText::SaveToStream(Stream);
    WriteWideStr(FQuestion.toStdU16String(), Stream);
    WriteWideStr(FAnswer.toStdU16String(), Stream);
}

void TKXAskText::LoadFromStream(TKXStreamReader &Stream)
{
    TKXShadowDataText::LoadFromStream(Stream);
    const bool wide = FOwner->FileVersion() >= 19;
    FQuestion = ReadText(Stream, wide);
    FAnswer = ReadText(Stream, wide);
}

} // namespace kx
