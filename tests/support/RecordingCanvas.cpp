#include "RecordingCanvas.h"

#include "platform/KXMetafile.h"

#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace zt {

using namespace kx;

namespace {

std::string Num(int32_t v) { return std::to_string(v); }

std::string Rect(const TRect &R)
{
    return Num(R.Left) + "," + Num(R.Top) + "," + Num(R.Right) + "," + Num(R.Bottom);
}

std::string Pt(TPoint P) { return Num(P.x) + "," + Num(P.y); }

std::string Points(const std::vector<TPoint> &Pts)
{
    std::string s;
    for (size_t i = 0; i < Pts.size(); ++i)
        s += (i ? " " : "") + Pt(Pts[i]);
    return s;
}

std::string Colour(TColor C)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(C));
    return buf;
}

std::string PathText(const TKXPath &Path)
{
    std::string s;
    const auto &e = Path.Elements();
    for (size_t i = 0; i < e.size(); ++i) {
        if (!s.empty())
            s += ' ';
        switch (e[i].Kind) {
        case TKXPath::TElementKind::ekMoveTo: s += "M " + Pt(e[i].P); break;
        case TKXPath::TElementKind::ekLineTo: s += "L " + Pt(e[i].P); break;
        case TKXPath::TElementKind::ekBezierTo:
            // BezierTo stores its three points in a row: "C c1 c2 end".
            s += "C " + Pt(e[i].P);
            for (int k = 0; k < 2 && i + 1 < e.size() &&
                            e[i + 1].Kind == TKXPath::TElementKind::ekBezierTo;
                 ++k)
                s += " " + Pt(e[++i].P);
            break;
        case TKXPath::TElementKind::ekClose: s += "Z"; break;
        }
    }
    return s;
}

} // namespace

RecordingCanvas::RecordingCanvas(int32_t Advance, const TKXMapping &Mapping) : FAdvance(Advance)
{
    FState.Mapping = Mapping;
}

void RecordingCanvas::Record(std::string Text)
{
    RecordedCall c;
    c.Text = std::move(Text);
    c.Pen = FState.Pen;
    c.Brush = FState.Brush;
    c.Font = FState.Font;
    c.BkMode = FState.BkMode;
    c.FillMode = FState.FillMode;
    c.CharExtra = FState.CharExtra;
    c.BreakExtra = FState.BreakExtra;
    c.BreakCount = FState.BreakCount;
    FCalls.push_back(std::move(c));
}

std::vector<std::string> RecordingCanvas::Texts(const std::string &Prefix) const
{
    std::vector<std::string> out;
    for (const auto &c : FCalls)
        if (c.Text.compare(0, Prefix.size(), Prefix) == 0)
            out.push_back(c.Text);
    return out;
}

const RecordedCall &RecordingCanvas::Last(const std::string &Prefix) const
{
    for (auto it = FCalls.rbegin(); it != FCalls.rend(); ++it)
        if (it->Text.compare(0, Prefix.size(), Prefix) == 0)
            return *it;
    throw std::out_of_range("no recorded call starts with " + Prefix);
}

void RecordingCanvas::SaveState()
{
    TKXCanvas::SaveState();
    Record("SaveState");
}

void RecordingCanvas::RestoreState()
{
    TKXCanvas::RestoreState();
    Record("RestoreState");
}

void RecordingCanvas::IntersectClipRect(const TRect &R) { Record("ClipRect(" + Rect(R) + ")"); }
void RecordingCanvas::IntersectClipEllipse(const TRect &R) { Record("ClipEllipse(" + Rect(R) + ")"); }
void RecordingCanvas::SelectClipEllipses(const std::vector<TRect> &Boxes)
{
    std::string s;
    for (const TRect &R : Boxes)
        s += (s.empty() ? "" : " ") + Rect(R);
    Record("ClipEllipses(" + s + ")");
}

void RecordingCanvas::ResetClip() { Record("ResetClip"); }

void RecordingCanvas::MoveTo(int32_t X, int32_t Y)
{
    TKXCanvas::MoveTo(X, Y);
    Record("MoveTo(" + Pt({X, Y}) + ")");
}

void RecordingCanvas::LineTo(int32_t X, int32_t Y)
{
    FState.PenPos = {X, Y};
    Record("LineTo(" + Pt({X, Y}) + ")");
}

void RecordingCanvas::Polyline(const std::vector<TPoint> &P) { Record("Polyline(" + Points(P) + ")"); }
void RecordingCanvas::PolyBezier(const std::vector<TPoint> &P) { Record("PolyBezier(" + Points(P) + ")"); }

void RecordingCanvas::Arc(const TRect &Box, TPoint Start, TPoint End)
{
    Record("Arc(" + Rect(Box) + "," + Pt(Start) + "," + Pt(End) + ")");
}

void RecordingCanvas::Rectangle(const TRect &R) { Record("Rectangle(" + Rect(R) + ")"); }

void RecordingCanvas::RoundRect(const TRect &R, int32_t CornerWidth, int32_t CornerHeight)
{
    Record("RoundRect(" + Rect(R) + "," + Num(CornerWidth) + "," + Num(CornerHeight) + ")");
}

void RecordingCanvas::Ellipse(const TRect &Box) { Record("Ellipse(" + Rect(Box) + ")"); }

void RecordingCanvas::Pie(const TRect &Box, TPoint Start, TPoint End)
{
    Record("Pie(" + Rect(Box) + "," + Pt(Start) + "," + Pt(End) + ")");
}

void RecordingCanvas::Polygon(const std::vector<TPoint> &P) { Record("Polygon(" + Points(P) + ")"); }
void RecordingCanvas::FillRect(const TRect &R) { Record("FillRect(" + Rect(R) + ")"); }

void RecordingCanvas::GradientFill(const TRect &R, TColor From, TColor To, TKXGradient Kind)
{
    const char *kind = Kind == TKXGradient::grTopToBottom   ? "TopToBottom"
                       : Kind == TKXGradient::grLeftToRight ? "LeftToRight"
                                                            : "OutsideToCentre";
    Record("GradientFill(" + Rect(R) + "," + Colour(From) + "," + Colour(To) + "," + kind + ")");
}

void RecordingCanvas::FillPath(const TKXPath &Path) { Record("FillPath(" + PathText(Path) + ")"); }
void RecordingCanvas::StrokePath(const TKXPath &Path) { Record("StrokePath(" + PathText(Path) + ")"); }

void RecordingCanvas::StrokeAndFillPath(const TKXPath &Path)
{
    Record("StrokeAndFillPath(" + PathText(Path) + ")");
}

void RecordingCanvas::TextOut(int32_t X, int32_t Y, const QString &Text)
{
    Record("TextOut(" + Pt({X, Y}) + ",\"" + Text.toStdString() + "\")");
}

// Every code unit advances by the fixed width plus the character extra; the spaces share
// the justification's extra width; the height is the font height's magnitude.
TSize RecordingCanvas::TextExtent(const QString &Text) const
{
    const int32_t h = std::abs(FState.Font.Height);
    const int32_t advance = FAdvance > 0 ? FAdvance : h / 2;
    int32_t w = static_cast<int32_t>(Text.size()) * (advance + FState.CharExtra);
    if (FState.BreakCount > 0 && Text.contains(QLatin1Char(' ')))
        w += FState.BreakExtra;
    return {w, h};
}

void RecordingCanvas::DrawImage(const TRect &Dest, const QImage &Image)
{
    Record("DrawImage(" + Rect(Dest) + "," + Num(Image.width()) + "x" + Num(Image.height()) + ")");
}

void RecordingCanvas::DrawMetafile(const TRect &Dest, const TKXMetafile &)
{
    Record("DrawMetafile(" + Rect(Dest) + ")");
}

void RecordingCanvas::DrawSvg(const TRect &Dest, QSvgRenderer &, int32_t Angle)
{
    Record("DrawSvg(" + Rect(Dest) + "," + Num(Angle) + ")");
}

} // namespace zt
