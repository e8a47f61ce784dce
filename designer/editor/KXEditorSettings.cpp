#include "editor/KXEditorSettings.h"

#include "document/KXBaseLab.h"
#include "editor/KXEditor.h"
#include "rulers/KXRulers.h"

#include <QScrollBar>

#include <algorithm>

namespace kx::designer {

// ---------------------------------------------------------------------------------------
// TKXRulers

TKXRulers::TKXRulers(TKXCustomEditor *AOwner) : FOwner(AOwner), FDataRuler(std::make_unique<TKXDataRuler>())
{
    FFont = QFont(QStringLiteral("Tahoma"));
    FFont.setPixelSize(9);
    TKXDataRuler &d = *FDataRuler;
    d.SetColor(FColor);
    d.SetToColor(FToColor);
    d.SetTickColor(FTickColor);
    d.SetMarkColor(FMarkColor);
    d.SetSizeColor(FSizeColor);
    d.SetShowSize(FShowSize);
    d.SetFont(FFont);
    d.BackSurfEvent = [this] { AlignLinesMoved(); };
    d.AlignToSelecEvent = [this] { AlignToSelection(); };
    d.AlignToElementEvent = [this] { AlignToElement(); };
}

TKXRulers::~TKXRulers() = default;

void TKXRulers::Assign(const TKXRulers &Source)
{
    if (&Source == this)
        return;
    SetStyle(Source.FStyle);
    SetToColor(Source.FToColor);
    SetSizeColor(Source.FSizeColor);
    SetShowSize(Source.FShowSize);
    SetSize(Source.FSize);
    SetColor(Source.FColor);
    SetTickColor(Source.FTickColor);
    SetMarkColor(Source.FMarkColor);
    SetVisible(Source.FVisible);
    SetAdjustAligns(Source.FAdjustAligns);
    SetFont(Source.FFont);
}

#define KX_RULERS_SETTER(Name, Type, Field)                                                   \
    void TKXRulers::Set##Name(Type Value)                                                     \
    {                                                                                         \
        if (Value == Field)                                                                   \
            return;                                                                           \
        Field = Value;                                                                        \
        FDataRuler->Set##Name(Value);                                                         \
    }

KX_RULERS_SETTER(Color, TColor, FColor)
KX_RULERS_SETTER(TickColor, TColor, FTickColor)
KX_RULERS_SETTER(MarkColor, TColor, FMarkColor)
KX_RULERS_SETTER(SizeColor, TColor, FSizeColor)
KX_RULERS_SETTER(ToColor, TColor, FToColor)
KX_RULERS_SETTER(Style, TKXRulerStyle, FStyle)
KX_RULERS_SETTER(ShowSize, bool, FShowSize)
KX_RULERS_SETTER(AdjustAligns, bool, FAdjustAligns)
#undef KX_RULERS_SETTER

void TKXRulers::SetFont(const QFont &Value)
{
    FFont = Value;
    FontChanged();
}

void TKXRulers::FontChanged()
{
    if (FOwner && FOwner->FTopRuler) {
        FOwner->FTopRuler->SetFont(FFont);
        FOwner->FLeftRuler->SetFont(FFont);
    }
    FDataRuler->SetFont(FFont);
}

void TKXRulers::SetVisible(bool Value)
{
    if (Value == FVisible)
        return;
    FVisible = Value;
    if (!FOwner || !FOwner->FTopRuler)
        return;
    FOwner->FTopRuler->resize(FOwner->FTopRuler->width(), Value ? FSize : 0);
    FOwner->FLeftRuler->resize(Value ? FSize : 0, FOwner->FLeftRuler->height());
    FOwner->LayoutChildren();
}

void TKXRulers::SetSize(int32_t Value)
{
    const uint16_t v = uint16_t(std::clamp(Value, 18, 30));
    if (v == FSize)
        return;
    FSize = v;
    // The rulers take the thickness whether they are shown or not.
    if (!FOwner || !FOwner->FTopRuler)
        return;
    FOwner->FTopRuler->resize(FOwner->FTopRuler->width(), FSize);
    FOwner->FLeftRuler->resize(FSize, FOwner->FLeftRuler->height());
    FOwner->LayoutChildren();
}

void TKXRulers::SetShowAlign(bool Value) { FDataRuler->SetShowAlign(Value); }

bool TKXRulers::EditorReady() const { return FOwner && FOwner->Label() && !FOwner->FCreating; }

void TKXRulers::AlignLinesMoved()
{
    if (!EditorReady())
        return;
    TKXBackSurf &back = *FOwner->Label()->BackSurf();
    back.FChangingAlign = true;
    if (FDataRuler->AlignX() != back.AlignX())
        back.SetAlignX(FDataRuler->AlignX());
    if (FDataRuler->AlignY() != back.AlignY())
        back.SetAlignY(FDataRuler->AlignY());
    back.FChangingAlign = false;
}

void TKXRulers::AlignToSelection()
{
    if (EditorReady())
        FOwner->Label()->BackSurf()->AlignChanged(2);
}

void TKXRulers::AlignToElement()
{
    if (!EditorReady())
        return;
    TKXBackSurf &back = *FOwner->Label()->BackSurf();
    back.AlignChanged(1);
    FDataRuler->PutAlignX(back.AlignX(), true);
    FDataRuler->PutAlignY(back.AlignY(), true);
}

// ---------------------------------------------------------------------------------------
// TKXGrid

void TKXGrid::Assign(const TKXGrid &Source)
{
    if (&Source == this)
        return;
    FOwner->Grid.Color = Source.FOwner->Grid.Color;
    FOwner->Grid.IncX = Source.FOwner->Grid.IncX;
    FOwner->Grid.IncY = Source.FOwner->Grid.IncY;
    FOwner->Grid.Show = Source.FOwner->Grid.Show;
    FStyle = Source.FStyle;
    Changed();
}

void TKXGrid::Changed()
{
    FOwner->FPaintEle = true;
    FOwner->UpdateEditor(false);
}

TColor TKXGrid::Color() const { return FOwner->Grid.Color; }

void TKXGrid::SetColor(TColor Value)
{
    if (Value == FOwner->Grid.Color)
        return;
    FOwner->Grid.Color = Value;
    Changed();
}

bool TKXGrid::Show() const { return FOwner->Grid.Show; }

void TKXGrid::SetShow(bool Value)
{
    if (Value == FOwner->Grid.Show)
        return;
    FOwner->Grid.Show = Value;
    Changed();
}

void TKXGrid::SetStyle(TKXGridDraw Value)
{
    if (Value == FStyle)
        return;
    FStyle = Value;
    Changed();
}

namespace {
// A grid step within [100, half the label side], 100 winning over a smaller half side.
int32_t ClampStep(int32_t Step, int32_t Side) { return kx::TKXGrid::ClampStep(Step, Side); }
} // namespace

float TKXGrid::IncX() const
{
    const TKXCustomLab *lab = FOwner->Label();
    return lab ? float(lab->InternalToUnits(FOwner->Grid.IncX)) : 0.0f;
}

void TKXGrid::SetIncX(float Value)
{
    const TKXCustomLab *lab = FOwner->Label();
    if (!lab)
        return;
    FOwner->Grid.IncX = ClampStep(lab->UnitsToInternal(Value), lab->Measure()->WidthInternal());
    Changed();
}

float TKXGrid::IncY() const
{
    const TKXCustomLab *lab = FOwner->Label();
    return lab ? float(lab->InternalToUnits(FOwner->Grid.IncY)) : 0.0f;
}

void TKXGrid::SetIncY(float Value)
{
    const TKXCustomLab *lab = FOwner->Label();
    if (!lab)
        return;
    FOwner->Grid.IncY = ClampStep(lab->UnitsToInternal(Value), lab->Measure()->HeightInternal());
    Changed();
}

// ---------------------------------------------------------------------------------------
// TKXInsertImage

void TKXInsertImage::Assign(const TKXInsertImage &Source)
{
    FFixedSize = Source.FFixedSize;
    FWidthMM = Source.FWidthMM;
    FHeightMM = Source.FHeightMM;
}

float TKXInsertImage::WidthMM() const
{
    const TKXCustomLab *lab = FOwner->Label();
    return lab ? float(lab->InternalToUnits(FWidthMM)) : 0.0f;
}

void TKXInsertImage::SetWidthMM(float Value)
{
    const TKXCustomLab *lab = FOwner->Label();
    if (!lab)
        return;
    FWidthMM = std::max(std::min(lab->UnitsToInternal(Value), lab->Measure()->WidthInternal()), 100);
}

float TKXInsertImage::HeightMM() const
{
    const TKXCustomLab *lab = FOwner->Label();
    return lab ? float(lab->InternalToUnits(FHeightMM)) : 0.0f;
}

void TKXInsertImage::SetHeightMM(float Value)
{
    const TKXCustomLab *lab = FOwner->Label();
    if (!lab)
        return;
    FHeightMM = std::max(std::min(lab->UnitsToInternal(Value), lab->Measure()->HeightInternal()), 100);
}

// ---------------------------------------------------------------------------------------
// TKXBaseScroll

TKXBaseScroll::TKXBaseScroll(QWidget *Parent) : QScrollArea(Parent)
{
    HPos = horizontalScrollBar()->value();
    VPos = verticalScrollBar()->value();
    QObject::connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) { HScrolled(v); });
    QObject::connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) { VScrolled(v); });
}

void TKXBaseScroll::HScrolled(int Value)
{
    if (Value == HPos)
        return;
    HPos = Value;
    if (OnScrollHEvent)
        OnScrollHEvent(this);
}

void TKXBaseScroll::VScrolled(int Value)
{
    if (Value == VPos)
        return;
    VPos = Value;
    if (OnScrollVEvent)
        OnScrollVEvent(this);
}

} // namespace kx::designer
