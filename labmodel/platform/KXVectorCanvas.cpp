#include "platform/KXVectorCanvas.h"

#include "platform/KXMetafile.h"
#include "platform/KXQtCanvas.h" // RefPixelSize, ArcAngles

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPathStroker>
#include <QSvgRenderer>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace kx {

namespace {

// A font height of 0 asks for the default: a character height of 1/8 inch.
constexpr int32_t DefaultCharHeight = 318;
// Hatch lines lie this many device units apart, one unit wide, as Qt's brush patterns do.
constexpr double HatchStep = 8;
// Colour steps of a gradient.
constexpr int GradientSteps = 64;

// The reference font every text is measured and outlined with, as the Qt canvas makes it:
// one pixel size, no hinting, no kerning, so advances scale linearly to any size.
QFont ReferenceFont(const TKXFont &F)
{
    QFont font(F.Name);
    if (F.Name.trimmed().isEmpty())
        font.setFamily(font.defaultFamily());
    font.setPixelSize(static_cast<int>(TKXQtCanvas::RefPixelSize));
    font.setBold(F.Bold);
    font.setItalic(F.Italic);
    font.setUnderline(F.Underline);
    font.setStrikeOut(F.StrikeOut);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    return font;
}

QPainterPath PolygonPath(const QPolygonF &Polygon)
{
    QPainterPath p;
    p.addPolygon(Polygon);
    p.closeSubpath();
    return p;
}

TColor Mix(TColor From, TColor To, double T)
{
    auto ch = [T](uint8_t a, uint8_t b) { return uint8_t(std::lround(a + (double(b) - a) * T)); };
    return RGBColor(ch(RedOf(From), RedOf(To)), ch(GreenOf(From), GreenOf(To)), ch(BlueOf(From), BlueOf(To)));
}

// The hatch lines of Style over Box, as thin areas.
QPainterPath HatchLines(TKXBrushStyle Style, const QRectF &Box)
{
    QPainterPath lines;
    lines.setFillRule(Qt::WindingFill);
    const double x0 = std::floor(Box.left() / HatchStep) * HatchStep;
    const double y0 = std::floor(Box.top() / HatchStep) * HatchStep;
    const bool horizontal = Style == TKXBrushStyle::bsHorizontal || Style == TKXBrushStyle::bsCross;
    const bool vertical = Style == TKXBrushStyle::bsVertical || Style == TKXBrushStyle::bsCross;
    const bool forward = Style == TKXBrushStyle::bsFDiagonal || Style == TKXBrushStyle::bsDiagCross;
    const bool backward = Style == TKXBrushStyle::bsBDiagonal || Style == TKXBrushStyle::bsDiagCross;
    if (horizontal)
        for (double y = y0; y < Box.bottom(); y += HatchStep)
            lines.addRect(QRectF(Box.left(), y, Box.width(), 1));
    if (vertical)
        for (double x = x0; x < Box.right(); x += HatchStep)
            lines.addRect(QRectF(x, Box.top(), 1, Box.height()));
    const double span = Box.width() + Box.height();
    // Diagonals at 45 degrees: forward ones fall to the right, backward ones rise.
    for (double d = -span; d < span && (forward || backward); d += HatchStep) {
        if (forward)
            lines.addPolygon(QPolygonF({QPointF(x0 + d, y0), QPointF(x0 + d + 1, y0),
                                        QPointF(x0 + d + 1 + span, y0 + span), QPointF(x0 + d + span, y0 + span)}));
        if (backward)
            lines.addPolygon(QPolygonF({QPointF(x0 + d, y0 + span), QPointF(x0 + d + 1, y0 + span),
                                        QPointF(x0 + d + 1 + span, y0), QPointF(x0 + d + span, y0)}));
    }
    return lines;
}

// An opaque copy of Picture: what is transparent shows white.
QImage Opaque(const QImage &Picture)
{
    if (!Picture.hasAlphaChannel())
        return Picture.convertToFormat(QImage::Format_RGB32);
    QImage flat(Picture.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter p(&flat);
    p.drawImage(0, 0, Picture);
    return flat;
}

} // namespace

std::vector<uint8_t> DibBits24(const QImage &Picture)
{
    const QImage rgb = Opaque(Picture);
    const int w = rgb.width(), h = rgb.height();
    const size_t stride = (size_t(w) * 3 + 3) & ~size_t(3);
    std::vector<uint8_t> bits(stride * size_t(h), 0);
    for (int y = 0; y < h; ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uint8_t *out = bits.data() + stride * size_t(h - 1 - y);
        for (int x = 0; x < w; ++x) {
            out[3 * x] = uint8_t(qBlue(row[x]));
            out[3 * x + 1] = uint8_t(qGreen(row[x]));
            out[3 * x + 2] = uint8_t(qRed(row[x]));
        }
    }
    return bits;
}

void TKXVectorSink::FillPath(const QPainterPath &Path, TColor Color)
{
    std::vector<QPolygonF> polygons;
    for (const QPolygonF &p : Path.toSubpathPolygons())
        if (p.size() >= 3)
            polygons.push_back(p);
    if (!polygons.empty())
        FillPolygons(polygons, Color, Path.fillRule() == Qt::WindingFill);
}

void TKXVectorSink::StrokePath(const QPainterPath &Path, const TStroke &Pen)
{
    for (const QPolygonF &p : Path.toSubpathPolygons()) {
        if (p.size() < 2)
            continue;
        const bool closed = p.size() > 2 && p.isClosed();
        QPolygonF points = p;
        if (closed)
            points.removeLast();
        StrokePolyline(points, closed, Pen);
    }
}

struct TKXVectorCanvas::TTextGeometry {
    QFont Font;
    double Ascent = 0;  // reference pixels
    double Cell = 0;    // ascent + descent, reference pixels
    double Advance = 0; // reference pixels, with spacing
    double KX = 1;
    double KY = 1;
};

TKXVectorCanvas::TKXVectorCanvas(std::unique_ptr<TKXVectorSink> Sink, const TKXMapping &Mapping)
    : FSink(std::move(Sink))
{
    FState.Mapping = Mapping;
}

TKXVectorCanvas::~TKXVectorCanvas() = default;

void TKXVectorCanvas::SaveState()
{
    TKXCanvas::SaveState();
    FSavedClips.push_back(FClip);
}

void TKXVectorCanvas::RestoreState()
{
    if (FSavedClips.empty())
        return;
    TKXCanvas::RestoreState();
    FClip = std::move(FSavedClips.back());
    FSavedClips.pop_back();
}

// ---------------------------------------------------------------------------------------
// Device space (as TKXQtCanvas)

QPointF TKXVectorCanvas::Dev(TPoint P) const
{
    const TKXMapping &m = FState.Mapping;
    return {P.x * m.ScaleX + m.OffsetX, P.y * m.ScaleY + m.OffsetY};
}

QRectF TKXVectorCanvas::DevBox(const TRect &R) const
{
    return QRectF(Dev({R.Left, R.Top}), Dev({R.Right, R.Bottom})).normalized();
}

double TKXVectorCanvas::DevPenWidth() const
{
    if (FState.Pen.Width <= 0)
        return 1.0;
    return std::max(1.0, FState.Pen.Width * std::abs(FState.Mapping.ScaleX));
}

// ---------------------------------------------------------------------------------------
// Clipping

void TKXVectorCanvas::IntersectClipRect(const TRect &R)
{
    QPainterPath p;
    p.addRect(DevBox(R));
    FClip = FClip ? FClip->intersected(p) : p;
}

void TKXVectorCanvas::IntersectClipEllipse(const TRect &R)
{
    QPainterPath p;
    p.addEllipse(DevBox(R));
    FClip = FClip ? FClip->intersected(p) : p;
}

void TKXVectorCanvas::SelectClipEllipses(const std::vector<TRect> &Boxes)
{
    QPainterPath p;
    p.setFillRule(Qt::WindingFill); // overlapping circles stay inside the union
    for (const TRect &R : Boxes)
        p.addEllipse(DevBox(R));
    FClip = FBounds ? FBounds->intersected(p) : p;
}

void TKXVectorCanvas::ResetClip() { FClip = FBounds; }

void TKXVectorCanvas::SetBounds(const QRectF &Bounds)
{
    QPainterPath p;
    p.addRect(Bounds);
    FBounds = p;
    FClip = FClip ? FClip->intersected(p) : p;
}

bool TKXVectorCanvas::ClipHolds(const QPainterPath &Path) const
{
    if (!FClip)
        return true;
    // A box test first: most drawing lies well inside a label's clip or well outside it.
    if (FClip->contains(Path.boundingRect()))
        return true;
    return false;
}

// ---------------------------------------------------------------------------------------
// Primitives after clipping

void TKXVectorCanvas::FillArea(QPainterPath Path, TColor Color)
{
    if (Path.isEmpty())
        return;
    if (!ClipHolds(Path)) {
        if (!FClip->intersects(Path.boundingRect()))
            return;
        Path = Path.intersected(*FClip);
        if (Path.isEmpty())
            return;
    }
    FSink->FillPath(Path, Color);
}

void TKXVectorCanvas::StrokeLine(const QPainterPath &Path)
{
    if (!HasPen() || Path.isEmpty())
        return;
    const TKXPen &pen = FState.Pen;
    const double w = DevPenWidth();
    QPainterPath reach;
    // Square caps and miter joins reach further than half the width.
    reach.addRect(Path.boundingRect().adjusted(-2 * w, -2 * w, 2 * w, 2 * w));
    if (ClipHolds(reach)) {
        FSink->StrokePath(Path, TKXVectorSink::TStroke{pen.Color, w, pen.Style, pen.Cap, pen.Join});
        return;
    }
    // A cut line: the outline of its stroke, intersected with the clip.
    QPainterPathStroker stroker;
    stroker.setWidth(w);
    switch (pen.Style) {
    case TKXPenStyle::psDash: stroker.setDashPattern(Qt::DashLine); break;
    case TKXPenStyle::psDot: stroker.setDashPattern(Qt::DotLine); break;
    case TKXPenStyle::psDashDot: stroker.setDashPattern(Qt::DashDotLine); break;
    case TKXPenStyle::psDashDotDot: stroker.setDashPattern(Qt::DashDotDotLine); break;
    default: break;
    }
    stroker.setCapStyle(pen.Cap == TKXPenCap::pcRound    ? Qt::RoundCap
                        : pen.Cap == TKXPenCap::pcSquare ? Qt::SquareCap
                                                         : Qt::FlatCap);
    stroker.setJoinStyle(pen.Join == TKXPenJoin::pjRound   ? Qt::RoundJoin
                         : pen.Join == TKXPenJoin::pjBevel ? Qt::BevelJoin
                                                           : Qt::MiterJoin);
    QPainterPath outline = stroker.createStroke(Path);
    outline.setFillRule(Qt::WindingFill);
    FillArea(outline, pen.Color);
}

void TKXVectorCanvas::FillWithBrush(const QPainterPath &Path)
{
    const TKXBrush &b = FState.Brush;
    if (b.Style == TKXBrushStyle::bsClear || Path.isEmpty())
        return;
    if (b.Style == TKXBrushStyle::bsSolid) {
        FillArea(Path, b.Color);
        return;
    }
    // A hatch: the gaps show the background colour when the mode is opaque.
    if (FState.BkMode == TKXBkMode::bkOpaque)
        FillArea(Path, FState.BkColor);
    FillArea(HatchLines(b.Style, Path.boundingRect()).intersected(Path), b.Color);
}

// ---------------------------------------------------------------------------------------
// Lines and curves

void TKXVectorCanvas::LineTo(int32_t X, int32_t Y)
{
    const TPoint from = FState.PenPos;
    FState.PenPos = {X, Y};
    QPainterPath p;
    p.moveTo(Dev(from));
    p.lineTo(Dev({X, Y}));
    StrokeLine(p);
}

void TKXVectorCanvas::Polyline(const std::vector<TPoint> &Points)
{
    if (Points.size() < 2)
        return;
    QPainterPath p;
    p.moveTo(Dev(Points[0]));
    for (size_t i = 1; i < Points.size(); ++i)
        p.lineTo(Dev(Points[i]));
    StrokeLine(p);
}

void TKXVectorCanvas::PolyBezier(const std::vector<TPoint> &Points)
{
    if (Points.size() < 4)
        return;
    TKXPath path;
    path.PolyBezier(Points);
    StrokeLine(DevPath(path));
}

void TKXVectorCanvas::Arc(const TRect &Box, TPoint Start, TPoint End)
{
    if (!HasPen())
        return;
    const QRectF box = DevBox(Box);
    const double inset = FState.Pen.InsideFrame ? DevPenWidth() / 2 : 0.5;
    const QRectF r = box.adjusted(inset, inset, -inset, -inset);
    double a0, sweep;
    ArcAngles(box, Dev(Start), Dev(End), a0, sweep);
    QPainterPath p;
    p.arcMoveTo(r, a0);
    p.arcTo(r, a0, sweep);
    StrokeLine(p);
}

// ---------------------------------------------------------------------------------------
// Closed figures (the Qt canvas's rules: the fill covers the box, the outline runs half a
// pen inside it)

void TKXVectorCanvas::DrawFigure(TFigure Kind, const TRect &R, double CornerW, double CornerH, TPoint Start,
                                 TPoint End)
{
    const QRectF box = DevBox(R);
    if (box.isEmpty())
        return;
    const double cw = CornerW * std::abs(FState.Mapping.ScaleX);
    const double ch = CornerH * std::abs(FState.Mapping.ScaleY);
    double a0 = 0, sweep = 360;
    if (Kind == TFigure::fPie)
        ArcAngles(box, Dev(Start), Dev(End), a0, sweep);
    auto figure = [&](const QRectF &b, double w, double h) {
        QPainterPath p;
        switch (Kind) {
        case TFigure::fRect: p.addRect(b); break;
        case TFigure::fRoundRect:
            p.addRoundedRect(b, std::clamp(w / 2, 0.0, b.width() / 2), std::clamp(h / 2, 0.0, b.height() / 2),
                             Qt::AbsoluteSize);
            break;
        case TFigure::fEllipse: p.addEllipse(b); break;
        case TFigure::fPie:
            p.moveTo(b.center());
            p.arcTo(b, a0, sweep);
            p.closeSubpath();
            break;
        }
        return p;
    };
    FillWithBrush(figure(box, cw, ch));
    if (!HasPen())
        return;
    const double pw = DevPenWidth();
    const double inset = FState.Pen.InsideFrame ? pw / 2 : 0.5;
    const QRectF line = box.adjusted(inset, inset, -inset, -inset);
    if (line.width() <= 0 || line.height() <= 0) {
        FillArea(figure(box, cw, ch), FState.Pen.Color);
        return;
    }
    StrokeLine(figure(line, std::max(0.0, cw - 2 * inset), std::max(0.0, ch - 2 * inset)));
}

void TKXVectorCanvas::Rectangle(const TRect &R) { DrawFigure(TFigure::fRect, R); }

void TKXVectorCanvas::RoundRect(const TRect &R, int32_t CornerWidth, int32_t CornerHeight)
{
    DrawFigure(TFigure::fRoundRect, R, CornerWidth, CornerHeight);
}

void TKXVectorCanvas::Ellipse(const TRect &Box) { DrawFigure(TFigure::fEllipse, Box); }

void TKXVectorCanvas::Pie(const TRect &Box, TPoint Start, TPoint End)
{
    DrawFigure(TFigure::fPie, Box, 0, 0, Start, End);
}

void TKXVectorCanvas::Polygon(const std::vector<TPoint> &Points)
{
    if (Points.size() < 2)
        return;
    TKXPath path;
    path.Polygon(Points);
    PaintPath(DevPath(path), true, true);
}

void TKXVectorCanvas::FillRect(const TRect &R)
{
    QPainterPath p;
    p.addRect(DevBox(R));
    FillWithBrush(p);
}

void TKXVectorCanvas::FillRects(const std::vector<TRect> &Rects, TRectFill)
{
    if (!HasBrush() || Rects.empty())
        return;
    // One area: the rectangles all run the same way round, so winding fills their union.
    QPainterPath p;
    p.setFillRule(Qt::WindingFill);
    for (const TRect &R : Rects)
        p.addRect(DevBox(R));
    FillWithBrush(p);
}

void TKXVectorCanvas::GradientFill(const TRect &R, TColor From, TColor To, TKXGradient Kind)
{
    const QRectF box = DevBox(R);
    if (box.isEmpty())
        return;
    for (int i = 0; i < GradientSteps; ++i) {
        const double t0 = double(i) / GradientSteps, t1 = double(i + 1) / GradientSteps;
        const TColor c = Mix(From, To, (i + 0.5) / GradientSteps);
        QPainterPath band;
        switch (Kind) {
        case TKXGradient::grTopToBottom:
            band.addRect(QRectF(QPointF(box.left(), box.top() + t0 * box.height()),
                                QPointF(box.right(), box.top() + t1 * box.height())));
            break;
        case TKXGradient::grLeftToRight:
            band.addRect(QRectF(QPointF(box.left() + t0 * box.width(), box.top()),
                                QPointF(box.left() + t1 * box.width(), box.bottom())));
            break;
        case TKXGradient::grOutsideToCentre: {
            // Rings from the outside in; the last is the central ellipse.
            const double k0 = 1 - t0, k1 = 1 - t1;
            const QPointF c0 = box.center();
            band.addEllipse(c0, box.width() / 2 * k0, box.height() / 2 * k0);
            if (k1 > 0)
                band.addEllipse(c0, box.width() / 2 * k1, box.height() / 2 * k1);
            break;
        }
        }
        FillArea(band, c);
    }
}

// ---------------------------------------------------------------------------------------
// Paths

QPainterPath TKXVectorCanvas::DevPath(const TKXPath &Path) const
{
    QPainterPath p;
    const auto &e = Path.Elements();
    for (size_t i = 0; i < e.size(); ++i) {
        switch (e[i].Kind) {
        case TKXPath::TElementKind::ekMoveTo: p.moveTo(Dev(e[i].P)); break;
        case TKXPath::TElementKind::ekLineTo: p.lineTo(Dev(e[i].P)); break;
        case TKXPath::TElementKind::ekBezierTo:
            if (i + 2 < e.size()) {
                p.cubicTo(Dev(e[i].P), Dev(e[i + 1].P), Dev(e[i + 2].P));
                i += 2;
            }
            break;
        case TKXPath::TElementKind::ekClose: p.closeSubpath(); break;
        }
    }
    p.setFillRule(FState.FillMode == TKXFillMode::fmAlternate ? Qt::OddEvenFill : Qt::WindingFill);
    return p;
}

void TKXVectorCanvas::PaintPath(const QPainterPath &Path, bool Stroke, bool Fill)
{
    if (Fill)
        FillWithBrush(Path); // filling closes every figure
    if (Stroke)
        StrokeLine(Path);
}

void TKXVectorCanvas::FillPath(const TKXPath &Path) { PaintPath(DevPath(Path), false, true); }
void TKXVectorCanvas::StrokePath(const TKXPath &Path) { PaintPath(DevPath(Path), true, false); }
void TKXVectorCanvas::StrokeAndFillPath(const TKXPath &Path) { PaintPath(DevPath(Path), true, true); }

// ---------------------------------------------------------------------------------------
// Text

TKXVectorCanvas::TTextGeometry TKXVectorCanvas::TextGeometry(const QString &Text) const
{
    TTextGeometry g;
    g.Font = ReferenceFont(FState.Font);
    const QFontMetricsF plain(g.Font);
    g.Ascent = plain.ascent();
    g.Cell = plain.ascent() + plain.descent();
    const double sx = std::abs(FState.Mapping.ScaleX);
    const double sy = std::abs(FState.Mapping.ScaleY);
    const int32_t h = FState.Font.Height;
    if (h > 0)
        g.KY = h * sy / g.Cell;
    else
        g.KY = (h < 0 ? -h : DefaultCharHeight) * sy / TKXQtCanvas::RefPixelSize;
    g.KX = sy > 0 ? g.KY * sx / sy : g.KY;
    if (g.KX > 0) {
        if (FState.CharExtra != 0)
            g.Font.setLetterSpacing(QFont::AbsoluteSpacing, FState.CharExtra * sx / g.KX);
        if (FState.BreakCount > 0 && FState.BreakExtra != 0)
            g.Font.setWordSpacing(double(FState.BreakExtra) / FState.BreakCount * sx / g.KX);
    }
    g.Advance = QFontMetricsF(g.Font).horizontalAdvance(Text);
    return g;
}

void TKXVectorCanvas::TextOut(int32_t X, int32_t Y, const QString &Text)
{
    if (Text.isEmpty())
        return;
    const TTextGeometry g = TextGeometry(Text);
    if (g.KX <= 0 || g.KY <= 0)
        return;
    QTransform t;
    const QPointF o = Dev({X, Y});
    t.translate(o.x(), o.y());
    t.rotate(-FState.Font.Escapement / 10.0);
    t.scale(g.KX, g.KY);
    const QPainterPath cell = PolygonPath(t.map(QPolygonF(QRectF(0, 0, g.Advance, g.Cell))));
    if (FState.BkMode == TKXBkMode::bkOpaque)
        FillArea(cell, FState.BkColor);
    if (FClip && !FClip->intersects(cell.boundingRect()))
        return;
    if (ClipHolds(cell)) {
        TKXTextRun run;
        run.Origin = t.map(QPointF(0, g.Ascent));
        run.Text = Text;
        run.Font = FState.Font;
        run.EmHeight = TKXQtCanvas::RefPixelSize * g.KY;
        run.WidthScale = g.KX / g.KY;
        const QFontMetricsF fm(g.Font);
        double before = 0;
        for (qsizetype i = 1; i <= Text.size(); ++i) {
            const double upTo = fm.horizontalAdvance(Text.left(i));
            run.Advances.push_back((upTo - before) * g.KX);
            before = upTo;
        }
        if (FSink->Text(run))
            return;
    }
    // The glyphs' outlines, cut by the clip (or for a format that cannot carry the text).
    QPainterPath glyphs;
    glyphs.addText(QPointF(0, g.Ascent), g.Font, Text);
    glyphs = t.map(glyphs);
    glyphs.setFillRule(Qt::WindingFill);
    FillArea(glyphs, FState.Font.Color);
}

TSize TKXVectorCanvas::TextExtent(const QString &Text) const
{
    const TTextGeometry g = TextGeometry(Text);
    const double sx = std::abs(FState.Mapping.ScaleX);
    const double sy = std::abs(FState.Mapping.ScaleY);
    if (sx <= 0 || sy <= 0)
        return {};
    return {static_cast<int32_t>(std::nearbyint(g.Advance * g.KX / sx)),
            static_cast<int32_t>(std::nearbyint(g.Cell * g.KY / sy))};
}

// ---------------------------------------------------------------------------------------
// Pictures

void TKXVectorCanvas::DrawImage(const TRect &Dest, const QImage &Image)
{
    const QRectF box = DevBox(Dest);
    if (Image.isNull() || box.isEmpty())
        return;
    QPainterPath area;
    area.addRect(box);
    if (ClipHolds(area)) {
        FSink->Image(box, Opaque(Image));
        return;
    }
    // Cropped to the clip's bounds within the box, on whole source pixels.
    const QRectF seen = FClip->intersected(area).boundingRect() & box;
    if (seen.isEmpty())
        return;
    const double kx = Image.width() / box.width(), ky = Image.height() / box.height();
    const int left = std::clamp(int(std::floor((seen.left() - box.left()) * kx)), 0, Image.width() - 1);
    const int top = std::clamp(int(std::floor((seen.top() - box.top()) * ky)), 0, Image.height() - 1);
    const int right = std::clamp(int(std::ceil((seen.right() - box.left()) * kx)), left + 1, Image.width());
    const int bottom = std::clamp(int(std::ceil((seen.bottom() - box.top()) * ky)), top + 1, Image.height());
    const QRectF dest(QPointF(box.left() + left / kx, box.top() + top / ky),
                      QPointF(box.left() + right / kx, box.top() + bottom / ky));
    FSink->Image(dest, Opaque(Image.copy(left, top, right - left, bottom - top)));
}

void TKXVectorCanvas::DrawMetafile(const TRect &Dest, const TKXMetafile &Metafile)
{
    const QRectF box = DevBox(Dest);
    if (Metafile.Empty() || box.isEmpty())
        return;
    // A recording of canvas calls comes in as a picture of one pixel a device unit.
    const QSize size(std::max(1, int(std::lround(box.width()))), std::max(1, int(std::lround(box.height()))));
    DrawImage(Dest, Metafile.ToImage(size, Qt::white));
}

void TKXVectorCanvas::DrawSvg(const TRect &Dest, QSvgRenderer &Svg, int32_t Angle)
{
    const QRectF box = DevBox(Dest);
    if (!Svg.isValid() || box.isEmpty())
        return;
    const QSize size(std::max(1, int(std::lround(box.width()))), std::max(1, int(std::lround(box.height()))));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        const bool quarter = Angle == 90 || Angle == 270;
        const double w = quarter ? size.height() : size.width();
        const double h = quarter ? size.width() : size.height();
        p.translate(size.width() / 2.0, size.height() / 2.0);
        p.rotate(-Angle);
        Svg.render(&p, QRectF(-w / 2, -h / 2, w, h));
    }
    DrawImage(Dest, image);
}

} // namespace kx
