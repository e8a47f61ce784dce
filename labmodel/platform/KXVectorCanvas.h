// The canvas for vector metafiles: every call is turned into a few plain primitives (filled
// polygons, stroked polylines, text runs, images) in device units, with the clip region
// already applied, and handed to a sink that writes them in its file format. Metafile
// formats that have no clipping of their own (libEMF writes none; a 16-bit metafile's clip
// regions are read unevenly) get the clipped result:
// - a figure or line the clip cuts is intersected with the clip region, a cut line as the
//   outline of its stroke, and written as filled polygons;
// - a text the clip cuts is written as the outlines of its glyphs, intersected;
// - a picture is cropped to the clip region's bounds within it.
// What lies wholly inside the clip is written as it is: lines stay lines, texts stay texts.
//
// The canvas keeps the GDI meaning of TKXCanvas (KXCanvas.h) exactly as TKXQtCanvas does,
// so the page drawn here matches the page drawn on an image: the same device boxes, pen
// widths, inside-frame insets and text geometry (a reference font scaled to the cell).
#pragma once

#include "platform/KXCanvas.h"

#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QFont;

namespace kx {

// A run of text on its baseline, device units.
struct TKXTextRun {
    QPointF Origin;               // the baseline's start
    QString Text;
    TKXFont Font;                 // name, weight, slant, underline, strike-out, colour, escapement
    double EmHeight = 0;          // the font's em size
    double WidthScale = 1;        // horizontal over vertical scale of the glyphs
    std::vector<double> Advances; // one for each UTF-16 unit, spacing included
};

class TKXVectorSink {
public:
    virtual ~TKXVectorSink() = default;

    struct TStroke {
        TColor Color = clBlack;
        double Width = 1; // device units
        TKXPenStyle Style = TKXPenStyle::psSolid;
        TKXPenCap Cap = TKXPenCap::pcRound;
        TKXPenJoin Join = TKXPenJoin::pjRound;
    };

    // Closed polygons filled in one colour as one area (even-odd or winding), no outline.
    virtual void FillPolygons(const std::vector<QPolygonF> &Polygons, TColor Color, bool Winding) = 0;
    // A path (lines and Bézier curves) filled in one colour with its own fill rule; a
    // format without curves takes it as polygons, flattened.
    virtual void FillPath(const QPainterPath &Path, TColor Color);
    // Each figure of a path stroked with the pen; flattened into polylines by default.
    virtual void StrokePath(const QPainterPath &Path, const TStroke &Pen);
    // A line through Points; Closed joins the last point to the first.
    virtual void StrokePolyline(const QPolygonF &Points, bool Closed, const TStroke &Pen) = 0;
    // False when the format cannot carry this text (the canvas then writes its glyphs'
    // outlines instead).
    virtual bool Text(const TKXTextRun &Run) = 0;
    // An opaque picture stretched over Dest.
    virtual void Image(const QRectF &Dest, const QImage &Picture) = 0;
};

// The pixels of a device-independent bitmap of 24 bits a pixel: rows bottom to top, blue,
// green and red bytes, each row padded to 4 bytes. Transparent pixels show white.
std::vector<uint8_t> DibBits24(const QImage &Picture);

class TKXVectorCanvas : public TKXCanvas {
public:
    // Device units are those of Mapping, as on the page metafiles: the sink gets everything
    // in them.
    TKXVectorCanvas(std::unique_ptr<TKXVectorSink> Sink, const TKXMapping &Mapping);
    ~TKXVectorCanvas() override;

    void SaveState() override;
    void RestoreState() override;

    void IntersectClipRect(const TRect &R) override;
    void IntersectClipEllipse(const TRect &R) override;
    void SelectClipEllipses(const std::vector<TRect> &Boxes) override;
    void ResetClip() override;
    // The clip region in device units; none when nothing is clipped.
    const std::optional<QPainterPath> &Clip() const { return FClip; }
    // The page's area in device units: nothing is written outside it, whatever the clip
    // (a file's picture is as large as its page, as a page image is).
    void SetBounds(const QRectF &Bounds);

    void LineTo(int32_t X, int32_t Y) override;
    void Polyline(const std::vector<TPoint> &Points) override;
    void PolyBezier(const std::vector<TPoint> &Points) override;
    void Arc(const TRect &Box, TPoint Start, TPoint End) override;

    void Rectangle(const TRect &R) override;
    void RoundRect(const TRect &R, int32_t CornerWidth, int32_t CornerHeight) override;
    void Ellipse(const TRect &Box) override;
    void Pie(const TRect &Box, TPoint Start, TPoint End) override;
    void Polygon(const std::vector<TPoint> &Points) override;
    void FillRect(const TRect &R) override;
    void FillRects(const std::vector<TRect> &Rects, TRectFill Fill = TRectFill::rfOneArea) override;
    void GradientFill(const TRect &R, TColor From, TColor To, TKXGradient Kind) override;

    void FillPath(const TKXPath &Path) override;
    void StrokePath(const TKXPath &Path) override;
    void StrokeAndFillPath(const TKXPath &Path) override;

    void TextOut(int32_t X, int32_t Y, const QString &Text) override;
    using TKXCanvas::TextExtent;
    TSize TextExtent(const QString &Text) const override;

    void DrawImage(const TRect &Dest, const QImage &Image) override;
    void DrawMetafile(const TRect &Dest, const TKXMetafile &Metafile) override;
    void DrawSvg(const TRect &Dest, QSvgRenderer &Svg, int32_t Angle) override;

    // Geometry shared with the sinks' tests: Path filled in Color, or stroked with the pen,
    // after clipping.
    void FillArea(QPainterPath Path, TColor Color);
    void StrokeLine(const QPainterPath &Path);

private:
    enum class TFigure : uint8_t { fRect, fRoundRect, fEllipse, fPie };
    struct TTextGeometry;

    QPointF Dev(TPoint P) const;
    QRectF DevBox(const TRect &R) const;
    double DevPenWidth() const;
    bool HasPen() const { return FState.Pen.Style != TKXPenStyle::psClear; }
    bool HasBrush() const { return FState.Brush.Style != TKXBrushStyle::bsClear; }
    bool ClipHolds(const QPainterPath &Path) const;
    void FillWithBrush(const QPainterPath &Path);
    void DrawFigure(TFigure Kind, const TRect &R, double CornerW = 0, double CornerH = 0, TPoint Start = {},
                    TPoint End = {});
    QPainterPath DevPath(const TKXPath &Path) const;
    void PaintPath(const QPainterPath &Path, bool Stroke, bool Fill);
    TTextGeometry TextGeometry(const QString &Text) const;

protected:
    TKXVectorSink &Sink() { return *FSink; }

private:
    std::unique_ptr<TKXVectorSink> FSink;
    std::optional<QPainterPath> FClip;
    std::optional<QPainterPath> FBounds;
    std::vector<std::optional<QPainterPath>> FSavedClips;
};

} // namespace kx
