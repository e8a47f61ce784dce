#include "elements/KXPolyText.h"

#include "barcode/KXBarcodePattern.h"
#include "barcode/KXBarcodeText.h"
#include "core/KXCodec1252.h"
#include "core/KXFormat.h"
#include "document/KXBaseLab.h"
#include "document/KXDesignerServices.h"
#include "elements/KXBarCode.h"
#include "file/KXLabelFile.h"
#include "platform/KXCanvas.h"
#include "platform/KXMetafile.h"
#include "platform/KXQtCanvas.h"
#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"

#include <algorithm>

namespace kx {

namespace {

AnsiString ToAnsi(const QString &S)
{
    return WideToAnsi(S.toStdU16String());
}

QString FromAnsi(const AnsiString &S)
{
    return QString::fromStdU16String(AnsiToWide(S));
}

QString ReadText(TKXStreamReader &Stream, bool Wide)
{
    if (Wide)
        return QString::fromStdU16String(ReadWideStr(Stream));
    return FromAnsi(ReadAnsiStr(Stream));
}

// The smallest part record: the fixed fields and five empty strings.
constexpr size_t MinPartRecord = 4 + 6 + 4 + 4 + 5 * 4;

// The largest width the parts of one compound text add up to (10 m), and the range of
// positions handed to the canvas.
constexpr int64_t MaxExtent = 1000000;
constexpr int64_t MaxCoord = 1000000000;

// Kind of the data marks bound parts register on the design surface.
constexpr uint16_t DataMarkKind = 0;

} // namespace

// ---------------------------------------------------------------------------------------
// TKXDataPoly: setters

template <class T>
void TKXDataPoly::SetPart(T &Field, const T &Value, bool DoNotify)
{
    if (Value == Field)
        return;
    FOwner->RecordUndo();
    Field = Value;
    if (DoNotify)
        Notify();
    FOwner->MarkModified();
}

void TKXDataPoly::Notify()
{
    FOwner->Changed(QString());
}

void TKXDataPoly::SetText(const QString &Value) { SetPart(FText, Value, true); }
void TKXDataPoly::SetFontName(const QString &Value) { SetPart(FFontName, Value, true); }
void TKXDataPoly::SetFontColor(TColor Value) { SetPart(FFontColor, Value, true); }
void TKXDataPoly::SetBold(bool Value) { SetPart(FBold, Value, true); }
void TKXDataPoly::SetItalic(bool Value) { SetPart(FItalic, Value, true); }
void TKXDataPoly::SetUnderline(bool Value) { SetPart(FUnderline, Value, true); }
void TKXDataPoly::SetTransparent(bool Value) { SetPart(FTransparent, Value, true); }
void TKXDataPoly::SetFormat(const QString &Value) { SetPart(FFormat, Value, true); }
void TKXDataPoly::SetDatabase(bool Value) { SetPart(FDatabase, Value, false); }
void TKXDataPoly::SetAddPar(bool Value) { SetPart(FAddPar, Value, false); }

// The identifier shows only in barcode mode.
void TKXDataPoly::SetIA(const QString &Value)
{
    SetPart(FIA, Value, FOwner->FIsBarcode);
}

float TKXDataPoly::FontHeight() const
{
    return FOwner->ToUnits(FFontHeight);
}

void TKXDataPoly::SetFontHeight(float Value)
{
    FOwner->RecordUndo();
    FFontHeight = FOwner->ToInternal(Value);
    Notify();
    FOwner->MarkModified();
}

QString TKXDataPoly::FieldName() const
{
    bool floatAsDateTime = false;
    return FOwner->Owner()->FieldNameToCaption(FFieldName, floatAsDateTime, false);
}

void TKXDataPoly::SetFieldName(const QString &Value)
{
    QString name;
    bool floatAsDateTime = false, isCounter = false;
    FOwner->Owner()->CaptionToFieldName(Value, floatAsDateTime, name, isCounter);
    if (name == FFieldName)
        return;
    FOwner->RecordUndo();
    FFieldName = name;
    FFloatAsDateTime = floatAsDateTime;
    FOwner->MarkModified();
}

// ---------------------------------------------------------------------------------------
// TKXDataPoly: record

void TKXDataPoly::SaveToStream(TKXStreamWriter &Stream) const
{
    Stream.WriteInt32(int32_t(FColor));
    Stream.WriteBool(FBold);
    Stream.WriteBool(FItalic);
    Stream.WriteBool(FUnderline);
    Stream.WriteBool(FAddPar);
    Stream.WriteBool(FTransparent);
    Stream.WriteBool(FDatabase);
    Stream.WriteInt32(FFontHeight);
    Stream.WriteInt32(int32_t(FFontColor));
    WriteWideStr(FText.toStdU16String(), Stream);
    WriteAnsiStr(ToAnsi(FFontName), Stream);
    WriteAnsiStr(ToAnsi(FFieldName), Stream);
    WriteAnsiStr(ToAnsi(FFormat), Stream);
    WriteAnsiStr(ToAnsi(FIA), Stream);
}

void TKXDataPoly::LoadFromStream(TKXStreamReader &Stream)
{
    const int32_t version = FOwner->Owner()->FileVersion();
    FColor = TColor(Stream.ReadInt32());
    FBold = Stream.ReadBool();
    FItalic = Stream.ReadBool();
    FUnderline = Stream.ReadBool();
    FAddPar = Stream.ReadBool();
    FTransparent = Stream.ReadBool();
    FDatabase = Stream.ReadBool();
    FFontHeight = Stream.ReadInt32();
    if (version < 20)
        FFontHeight = TenthsToInternal(FFontHeight); // tenths of a millimetre
    FFontHeight = LimitedLength(FFontHeight);
    FFontColor = TColor(Stream.ReadInt32());
    FText = ReadText(Stream, version >= 19);
    FFontName = FromAnsi(ReadAnsiStr(Stream));
    FFieldName = FromAnsi(ReadAnsiStr(Stream));
    FFormat = FromAnsi(ReadAnsiStr(Stream));
    FIA = FromAnsi(ReadAnsiStr(Stream));
    FFloatAsDateTime = FOwner->Owner()->IsFloatAsDateTime(FFieldName);
}

// ---------------------------------------------------------------------------------------
// TKXPolyText: lifecycle and published properties

TKXPolyText::TKXPolyText(TKXCustomLab *AOwner, bool InsertFirst) : TKXBaseEx1D(AOwner)
{
    FAlign = TTextAlign::taLeTo;
    if (InsertFirst)
        AddDataElement(false)->FText = QStringLiteral("text1");
}

TKXPolyText::~TKXPolyText() = default;

TKXPolyText *TKXPolyText::Insert(TKXCustomLab &Lab)
{
    TKXPolyText *t = Lab.NewElement<TKXPolyText>();
    t->AddDataElement(false)->FText = QStringLiteral("text1");
    return t;
}

void TKXPolyText::AddPublished(TKXPropTable &t)
{
    TKXBaseEx1D::AddPublished(t);
    t.Add(PublishProp("ID", "AnsiString", &TKXElement::ID, &TKXElement::SetID));
    t.Add(PublishProp("Angle", "Integer", &TKXElement::Angle, &TKXElement::SetAngle));
    TKXPropInfo edit;
    edit.Name = QStringLiteral("EditPoly");
    edit.TypeName = QStringLiteral("AnsiString");
    edit.Kind = TKXPropKind::pkString;
    edit.Get = [](const TKXElement &) { return QVariant(QString()); };
    t.Add(edit);
    t.Add(PublishProp("IsBarcode", "Boolean", &TKXPolyText::IsBarcode, &TKXPolyText::SetIsBarcode));
    t.Add(PublishProp("Factor", "Single", &TKXPolyText::Factor, &TKXPolyText::SetFactor));
    t.Add(PublishProp("BarWidth", "Single", &TKXPolyText::BarWidth, &TKXPolyText::SetBarWidth));
    t.Add(PublishProp("Distance", "Single", &TKXPolyText::Distance, &TKXPolyText::SetDistance));
    t.Add(PublishProp("BHeight", "Single", &TKXPolyText::BHeight, &TKXPolyText::SetBHeight));
    t.Add(PublishProp("LeftMargin", "Single", &TKXPolyText::LeftMargin, &TKXPolyText::SetLeftMargin));
    t.Add(PublishProp("TopMargin", "Single", &TKXPolyText::TopMargin, &TKXPolyText::SetTopMargin));
    t.Add(PublishProp("ShowNumber", "Boolean", &TKXPolyText::ShowNumber, &TKXPolyText::SetShowNumber));
    t.Add(PublishProp("Checksum", "Boolean", &TKXPolyText::Checksum, &TKXPolyText::SetChecksum));
    t.Add(PublishProp("CodeType", "", &TKXPolyText::CodeType, &TKXPolyText::SetCodeType));
    t.Add(PublishProp("TextAlign", "", &TKXPolyText::TextAlign, &TKXPolyText::SetTextAlign));
}

const TKXPropTable &TKXPolyText::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXPolyText::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXPolyText", &TKXBaseEx1D::ClassInfo());
}

// ---------------------------------------------------------------------------------------
// Parts

TKXDataPoly *TKXPolyText::AddDataElement(bool Undo)
{
    if (Undo)
        RecordUndo();
    DataElements.push_back(std::make_unique<TKXDataPoly>(this));
    return DataElements.back().get();
}

TKXDataPoly *TKXPolyText::AddDataElement(bool Undo, const QString &FName, const QString &IdAp, const QString &Txt)
{
    TKXDataPoly *part = AddDataElement(Undo);
    part->FFieldName = FName;
    part->FFloatAsDateTime = FOwner->IsFloatAsDateTime(FName);
    part->FIA = IdAp;
    part->FText = Txt;
    FOwner->NotifyChange(GetIsSelected() ? 3 : 2, false, QString());
    return part;
}

void TKXPolyText::ClearElements()
{
    DataElements.clear();
}

TKXDataPoly *TKXPolyText::GetElement(int ElementNo) const
{
    if (ElementNo < 0 || ElementNo >= DataElementCount())
        return nullptr;
    return DataElements[size_t(ElementNo)].get();
}

// A removed or reordered part is a change of the label: the document is marked modified.
void TKXPolyText::RemoveDataElement(int Index)
{
    if (Index < 1 || Index > DataElementCount())
        return;
    RecordUndo();
    DataElements.erase(DataElements.begin() + (Index - 1));
    Changed(QString());
    MarkModified();
}

void TKXPolyText::ExchangeDataElement(int DataPoly1, int DataPoly2)
{
    const int n = DataElementCount();
    if (DataPoly1 < 1 || DataPoly1 > n || DataPoly2 < 1 || DataPoly2 > n)
        return;
    RecordUndo();
    std::swap(DataElements[size_t(DataPoly1 - 1)], DataElements[size_t(DataPoly2 - 1)]);
    Changed(QString());
    MarkModified();
}

TKXPoint2D TKXPolyText::GetTextSize() const
{
    // One logical unit is one device unit: the canvas measures in hundredths of a millimetre.
    TKXMetafile metafile(10000, 10000, 10000, 10000);
    auto canvas = metafile.OpenCanvas();
    int64_t w = 0, h = 0;
    for (const auto &part : DataElements) {
        canvas->SaveState();
        SetupPartFont(*canvas, *part);
        w = std::min<int64_t>(w + canvas->TextExtent(part->FCalcText).cx, INT32_MAX);
        canvas->RestoreState();
        h = std::max<int64_t>(h, part->FFontHeight);
    }
    if (FShowBorder) {
        w += 2 * (int64_t(FPadding.x) + FPenWidth);
        h += 2 * (int64_t(FPadding.y) + FPenWidth);
    }
    return {ToUnits(ClampCoord(w)), ToUnits(ClampCoord(h))};
}

// ---------------------------------------------------------------------------------------
// Setters

void TKXPolyText::BarChanged(const QString &Name)
{
    if (FIsBarcode)
        Changed(Name);
}

void TKXPolyText::SetBarLength(int32_t &Field, int32_t Value, const QString &Name, bool Notify)
{
    RecordUndo();
    Field = Value;
    if (Notify)
        Changed(Name);
    MarkModified();
}

void TKXPolyText::SetBHeight(float Value)
{
    SetBarLength(FBHeight, ToInternal(Value), QStringLiteral("BHeight"), FIsBarcode);
}

void TKXPolyText::SetLeftMargin(float Value)
{
    SetBarLength(FLeftMargin, ToInternal(Value), QStringLiteral("LeftMargin"), FIsBarcode);
}

void TKXPolyText::SetTopMargin(float Value)
{
    SetBarLength(FTopMargin, ToInternal(Value), QStringLiteral("TopMargin"), FIsBarcode);
}

void TKXPolyText::SetBarWidth(float Value)
{
    SetBarLength(FBarWidth, int32_t(ToHundredths(Value)), QStringLiteral("BarWidth"), FIsBarcode);
}

void TKXPolyText::SetDistance(float Value)
{
    SetBarLength(FDistance, int32_t(ToHundredths(Value)), QStringLiteral("Distance"), FIsBarcode && FShowNumber);
}

float TKXPolyText::Factor() const
{
    FFactor = ClampBarFactor(FFactor, FCodeType);
    return float(FFactor) / 100.0f;
}

void TKXPolyText::SetFactor(float Value)
{
    const int32_t factor = RoundHalfUp(Value * 100.0L);
    if (factor == FFactor)
        return;
    RecordUndo();
    FFactor = factor;
    BarChanged(QStringLiteral("Factor"));
    MarkModified();
}

void TKXPolyText::SetCodeType(TKXBar Value)
{
    if (Value == FCodeType)
        return;
    RecordUndo();
    FCodeType = Value;
    if (const int32_t factor = DefaultBarFactor(Value))
        FFactor = factor;
    BarChanged(QStringLiteral("CodeType"));
    FOwner->InspectorPropChanged(QStringLiteral("Factor"));
    MarkModified();
}

void TKXPolyText::SetShowNumber(bool Value)
{
    if (Value == FShowNumber)
        return;
    RecordUndo();
    FShowNumber = Value;
    BarChanged(QStringLiteral("ShowNumber"));
    MarkModified();
}

// The check characters show in both modes, so a change always repaints.
void TKXPolyText::SetChecksum(bool Value)
{
    SetProp(FCheckSum, Value, QStringLiteral("Checksum"));
}

void TKXPolyText::SetIsBarcode(bool Value)
{
    if (Value == FIsBarcode)
        return;
    RecordUndo();
    FIsBarcode = Value;
    ApplyEleAlign(false);
    Changed(QStringLiteral("IsBarcode"));
    MarkModified();
}

void TKXPolyText::SetTextAlign(TTextAlign Value)
{
    SetProp(FAlign, Value, QStringLiteral("TextAlign"));
}

// The colour is every part's font colour.
void TKXPolyText::SetColor(TColor Value)
{
    const bool same = Value == FColor && std::all_of(DataElements.begin(), DataElements.end(),
                                                     [Value](const auto &p) { return p->FFontColor == Value; });
    if (same)
        return;
    RecordUndo();
    FColor = Value;
    for (auto &part : DataElements)
        part->FFontColor = Value;
    Changed(QStringLiteral("Color"));
    MarkModified();
}

// The background colour is every part's background.
void TKXPolyText::SetBackColor(TColor Value)
{
    const bool same = Value == FBackColor && std::all_of(DataElements.begin(), DataElements.end(),
                                                         [Value](const auto &p) { return p->FColor == Value; });
    if (same)
        return;
    RecordUndo();
    FBackColor = Value;
    for (auto &part : DataElements)
        part->FColor = Value;
    Changed(QStringLiteral("BackColor"));
    MarkModified();
}

// Transparency is every part's.
void TKXPolyText::SetTransparent(bool Value)
{
    const bool same = Value == FTransparent && std::all_of(DataElements.begin(), DataElements.end(),
                                                           [Value](const auto &p) { return p->FTransparent == Value; });
    if (same)
        return;
    RecordUndo();
    FTransparent = Value;
    for (auto &part : DataElements)
        part->FTransparent = Value;
    Changed(QStringLiteral("Transparent"));
    MarkModified();
}

// The editor moved the text: P2 follows the screen box's right-bottom corner.
void TKXPolyText::SetBorder(const TRect &Value)
{
    TKXElement::SetBorder(Value);
    if (TKXCustomEditor *ed = FOwner->Editor())
        FP2 = {ed->ScreenToLabelX(Value.Right), ed->ScreenToLabelY(Value.Bottom)};
}

// ---------------------------------------------------------------------------------------
// Drawing

bool TKXPolyText::DrawsOn(TKXDrawType DrawType) const
{
    return DrawType == TKXDrawType::tdLab || FPrint;
}

bool TKXPolyText::BoundOnOutput(const TKXDataPoly &Part, TKXDrawType DrawType, TKXFillType fill) const
{
    return Part.FDatabase && DrawType != TKXDrawType::tdLab &&
           (fill == TKXFillType::ftField || fill == TKXFillType::ftFieldCounter);
}

void TKXPolyText::SetupPartFont(TKXCanvas &Canvas, const TKXDataPoly &Part) const
{
    TKXFont font;
    font.Name = Part.FFontName;
    font.Height = Part.FFontHeight;
    font.Bold = Part.FBold;
    font.Italic = Part.FItalic;
    font.Underline = Part.FUnderline;
    font.Escapement = (FAngle % 360) * 10;
    font.Color = Part.FFontColor;
    Canvas.SetFont(font);
    Canvas.SetBrush({Part.FColor, Part.FTransparent ? TKXBrushStyle::bsClear : TKXBrushStyle::bsSolid});
    Canvas.SetBkColor(Part.FColor);
    Canvas.SetBkMode(Part.FTransparent ? TKXBkMode::bkTransparent : TKXBkMode::bkOpaque);
    Canvas.SetTextCharacterExtra(FTextD);
}

void TKXPolyText::Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill)
{
    if (!DrawsOn(DrawType))
        return;
    if (FIsBarcode)
        DrawAsBarcode(Canvas, po, DrawType, fill);
    else
        DrawTexts(Canvas, po, DrawType, fill);
}

void TKXPolyText::DesignFrame(TKXCanvas &Canvas, TPoint po, bool SelectionFrame)
{
    TKXCustomEditor *ed = FOwner->Editor();
    if (!ed)
        return;
    if (SelectionFrame) {
        FBorder = Canvas.LPtoDP(TRect{ClampCoord(int64_t(Frame.Left) + po.x), ClampCoord(int64_t(Frame.Top) + po.y),
                                      ClampCoord(int64_t(Frame.Right) + po.x), ClampCoord(int64_t(Frame.Bottom) + po.y)});
        ed->DrawSelectionFrame(GetIsSelected(), false, FSelType, uint16_t(FAngle % 360), Frame, FBorder, false);
    }
    if (!ed->ShowMarks)
        return;
    Canvas.SaveState();
    TKXPen mark;
    mark.Color = ed->MarkColor;
    mark.Width = 0;
    Canvas.SetPen(mark);
    const int32_t x = int32_t(std::clamp<int64_t>(int64_t(FP1.x) + po.x, -MaxCoord, MaxCoord));
    const int32_t y = int32_t(std::clamp<int64_t>(int64_t(FP1.y) + po.y, -MaxCoord, MaxCoord));
    Canvas.MoveTo(x - 50, y);
    Canvas.LineTo(x + 50, y);
    Canvas.MoveTo(x, y - 50);
    Canvas.LineTo(x, y + 50);
    Canvas.RestoreState();
}

void TKXPolyText::DrawTexts(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill)
{
    const int32_t angle = FAngle % 360;
    // The parts' texts for this drawing.
    for (auto &p : DataElements) {
        TKXDataPoly &part = *p;
        if (BoundOnOutput(part, DrawType, fill))
            FOwner->GetFieldText(part.FFieldName, part.FFormat, part.FFloatAsDateTime, part.FCalcText);
        else
            part.FCalcText = part.FText;
        if (DrawType != TKXDrawType::tdLab && FOwner->OnPrintDataPoly) {
            WideString w = part.FCalcText.toStdU16String();
            FOwner->OnPrintDataPoly(&part, ToAnsi(FID), w);
            part.FCalcText = QString::fromStdU16String(w);
        }
    }

    // Layout: the parts side by side, the whole placed on P1 by the alignment.
    Canvas.SaveState();
    int32_t W = 0, H = 0;
    for (auto &p : DataElements) {
        SetupPartFont(Canvas, *p);
        p->FSize = Canvas.TextExtent(p->FCalcText);
        // Beyond any label, a damaged file's sizes stop growing instead of overflowing.
        p->FSize = {int32_t(std::clamp<int64_t>(p->FSize.cx, 0, MaxExtent)),
                    int32_t(std::clamp<int64_t>(p->FSize.cy, 0, MaxExtent))};
        W = int32_t(std::min<int64_t>(int64_t(W) + p->FSize.cx, MaxExtent));
        H = std::max(H, p->FSize.cy);
    }
    // Positions in 64 bits, limited to the canvas's range.
    auto c32 = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, -MaxCoord, MaxCoord)); };
    const int64_t px = FP1.x, py = FP1.y;
    int64_t x0 = px;
    switch (FAlign) {
    case TTextAlign::taCeBo: case TTextAlign::taCeTo: case TTextAlign::taCeCe: x0 = px - W / 2; break;
    case TTextAlign::taRiBo: case TTextAlign::taRiTo: case TTextAlign::taRiCe: x0 = px - W; break;
    default: break;
    }
    int64_t x = x0, top = py;
    for (size_t i = 0; i < DataElements.size(); ++i) {
        TKXDataPoly &part = *DataElements[i];
        const int64_t h = part.FSize.cy;
        int64_t y = py;
        switch (FAlign) {
        case TTextAlign::taLeBo: case TTextAlign::taCeBo: case TTextAlign::taRiBo: y = py - h; break;
        case TTextAlign::taLeCe: case TTextAlign::taCeCe: y = py - h / 2; break;
        case TTextAlign::taRiCe: y = py - H / 2; break;
        default: break;
        }
        part.FTL = {c32(x), c32(y)};
        top = i == 0 ? y : std::min(top, y);
        x += part.FSize.cx;
    }
    const TPoint tl{c32(x0), c32(top)};
    FSize = {W, H};
    FP2 = {c32(x0 + W), c32(top + H)};
    UpdateExtent();
    FTL = tl;
    if (angle > 0) {
        RotatePoint(FTL, FP1, angle);
        for (auto &p : DataElements)
            RotatePoint(p->FTL, FP1, angle);
    }

    // With Checksum the joined texts get their check characters after the last part.
    QString check;
    if (FCheckSum && !DataElements.empty()) {
        FCode.clear();
        for (const auto &p : DataElements)
            FCode += ToAnsi(p->FCalcText);
        if (ValidBarText(FCode, FCodeType, true, true)) {
            AnsiString c;
            FCode = BarTextWithCheck(FCode, FCodeType, true, c);
            check = FromAnsi(c);
        }
    }

    TKXCustomEditor *ed = FOwner->Editor();
    for (size_t i = 0; i < DataElements.size(); ++i) {
        TKXDataPoly &part = *DataElements[i];
        SetupPartFont(Canvas, part);
        QString text = part.FCalcText;
        if (i + 1 == DataElements.size())
            text += check;
        const TPoint at{ClampCoord(int64_t(part.FTL.x) + po.x), ClampCoord(int64_t(part.FTL.y) + po.y)};
        Canvas.TextOut(at.x, at.y, text);
        if (DrawType == TKXDrawType::tdLab && part.FDatabase && ed && ed->ShowMarks) {
            // The data mark just inside the part's first character cell.
            TPoint m = Canvas.LPtoDP(at);
            switch (angle) {
            case 90: m = {m.x + 1, m.y - 8}; break;
            case 180: m = {m.x - 8, m.y - 8}; break;
            case 270: m = {m.x - 8, m.y + 1}; break;
            default: m = {m.x + 1, m.y + 1}; break;
            }
            FOwner->AddSymbolPoint(DataMarkKind, m, GetIsSelected());
        }
    }
    Canvas.RestoreState();

    if (DrawType != TKXDrawType::tdLab)
        return;
    TRect frame{tl.x, tl.y, FP2.x, FP2.y};
    if (angle > 0)
        RotateRect(frame, FP1, angle);
    NormalizeRect(frame);
    Frame = frame;
    DesignFrame(Canvas, po);
}

void TKXPolyText::DrawAsBarcode(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill)
{
    // Every drawing joins the code afresh.
    FCode.clear();
    FDText.clear();
    if (DataElements.empty()) {
        // Nothing to encode and no font for the text line: nothing is drawn.
        FP2 = FP1;
        UpdateExtent();
        Frame = {FP1.x, FP1.y, FP1.x, FP1.y};
        if (DrawType == TKXDrawType::tdLab)
            DesignFrame(Canvas, po);
        return;
    }
    const std::string decimal = DefaultFormatSettings().DecimalSeparator;
    const QString separator = QString::fromStdString(decimal);
    for (auto &p : DataElements) {
        TKXDataPoly &part = *p;
        QString value = part.FText;
        if (BoundOnOutput(part, DrawType, fill)) {
            const bool noSeparator = part.FFormat.startsWith(QLatin1Char('='));
            FOwner->GetFieldText(part.FFieldName, noSeparator ? part.FFormat.mid(1) : part.FFormat,
                                 part.FFloatAsDateTime, value);
            if (noSeparator && !separator.isEmpty())
                value.remove(separator);
        }
        part.FCalcText = value;
        FCode += ToAnsi(part.FIA) + ToAnsi(value);
        FDText += part.FIA.isEmpty() ? value : QStringLiteral("(") + part.FIA + QStringLiteral(")") + value;
    }

    if (!ValidBarText(FCode, FCodeType, FCheckSum, true)) {
        // The placeholder asks for the selection frame itself; the cross marks P1.
        DrawInvalidBarcode(po, Canvas, DrawType, FBHeight, 0);
        if (DrawType == TKXDrawType::tdLab)
            DesignFrame(Canvas, po, false);
        return;
    }
    AnsiString check;
    FCode = BarTextWithCheck(FCode, FCodeType, FCheckSum, check);
    if (FCheckSum)
        FDText += FromAnsi(check);
    const TKXDataPoly &first = *DataElements.front();
    TBarDrawing bar;
    bar.CodeType = FCodeType;
    bar.Pattern = BarPattern(FCode, FCodeType, FCheckSum, FShowNumber);
    bar.Text = FDText;
    bar.FontName = first.FFontName;
    bar.ShowNumber = FShowNumber;
    bar.Data = fill == TKXFillType::ftField;
    bar.BarWidth = FBarWidth;
    bar.BHeight = FBHeight;
    bar.LeftMargin = FLeftMargin;
    bar.TopMargin = FTopMargin;
    bar.FontHeight = first.FFontHeight;
    bar.Ratio = Factor();
    FTextD = FDistance;
    DrawBarcode1D(po, Canvas, DrawType, bar);
}

// ---------------------------------------------------------------------------------------
// Record

void TKXPolyText::SaveToStream(TKXStreamWriter &Stream) const
{
    Stream.WriteEnum(TKXEle::dePolyText);
    TKXBaseEx1D::SaveToStream(Stream);
    Stream.WriteEnum(FAlign);
    Stream.WriteBool(FIsBarcode);
    Stream.WriteEnum(FCodeType);
    Stream.WriteInt32(FBarWidth);
    Stream.WriteInt32(FBHeight);
    Stream.WriteInt32(FDistance);
    Stream.WriteBool(FShowNumber);
    Stream.WriteInt32(FLeftMargin);
    Stream.WriteInt32(FTopMargin);
    Stream.WriteBool(FCheckSum);
    Stream.WriteInt32(FFactor);
    Stream.WriteEnum(FCheckType);
    Stream.WriteInt32(int32_t(DataElements.size()));
    for (const auto &part : DataElements)
        part->SaveToStream(Stream);
}

void TKXPolyText::LoadFromStream(TKXStreamReader &Stream)
{
    TKXBaseEx1D::LoadFromStream(Stream);
    const int32_t version = FOwner->FileVersion();
    // Anchorings beyond the nine (beyond the six of records before version 20) read as
    // left-top.
    const uint8_t align = Stream.ReadUInt8();
    FAlign = (align > 8 || (version < 20 && align > 5)) ? TTextAlign::taLeTo : TTextAlign(align);
    FIsBarcode = Stream.ReadBool();
    FCodeType = version < 20 ? OldBarType(Stream.ReadUInt8()) : Stream.ReadEnum<TKXBar>();
    FBarWidth = Stream.ReadInt32();
    FBHeight = Stream.ReadInt32();
    FDistance = Stream.ReadInt32();
    FShowNumber = Stream.ReadBool();
    FLeftMargin = Stream.ReadInt32();
    FTopMargin = Stream.ReadInt32();
    if (version >= 20) {
        FCheckSum = Stream.ReadBool();
        FFactor = Stream.ReadInt32();
        FCheckType = Stream.ReadEnum<TKXCheckType>();
    } else {
        // Tenths of a millimetre; the ratio was not stored.
        FBarWidth = TenthsToInternal(FBarWidth);
        FBHeight = TenthsToInternal(FBHeight);
        FDistance = TenthsToInternal(FDistance);
        FLeftMargin = TenthsToInternal(FLeftMargin);
        FTopMargin = TenthsToInternal(FTopMargin);
        const int32_t factor = DefaultBarFactor(FCodeType);
        FFactor = factor ? factor : 300;
    }
    const int32_t count = Stream.ReadInt32();
    if (count < 0 || size_t(count) > Stream.Remaining() / MinPartRecord)
        throw EKxStreamError("compound text: " + std::to_string(count) + " parts cannot follow");
    // A record read into an existing element (undo, redo) replaces its parts.
    ClearElements();
    for (int32_t i = 0; i < count; ++i)
        AddDataElement(false)->LoadFromStream(Stream);
}

} // namespace kx
