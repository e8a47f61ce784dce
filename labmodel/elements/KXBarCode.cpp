#include "elements/KXBarCode.h"

#include "barcode/KXBarcodePattern.h"
#include "barcode/KXBarcodeText.h"
#include "core/KXCodec1252.h"
#include "core/KXUtils.h"
#include "document/KXBaseLab.h"
#include "document/KXCounter.h"
#include "file/KXLabelFile.h"
#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"

namespace kx {

// ---------------------------------------------------------------------------------------
// Ratios by symbology

int32_t DefaultBarFactor(TKXBar Bar)
{
    switch (Bar) {
    case TKXBar::POSTNET:
        return 100;
    case TKXBar::CODE39:
    case TKXBar::CODE39EX:
    case TKXBar::CODABAR:
    case TKXBar::INTER_25:
    case TKXBar::INDUS_25:
    case TKXBar::MATRIX_25:
        return 0; // two-width symbologies keep the ratio they have
    default:
        return 200; // module-based: every width a whole number of narrow modules
    }
}

int32_t ClampBarFactor(int32_t Factor, TKXBar Bar)
{
    switch (Bar) {
    case TKXBar::EAN13:
    case TKXBar::EAN8:
    case TKXBar::UPCA:
    case TKXBar::CODE39:
    case TKXBar::CODE39EX:
    case TKXBar::INTER_25:
    case TKXBar::INDUS_25:
        Factor = ClampValue(Factor, 200, 300);
        break;
    case TKXBar::MATRIX_25:
        Factor = ClampValue(Factor, 225, 300);
        break;
    default:
        break;
    }
    return ClampValue(Factor, 100, 600);
}

TKXBar OldBarType(uint8_t Code)
{
    switch (Code) {
    case 3: return TKXBar::CODE39;
    case 4: return TKXBar::EAN128A;
    case 5: return TKXBar::EAN128B;
    case 6: return TKXBar::EAN128C;
    default: break;
    }
    if (const auto bar = EnumFromOrdinal<TKXBar>(Code))
        return *bar;
    throw EKxStreamError("TKXBar: ordinal " + std::to_string(Code) + " out of range");
}

// ---------------------------------------------------------------------------------------
// Lifecycle and published properties

TKXBarCode::TKXBarCode(TKXCustomLab *AOwner) : TKXData(AOwner)
{
    FFontHeight = 300;
    FSelType = TKXSelType::stPoint;
}

void TKXBarCode::AddPublished(TKXPropTable &t)
{
    TKXData::AddPublished(t);
    t.Add(PublishProp("ID", "AnsiString", &TKXElement::ID, &TKXElement::SetID));
    t.Add(PublishProp("Angle", "Integer", &TKXElement::Angle, &TKXElement::SetAngle));
    t.Add(PublishProp("BarWidth", "Single", &TKXBarCode::BarWidth, &TKXBarCode::SetBarWidth));
    t.Add(PublishProp("Factor", "Single", &TKXBarCode::Factor, &TKXBarCode::SetFactor));
    t.Add(PublishProp("Distance", "Single", &TKXBarCode::Distance, &TKXBarCode::SetDistance));
    t.Add(PublishProp("BHeight", "Single", &TKXBarCode::BHeight, &TKXBarCode::SetBHeight));
    t.Add(PublishProp("LeftMargin", "Single", &TKXBarCode::LeftMargin, &TKXBarCode::SetLeftMargin));
    t.Add(PublishProp("TopMargin", "Single", &TKXBarCode::TopMargin, &TKXBarCode::SetTopMargin));
    t.Add(PublishProp("ShowNumber", "Boolean", &TKXBarCode::ShowNumber, &TKXBarCode::SetShowNumber));
    t.Add(PublishProp("Checksum", "Boolean", &TKXBarCode::Checksum, &TKXBarCode::SetChecksum));
    t.Add(PublishProp("FontHeight", "Single", &TKXData::FontHeight, &TKXData::SetFontHeight));
    t.Add(PublishProp("FontName", "TFontName", &TKXData::FontName, &TKXData::SetFontName));
    t.Add(PublishProp("BarCode", "AnsiString", &TKXBarCode::BarCode, &TKXBarCode::SetBarCode));
    t.Add(PublishProp("CodeType", "", &TKXBarCode::CodeType, &TKXBarCode::SetCodeType));
}

const TKXPropTable &TKXBarCode::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXBarCode::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXBarCode", &TKXData::ClassInfo());
}

// ---------------------------------------------------------------------------------------
// Setters

QString TKXBarCode::BarCode() const
{
    return QString::fromStdU16String(AnsiToWide(FCode));
}

void TKXBarCode::SetBarCode(const QString &Value)
{
    SetProp(FCode, WideToAnsi(Value.toStdU16String()), QStringLiteral("BarCode"));
}

void TKXBarCode::SetCodeType(TKXBar Value)
{
    if (Value == FCodeType)
        return;
    RecordUndo();
    FCodeType = Value;
    if (const int32_t factor = DefaultBarFactor(Value))
        FFactor = factor;
    Changed(QStringLiteral("CodeType"));
    FOwner->InspectorPropChanged(QStringLiteral("Factor"));
    MarkModified();
}

// Lengths have no equality test: every entry records and marks the document modified.
void TKXBarCode::SetLength(int32_t &Field, int32_t Value, const QString &Name, bool Notify)
{
    RecordUndo();
    Field = Value;
    if (Notify)
        Changed(Name);
    MarkModified();
}

void TKXBarCode::SetBarWidth(float Value)
{
    SetLength(FBarWidth, int32_t(ToHundredths(Value)), QStringLiteral("BarWidth"), true);
}

// The distance only shows with the text.
void TKXBarCode::SetDistance(float Value)
{
    SetLength(FDistance, int32_t(ToHundredths(Value)), QStringLiteral("Distance"), FShowNumber);
}

void TKXBarCode::SetBHeight(float Value)
{
    SetLength(FBHeight, ToInternal(Value), QStringLiteral("BHeight"), true);
}

void TKXBarCode::SetLeftMargin(float Value)
{
    SetLength(FLeftMargin, ToInternal(Value), QStringLiteral("LeftMargin"), true);
}

void TKXBarCode::SetTopMargin(float Value)
{
    SetLength(FTopMargin, ToInternal(Value), QStringLiteral("TopMargin"), true);
}

float TKXBarCode::Factor() const
{
    FFactor = ClampBarFactor(FFactor, FCodeType);
    return float(FFactor) / 100.0f;
}

void TKXBarCode::SetFactor(float Value)
{
    SetProp(FFactor, RoundHalfUp(Value * 100.0L), QStringLiteral("Factor"));
}

void TKXBarCode::SetShowNumber(bool Value)
{
    SetProp(FShowNumber, Value, QStringLiteral("ShowNumber"));
}

void TKXBarCode::SetChecksum(bool Value)
{
    SetProp(FCheckSum, Value, QStringLiteral("Checksum"));
}

// ---------------------------------------------------------------------------------------
// Drawing

AnsiString TKXBarCode::CurrentValue(TKXDrawType DrawType, TKXFillType fill) const
{
    // The design surface always shows the fixed code.
    if (!FDatabase || DrawType == TKXDrawType::tdLab)
        return FCode;
    if (FIsCounter) {
        if (fill != TKXFillType::ftCounter && fill != TKXFillType::ftFieldCounter)
            return FCode;
        const TKXCounter *c = FOwner->FindCounter(FFieldName);
        return c ? WideToAnsi(c->FValue.toStdU16String()) : AnsiString();
    }
    if (fill != TKXFillType::ftField && fill != TKXFillType::ftFieldCounter)
        return FCode;
    // The field's own text: no display format applies to a code.
    QString text;
    FOwner->GetFieldText(FFieldName, QString(), false, text);
    return WideToAnsi(text.toStdU16String());
}

void TKXBarCode::Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill)
{
    switch (DrawType) {
    case TKXDrawType::tdLab:
        break;
    case TKXDrawType::tdPrint:
        if (!FPrint || FOwner->CurrentPrint() != TKXPrintKind::pkDriver)
            return;
        break;
    default:
        if (!FPrint)
            return;
        break;
    }
    const AnsiString value = CurrentValue(DrawType, fill);
    if (!ValidBarText(value, FCodeType, FCheckSum, false)) {
        FCCode.clear();
        DrawInvalidBarcode(po, Canvas, DrawType, FBHeight, 10);
        return;
    }
    FCCode = BarTextWithCheck(value, FCodeType, FCheckSum);
    TBarDrawing bar;
    bar.CodeType = FCodeType;
    bar.Pattern = BarPattern(FCCode, FCodeType, FCheckSum, FShowNumber);
    bar.Text = QString::fromStdU16String(AnsiToWide(FCCode));
    bar.FontName = FFontName;
    bar.ShowNumber = FShowNumber;
    bar.Data = FDatabase;
    bar.BarWidth = FBarWidth;
    bar.BHeight = FBHeight;
    bar.LeftMargin = FLeftMargin;
    bar.TopMargin = FTopMargin;
    bar.FontHeight = FFontHeight;
    bar.Ratio = Factor();
    FTextD = FDistance;
    DrawBarcode1D(po, Canvas, DrawType, bar);
}

// ---------------------------------------------------------------------------------------
// Record

void TKXBarCode::SaveToStream(TKXStreamWriter &Stream) const
{
    Stream.WriteEnum(TKXEle::deBar);
    TKXData::SaveToStream(Stream);
    WriteAnsiStr(FCode, Stream);
    Stream.WriteEnum(FCodeType);
    Stream.WriteInt32(FBarWidth);
    Stream.WriteInt32(FBHeight);
    Stream.WriteInt32(FDistance);
    Stream.WriteInt32(FFontHeight);
    Stream.WriteBool(FShowNumber);
    Stream.WriteInt32(FLeftMargin);
    Stream.WriteInt32(FTopMargin);
    Stream.WriteBool(FCheckSum);
    Stream.WriteInt32(FFactor);
    Stream.WriteEnum(FCheckType);
}

void TKXBarCode::LoadFromStream(TKXStreamReader &Stream)
{
    TKXData::LoadFromStream(Stream);
    const int32_t version = FOwner->FileVersion();
    FCode = ReadAnsiStr(Stream);
    FCodeType = version < 20 ? OldBarType(Stream.ReadUInt8()) : Stream.ReadEnum<TKXBar>();
    FBarWidth = Stream.ReadInt32();
    // Records before version 18 have no bar height; they take the default height.
    const bool hasHeight = version >= 18;
    FBHeight = hasHeight ? Stream.ReadInt32() : 1000;
    FDistance = Stream.ReadInt32();
    FFontHeight = Stream.ReadInt32();
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
        if (hasHeight)
            FBHeight = TenthsToInternal(FBHeight);
        FDistance = TenthsToInternal(FDistance);
        FFontHeight = TenthsToInternal(FFontHeight);
        FLeftMargin = TenthsToInternal(FLeftMargin);
        FTopMargin = TenthsToInternal(FTopMargin);
        const int32_t factor = DefaultBarFactor(FCodeType);
        FFactor = factor ? factor : 300;
    }
    // Lengths within the drawing code's range.
    FBarWidth = LimitedLength(FBarWidth);
    FBHeight = LimitedLength(FBHeight);
    FDistance = LimitedLength(FDistance);
    FFontHeight = LimitedLength(FFontHeight);
    FLeftMargin = LimitedLength(FLeftMargin);
    FTopMargin = LimitedLength(FTopMargin);
}

} // namespace kx
