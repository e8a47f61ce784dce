// The editor's settings objects and its scroll box.
//
// TKXRulers, TKXGrid and TKXInsertImage are owned by the editor; each pushes every change to
// where it shows: the rulers' shared state, the elements layer, or nowhere. Lengths are
// given and answered in the label's current units and kept in hundredths of a millimetre.
// Out-of-range values are clamped, never refused; without a label the unit-bearing setters
// ignore the value and the getters answer 0.
#pragma once

#include "core/KXTypes.h"
#include "document/KXDesignerServices.h"
#include "rulers/KXRulers.h"

#include <QFont>
#include <QScrollArea>

#include <functional>
#include <memory>

namespace kx::designer {

class TKXCustomEditor;

class TKXRulers : public kx::TKXRulers {
public:
    explicit TKXRulers(TKXCustomEditor *AOwner);
    ~TKXRulers() override;
    TKXRulers(const TKXRulers &) = delete;
    TKXRulers &operator=(const TKXRulers &) = delete;

    void Assign(const TKXRulers &Source);

    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TColor TickColor() const { return FTickColor; }
    void SetTickColor(TColor Value);
    TColor MarkColor() const { return FMarkColor; }
    void SetMarkColor(TColor Value);
    bool AdjustAligns() const { return FAdjustAligns; }
    void SetAdjustAligns(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    const QFont &Font() const { return FFont; }
    void SetFont(const QFont &Value);
    // Ruler thickness in pixels, 18 .. 30.
    uint16_t Size() const { return FSize; }
    void SetSize(int32_t Value);
    TColor ToColor() const { return FToColor; }
    void SetToColor(TColor Value);
    TColor SizeColor() const { return FSizeColor; }
    void SetSizeColor(TColor Value);
    bool ShowSize() const { return FShowSize; }
    void SetShowSize(bool Value);
    TKXRulerStyle Style() const { return FStyle; }
    void SetStyle(TKXRulerStyle Value);

    // The label's background shows or hides its alignment lines.
    void SetShowAlign(bool Value) override;
    kx::TKXDataRuler *DataRuler() override { return FDataRuler.get(); }
    TKXDataRuler *Data() const { return FDataRuler.get(); }

private:
    void FontChanged();
    // Events of the shared ruler state: a line moved on a ruler, a drag starts, it ends.
    void AlignLinesMoved();
    void AlignToSelection();
    void AlignToElement();
    bool EditorReady() const;

    TKXCustomEditor *FOwner;
    QFont FFont;
    TColor FColor = 0xC0C0C0;
    TColor FToColor = 0xFFFFFF;
    TColor FSizeColor = 0x800000;
    bool FShowSize = false;
    TColor FMarkColor = 0x0000FF;
    TColor FTickColor = 0;
    bool FVisible = true;
    bool FAdjustAligns = false;
    uint16_t FSize = 18;
    TKXRulerStyle FStyle = TKXRulerStyle::rsStyle01;
    std::unique_ptr<TKXDataRuler> FDataRuler;
};

// The grid: the values the document reads (colour, steps, shown) live in the editor's
// Grid record; the drawing style lives here.
class TKXGrid {
public:
    explicit TKXGrid(TKXCustomEditor *AOwner) : FOwner(AOwner) {}

    void Assign(const TKXGrid &Source);

    TColor Color() const;
    void SetColor(TColor Value);
    bool Show() const;
    void SetShow(bool Value);
    TKXGridDraw Style() const { return FStyle; }
    void SetStyle(TKXGridDraw Value);
    // Steps in current units; kept within [100, half the label side] in label units, 100
    // winning when the half side is smaller.
    float IncX() const;
    void SetIncX(float Value);
    float IncY() const;
    void SetIncY(float Value);

private:
    void Changed();

    TKXCustomEditor *FOwner;
    TKXGridDraw FStyle = TKXGridDraw::gdPoints;
};

// The size of pictures inserted at a fixed size.
class TKXInsertImage {
public:
    explicit TKXInsertImage(TKXCustomEditor *AOwner) : FOwner(AOwner) {}

    void Assign(const TKXInsertImage &Source);

    bool FixedSize() const { return FFixedSize; }
    void SetFixedSize(bool Value) { FFixedSize = Value; }
    // Current units; kept within [100, the label side] in label units. No repaint.
    float WidthMM() const;
    void SetWidthMM(float Value);
    float HeightMM() const;
    void SetHeightMM(float Value);
    int32_t WidthInternal() const { return FWidthMM; }
    int32_t HeightInternal() const { return FHeightMM; }

private:
    TKXCustomEditor *FOwner;
    bool FFixedSize = false;
    int32_t FWidthMM = 5000;
    int32_t FHeightMM = 5000;
};

// The scroll box that carries the design surface; reports each change of a scroll
// position once, so the rulers can follow.
class TKXBaseScroll : public QScrollArea {
public:
    explicit TKXBaseScroll(QWidget *Parent = nullptr);

    int32_t HPos = 0;
    int32_t VPos = 0;
    std::function<void(TKXBaseScroll *Sender)> OnScrollHEvent;
    std::function<void(TKXBaseScroll *Sender)> OnScrollVEvent;

    // The scroll bars moved (also called by the scroll bars' own notifications).
    void HScrolled(int Value);
    void VScrolled(int Value);
};

} // namespace kx::designer
