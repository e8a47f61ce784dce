#include "platform/KXCanvas.h"

#include <cmath>

namespace kx {

namespace {

// Device and logical coordinates are whole numbers: nearest, halves to even (the default
// floating-point rounding mode).
int32_t RoundCoord(double v) { return static_cast<int32_t>(std::nearbyint(v)); }

} // namespace

// 2540 hundredths of a millimetre to the inch.
TKXMapping TKXMapping::ForResolution(double DpiX, double DpiY)
{
    return {DpiX / 2540.0, DpiY / 2540.0, 0, 0};
}

TKXMapping TKXMapping::FromExtents(double WindowX, double WindowY, double ViewportX, double ViewportY)
{
    TKXMapping m;
    if (WindowX != 0)
        m.ScaleX = ViewportX / WindowX;
    if (WindowY != 0)
        m.ScaleY = ViewportY / WindowY;
    return m;
}

// ---------------------------------------------------------------------------------------

void TKXPath::BezierTo(TPoint C1, TPoint C2, TPoint End)
{
    FElements.push_back({TElementKind::ekBezierTo, C1});
    FElements.push_back({TElementKind::ekBezierTo, C2});
    FElements.push_back({TElementKind::ekBezierTo, End});
}

void TKXPath::Polyline(const std::vector<TPoint> &Points)
{
    if (Points.empty())
        return;
    MoveTo(Points[0]);
    for (size_t i = 1; i < Points.size(); ++i)
        LineTo(Points[i]);
}

void TKXPath::PolyBezier(const std::vector<TPoint> &Points)
{
    if (Points.empty())
        return;
    MoveTo(Points[0]);
    for (size_t i = 1; i + 2 < Points.size(); i += 3)
        BezierTo(Points[i], Points[i + 1], Points[i + 2]);
}

void TKXPath::Polygon(const std::vector<TPoint> &Points)
{
    if (Points.empty())
        return;
    Polyline(Points);
    CloseFigure();
}

// ---------------------------------------------------------------------------------------

void TKXCanvas::SetTextJustification(int32_t BreakExtra, int32_t BreakCount)
{
    // A count of 0 cannot spread anything: justification off.
    if (BreakCount <= 0) {
        BreakExtra = 0;
        BreakCount = 0;
    }
    FState.BreakExtra = BreakExtra;
    FState.BreakCount = BreakCount;
}

void TKXCanvas::RestoreState()
{
    if (FSaved.empty())
        return;
    FState = FSaved.back();
    FSaved.pop_back();
}

TPoint TKXCanvas::LPtoDP(TPoint P) const
{
    const TKXMapping &m = FState.Mapping;
    return {RoundCoord(P.x * m.ScaleX + m.OffsetX), RoundCoord(P.y * m.ScaleY + m.OffsetY)};
}

TPoint TKXCanvas::DPtoLP(TPoint P) const
{
    const TKXMapping &m = FState.Mapping;
    if (m.ScaleX == 0 || m.ScaleY == 0)
        return {0, 0};
    return {RoundCoord((P.x - m.OffsetX) / m.ScaleX), RoundCoord((P.y - m.OffsetY) / m.ScaleY)};
}

TRect TKXCanvas::LPtoDP(const TRect &R) const
{
    const TPoint a = LPtoDP(TPoint{R.Left, R.Top});
    const TPoint b = LPtoDP(TPoint{R.Right, R.Bottom});
    return {a.x, a.y, b.x, b.y};
}

TRect TKXCanvas::DPtoLP(const TRect &R) const
{
    const TPoint a = DPtoLP(TPoint{R.Left, R.Top});
    const TPoint b = DPtoLP(TPoint{R.Right, R.Bottom});
    return {a.x, a.y, b.x, b.y};
}

TSize TKXCanvas::TextExtent(const WideString &Text) const
{
    return TextExtent(QString::fromStdU16String(Text));
}

} // namespace kx
