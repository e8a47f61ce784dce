#include "document/KXSetup.h"

#include "core/KXError.h"
#include "core/KXUtils.h"
#include "document/KXBaseLab.h"

#include <QFileInfo>

#include <algorithm>

namespace kx {

namespace {

// The common set-up setter: an unchanged value does nothing; a change is stored and marks
// the document modified (label files store the set-up). No notification: set-up objects
// that repaint or refresh the editor write their setters out.
template <typename T>
void StoreSetting(TKXCustomLab *Owner, T &Field, const T &Value)
{
    if (Field == Value)
        return;
    Field = Value;
    Owner->SetModified(true);
}

} // namespace

// ---------------------------------------------------------------------------------------
// TKXMeasure

int32_t TKXMeasure::ToInternal(float Value) const { return FOwner->UnitsToInternal(Value); }
float TKXMeasure::ToUnits(int32_t Value) const { return float(FOwner->InternalToUnits(Value)); }
void TKXMeasure::Modified() { FOwner->SetModified(true); }

// The label's size or shape changed: the editor scales its surface again and repaints.
void TKXMeasure::EditorRefresh(int16_t Kind)
{
    TKXCustomEditor *ed = FOwner->Editor();
    if (!ed)
        return;
    ed->RecalcZoom(false);
    FOwner->NotifyChange(Kind, false, QString());
    ed->FZoomChanged = false;
}

void TKXMeasure::Assign(const TKXMeasure &Source)
{
    FWidth = Source.FWidth;
    FHeight = Source.FHeight;
    FMarLeft = Source.FMarLeft;
    FMarTop = Source.FMarTop;
    FDiHor = Source.FDiHor;
    FDiVer = Source.FDiVer;
    FNuHor = Source.FNuHor;
    FNuVer = Source.FNuVer;
    FPaperHeight = Source.FPaperHeight;
    FPaperWidth = Source.FPaperWidth;
    FPaperName = Source.FPaperName;
    FLabelName = Source.FLabelName;
    FLabelType = Source.FLabelType;
    FInnerCircle = Source.FInnerCircle;
}

void TKXMeasure::ApplyLimits()
{
    FWidth = std::max(MinSide, FWidth);
    FHeight = std::max(MinSide, FHeight);
    FPaperWidth = std::max(MinSide, FPaperWidth);
    FPaperHeight = std::max(MinSide, FPaperHeight);
    FMarLeft = std::max(0, FMarLeft);
    FMarTop = std::max(0, FMarTop);
    FDiHor = std::max(0, FDiHor);
    FDiVer = std::max(0, FDiVer);
    FNuHor = std::max(1, FNuHor);
    FNuVer = std::max(1, FNuVer);
    FInnerCircle = std::clamp(FInnerCircle, 0, FWidth);
}

float TKXMeasure::Width() const { return ToUnits(FWidth); }
float TKXMeasure::Height() const { return ToUnits(FHeight); }

void TKXMeasure::SetWidth(float Value)
{
    FWidth = std::max(MinSide, ToInternal(Value));
    if (FLabelType == TZantorType::ltCircle)
        FHeight = FWidth;
    EditorRefresh(0);
    Modified();
}

void TKXMeasure::SetHeight(float Value)
{
    FHeight = std::max(MinSide, ToInternal(Value));
    if (FLabelType == TZantorType::ltCircle)
        FWidth = FHeight;
    EditorRefresh(0);
    Modified();
}

float TKXMeasure::InnerCircle() const { return ToUnits(FInnerCircle); }

void TKXMeasure::SetInnerCircle(float Value)
{
    FInnerCircle = std::clamp(ToInternal(Value), 0, FWidth);
    if (FLabelType == TZantorType::ltCircle)
        FOwner->NotifyChange(1, false, QString());
    Modified();
}

void TKXMeasure::SetLabelType(TZantorType Value)
{
    if (Value == FLabelType)
        return;
    FLabelType = Value;
    TKXBackSurf &back = *FOwner->BackSurf();
    const TKXBackStyle style = back.Style();
    // Only a circle has circular gradients and halves; only a rectangle straight gradients.
    if (Value == TZantorType::ltCircle) {
        FHeight = FWidth;
        if (style == TKXBackStyle::biGradHor || style == TKXBackStyle::biGradVer)
            back.SetStyle(TKXBackStyle::biNone);
    } else {
        FInnerCircle = 0;
        if (Ord(style) >= Ord(TKXBackStyle::biGraCircle))
            back.SetStyle(TKXBackStyle::biNone);
    }
    EditorRefresh(1);
    Modified();
}

float TKXMeasure::MarLeft() const { return ToUnits(FMarLeft); }
float TKXMeasure::MarTop() const { return ToUnits(FMarTop); }
float TKXMeasure::DiHor() const { return ToUnits(FDiHor); }
float TKXMeasure::DiVer() const { return ToUnits(FDiVer); }

void TKXMeasure::SetMarLeft(float Value)
{
    FMarLeft = std::max(0, ToInternal(Value));
    Modified();
}

void TKXMeasure::SetMarTop(float Value)
{
    FMarTop = std::max(0, ToInternal(Value));
    Modified();
}

void TKXMeasure::SetDiHor(float Value)
{
    FDiHor = std::max(0, ToInternal(Value));
    Modified();
}

void TKXMeasure::SetDiVer(float Value)
{
    FDiVer = std::max(0, ToInternal(Value));
    Modified();
}

void TKXMeasure::SetNuHor(int32_t Value)
{
    if (Value == FNuHor)
        return;
    FNuHor = std::max(1, Value);
    Modified();
}

void TKXMeasure::SetNuVer(int32_t Value)
{
    if (Value == FNuVer)
        return;
    FNuVer = std::max(1, Value);
    Modified();
}

float TKXMeasure::PaperWidth() const { return ToUnits(FPaperWidth); }
float TKXMeasure::PaperHeight() const { return ToUnits(FPaperHeight); }

void TKXMeasure::SetPaperWidth(float Value)
{
    FPaperWidth = std::max(MinSide, ToInternal(Value));
    Modified();
}

void TKXMeasure::SetPaperHeight(float Value)
{
    FPaperHeight = std::max(MinSide, ToInternal(Value));
    Modified();
}

void TKXMeasure::SetPaperName(const QString &Value)
{
    StoreSetting(FOwner, FPaperName, Value);
}

void TKXMeasure::SetLabelName(const QString &Value)
{
    StoreSetting(FOwner, FLabelName, Value);
}

// Millimetres to hundredths, with the minimum side; on a circular label the width decides
// both sides, as the Width setter does.
void TKXMeasure::SetLabelSizeMM(float MMWidth, float MMHeight)
{
    FWidth = std::max(MinSide, Round((long double)MMWidth * 100));
    FHeight = std::max(MinSide, Round((long double)MMHeight * 100));
    if (FLabelType == TZantorType::ltCircle)
        FHeight = FWidth;
    FInnerCircle = std::min(FInnerCircle, FWidth);
    EditorRefresh(0);
    Modified();
}

void TKXMeasure::SetPaperSizeMM(float MMWidth, float MMHeight)
{
    FPaperWidth = std::max(MinSide, Round((long double)MMWidth * 100));
    FPaperHeight = std::max(MinSide, Round((long double)MMHeight * 100));
    Modified();
}

// ---------------------------------------------------------------------------------------
// TKXFrame: changes repaint the element layer; label files store the frame, so a change
// marks the document modified.

void TKXFrame::Assign(const TKXFrame &Source)
{
    FStyle = Source.FStyle;
    FDist1 = Source.FDist1;
    FDist2 = Source.FDist2;
    FRadio = Source.FRadio;
    FPenWidth = Source.FPenWidth;
    FColor = Source.FColor;
}

void TKXFrame::Repaint()
{
    FOwner->NotifyChange(2, false, QString());
}

void TKXFrame::SetStyle(TKXFrameStyle Value)
{
    if (Value == FStyle)
        return;
    FStyle = Value;
    Repaint();
    FOwner->SetModified(true);
}

void TKXFrame::SetColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    Repaint();
    FOwner->SetModified(true);
}

// Lengths have no equality test for the repaint.
void TKXFrame::SetLength(int32_t &Field, float Value)
{
    const int32_t v = FOwner->UnitsToInternal(Value);
    const bool changed = v != Field;
    Field = v;
    Repaint();
    if (changed)
        FOwner->SetModified(true);
}

float TKXFrame::Dist1() const { return float(FOwner->InternalToUnits(FDist1)); }
float TKXFrame::Dist2() const { return float(FOwner->InternalToUnits(FDist2)); }
float TKXFrame::Radio() const { return float(FOwner->InternalToUnits(FRadio)); }
float TKXFrame::PenWidth() const { return float(FOwner->InternalToUnits(FPenWidth)); }
void TKXFrame::SetDist1(float Value) { SetLength(FDist1, Value); }
void TKXFrame::SetDist2(float Value) { SetLength(FDist2, Value); }
void TKXFrame::SetRadio(float Value) { SetLength(FRadio, Value); }
void TKXFrame::SetPenWidth(float Value) { SetLength(FPenWidth, Value); }

// ---------------------------------------------------------------------------------------
// TKXTitle: no notification; a change marks the document modified (label files store the
// title).

void TKXTitle::Assign(const TKXTitle &Source)
{
    FFontName = Source.FFontName;
    FFontHeight = Source.FFontHeight;
    FPrint = Source.FPrint;
    FText = Source.FText;
}

float TKXTitle::PositionX() const { return float(FOwner->InternalToUnits(FPosition.x)); }
float TKXTitle::PositionY() const { return float(FOwner->InternalToUnits(FPosition.y)); }
float TKXTitle::FontHeight() const { return float(FOwner->InternalToUnits(FFontHeight)); }
void TKXTitle::SetPositionX(float Value) { StoreSetting(FOwner, FPosition.x, FOwner->UnitsToInternal(Value)); }
void TKXTitle::SetPositionY(float Value) { StoreSetting(FOwner, FPosition.y, FOwner->UnitsToInternal(Value)); }
void TKXTitle::SetFontHeight(float Value) { StoreSetting(FOwner, FFontHeight, FOwner->UnitsToInternal(Value)); }
void TKXTitle::SetFontName(const QString &Value) { StoreSetting(FOwner, FFontName, Value); }
void TKXTitle::SetText(const QString &Value) { StoreSetting(FOwner, FText, Value); }
void TKXTitle::SetPrint(bool Value) { StoreSetting(FOwner, FPrint, Value); }
void TKXTitle::SetFontColor(TColor Value) { StoreSetting(FOwner, FFontColor, Value); }

// ---------------------------------------------------------------------------------------
// TKXBackSurf

void TKXBackSurf::Modified() { FOwner->SetModified(true); }

bool TKXBackSurf::Quiet() const
{
    return FOwner->Loading() || !FOwner->Editor();
}

void TKXBackSurf::Assign(const TKXBackSurf &Source)
{
    FColor = Source.FColor;
    FStyle = Source.FStyle;
    FImage = Source.FImage; // a value: each back surface keeps its own picture
    FImageMissing = Source.FImageMissing;
    FAlignColor = Source.FAlignColor;
    FToColor = Source.FToColor;
    FFileImage = Source.FFileImage;
    FAlignLeft = Source.FAlignLeft;
    FAlignTop = Source.FAlignTop;
    FShowAlign = Source.FShowAlign;
    FPrint = Source.FPrint;
}

// An unreadable picture empties the name and raises "INVALID IMAGE : <file>". A missing
// file keeps the name (the label still refers to it and saving keeps the reference), shows
// no picture and is reported, so the user learns why the background is empty.
void TKXBackSurf::LoadImage()
{
    FImage = QImage();
    FImageMissing = false;
    if (FFileImage.isEmpty())
        return;
    if (!QFileInfo(FFileImage).isFile()) {
        FImageMissing = true;
        FOwner->UIServices().ShowMessage(QStringLiteral("IMAGE NOT FOUND : ") + FFileImage);
        return;
    }
    QImage image;
    if (!image.load(FFileImage)) {
        const QString failed = FFileImage;
        FFileImage.clear();
        throw EKxError("INVALID IMAGE : " + failed.toStdString());
    }
    FImage = std::move(image);
}

void TKXBackSurf::SetFileImage(const QString &Value)
{
    if (Value == FFileImage)
        return;
    FFileImage = Value;
    // The document is changed whether or not the picture loads.
    Modified();
    LoadImage();
    FNeedPaint = true;
    if (TKXCustomEditor *ed = FOwner->Editor())
        ed->UpdateEditor(true);
}

void TKXBackSurf::SetColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    FOwner->NotifyChange(1, false, QString());
    Modified();
}

void TKXBackSurf::SetToColor(TColor Value)
{
    if (Value == FToColor)
        return;
    FToColor = Value;
    FOwner->NotifyChange(1, false, QString());
    Modified();
}

void TKXBackSurf::SetAlignColor(TColor Value)
{
    if (Value == FAlignColor)
        return;
    FAlignColor = Value;
    if (FShowAlign)
        FOwner->NotifyChange(2, false, QString());
    Modified();
}

void TKXBackSurf::SetShowAlign(bool Value)
{
    if (Value == FShowAlign)
        return;
    FShowAlign = Value;
    if (Quiet())
        return;
    if (TKXRulers *rulers = FOwner->Editor()->Rulers)
        rulers->SetShowAlign(Value);
    FOwner->NotifyChange(2, false, QString());
    Modified();
}

void TKXBackSurf::SetPrint(bool Value)
{
    StoreSetting(FOwner, FPrint, Value);
}

void TKXBackSurf::SetStyle(TKXBackStyle Value)
{
    if (Value == FStyle)
        return;
    if (!FOwner->Loading()) {
        const bool circle = FOwner->Measure()->LabelType() == TZantorType::ltCircle;
        const bool straightGradient = Value == TKXBackStyle::biGradHor || Value == TKXBackStyle::biGradVer;
        const bool roundOnly = Ord(Value) >= Ord(TKXBackStyle::biGraCircle);
        if ((Value == TKXBackStyle::biImage && FFileImage.isEmpty()) || (circle && straightGradient) ||
            (!circle && roundOnly))
            Value = TKXBackStyle::biNone;
    }
    FStyle = Value;
    FOwner->NotifyChange(1, false, QString());
    Modified();
}

float TKXBackSurf::AlignX() const { return float(FOwner->InternalToUnits(FAlignLeft)); }
float TKXBackSurf::AlignY() const { return float(FOwner->InternalToUnits(FAlignTop)); }

void TKXBackSurf::SetAlignX(float Value)
{
    const int32_t v = std::clamp(FOwner->UnitsToInternal(Value), 0, FOwner->Measure()->WidthInternal());
    const bool changed = v != FAlignLeft;
    FAlignLeft = v;
    if (changed)
        Modified(); // label files store the guide
    if (Quiet())
        return;
    TKXCustomEditor *ed = FOwner->Editor();
    if (FChangingAlign) {
        ed->FPaintSel = true;
    } else {
        ed->FPaintEle = true;
        if (TKXDataRuler *ruler = ed->DataRuler())
            ruler->PutAlignX(AlignX(), true);
    }
    ed->UpdateEditor(false);
}

void TKXBackSurf::SetAlignY(float Value)
{
    const int32_t v = std::clamp(FOwner->UnitsToInternal(Value), 0, FOwner->Measure()->HeightInternal());
    const bool changed = v != FAlignTop;
    FAlignTop = v;
    if (changed)
        Modified();
    if (Quiet())
        return;
    TKXCustomEditor *ed = FOwner->Editor();
    if (FChangingAlign) {
        ed->FPaintSel = true;
    } else {
        ed->FPaintEle = true;
        if (TKXDataRuler *ruler = ed->DataRuler())
            ruler->PutAlignY(AlignY(), true);
    }
    ed->UpdateEditor(false);
}

void TKXBackSurf::AlignChanged(int16_t Kind)
{
    if (Quiet())
        return;
    TKXCustomEditor *ed = FOwner->Editor();
    FDrawAlign = Kind != 1;
    ed->FPaintEle = true;
    ed->FPaintSel = true;
    ed->UpdateEditor(false);
}

// ---------------------------------------------------------------------------------------
// TKXPrintInfo. Settings that label files store mark the document modified when they
// change; the run state does not.

void TKXPrintInfo::Modified() { FOwner->SetModified(true); }

void TKXPrintInfo::Assign(const TKXPrintInfo &Source)
{
    FFirstRow = Source.FFirstRow;
    FFirstCol = Source.FFirstCol;
    FFirstLab = Source.FFirstLab;
    FMarginColor = Source.FMarginColor;
    FLastLab = Source.FLastLab;
    FLabs = Source.FLabs;
    FRepetition = Source.FRepetition;
    FPaperSize = Source.FPaperSize;
    FOrientation = Source.FOrientation;
    FPrinterIndex = Source.FPrinterIndex;
    FFieldRepetition = Source.FFieldRepetition;
    FContinousPaper = Source.FContinousPaper;
    FCopies = Source.FCopies;
}

void TKXPrintInfo::SetMarginColor(TColor Value)
{
    StoreSetting(FOwner, FMarginColor, Value);
}

void TKXPrintInfo::SetNumLabs(int32_t Value)
{
    if (Value == FLabs)
        return;
    FLabs = std::max(1, Value);
    Modified();
}

void TKXPrintInfo::SetRepetition(int32_t Value)
{
    if (Value == FRepetition)
        return;
    FRepetition = std::max(1, Value);
    Modified();
}

void TKXPrintInfo::SetFirstRow(int32_t Value)
{
    if (Value == FFirstRow)
        return;
    FFirstRow = std::max(1, std::min(Value, FOwner->Measure()->NuHor()));
    Modified();
}

void TKXPrintInfo::SetFirstCol(int32_t Value)
{
    if (Value == FFirstCol)
        return;
    FFirstCol = std::max(1, std::min(Value, FOwner->Measure()->NuVer()));
    Modified();
}

void TKXPrintInfo::SetFirstLab(int32_t Value)
{
    if (Value == FFirstLab)
        return;
    FFirstLab = std::max(1, Value);
    if (FLastLab < FFirstLab)
        FLastLab = FFirstLab;
    Modified();
}

void TKXPrintInfo::SetLastLab(int32_t Value)
{
    if (Value == FLastLab)
        return;
    FLastLab = std::max(1, Value);
    if (FLastLab < FFirstLab)
        FFirstLab = FLastLab;
    Modified();
}

void TKXPrintInfo::SetCopies(int32_t Value)
{
    FCopies = Value;
}

void TKXPrintInfo::SetPaperSize(int16_t Value)
{
    StoreSetting(FOwner, FPaperSize, Value);
}

void TKXPrintInfo::SetOrientation(TPrinterOrientation Value)
{
    StoreSetting(FOwner, FOrientation, Value);
}

void TKXPrintInfo::SetPrinterIndex(int32_t Value)
{
    StoreSetting(FOwner, FPrinterIndex, Value);
}

void TKXPrintInfo::SetPrinterName(const QString &Value)
{
    StoreSetting(FOwner, FPrinterName, Value);
}

void TKXPrintInfo::SetFieldRepetition(const QString &Value)
{
    StoreSetting(FOwner, FFieldRepetition, Value);
}

void TKXPrintInfo::SetContinousPaper(bool Value)
{
    StoreSetting(FOwner, FContinousPaper, Value);
}

} // namespace kx

namespace kx {

// ---------------------------------------------------------------------------------------
// Printer metrics

TKXPrinterMetrics TKXPrintInfo::PrinterMetrics() const
{
    if (FMetricsSource)
        return FMetricsSource(*this);
    const QString name = TKXPrinterPort::FindPrinter(FPrinterName, FPrinterIndex);
    if (name.isEmpty())
        return {};
    TKXPrinterPort port;
    if (!port.SelectPrinter(name))
        return {};
    port.SetPaperCode(FPaperSize);
    port.SetOrientation(FOrientation == TPrinterOrientation::poLandscape ? QPageLayout::Landscape
                                                                          : QPageLayout::Portrait);
    return port.Metrics();
}

int32_t TKXPrintInfo::DpiH() const { return PrinterMetrics().DpiX; }
int32_t TKXPrintInfo::DpiV() const { return PrinterMetrics().DpiY; }
// The printable area: the driver's size in whole millimetres, times 100.
int32_t TKXPrintInfo::Width() const { return PrinterMetrics().PageWidthMM() * 100; }
int32_t TKXPrintInfo::Height() const { return PrinterMetrics().PageHeightMM() * 100; }
// Offsets: pixels * 2540 / dpi, halves up; 0 without a resolution.
int32_t TKXPrintInfo::MarginLeft() const { return PrinterMetrics().OffsetX(); }
int32_t TKXPrintInfo::MarginTop() const { return PrinterMetrics().OffsetY(); }

int32_t TKXPrintInfo::MarginRight() const
{
    const TKXPrinterMetrics m = PrinterMetrics();
    return FOwner->Measure()->PaperWidthInternal() - m.OffsetX() - m.PageWidthMM() * 100;
}

int32_t TKXPrintInfo::MarginBottom() const
{
    const TKXPrinterMetrics m = PrinterMetrics();
    return FOwner->Measure()->PaperHeightInternal() - m.OffsetY() - m.PageHeightMM() * 100;
}

} // namespace kx
