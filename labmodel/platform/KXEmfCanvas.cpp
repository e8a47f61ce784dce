#include "platform/KXEmfCanvas.h"

#include "core/KXError.h"
#include "platform/KXEmfRecorder.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace kx {

namespace {

int32_t Whole(double V) { return int32_t(std::lround(V)); }

class TEmfSink final : public TKXVectorSink {
public:
    TEmfSink(int32_t Width, int32_t Height, double ToFile)
        : FRecorder(Width, Height, std::string("ZANTOR WIN\0page", 15)), FK(ToFile)
    {
    }

    void FillPolygons(const std::vector<QPolygonF> &Polygons, TColor Color, bool Winding) override
    {
        std::vector<TKXEmfRecorder::TPt> points;
        std::vector<int32_t> counts;
        for (const QPolygonF &p : Polygons) {
            for (const QPointF &q : p)
                points.push_back(Pt(q));
            counts.push_back(int32_t(p.size()));
        }
        FRecorder.FillPolygons(points, counts, Color, Winding);
    }

    // Paths keep their curves: an ellipse is four Bézier curves, not a polygon.
    void FillPath(const QPainterPath &Path, TColor Color) override
    {
        FRecorder.FillPath(Steps(Path), Color, Path.fillRule() == Qt::WindingFill);
    }
    // Closed figures keep their curves; open ones go as polylines, flattened: readers close
    // every stroked path figure (libemf2svg ends each with "Z").
    void StrokePath(const QPainterPath &Path, const TStroke &Pen) override
    {
        QPainterPath figure;
        auto flush = [&] {
            if (figure.isEmpty())
                return;
            const QPointF first = figure.elementAt(0), last = figure.elementAt(figure.elementCount() - 1);
            if (figure.elementCount() > 2 && first == last)
                FRecorder.StrokePath(Steps(figure), PenSpec(Pen));
            else
                TKXVectorSink::StrokePath(figure, Pen);
            figure = QPainterPath();
        };
        for (int i = 0; i < Path.elementCount(); ++i) {
            const QPainterPath::Element e = Path.elementAt(i);
            switch (e.type) {
            case QPainterPath::MoveToElement:
                flush();
                figure.moveTo(e);
                break;
            case QPainterPath::LineToElement: figure.lineTo(e); break;
            case QPainterPath::CurveToElement:
                if (i + 2 < Path.elementCount()) {
                    figure.cubicTo(e, Path.elementAt(i + 1), Path.elementAt(i + 2));
                    i += 2;
                }
                break;
            case QPainterPath::CurveToDataElement: break;
            }
        }
        flush();
    }

    void StrokePolyline(const QPolygonF &Points, bool Closed, const TStroke &Pen) override
    {
        std::vector<TKXEmfRecorder::TPt> points;
        for (const QPointF &q : Points)
            points.push_back(Pt(q));
        FRecorder.StrokePolyline(points, Closed, PenSpec(Pen));
    }

    bool Text(const TKXTextRun &Run) override
    {
        TKXEmfRecorder::TFontSpec font;
        font.Name = Run.Font.Name.toStdU16String();
        font.EmHeight = std::max(1, Whole(Run.EmHeight * FK));
        font.Escapement = Run.Font.Escapement;
        font.Bold = Run.Font.Bold;
        font.Italic = Run.Font.Italic;
        font.Underline = Run.Font.Underline;
        font.StrikeOut = Run.Font.StrikeOut;
        font.Colour = Run.Font.Color;
        // Advances from rounded pen positions, so the rounding never adds up along a text.
        std::vector<int32_t> dx;
        double at = 0;
        int32_t placed = 0;
        for (double a : Run.Advances) {
            at += a * FK;
            dx.push_back(Whole(at) - placed);
            placed = Whole(at);
        }
        const TKXEmfRecorder::TPt o = Pt(Run.Origin);
        FRecorder.Text(o.x, o.y, Run.Text.toStdU16String(), dx, font);
        return true;
    }

    void Image(const QRectF &Dest, const QImage &Picture) override
    {
        const TKXEmfRecorder::TPt a = Pt(Dest.topLeft()), b = Pt(Dest.bottomRight());
        FRecorder.Image(a.x, a.y, b.x - a.x, b.y - a.y, Picture.width(), Picture.height(), DibBits24(Picture));
    }

    QByteArray Finish()
    {
        const std::string bytes = FRecorder.Finish();
        return QByteArray(bytes.data(), qsizetype(bytes.size()));
    }

private:
    TKXEmfRecorder::TPenSpec PenSpec(const TStroke &Pen) const
    {
        TKXEmfRecorder::TPenSpec pen;
        pen.Colour = Pen.Color;
        pen.Width = std::max(1, Whole(Pen.Width * FK));
        pen.Style = int(Pen.Style);
        pen.Cap = int(Pen.Cap);
        pen.Join = int(Pen.Join);
        return pen;
    }
    std::vector<TKXEmfRecorder::TPathStep> Steps(const QPainterPath &Path) const
    {
        using TStep = TKXEmfRecorder::TPathStep;
        std::vector<TStep> steps;
        steps.reserve(size_t(Path.elementCount()));
        QPointF start;
        for (int i = 0; i < Path.elementCount(); ++i) {
            const QPainterPath::Element e = Path.elementAt(i);
            switch (e.type) {
            case QPainterPath::MoveToElement:
                // Qt closes a figure by a line back to its start: GDI wants CloseFigure.
                if (!steps.empty() && steps.back().Kind != TStep::Close && i > 0 &&
                    QPointF(Path.elementAt(i - 1)) == start && steps.back().Kind != TStep::Move)
                    steps.push_back({TStep::Close, {}});
                start = e;
                steps.push_back({TStep::Move, {Pt(e)}});
                break;
            case QPainterPath::LineToElement: steps.push_back({TStep::Line, {Pt(e)}}); break;
            case QPainterPath::CurveToElement:
                if (i + 2 < Path.elementCount()) {
                    steps.push_back({TStep::Bezier, {Pt(e), Pt(Path.elementAt(i + 1)), Pt(Path.elementAt(i + 2))}});
                    i += 2;
                }
                break;
            case QPainterPath::CurveToDataElement: break;
            }
        }
        if (!steps.empty() && steps.back().Kind != TStep::Move && Path.elementCount() > 0 &&
            QPointF(Path.elementAt(Path.elementCount() - 1)) == start)
            steps.push_back({TStep::Close, {}});
        return steps;
    }

    TKXEmfRecorder::TPt Pt(const QPointF &P) const { return {Whole(P.x() * FK), Whole(P.y() * FK)}; }

    TKXEmfRecorder FRecorder;
    double FK; // device units to hundredths of a millimetre
};

std::unique_ptr<TKXVectorSink> MakeSink(int32_t Width, int32_t Height, int32_t DeviceWidth, int32_t DeviceHeight)
{
    if (Width <= 0 || Height <= 0 || DeviceWidth <= 0 || DeviceHeight <= 0)
        throw EKxError("EMPTY METAFILE");
    return std::make_unique<TEmfSink>(Width, Height, double(Width) / DeviceWidth);
}

} // namespace

TKXEmfCanvas::TKXEmfCanvas(int32_t Width, int32_t Height, int32_t DeviceWidth, int32_t DeviceHeight)
    : TKXVectorCanvas(MakeSink(Width, Height, DeviceWidth, DeviceHeight),
                      TKXMapping::FromExtents(Width, Height, DeviceWidth, DeviceHeight))
{
    SetBounds(QRectF(0, 0, DeviceWidth, DeviceHeight));
}

TKXEmfCanvas::~TKXEmfCanvas() = default;

QByteArray TKXEmfCanvas::Finish() { return static_cast<TEmfSink &>(Sink()).Finish(); }

} // namespace kx
