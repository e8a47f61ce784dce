// The drawing canvas: a thin GDI-like layer that every element, background and page draws
// through, whatever the target (editor layer, printer, preview page, thumbnail).
//
// Logical unit: the hundredth of a millimetre, on every target; a mapping (TKXMapping) turns
// logical units into the target's device pixels. The canvas keeps GDI's meaning where the
// label drawing code relies on it:
// - a rectangle (Left, Top, Right, Bottom) covers Left <= x < Right, Top <= y < Bottom;
// - a pen of width 0 is one device pixel wide, whatever the mapping;
// - an inside-frame pen draws a closed figure wholly inside its bounding rectangle;
// - a round rectangle's corner size is the corner ellipse's diameter (width and height);
// - a positive font height is the character cell height (ascent + descent), a negative one
//   the character height (cell less internal leading);
// - text is placed by the top-left corner of its first character cell and turned by the
//   font's escapement (tenths of a degree, counter-clockwise) about that point;
// - arcs and pies run counter-clockwise from the radial line through the start point to the
//   one through the end point;
// - polygons and paths are filled with the alternate (even-odd) rule unless told otherwise.
// Two GDI pixel quirks are not kept, as no label drawing depends on them: a figure drawn
// with a clear pen fills its whole box (GDI leaves the last row and column), and LineTo
// draws its end point too.
//
// Two implementations: TKXQtCanvas (KXQtCanvas.h) over QPainter for every real target, and
// the recording canvas of the tests, which writes each call down in logical units.
#pragma once

#include "core/KXTypes.h"
#include "core/KXUtils.h" // TSize, TKXTextMeasurer

#include <QString>

#include <cstdint>
#include <vector>

class QImage;
class QSvgRenderer;

namespace kx {

class TKXMetafile;

// ---------------------------------------------------------------------------------------
// Drawing tools

enum class TKXPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };
enum class TKXPenCap : uint8_t { pcRound, pcSquare, pcFlat };
enum class TKXPenJoin : uint8_t { pjRound, pjBevel, pjMiter };

struct TKXPen {
    TColor Color = clBlack;
    int32_t Width = 0;                        // logical units; 0 = one device pixel
    TKXPenStyle Style = TKXPenStyle::psSolid;
    bool InsideFrame = false;                 // closed figures keep the stroke inside their box
    TKXPenCap Cap = TKXPenCap::pcRound;       // GDI's defaults: round ends, round joins
    TKXPenJoin Join = TKXPenJoin::pjRound;
    friend bool operator==(const TKXPen &, const TKXPen &) = default;
};

enum class TKXBrushStyle : uint8_t {
    bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross
};

struct TKXBrush {
    TColor Color = clWhite;
    TKXBrushStyle Style = TKXBrushStyle::bsSolid;
    friend bool operator==(const TKXBrush &, const TKXBrush &) = default;
};

struct TKXFont {
    QString Name = QStringLiteral("Arial");
    int32_t Height = 0;     // logical units: > 0 cell height, < 0 character height, 0 = 1/8 inch
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int32_t Escapement = 0; // tenths of a degree, counter-clockwise
    TColor Color = clBlack;
    friend bool operator==(const TKXFont &, const TKXFont &) = default;
};

// Transparent: text and hatch gaps leave what is below; opaque: a text's cells are painted in
// the background colour first.
enum class TKXBkMode : uint8_t { bkTransparent, bkOpaque };
enum class TKXFillMode : uint8_t { fmAlternate, fmWinding };

// Colour runs of GradientFill, named by the direction the colour changes in.
enum class TKXGradient : uint8_t {
    grTopToBottom,      // horizontal bands, From at the top
    grLeftToRight,      // vertical bands, From at the left
    grOutsideToCentre,  // concentric ellipses inscribed in the rectangle, From outside
};

// Logical to device: device = logical * Scale + Offset, on each axis. No rotation or shear.
struct TKXMapping {
    double ScaleX = 1;
    double ScaleY = 1;
    double OffsetX = 0;
    double OffsetY = 0;

    // Hundredths of a millimetre on a device of the given resolution (dots per inch).
    static TKXMapping ForResolution(double DpiX, double DpiY);
    // GDI's anisotropic mapping: the window extent (logical) shown on the viewport extent
    // (device), with both origins at 0.
    static TKXMapping FromExtents(double WindowX, double WindowY, double ViewportX, double ViewportY);
    friend bool operator==(const TKXMapping &, const TKXMapping &) = default;
};

// A path for FillPath / StrokePath / StrokeAndFillPath, in logical units. Figures are opened
// by MoveTo; filling closes every figure.
class TKXPath {
public:
    enum class TElementKind : uint8_t { ekMoveTo, ekLineTo, ekBezierTo, ekClose };
    struct TElement {
        TElementKind Kind;
        TPoint P;
        friend bool operator==(const TElement &, const TElement &) = default;
    };

    void MoveTo(TPoint P) { FElements.push_back({TElementKind::ekMoveTo, P}); }
    void LineTo(TPoint P) { FElements.push_back({TElementKind::ekLineTo, P}); }
    // Each curve takes three points (two control points, then the end point).
    void BezierTo(TPoint C1, TPoint C2, TPoint End);
    void CloseFigure() { FElements.push_back({TElementKind::ekClose, {}}); }
    // Points[0] starts a figure; the rest are lines (PolylineTo) or curves (PolyBezierTo,
    // 3 points each; an incomplete last curve is left out, as GDI refuses it).
    void Polyline(const std::vector<TPoint> &Points);
    void PolyBezier(const std::vector<TPoint> &Points);
    void Polygon(const std::vector<TPoint> &Points);

    const std::vector<TElement> &Elements() const { return FElements; }
    bool Empty() const { return FElements.empty(); }

private:
    std::vector<TElement> FElements;
};

// ---------------------------------------------------------------------------------------
// The canvas

class TKXCanvas : public TKXTextMeasurer {
public:
    TKXCanvas() = default;
    TKXCanvas(const TKXCanvas &) = delete;
    TKXCanvas &operator=(const TKXCanvas &) = delete;
    ~TKXCanvas() override = default;

    // --- State (saved and restored together with the clip region) ---
    virtual void SetPen(const TKXPen &Pen) { FState.Pen = Pen; }
    const TKXPen &Pen() const { return FState.Pen; }
    virtual void SetBrush(const TKXBrush &Brush) { FState.Brush = Brush; }
    const TKXBrush &Brush() const { return FState.Brush; }
    virtual void SetFont(const TKXFont &Font) { FState.Font = Font; }
    const TKXFont &Font() const { return FState.Font; }
    virtual void SetBkMode(TKXBkMode Mode) { FState.BkMode = Mode; }
    TKXBkMode BkMode() const { return FState.BkMode; }
    virtual void SetBkColor(TColor Color) { FState.BkColor = Color; }
    TColor BkColor() const { return FState.BkColor; }
    virtual void SetPolyFillMode(TKXFillMode Mode) { FState.FillMode = Mode; }
    TKXFillMode PolyFillMode() const { return FState.FillMode; }
    // Extra space after every character, logical units (GDI's SetTextCharacterExtra).
    virtual void SetTextCharacterExtra(int32_t Extra) { FState.CharExtra = Extra; }
    int32_t TextCharacterExtra() const { return FState.CharExtra; }
    // BreakExtra logical units spread over the BreakCount spaces of the next texts written;
    // (0, 0) switches justification off.
    virtual void SetTextJustification(int32_t BreakExtra, int32_t BreakCount);
    int32_t JustBreakExtra() const { return FState.BreakExtra; }
    int32_t JustBreakCount() const { return FState.BreakCount; }

    virtual void SetMapping(const TKXMapping &Mapping) { FState.Mapping = Mapping; }
    const TKXMapping &Mapping() const { return FState.Mapping; }

    // Saves pen, brush, font, modes, spacing, mapping, current position and clip region;
    // RestoreState brings back the last saved set (nothing when none is saved).
    virtual void SaveState() { FSaved.push_back(FState); }
    virtual void RestoreState();

    // --- Unit conversion (rounded to the nearest, halves to even) ---
    TPoint LPtoDP(TPoint P) const;
    TPoint DPtoLP(TPoint P) const;
    TRect LPtoDP(const TRect &R) const;
    TRect DPtoLP(const TRect &R) const;

    // --- Clipping, in logical units; each call narrows the current region ---
    virtual void IntersectClipRect(const TRect &R) = 0;
    virtual void IntersectClipEllipse(const TRect &R) = 0;
    // Replaces the clip region by the union of the ellipses inscribed in Boxes (the label
    // circles of a sheet); no boxes clip everything away.
    virtual void SelectClipEllipses(const std::vector<TRect> &Boxes) = 0;
    virtual void ResetClip() = 0;

    // --- Lines and curves (pen only) ---
    virtual void MoveTo(int32_t X, int32_t Y) { FState.PenPos = {X, Y}; }
    virtual void LineTo(int32_t X, int32_t Y) = 0;
    TPoint PenPos() const { return FState.PenPos; }
    virtual void Polyline(const std::vector<TPoint> &Points) = 0;
    // 3n + 1 points: a start point, then two control points and an end point per curve.
    virtual void PolyBezier(const std::vector<TPoint> &Points) = 0;
    virtual void Arc(const TRect &Box, TPoint Start, TPoint End) = 0;

    // --- Closed figures (outlined with the pen, filled with the brush) ---
    virtual void Rectangle(const TRect &R) = 0;
    virtual void RoundRect(const TRect &R, int32_t CornerWidth, int32_t CornerHeight) = 0;
    virtual void Ellipse(const TRect &Box) = 0;
    virtual void Pie(const TRect &Box, TPoint Start, TPoint End) = 0;
    virtual void Polygon(const std::vector<TPoint> &Points) = 0;
    // The rectangle filled with the brush, no outline.
    virtual void FillRect(const TRect &R) = 0;
    // Many rectangles filled with the brush at once; the same area as FillRect on each, in
    // order. Printers and PDF files get them as one filled area (the modules of a matrix
    // symbol), or with rfEach as one fill per rectangle, as FillRect gives: printers and
    // viewers fit the edges of a lone filled rectangle to their pixels, which keeps every
    // bar of a barcode at its width.
    enum class TRectFill : uint8_t { rfOneArea, rfEach };
    virtual void FillRects(const std::vector<TRect> &Rects, TRectFill Fill = TRectFill::rfOneArea)
    {
        (void)Fill;
        for (const TRect &R : Rects)
            FillRect(R);
    }
    virtual void GradientFill(const TRect &R, TColor From, TColor To, TKXGradient Kind) = 0;

    // --- Paths ---
    virtual void FillPath(const TKXPath &Path) = 0;
    virtual void StrokePath(const TKXPath &Path) = 0;
    virtual void StrokeAndFillPath(const TKXPath &Path) = 0;

    // --- Text ---
    // (X, Y) is the top-left corner of the first character cell.
    virtual void TextOut(int32_t X, int32_t Y, const QString &Text) = 0;
    // Width (with character extra and justification) and cell height of Text in the current
    // font, logical units, unturned.
    virtual TSize TextExtent(const QString &Text) const = 0;
    TSize TextExtent(const WideString &Text) const override;

    // --- Pictures ---
    // Stretches the image (or metafile) over Dest; an empty one draws nothing.
    virtual void DrawImage(const TRect &Dest, const QImage &Image) = 0;
    virtual void DrawMetafile(const TRect &Dest, const TKXMetafile &Metafile) = 0;
    // Renders a vector picture over Dest as vectors, at the target's own resolution, turned
    // counter-clockwise by Angle (0, 90, 180 or 270) inside Dest.
    virtual void DrawSvg(const TRect &Dest, QSvgRenderer &Svg, int32_t Angle) = 0;

protected:
    size_t SavedCount() const { return FSaved.size(); }

    struct TState {
        TKXPen Pen;
        TKXBrush Brush;
        TKXFont Font;
        TKXBkMode BkMode = TKXBkMode::bkTransparent;
        TColor BkColor = clWhite;
        TKXFillMode FillMode = TKXFillMode::fmAlternate;
        int32_t CharExtra = 0;
        int32_t BreakExtra = 0;
        int32_t BreakCount = 0;
        TKXMapping Mapping;
        TPoint PenPos;
    };
    TState FState;

private:
    std::vector<TState> FSaved;
};

// Converts a canvas colour ($00BBGGRR) to 8-bit red, green and blue.
constexpr uint8_t RedOf(TColor C) { return static_cast<uint8_t>(C & 0xFF); }
constexpr uint8_t GreenOf(TColor C) { return static_cast<uint8_t>((C >> 8) & 0xFF); }
constexpr uint8_t BlueOf(TColor C) { return static_cast<uint8_t>((C >> 16) & 0xFF); }
constexpr TColor RGBColor(uint8_t R, uint8_t G, uint8_t B)
{
    return TColor(R) | (TColor(G) << 8) | (TColor(B) << 16);
}

} // namespace kx
