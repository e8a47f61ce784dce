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

    void StrokePolyline(const QPolygonF &Points, bool Closed, const TStroke &Pen) override
    {
        std::vector<TKXEmfRecorder::TPt> points;
        for (const QPointF &q : Points)
            points.push_back(Pt(q));
        TKXEmfRecorder::TPenSpec pen;
        pen.Colour = Pen.Color;
        pen.Width = std::max(1, Whole(Pen.Width * FK));
        pen.Style = int(Pen.Style);
        pen.Cap = int(Pen.Cap);
        pen.Join = int(Pen.Join);
        FRecorder.StrokePolyline(points, Closed, pen);
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
