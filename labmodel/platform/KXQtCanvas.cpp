#include "platform/KXQtCanvas.h"

#include "core/KXError.h"
#include "platform/KXMetafile.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QRawFont>
#include <QImage>
#include <QLinearGradient>
#include <QPaintDevice>
#include <QPainter>
#include <QPaintEngine>
#include <QPainterPath>
#include <QSvgRenderer>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <unordered_map>

namespace kx {

namespace {

QColor ToQColor(TColor C) { return QColor(RedOf(C), GreenOf(C), BlueOf(C)); }

// A font height of 0 asks for the default: a character height of 1/8 inch.
constexpr int32_t DefaultCharHeight = 318;

QFont ReferenceFont(const TKXFont &F)
{
    // A font without a name (a damaged file, an emptied property) takes the default family:
    // Qt cannot record a font with no family into a picture.
    QFont font(F.Name);
    if (F.Name.trimmed().isEmpty())
        font.setFamily(font.defaultFamily());
    font.setPixelSize(static_cast<int>(TKXQtCanvas::RefPixelSize));
    font.setBold(F.Bold);
    font.setItalic(F.Italic);
    font.setUnderline(F.Underline);
    font.setStrikeOut(F.StrikeOut);
    // Advances must scale linearly from the reference size to any size on any device.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    return font;
}

} // namespace

namespace {

// A reference font with its vertical metrics and the advances of the characters measured
// with it so far. Measuring a text of characters that need no shaping (no ligature, mark or
// joining behaviour, and no fallback font) adds up these advances: the same figure Qt's
// shaper gives, without shaping the text or loading its glyphs again.
struct TRefFont {
    QFont Font;
    QRawFont Raw;
    double Ascent = 0;
    double Cell = 0;
    struct TGlyph {
        quint32 Index = 0; // 0: the font lacks the character
        double Advance = 0;
    };
    QHash<char16_t, TGlyph> Glyphs;
    // The raw font has the weight and slant asked for (none is made up by slanting or
    // emboldening), so that its glyphs can be drawn as they are.
    bool DrawsGlyphs = false;

    // The advance of Text in reference pixels, or false when it needs the shaper. Indexes
    // and Positions, when given, receive the glyphs and their pen positions.
    bool SimpleAdvance(const QString &Text, double &Advance, QList<quint32> *Indexes = nullptr,
                       QList<QPointF> *Positions = nullptr)
    {
        if (Indexes) {
            Indexes->clear();
            Positions->clear();
        }
        double a = 0;
        char16_t previous = 0;
        for (const QChar ch : Text) {
            const char16_t c = ch.unicode();
            if (!SimpleChar(c))
                return false;
            // Standard ligatures ("fi", "ffl" ...) that many fonts form by default.
            if (previous == u'f' && (c == u'f' || c == u'i' || c == u'l' || c == u'j' || c == u't' || c == u'b' ||
                                     c == u'h' || c == u'k'))
                return false;
            previous = c;
            auto it = Glyphs.constFind(c);
            if (it == Glyphs.constEnd())
                it = Glyphs.insert(c, Measure(ch));
            if (it->Index == 0)
                return false;
            if (Indexes) {
                Indexes->append(it->Index);
                Positions->append(QPointF(a, 0));
            }
            a += it->Advance;
        }
        Advance = a;
        return true;
    }

private:
    // Scripts that shape one character to one glyph in every common font.
    static bool SimpleChar(char16_t c)
    {
        return (c >= 0x20 && c <= 0x7E) || (c >= 0xA0 && c <= 0x2FF && c != 0xAD) || (c >= 0x370 && c <= 0x3FF) ||
               (c >= 0x400 && c <= 0x52F) || (c >= 0x2010 && c <= 0x2027) || (c >= 0x2030 && c <= 0x205E) ||
               (c >= 0x20A0 && c <= 0x20CF) || (c >= 0x2100 && c <= 0x214F);
    }
    TGlyph Measure(QChar ch) const
    {
        TGlyph g;
        quint32 index = 0;
        int count = 1;
        if (!Raw.isValid() || !Raw.glyphIndexesForChars(&ch, 1, &index, &count) || count != 1 || index == 0)
            return g;
        QPointF advance;
        if (!Raw.advancesForGlyphIndexes(&index, &advance, 1, QRawFont::UseDesignMetrics))
            return g;
        g.Index = index;
        g.Advance = advance.x();
        return g;
    }
};

// Reference fonts are shared by every canvas of the process (the model draws on one
// thread): a print run sets the same few fonts again on every label and page.
std::shared_ptr<TRefFont> SharedRefFont(const TKXFont &Key)
{
    static std::unordered_map<std::string, std::shared_ptr<TRefFont>> fonts;
    const std::string id = Key.Name.toStdString() + '|' + char('0' + Key.Bold) + char('0' + Key.Italic) +
                           char('0' + Key.Underline) + char('0' + Key.StrikeOut);
    if (auto it = fonts.find(id); it != fonts.end())
        return it->second;
    if (fonts.size() >= 64)
        fonts.clear(); // canvases keep theirs alive
    auto f = std::make_shared<TRefFont>();
    f->Font = ReferenceFont(Key);
    const QFontMetricsF fm(f->Font);
    f->Ascent = fm.ascent();
    f->Cell = fm.ascent() + fm.descent();
    f->Raw = QRawFont::fromFont(f->Font);
    f->DrawsGlyphs = f->Raw.isValid() && !Key.Underline && !Key.StrikeOut &&
                     (f->Raw.weight() >= QFont::DemiBold) == Key.Bold &&
                     (f->Raw.style() != QFont::StyleNormal) == Key.Italic;
    fonts.emplace(id, f);
    return f;
}

} // namespace

struct TKXQtCanvas::TFontCache {
    TKXFont Key; // height, escapement and colour do not count
    std::shared_ptr<TRefFont> Ref;
    // The last text measured through the shaper and its advance, with the spacing it had:
    // the drawing that follows a measure reuses it.
    QString LastText;
    int32_t LastExtra = 0;
    int32_t LastBreakExtra = 0;
    int32_t LastBreakCount = 0;
    double LastKX = 0;
    double LastAdvance = -1;
};

// The device-space layout of one text: its font and the scale from reference pixels to
// device units, per axis.
struct TKXQtCanvas::TTextGeometry {
    std::shared_ptr<TRefFont> Ref;
    bool Simple = false; // the advance is the sum of the characters' own
    QFont Font;
    double Ascent = 0;   // reference pixels
    double Cell = 0;     // ascent + descent, reference pixels
    double Advance = 0;  // reference pixels, with spacing
    double KX = 1;
    double KY = 1;
};

void ArcAngles(const QRectF &Box, const QPointF &Start, const QPointF &End, double &StartAngle,
               double &Sweep)
{
    const QPointF c = Box.center();
    const double rx = std::max(Box.width() / 2, 1e-9);
    const double ry = std::max(Box.height() / 2, 1e-9);
    // Parametric angle of the point where the radial line meets the ellipse; y grows down.
    auto angle = [&](const QPointF &p) {
        return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180.0 / std::numbers::pi;
    };
    const double a0 = angle(Start);
    const double a1 = angle(End);
    StartAngle = a0;
    Sweep = a1 - a0;
    while (Sweep <= 1e-9)
        Sweep += 360.0; // same radial line: the whole ellipse, as GDI draws it
    while (Sweep > 360.0)
        Sweep -= 360.0;
}

// ---------------------------------------------------------------------------------------
// Lifecycle

TKXQtCanvas::TKXQtCanvas(QPaintDevice *Device)
{
    if (!Device)
        throw EKxError("NO DEVICE TO DRAW ON");
    FOwnedPainter = std::make_unique<QPainter>();
    if (!FOwnedPainter->begin(Device))
        throw EKxError("CANNOT DRAW ON DEVICE");
    FPainter = FOwnedPainter.get();
    FState.Mapping = TKXMapping::ForResolution(Device->logicalDpiX(), Device->logicalDpiY());
}

TKXQtCanvas::TKXQtCanvas(QPainter &Painter, const TKXMapping &Mapping, const QTransform &DeviceToPainter)
    : FPainter(&Painter), FDevToPainter(DeviceToPainter)
{
    FState.Mapping = Mapping;
}

TKXQtCanvas::TKXQtCanvas(std::unique_ptr<QPainter> Painter, const TKXMapping &Mapping,
                         const QTransform &DeviceToPainter)
    : FOwnedPainter(std::move(Painter)), FPainter(FOwnedPainter.get()), FDevToPainter(DeviceToPainter)
{
    if (!FPainter || !FPainter->isActive())
        throw EKxError("CANNOT DRAW ON DEVICE");
    FState.Mapping = Mapping;
}

TKXQtCanvas::~TKXQtCanvas()
{
    // A painter that was ended already (a finished print job) has nothing to restore.
    while (FPainterSaves > 0 && FPainter->isActive()) {
        FPainter->restore();
        --FPainterSaves;
    }
    if (FOwnedPainter && FOwnedPainter->isActive())
        FOwnedPainter->end();
}

void TKXQtCanvas::SaveState()
{
    TKXCanvas::SaveState();
    FPainter->save();
    ++FPainterSaves;
}

void TKXQtCanvas::RestoreState()
{
    if (FPainterSaves == 0)
        return;
    TKXCanvas::RestoreState();
    FPainter->restore();
    --FPainterSaves;
}

// ---------------------------------------------------------------------------------------
// Device space

QPointF TKXQtCanvas::Dev(TPoint P) const
{
    const TKXMapping &m = FState.Mapping;
    return {P.x * m.ScaleX + m.OffsetX, P.y * m.ScaleY + m.OffsetY};
}

// The area Left <= x < Right, Top <= y < Bottom in device units, whichever way the corners
// are given.
QRectF TKXQtCanvas::DevBox(const TRect &R) const
{
    return QRectF(Dev({R.Left, R.Top}), Dev({R.Right, R.Bottom})).normalized();
}

// A pen's width scales with the x axis, as a GDI geometric pen's; never thinner than one
// device unit. Width 0 is the one-pixel pen.
double TKXQtCanvas::DevPenWidth() const
{
    if (FState.Pen.Width <= 0)
        return 1.0;
    return std::max(1.0, FState.Pen.Width * std::abs(FState.Mapping.ScaleX));
}

bool TKXQtCanvas::HasPen() const { return FState.Pen.Style != TKXPenStyle::psClear; }
bool TKXQtCanvas::HasBrush() const { return FState.Brush.Style != TKXBrushStyle::bsClear; }

QPen TKXQtCanvas::MakePen() const
{
    const TKXPen &p = FState.Pen;
    if (p.Style == TKXPenStyle::psClear)
        return QPen(Qt::NoPen);
    QPen pen(ToQColor(p.Color));
    // Width 0 is cosmetic: one pixel of whatever device finally shows it, also when a
    // metafile is replayed at another resolution.
    pen.setWidthF(p.Width <= 0 ? 0.0 : DevPenWidth());
    pen.setCosmetic(p.Width <= 0);
    switch (p.Style) {
    case TKXPenStyle::psDash: pen.setStyle(Qt::DashLine); break;
    case TKXPenStyle::psDot: pen.setStyle(Qt::DotLine); break;
    case TKXPenStyle::psDashDot: pen.setStyle(Qt::DashDotLine); break;
    case TKXPenStyle::psDashDotDot: pen.setStyle(Qt::DashDotDotLine); break;
    default: pen.setStyle(Qt::SolidLine); break;
    }
    switch (p.Cap) {
    case TKXPenCap::pcRound: pen.setCapStyle(Qt::RoundCap); break;
    case TKXPenCap::pcSquare: pen.setCapStyle(Qt::SquareCap); break;
    case TKXPenCap::pcFlat: pen.setCapStyle(Qt::FlatCap); break;
    }
    switch (p.Join) {
    case TKXPenJoin::pjRound: pen.setJoinStyle(Qt::RoundJoin); break;
    case TKXPenJoin::pjBevel: pen.setJoinStyle(Qt::BevelJoin); break;
    case TKXPenJoin::pjMiter: pen.setJoinStyle(Qt::MiterJoin); break;
    }
    return pen;
}

static QBrush MakeBrush(const TKXBrush &b)
{
    const QColor c = ToQColor(b.Color);
    switch (b.Style) {
    case TKXBrushStyle::bsClear: return QBrush(Qt::NoBrush);
    case TKXBrushStyle::bsHorizontal: return QBrush(c, Qt::HorPattern);
    case TKXBrushStyle::bsVertical: return QBrush(c, Qt::VerPattern);
    case TKXBrushStyle::bsFDiagonal: return QBrush(c, Qt::FDiagPattern);
    case TKXBrushStyle::bsBDiagonal: return QBrush(c, Qt::BDiagPattern);
    case TKXBrushStyle::bsCross: return QBrush(c, Qt::CrossPattern);
    case TKXBrushStyle::bsDiagCross: return QBrush(c, Qt::DiagCrossPattern);
    case TKXBrushStyle::bsSolid: break;
    }
    return QBrush(c);
}

void TKXQtCanvas::PrepareShapes()
{
    FPainter->setWorldTransform(FDevToPainter);
    FPainter->setRenderHint(QPainter::Antialiasing, FAntialias);
    FPainter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    FPainter->setBackgroundMode(FState.BkMode == TKXBkMode::bkOpaque ? Qt::OpaqueMode : Qt::TransparentMode);
    FPainter->setBackground(ToQColor(FState.BkColor));
}

// ---------------------------------------------------------------------------------------
// Clipping

void TKXQtCanvas::SetClip(const QPainterPath &DevicePath)
{
    FPainter->setWorldTransform(FDevToPainter);
    FPainter->setClipPath(DevicePath, FPainter->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

void TKXQtCanvas::IntersectClipRect(const TRect &R)
{
    QPainterPath p;
    p.addRect(DevBox(R));
    SetClip(p);
}

void TKXQtCanvas::IntersectClipEllipse(const TRect &R)
{
    QPainterPath p;
    p.addEllipse(DevBox(R));
    SetClip(p);
}

void TKXQtCanvas::SelectClipEllipses(const std::vector<TRect> &Boxes)
{
    QPainterPath p;
    p.setFillRule(Qt::WindingFill); // overlapping circles stay inside the union
    for (const TRect &R : Boxes)
        p.addEllipse(DevBox(R));
    FPainter->setWorldTransform(FDevToPainter);
    FPainter->setClipPath(p, Qt::ReplaceClip);
}

void TKXQtCanvas::ResetClip() { FPainter->setClipping(false); }

// ---------------------------------------------------------------------------------------
// Lines and curves

void TKXQtCanvas::LineTo(int32_t X, int32_t Y)
{
    const TPoint from = FState.PenPos;
    FState.PenPos = {X, Y};
    if (!HasPen())
        return;
    PrepareShapes();
    FPainter->setPen(MakePen());
    FPainter->drawLine(Dev(from), Dev({X, Y}));
}

void TKXQtCanvas::Polyline(const std::vector<TPoint> &Points)
{
    if (Points.size() < 2 || !HasPen())
        return;
    QPainterPath p;
    p.moveTo(Dev(Points[0]));
    for (size_t i = 1; i < Points.size(); ++i)
        p.lineTo(Dev(Points[i]));
    PaintPath(p, true, false);
}

void TKXQtCanvas::PolyBezier(const std::vector<TPoint> &Points)
{
    if (Points.size() < 4 || !HasPen())
        return;
    TKXPath path;
    path.PolyBezier(Points);
    PaintPath(DevPath(path), true, false);
}

void TKXQtCanvas::Arc(const TRect &Box, TPoint Start, TPoint End)
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
    PaintPath(p, true, false);
}

// ---------------------------------------------------------------------------------------
// Closed figures

QPainterPath TKXQtCanvas::FigurePath(TFigure Kind, const QRectF &Box, double CornerW, double CornerH,
                                     double StartAngle, double Sweep) const
{
    QPainterPath p;
    switch (Kind) {
    case TFigure::fRect: p.addRect(Box); break;
    case TFigure::fRoundRect:
        p.addRoundedRect(Box, std::clamp(CornerW / 2, 0.0, Box.width() / 2),
                         std::clamp(CornerH / 2, 0.0, Box.height() / 2), Qt::AbsoluteSize);
        break;
    case TFigure::fEllipse: p.addEllipse(Box); break;
    case TFigure::fPie:
        p.moveTo(Box.center());
        p.arcTo(Box, StartAngle, Sweep);
        p.closeSubpath();
        break;
    case TFigure::fChord:
        p.arcMoveTo(Box, StartAngle);
        p.arcTo(Box, StartAngle, Sweep);
        p.closeSubpath();
        break;
    }
    return p;
}

// The figure fills its whole box (right and bottom edges excluded). Its outline is stroked
// along the box shrunk by half the pen width for an inside-frame pen, or by half a device
// pixel otherwise, so that a one-pixel outline covers the box's first and last pixel rows
// and columns, as on GDI. A figure too small for its inside-frame pen is filled with the pen.
void TKXQtCanvas::DrawFigure(TFigure Kind, const TRect &R, double CornerW, double CornerH,
                             TPoint Start, TPoint End)
{
    const QRectF box = DevBox(R);
    if (box.isEmpty())
        return;
    const double cw = CornerW * std::abs(FState.Mapping.ScaleX);
    const double ch = CornerH * std::abs(FState.Mapping.ScaleY);
    double a0 = 0, sweep = 360;
    if (Kind == TFigure::fPie || Kind == TFigure::fChord)
        ArcAngles(box, Dev(Start), Dev(End), a0, sweep);

    PrepareShapes();
    if (HasBrush()) {
        FPainter->setPen(Qt::NoPen);
        FPainter->setBrush(MakeBrush(FState.Brush));
        FPainter->drawPath(FigurePath(Kind, box, cw, ch, a0, sweep));
    }
    if (!HasPen())
        return;
    const double pw = DevPenWidth();
    const double inset = FState.Pen.InsideFrame ? pw / 2 : 0.5;
    const QRectF line = box.adjusted(inset, inset, -inset, -inset);
    if (line.width() <= 0 || line.height() <= 0) {
        FPainter->setPen(Qt::NoPen);
        FPainter->setBrush(ToQColor(FState.Pen.Color));
        FPainter->drawPath(FigurePath(Kind, box, cw, ch, a0, sweep));
        return;
    }
    FPainter->setPen(MakePen());
    FPainter->setBrush(Qt::NoBrush);
    FPainter->drawPath(FigurePath(Kind, line, std::max(0.0, cw - 2 * inset),
                                  std::max(0.0, ch - 2 * inset), a0, sweep));
}

void TKXQtCanvas::Rectangle(const TRect &R) { DrawFigure(TFigure::fRect, R); }

void TKXQtCanvas::RoundRect(const TRect &R, int32_t CornerWidth, int32_t CornerHeight)
{
    DrawFigure(TFigure::fRoundRect, R, CornerWidth, CornerHeight);
}

void TKXQtCanvas::Ellipse(const TRect &Box) { DrawFigure(TFigure::fEllipse, Box); }

void TKXQtCanvas::Pie(const TRect &Box, TPoint Start, TPoint End)
{
    DrawFigure(TFigure::fPie, Box, 0, 0, Start, End);
}

void TKXQtCanvas::Polygon(const std::vector<TPoint> &Points)
{
    if (Points.size() < 2)
        return;
    TKXPath path;
    path.Polygon(Points);
    PaintPath(DevPath(path), true, true);
}

bool TKXQtCanvas::PdfTarget() const
{
    const QPaintEngine *engine = FPainter->paintEngine();
    return engine && engine->type() == QPaintEngine::Pdf;
}

// One solid area on a PDF page (PDF files and the print queue, which is fed PDF). The
// rectangles go to the engine in whole steps from the corner of them all: the transform
// carries the corner, the step on each axis (the greatest common divisor of the coordinates
// in label units, which is the module size of a symbol) and the mapping. The page then holds
// small whole numbers, far shorter to write and to compress than device fractions, for
// exactly the same area.
void TKXQtCanvas::FillArea(const std::vector<TRect> &Rects)
{
    int64_t ox = INT64_MAX, oy = INT64_MAX;
    for (const TRect &R : Rects) {
        ox = std::min({ox, int64_t(R.Left), int64_t(R.Right)});
        oy = std::min({oy, int64_t(R.Top), int64_t(R.Bottom)});
    }
    int64_t gx = 0, gy = 0;
    for (const TRect &R : Rects) {
        gx = std::gcd(gx, std::gcd(R.Left - ox, R.Right - ox));
        gy = std::gcd(gy, std::gcd(R.Top - oy, R.Bottom - oy));
    }
    gx = std::max<int64_t>(gx, 1);
    gy = std::max<int64_t>(gy, 1);
    thread_local std::vector<QRectF> boxes;
    boxes.clear();
    boxes.reserve(Rects.size());
    for (const TRect &R : Rects)
        boxes.push_back(QRectF(QPointF(double((R.Left - ox) / gx), double((R.Top - oy) / gy)),
                               QPointF(double((R.Right - ox) / gx), double((R.Bottom - oy) / gy)))
                            .normalized());
    const TKXMapping &m = FState.Mapping;
    const QTransform steps(double(gx), 0, 0, double(gy), double(ox), double(oy));
    FPainter->setWorldTransform(steps * QTransform(m.ScaleX, 0, 0, m.ScaleY, m.OffsetX, m.OffsetY) *
                                FDevToPainter);
    FPainter->drawRects(boxes.data(), int(boxes.size()));
}

void TKXQtCanvas::FillRect(const TRect &R)
{
    if (!HasBrush())
        return;
    PrepareShapes();
    FPainter->fillRect(DevBox(R), MakeBrush(FState.Brush));
}

void TKXQtCanvas::FillRects(const std::vector<TRect> &Rects, TRectFill Fill)
{
    if (!HasBrush() || Rects.empty())
        return;
    PrepareShapes();
    // Pen and brush are set here for the fill alone: every other drawing sets its own.
    FPainter->setPen(Qt::NoPen);
    FPainter->setBrush(MakeBrush(FState.Brush));
    const bool pdf = PdfTarget();
    // Hatched brushes keep device space: their pattern lies there.
    if (pdf && Fill == TRectFill::rfOneArea && FState.Brush.Style == TKXBrushStyle::bsSolid) {
        FillArea(Rects);
        return;
    }
    thread_local std::vector<QRectF> boxes;
    boxes.clear();
    boxes.reserve(Rects.size());
    for (const TRect &R : Rects)
        boxes.push_back(DevBox(R));
    if (pdf && Fill == TRectFill::rfEach) {
        for (const QRectF &box : boxes)
            FPainter->drawRects(&box, 1);
        return;
    }
    // Elsewhere one call is the same: pixels are filled once whatever the grouping.
    FPainter->drawRects(boxes.data(), int(boxes.size()));
}

void TKXQtCanvas::GradientFill(const TRect &R, TColor From, TColor To, TKXGradient Kind)
{
    const QRectF box = DevBox(R);
    if (box.isEmpty())
        return;
    PrepareShapes();
    FPainter->setPen(Qt::NoPen);
    switch (Kind) {
    case TKXGradient::grTopToBottom:
    case TKXGradient::grLeftToRight: {
        const bool down = Kind == TKXGradient::grTopToBottom;
        QLinearGradient g(box.topLeft(), down ? box.bottomLeft() : box.topRight());
        g.setColorAt(0, ToQColor(From));
        g.setColorAt(1, ToQColor(To));
        FPainter->fillRect(box, g);
        break;
    }
    case TKXGradient::grOutsideToCentre: {
        // A circular gradient stretched to the box: the concentric ellipses of the box.
        QRadialGradient g(QPointF(0.5, 0.5), 0.5);
        g.setCoordinateMode(QGradient::ObjectMode);
        g.setColorAt(0, ToQColor(To));
        g.setColorAt(1, ToQColor(From));
        FPainter->setBrush(g);
        FPainter->drawEllipse(box);
        break;
    }
    }
}

// ---------------------------------------------------------------------------------------
// Paths

QPainterPath TKXQtCanvas::DevPath(const TKXPath &Path) const
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

void TKXQtCanvas::PaintPath(const QPainterPath &Path, bool Stroke, bool Fill)
{
    Stroke = Stroke && HasPen();
    Fill = Fill && HasBrush();
    if (!Stroke && !Fill)
        return;
    PrepareShapes();
    FPainter->setPen(Stroke ? MakePen() : QPen(Qt::NoPen));
    FPainter->setBrush(Fill ? MakeBrush(FState.Brush) : QBrush(Qt::NoBrush));
    if (Fill && !Stroke) {
        // Filling closes every open figure.
        QPainterPath closed = Path;
        closed.closeSubpath();
        FPainter->drawPath(closed);
    } else {
        FPainter->drawPath(Path);
    }
}

void TKXQtCanvas::FillPath(const TKXPath &Path) { PaintPath(DevPath(Path), false, true); }
void TKXQtCanvas::StrokePath(const TKXPath &Path) { PaintPath(DevPath(Path), true, false); }
void TKXQtCanvas::StrokeAndFillPath(const TKXPath &Path) { PaintPath(DevPath(Path), true, true); }

// ---------------------------------------------------------------------------------------
// Text

TKXQtCanvas::TTextGeometry TKXQtCanvas::TextGeometry(const QString &Text) const
{
    TKXFont key = FState.Font;
    key.Height = 0;
    key.Escapement = 0;
    key.Color = clBlack;
    if (!FFontCache || !(FFontCache->Key == key)) {
        auto cache = std::make_unique<TFontCache>();
        cache->Key = key;
        cache->Ref = SharedRefFont(key);
        FFontCache = std::move(cache);
    }
    TFontCache &cache = *FFontCache;
    TTextGeometry g;
    g.Ref = cache.Ref;
    g.Font = cache.Ref->Font;
    g.Ascent = cache.Ref->Ascent;
    g.Cell = cache.Ref->Cell;
    const double sx = std::abs(FState.Mapping.ScaleX);
    const double sy = std::abs(FState.Mapping.ScaleY);
    // Positive height: the cell; negative: the character height, which is the em size.
    const int32_t h = FState.Font.Height;
    if (h > 0)
        g.KY = h * sy / g.Cell;
    else
        g.KY = (h < 0 ? -double(h) : DefaultCharHeight) * sy / RefPixelSize;
    g.KX = sy > 0 ? g.KY * sx / sy : g.KY;
    const bool spaced = FState.CharExtra != 0 || (FState.BreakCount > 0 && FState.BreakExtra != 0);
    if (g.KX > 0 && spaced) {
        // Spacing is given in logical units; the font wants reference pixels.
        if (FState.CharExtra != 0)
            g.Font.setLetterSpacing(QFont::AbsoluteSpacing, FState.CharExtra * sx / g.KX);
        if (FState.BreakCount > 0 && FState.BreakExtra != 0)
            g.Font.setWordSpacing(double(FState.BreakExtra) / FState.BreakCount * sx / g.KX);
    }
    if (!spaced && cache.Ref->SimpleAdvance(Text, g.Advance)) {
        g.Simple = true;
        return g;
    }
    if (cache.LastAdvance >= 0 && cache.LastExtra == FState.CharExtra && cache.LastBreakExtra == FState.BreakExtra &&
        cache.LastBreakCount == FState.BreakCount && cache.LastKX == g.KX && cache.LastText == Text) {
        g.Advance = cache.LastAdvance;
        return g;
    }
    g.Advance = QFontMetricsF(g.Font).horizontalAdvance(Text);
    cache.LastText = Text;
    cache.LastExtra = FState.CharExtra;
    cache.LastBreakExtra = FState.BreakExtra;
    cache.LastBreakCount = FState.BreakCount;
    cache.LastKX = g.KX;
    cache.LastAdvance = g.Advance;
    return g;
}

void TKXQtCanvas::TextOut(int32_t X, int32_t Y, const QString &Text)
{
    if (Text.isEmpty())
        return;
    const TTextGeometry g = TextGeometry(Text);
    if (g.KX <= 0 || g.KY <= 0)
        return;
    PrepareShapes();
    QTransform t;
    const QPointF o = Dev({X, Y});
    t.translate(o.x(), o.y());
    t.rotate(-FState.Font.Escapement / 10.0);
    t.scale(g.KX, g.KY);
    FPainter->setWorldTransform(t * FDevToPainter);
    FPainter->setRenderHint(QPainter::TextAntialiasing, true);
    FPainter->setRenderHint(QPainter::Antialiasing, true);
    if (FState.BkMode == TKXBkMode::bkOpaque)
        FPainter->fillRect(QRectF(0, 0, g.Advance, g.Cell), ToQColor(FState.BkColor));
    FPainter->setBackgroundMode(Qt::TransparentMode);
    FPainter->setPen(ToQColor(FState.Font.Color));
    // PDF pages get a text that needs no shaping as its glyphs, placed by the advances
    // measured already: the same glyphs at the same places as Qt's shaper gives, without
    // shaping again. (A picture records the glyphs without their characters, and screens
    // place glyphs by their own rules, so other targets draw the text.)
    if (g.Simple && g.Ref->DrawsGlyphs && PdfTarget()) {
        thread_local QList<quint32> indexes;
        thread_local QList<QPointF> positions;
        double advance = 0;
        if (g.Ref->SimpleAdvance(Text, advance, &indexes, &positions)) {
            QGlyphRun run;
            run.setRawFont(g.Ref->Raw);
            run.setGlyphIndexes(indexes);
            run.setPositions(positions);
            FPainter->drawGlyphRun(QPointF(0, g.Ascent), run);
            return;
        }
    }
    FPainter->setFont(g.Font);
    FPainter->drawText(QPointF(0, g.Ascent), Text);
}

TSize TKXQtCanvas::TextExtent(const QString &Text) const
{
    const TTextGeometry g = TextGeometry(Text);
    const double sx = std::abs(FState.Mapping.ScaleX);
    const double sy = std::abs(FState.Mapping.ScaleY);
    if (sx <= 0 || sy <= 0)
        return {};
    // A long text in a huge font measures beyond the 32-bit range: clamped, never wrapped.
    return {RoundToInt32(g.Advance * g.KX / sx), RoundToInt32(g.Cell * g.KY / sy)};
}

// ---------------------------------------------------------------------------------------
// Pictures

void TKXQtCanvas::DrawImage(const TRect &Dest, const QImage &Image)
{
    const QRectF box = DevBox(Dest);
    if (Image.isNull() || box.isEmpty())
        return;
    PrepareShapes();
    // Shrinking smooths; enlarging keeps the pixels square and sharp (bar and module images).
    FPainter->setRenderHint(QPainter::SmoothPixmapTransform,
                            box.width() < Image.width() || box.height() < Image.height());
    FPainter->drawImage(box, Image);
}

void TKXQtCanvas::DrawMetafile(const TRect &Dest, const TKXMetafile &Metafile)
{
    const QRectF box = DevBox(Dest);
    if (Metafile.Empty() || box.isEmpty())
        return;
    PrepareShapes();
    FPainter->save();
    Metafile.Play(*FPainter, box);
    FPainter->restore();
}

void TKXQtCanvas::DrawSvg(const TRect &Dest, QSvgRenderer &Svg, int32_t Angle)
{
    const QRectF box = DevBox(Dest);
    if (!Svg.isValid() || box.isEmpty())
        return;
    PrepareShapes();
    const bool quarter = Angle == 90 || Angle == 270;
    const double w = quarter ? box.height() : box.width();
    const double h = quarter ? box.width() : box.height();
    FPainter->save();
    FPainter->setRenderHint(QPainter::Antialiasing, true);
    FPainter->translate(box.center());
    FPainter->rotate(-Angle); // counter-clockwise on the y-down device
    Svg.render(FPainter, QRectF(-w / 2, -h / 2, w, h));
    FPainter->restore();
}

} // namespace kx
