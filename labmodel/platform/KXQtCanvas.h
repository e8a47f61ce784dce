// The canvas over QPainter: images, printers, metafiles (QPicture) and widgets.
//
// Geometry is mapped from logical units to device units by the canvas itself (TKXMapping),
// so that GDI's pixel rules (exclusive right and bottom edges, inside-frame pens) can be kept
// in device space; a second transform (DeviceToPainter) then carries device units to the
// painter's own coordinates, which differ only for metafiles recorded in label units.
//
// Text is drawn with a font of a fixed reference pixel size, scaled by the painter to the
// wanted cell height: Qt measures fonts above about 16000 pixels wrongly, and one reference
// size gives the same advances on screen, paper and in metafiles.
#pragma once

#include "platform/KXCanvas.h"

#include <QTransform>

#include <memory>

class QFont;
class QPaintDevice;
class QPainter;
class QPainterPath;
class QPen;
class QPointF;
class QRectF;

namespace kx {

class TKXQtCanvas : public TKXCanvas {
public:
    // Paints on Device (begun here, ended by the destructor) in hundredths of a millimetre
    // at the device's resolution. Throws EKxError when the device cannot be painted on.
    explicit TKXQtCanvas(QPaintDevice *Device);
    // Paints through a painter that is already active (a widget's paint event, a print job,
    // a metafile), with the given mapping; DeviceToPainter takes device units to painter
    // coordinates. The painter must outlive the canvas.
    TKXQtCanvas(QPainter &Painter, const TKXMapping &Mapping,
                const QTransform &DeviceToPainter = QTransform());
    // The same, owning the (active) painter: ended and freed with the canvas.
    TKXQtCanvas(std::unique_ptr<QPainter> Painter, const TKXMapping &Mapping,
                const QTransform &DeviceToPainter = QTransform());
    ~TKXQtCanvas() override;

    QPainter &Painter() { return *FPainter; }
    // Antialiased shapes (the editor's zoomed views); off by default, as on GDI. Text is
    // always antialiased.
    void SetAntialiasing(bool On) { FAntialias = On; }

    // Pixel height of the reference font every text is drawn with.
    static constexpr double RefPixelSize = 1000.0;

    void SaveState() override;
    void RestoreState() override;

    void IntersectClipRect(const TRect &R) override;
    void IntersectClipEllipse(const TRect &R) override;
    void SelectClipEllipses(const std::vector<TRect> &Boxes) override;
    void ResetClip() override;

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

private:
    enum class TFigure : uint8_t { fRect, fRoundRect, fEllipse, fPie, fChord };
    struct TTextGeometry;

    QPointF Dev(TPoint P) const;
    QRectF DevBox(const TRect &R) const;
    double DevPenWidth() const;
    QPen MakePen() const;
    bool HasPen() const;
    bool HasBrush() const;
    void PrepareShapes();
    bool PdfTarget() const;
    void FillArea(const std::vector<TRect> &Rects);
    QPainterPath FigurePath(TFigure Kind, const QRectF &Box, double CornerW, double CornerH,
                            double StartAngle, double Sweep) const;
    void DrawFigure(TFigure Kind, const TRect &R, double CornerW = 0, double CornerH = 0,
                    TPoint Start = {}, TPoint End = {});
    QPainterPath DevPath(const TKXPath &Path) const;
    void PaintPath(const QPainterPath &Path, bool Stroke, bool Fill);
    TTextGeometry TextGeometry(const QString &Text) const;
    void SetClip(const QPainterPath &DevicePath);

    // The reference font of the last font set and its vertical metrics (reference pixels);
    // measuring is asked for far more often than the font changes.
    struct TFontCache;
    mutable std::unique_ptr<TFontCache> FFontCache;

    std::unique_ptr<QPainter> FOwnedPainter;
    QPainter *FPainter = nullptr;
    QTransform FDevToPainter;
    bool FAntialias = false;
    size_t FPainterSaves = 0;
};

// The angles (degrees, counter-clockwise, 0 at three o'clock, parametric on the ellipse)
// of the radial lines through Start and End of an arc in Box, both in device units; Sweep
// is in (0, 360]. Shared with the tests, which check GDI's arc direction.
void ArcAngles(const QRectF &Box, const QPointF &Start, const QPointF &End, double &StartAngle,
               double &Sweep);

} // namespace kx
