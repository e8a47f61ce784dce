// The editor's two rulers and the state they share.
//
// TKXDataRuler holds what both rulers draw from: style and colours, units and scale, the
// extent of the selected element (a coloured band) and the positions of the label
// background's two alignment lines (small markers that can be dragged when AdjustAligns is
// on). TKXTopRuler and TKXLeftRuler draw the graduation into an off-screen image only when
// that state, their scroll offset or their size changes; a mouse move over the design
// surface only copies the image and draws the position line. TKXMargin is a plain filler
// strip of the scroll box.
//
// Positions along a ruler are widget pixels; values are in the label's current units.
#pragma once

#include "core/KXTypes.h"
#include "document/KXDesignerServices.h"

#include <QFont>
#include <QImage>
#include <QWidget>

#include <array>
#include <functional>

namespace kx::designer {

class TKXDataRuler : public kx::TKXDataRuler {
public:
    TKXDataRuler();
    ~TKXDataRuler() override;
    TKXDataRuler(const TKXDataRuler &) = delete;
    TKXDataRuler &operator=(const TKXDataRuler &) = delete;

    // Style, colours, units, scale and font of another data ruler (not the events).
    void Assign(const TKXDataRuler &Source);

    // --- Properties ------------------------------------------------------------------
    TKXRulerStyle Style() const { return FStyle; }
    void SetStyle(TKXRulerStyle Value);
    bool ShowSize() const { return FShowSize; }
    void SetShowSize(bool Value);
    TColor SizeColor() const { return FSizeColor; }
    void SetSizeColor(TColor Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    // Redraws only for the styles that use it (all but rsStyle01).
    TColor ToColor() const { return FToColor; }
    void SetToColor(TColor Value);
    TColor TickColor() const { return FTickColor; }
    void SetTickColor(TColor Value);
    TColor MarkColor() const { return FMarkColor; }
    void SetMarkColor(TColor Value);
    TKXUnits Units() const { return FUnits; }
    void SetUnits(TKXUnits Value) override;
    TKXTickSize TickSize() const { return FTickSize; }
    void SetTickSize(TKXTickSize Value);
    // Zoom factor (1 = 100 %); recomputes the scale without redrawing.
    double Factor() const { return FFactor; }
    void SetFactor(double Value);
    void PutFacUnits(double Fac, TKXUnits Unts);
    // Border of the editor's scroll box, added to the ruler origin (0 or 2).
    int32_t SizeBorder() const { return FSizeBorder; }
    void SetSizeBorder(int32_t Value) { FSizeBorder = Value; }
    int32_t DPIX() const { return FDPIX; }
    int32_t DPIY() const { return FDPIY; }
    // For tests and for screens that report no resolution; recomputes the scale.
    void SetDPI(int32_t X, int32_t Y);
    bool AdjustAligns() const { return FAdjustAligns; }
    void SetAdjustAligns(bool Value) { FAdjustAligns = Value; }
    bool ShowAlign() const { return FShowAlign; }
    void SetShowAlign(bool Value);
    void PutShowAlign(bool Value) { FShowAlign = Value; }
    const QFont &Font() const { return FFont; }
    // The rulers are told even when nothing changed.
    void SetFont(const QFont &Value);

    // Pixels per unit across (X) and down (Y).
    double ConvX() const { return FConvX; }
    double ConvY() const { return FConvY; }

    // Extent of the selected element, current units; (0, 0, 0, 0) shows none.
    void SetCoorSelect(float x1, float y1, float x2, float y2) override;
    float X1() const { return FX1; }
    float Y1() const { return FY1; }
    float X2() const { return FX2; }
    float Y2() const { return FY2; }

    // Alignment lines, current units. SetAlignX/Y (a ruler drag) tell the label's
    // background through BackSurfEvent; PutAlignX/Y (the label showing its lines) do not.
    float AlignX() const { return FAlignX; }
    float AlignY() const { return FAlignY; }
    void SetAlignX(float Value);
    void SetAlignY(float Value);
    void PutAlignX(float Value, bool Notify) override;
    void PutAlignY(float Value, bool Notify) override;

    // Both rulers redraw.
    void NotifyRulers();
    void DoAlignToSelection();
    void DoAlignToElement();

    // The marker glyphs: 0 above the top ruler's marker, 1 beside the left ruler's.
    const QImage &Glyph(int Index) const { return FImages[size_t(Index)]; }

    // --- Events ----------------------------------------------------------------------
    std::function<void()> DataLeftRulerEvent;
    std::function<void()> DataTopRulerEvent;
    std::function<void()> BackSurfEvent;
    std::function<void()> AlignToSelecEvent;
    std::function<void()> AlignToElementEvent;

private:
    void RecalcConv();

    int32_t FDPIX = 96;
    int32_t FDPIY = 96;
    QFont FFont;
    TColor FColor = clWhite;
    TColor FToColor = clWhite;
    TColor FTickColor = clBlack;
    TColor FMarkColor = 0;
    TColor FSizeColor = 0x00FFFF; // yellow
    TKXRulerStyle FStyle = TKXRulerStyle::rsStyle01;
    TKXUnits FUnits = TKXUnits::unMM;
    TKXTickSize FTickSize = TKXTickSize::tsAll;
    double FFactor = 1;
    double FConvX = 0;
    double FConvY = 0;
    bool FShowSize = false;
    bool FAdjustAligns = false;
    bool FShowAlign = false;
    int32_t FSizeBorder = 0;
    std::array<QImage, 2> FImages;
    float FX1 = 0, FY1 = 0, FX2 = 0, FY2 = 0;
    float FAlignX = 0, FAlignY = 0;
};

// What the two rulers share: the off-screen image, the position line, the scroll offset and
// the alignment-marker drag. Horizontal is the top ruler.
class TKXRulerBase : public QWidget {
public:
    TKXRulerBase(bool Horizontal, QWidget *Parent);
    ~TKXRulerBase() override;

    TKXDataRuler *Data() const { return FData; }
    // Null is ignored; the ruler redraws whenever the shared state changes.
    void SetData(TKXDataRuler *Value);
    void SetFont(const QFont &Value);

    // The pixel of value 0 along the ruler.
    int32_t Origin() const;
    // Position line at Value pixels of the design surface (-1 after a zoom change).
    int32_t PosT() const { return FPos; }
    void SetPosT(int32_t Value);
    // Scroll offset of the design surface, pixels.
    int32_t FirstPos() const { return FFirstPos; }
    void SetFirstPos(int32_t Value);
    void ResetFirstPos();
    float FirstVal() const { return FFirstVal; }
    void SetFirstVal(float Value);
    float Position() const { return FPosition; }
    void SetPosition(float Value);

    // Draws the graduation into the off-screen image and repaints.
    void Redraw();
    const QImage &OffScreen() const { return FOffScreen; }
    // Hit rectangle of the alignment marker as last drawn (right and bottom exclusive).
    TRect AlRect() const { return FAlRect; }
    bool Draging() const { return FDraging; }
    // How often the graduation was drawn (tests: a mouse move must not draw it).
    int DrawCount() const { return FDrawCount; }

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;

private:
    void DrawGraduation();
    void DrawBackground(QPainter &P, int32_t W, int32_t H);
    // Thickness across the ruler and length along it.
    int32_t Across() const { return FHorizontal ? height() : width(); }
    int32_t Along() const { return FHorizontal ? width() : height(); }

    bool FHorizontal;
    TKXDataRuler *FData = nullptr;
    QImage FOffScreen;
    QFont FFont;
    float FPosition = 0;
    float FFirstVal = 0;
    int32_t FPos = -1;
    int32_t FFirstPos = -1;
    bool FAsignedData = false;
    bool FDraging = false;
    TRect FAlRect;
    int FDrawCount = 0;
};

class TKXTopRuler : public TKXRulerBase {
public:
    explicit TKXTopRuler(QWidget *Parent = nullptr) : TKXRulerBase(true, Parent) {}
};

class TKXLeftRuler : public TKXRulerBase {
public:
    explicit TKXLeftRuler(QWidget *Parent = nullptr) : TKXRulerBase(false, Parent) {}
};

// A filler strip closing the scroll box at the bottom or right.
class TKXMargin : public QWidget {
public:
    explicit TKXMargin(QWidget *Parent = nullptr);
    TColor FillColor() const { return FFillColor; }
    void SetFillColor(TColor Value);

protected:
    void paintEvent(QPaintEvent *) override;

private:
    TColor FFillColor;
};

// $00BBGGRR to a Qt colour.
QColor ToQColor(TColor Color);

} // namespace kx::designer
