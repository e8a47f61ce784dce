#include "elements/KXSymbol.h"

#include "core/KXError.h"
#include "core/KXUtils.h"
#include "data/KXDataset.h"
#include "document/KXBaseLab.h"
#include "platform/KXCanvas.h"
#include "stream/KXStream.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace kx {

namespace {

TRect Ordered(TPoint A, TPoint B)
{
    return {std::min(A.x, B.x), std::min(A.y, B.y), std::max(A.x, B.x), std::max(A.y, B.y)};
}

TRect Offset(const TRect &R, TPoint po)
{
    return {ClampCoord(int64_t(R.Left) + po.x), ClampCoord(int64_t(R.Top) + po.y),
            ClampCoord(int64_t(R.Right) + po.x), ClampCoord(int64_t(R.Bottom) + po.y)};
}

int32_t Clamp32(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// P + (dx, dy), kept in the 32-bit range (a damaged file may place a symbol anywhere).
TPoint Shifted(TPoint P, int64_t dx, int64_t dy)
{
    return {Clamp32(P.x + dx), Clamp32(P.y + dy)};
}

// A length scaled by a frame factor, truncated toward zero.
int64_t Scaled(int32_t Length, float Factor)
{
    // NaN passes every comparison of a clamp and converts to no integer: it scales to 0.
    const double v = std::trunc(double(Length) * double(Factor));
    if (std::isnan(v))
        return 0;
    return int64_t(std::clamp(v, -2147483648.0, 2147483647.0));
}

} // namespace

// ---------------------------------------------------------------------------------------
// Lifecycle and published properties

TKXSymbol::TKXSymbol(TKXCustomLab *AOwner) : TKXData(AOwner) {}

void TKXSymbol::AddPublished(TKXPropTable &t)
{
    TKXData::AddPublished(t);
    t.Add(PublishProp("ID", "AnsiString", &TKXElement::ID, &TKXElement::SetID));
    t.Add(PublishProp("FontHeight", "Single", &TKXData::FontHeight, &TKXData::SetFontHeight));
    t.Add(PublishProp("FontName", "TFontName", &TKXData::FontName, &TKXData::SetFontName));
    // The character travels as a one-character text.
    TKXPropInfo ch;
    ch.Name = QStringLiteral("Character");
    ch.TypeName = QStringLiteral("WideChar");
    ch.Kind = TKXPropKind::pkChar;
    ch.Get = [](const TKXElement &e) {
        return QVariant(QString(QChar(static_cast<const TKXSymbol &>(e).Character())));
    };
    ch.Set = [](TKXElement &e, const QVariant &v) {
        const QString s = v.toString();
        if (!s.isEmpty())
            static_cast<TKXSymbol &>(e).SetCharacter(s.at(0).unicode());
    };
    t.Add(std::move(ch));
    t.Add(PublishProp("Bold", "Boolean", &TKXSymbol::Bold, &TKXSymbol::SetBold));
    t.Add(PublishProp("Angle", "Integer", &TKXElement::Angle, &TKXElement::SetAngle));
    t.Add(PublishProp("ShowBorder", "Boolean", &TKXElement::ShowBorder, &TKXElement::SetShowBorder));
    t.Add(PublishProp("BorderColor", "TColor", &TKXElement::BorderColor, &TKXElement::SetBorderColor));
    t.Add(PublishProp("BorderRadio", "Single", &TKXElement::BorderRadio, &TKXElement::SetBorderRadio));
    t.Add(PublishProp("PenWidth", "Single", &TKXElement::PenWidth, &TKXElement::SetPenWidth));
    t.Add(PublishProp("PaddingX", "Single", &TKXElement::PaddingX, &TKXElement::SetPaddingX));
    t.Add(PublishProp("PaddingY", "Single", &TKXElement::PaddingY, &TKXElement::SetPaddingY));
    t.Add(PublishProp("FillColor", "TColor", &TKXSymbol::FillColor, &TKXSymbol::SetFillColor));
}

const TKXPropTable &TKXSymbol::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXSymbol::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXSymbol", &TKXData::ClassInfo());
}

// ---------------------------------------------------------------------------------------
// Setters

// No equality test: picking the shown character again still returns to glyph mode.
void TKXSymbol::SetCharacter(char16_t Value)
{
    RecordUndo();
    FNumber = 0;
    FWCaracter = Value;
    FStartChar = uint32_t(Value) / 240;
    Changed(QStringLiteral("Symbol"));
    MarkModified();
}

void TKXSymbol::SetBold(bool Value)
{
    SetProp(FBold, Value, QStringLiteral("Bold"));
}

void TKXSymbol::SetFillColor(TColor Value)
{
    SetProp(FFillColor, Value, QStringLiteral("FillColor"));
}

// The equality test sees the value as given; what is stored is clamped to 1 .. 64.
void TKXSymbol::SetNumber(int32_t Value)
{
    if (Value == FNumber)
        return;
    RecordUndo();
    FNumber = std::clamp(Value, 1, 64);
    Changed(QString());
    MarkModified();
}

// ---------------------------------------------------------------------------------------
// Drawing

bool TKXSymbol::PrintCondition(TKXFillType fill) const
{
    if ((fill != TKXFillType::ftField && fill != TKXFillType::ftFieldCounter) || !FDatabase)
        return true;
    TKXDataSet *ds = FOwner->DataSet();
    if (!ds)
        return true;
    // A missing field raises the dataset's own error; the print run checks the binding
    // before it starts.
    const TKXField &f = ds->FieldByName(FFieldName);
    const TKXFieldType type = f.DataType();
    if (IsIntegerFieldType(type))
        return !f.IsNull() && f.AsLargeInt() == 1;
    if (type == TKXFieldType::ftBoolean)
        return !f.IsNull() && f.AsBoolean();
    if (IsFloatFieldType(type))
        return !f.IsNull() && f.AsFloat() == 1.0;
    if (IsStringFieldType(type) || IsMemoFieldType(type)) {
        // A text field says yes as "1", "True", "Yes" ... ; anything else, or nothing, is no.
        if (f.IsNull())
            return false;
        try {
            return f.AsBoolean();
        } catch (const EKxError &) {
            return false;
        }
    }
    // Dates, times and binary fields hold no yes or no: the symbol is drawn.
    return true;
}

void TKXSymbol::Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill)
{
    switch (DrawType) {
    case TKXDrawType::tdLab:
        break;
    case TKXDrawType::tdPrint:
    case TKXDrawType::tdPreview:
        if (!FPrint || !PrintCondition(fill))
            return;
        break;
    case TKXDrawType::tdOpenDialog:
        if (!FPrint)
            return;
        break;
    }

    Canvas.SaveState();
    const QString glyph{QChar(FWCaracter)};
    TKXFont font;
    if (FNumber == 0) {
        font.Name = FFontName;
        font.Height = FFontHeight;
        font.Color = FColor;
        font.Bold = FBold;
        Canvas.SetFont(font);
        Canvas.SetTextCharacterExtra(0);
        const TSize e = Canvas.TextExtent(glyph);
        FP2 = Shifted(FP1, Scaled(e.cx, FTrX), Scaled(e.cy, FTrY));
    } else {
        FP2 = Shifted(FP1, Scaled(FFontHeight, FTrX), Scaled(FFontHeight, FTrY));
    }

    TPoint Q = FP1;
    if (FShowBorder) {
        const int64_t px = int64_t(FPadding.x) + FPenWidth, py = int64_t(FPadding.y) + FPenWidth;
        FP2 = Shifted(FP2, 2 * px, 2 * py);
        Q = Shifted(FP1, px, py);
    }
    if (FAngle > 0) {
        RotatePoint(FP2, FP1, FAngle);
        RotatePoint(Q, FP1, FAngle);
    }
    Frame = Ordered(FP1, FP2);
    UpdateExtent();

    if (FShowBorder)
        DrawBorderBox(Canvas, Offset(Frame, po));

    if (FNumber == 0) {
        // The font turned by the angle; a glyph that is not transparent fills its cell.
        font.Escapement = (FAngle % 360) * 10;
        Canvas.SetFont(font);
        Canvas.SetBrush({FBackColor, FTransparent ? TKXBrushStyle::bsClear : TKXBrushStyle::bsSolid});
        Canvas.SetBkColor(FBackColor);
        Canvas.SetBkMode(FTransparent ? TKXBkMode::bkTransparent : TKXBkMode::bkOpaque);
        Canvas.TextOut(Clamp32(int64_t(po.x) + Q.x), Clamp32(int64_t(po.y) + Q.y), glyph);
    } else {
        DrawSymbolNumber(Canvas, AnchorCoord(int64_t(po.x) + Q.x), AnchorCoord(int64_t(po.y) + Q.y), FFontHeight, FNumber, FColor, FBackColor, FFillColor,
                         true, true);
    }

    if (DrawType == TKXDrawType::tdLab)
        DrawDesignMarks(Canvas, po, FDatabase);
    Canvas.RestoreState();
}

// ---------------------------------------------------------------------------------------
// Record: the type byte, record D, then the symbol's fields

void TKXSymbol::SaveToStream(TKXStreamWriter &Stream) const
{
    Stream.WriteEnum(TKXEle::deSymbol);
    TKXData::SaveToStream(Stream);
    Stream.WriteUInt16(uint16_t(FWCaracter));
    Stream.WriteBool(FBold);
    Stream.WriteUInt32(FStartChar);
    Stream.WriteUInt32(FEndChar);
    Stream.WriteInt32(FNumber);
    Stream.WriteInt32(int32_t(FFillColor));
}

void TKXSymbol::LoadFromStream(TKXStreamReader &Stream)
{
    TKXData::LoadFromStream(Stream);
    const int32_t version = FOwner->FileVersion();
    if (version <= 20)
        FCaracter = Stream.ReadUInt8();
    if (version >= 19)
        FWCaracter = char16_t(Stream.ReadUInt16());
    FBold = Stream.ReadBool();
    if (version >= 19) {
        FStartChar = Stream.ReadUInt32();
        FEndChar = Stream.ReadUInt32();
    }
    // As stored: only the setter clamps.
    if (version >= 20)
        FNumber = Stream.ReadInt32();
    if (version >= 2811)
        FFillColor = TColor(Stream.ReadInt32());
    // Records up to version 20 show their old 8-bit character, even where a 16-bit one follows.
    if (version <= 20)
        FWCaracter = char16_t(FCaracter);
}

} // namespace kx
