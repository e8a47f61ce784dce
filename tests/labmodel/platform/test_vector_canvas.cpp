// The metafile canvas's clipping: what lies inside the clip reaches the sink as it is
// (lines, texts, pictures), what the clip cuts arrives intersected (outlines of strokes and
// glyphs as filled polygons, pictures cropped), what lies outside never arrives.
#include "GuiApp.h"
#include "platform/KXEmfCanvas.h"
#include "platform/KXPicture.h"
#include "platform/KXQtCanvas.h"
#include "platform/KXVectorCanvas.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

using namespace kx;

namespace {

struct TCall {
    std::string Kind; // "fill", "line", "text", "image"
    QRectF Box;       // the bounds of what was handed over
    TColor Color = 0;
    QString Text;
    QSize Picture;
};

class TRecordingSink final : public TKXVectorSink {
public:
    explicit TRecordingSink(std::vector<TCall> &Calls) : FCalls(Calls) {}
    void FillPolygons(const std::vector<QPolygonF> &Polygons, TColor Color, bool) override
    {
        QRectF box;
        for (const QPolygonF &p : Polygons)
            box |= p.boundingRect();
        FCalls.push_back({"fill", box, Color, {}, {}});
    }
    void StrokePolyline(const QPolygonF &Points, bool, const TStroke &Pen) override
    {
        FCalls.push_back({"line", Points.boundingRect(), Pen.Color, {}, {}});
    }
    bool Text(const TKXTextRun &Run) override
    {
        FCalls.push_back({"text", QRectF(Run.Origin, QSizeF(0, 0)), Run.Font.Color, Run.Text, {}});
        return Accept;
    }
    void Image(const QRectF &Dest, const QImage &Picture) override
    {
        FCalls.push_back({"image", Dest, 0, {}, Picture.size()});
    }
    bool Accept = true;

private:
    std::vector<TCall> &FCalls;
};

class VectorCanvas : public ::testing::Test {
protected:
    VectorCanvas()
    {
        zt::RequireGuiApp();
        auto sink = std::make_unique<TRecordingSink>(calls);
        recorder = sink.get();
        // Label units map one to one onto device units: boxes read as given.
        canvas = std::make_unique<TKXVectorCanvas>(std::move(sink), TKXMapping{});
        canvas->SetPen({RGBColor(255, 0, 0), 4});
    }
    std::string Kinds() const
    {
        std::string out;
        for (const TCall &c : calls)
            out += (out.empty() ? "" : " ") + c.Kind;
        return out;
    }
    std::vector<TCall> calls;
    TRecordingSink *recorder = nullptr;
    std::unique_ptr<TKXVectorCanvas> canvas;
};

bool Within(const QRectF &Inner, const QRectF &Outer, double Slack = 0.01)
{
    return Outer.adjusted(-Slack, -Slack, Slack, Slack).contains(Inner);
}

TEST_F(VectorCanvas, LinesInsideTheClipStayLinesAndCutLinesBecomeAreas)
{
    canvas->IntersectClipRect({0, 0, 100, 100});
    struct {
        const char *Name;
        TPoint From, To;
        const char *Kinds;
    } const cases[] = {
        {"inside", {10, 10}, {90, 20}, "line"},
        {"cut by the right edge", {50, 50}, {150, 50}, "fill"},
        {"outside", {150, 150}, {190, 160}, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        calls.clear();
        canvas->MoveTo(c.From.x, c.From.y);
        canvas->LineTo(c.To.x, c.To.y);
        EXPECT_EQ(Kinds(), c.Kinds);
        for (const TCall &call : calls) {
            EXPECT_EQ(call.Color, RGBColor(255, 0, 0));
            EXPECT_TRUE(Within(call.Box, QRectF(0, 0, 100, 100))) << call.Box.right();
        }
    }
    // The cut line's area reaches the clip's edge, not the line's end.
    canvas->MoveTo(50, 50);
    canvas->LineTo(150, 50);
    EXPECT_NEAR(calls.back().Box.right(), 100, 0.01);
    EXPECT_NEAR(calls.back().Box.top(), 48, 0.01); // half the 4-unit pen above the line
}

TEST_F(VectorCanvas, FiguresAreIntersectedWithAnEllipticClip)
{
    canvas->IntersectClipEllipse({0, 0, 200, 200});
    canvas->SetBrush({RGBColor(0, 0, 255), TKXBrushStyle::bsSolid});
    canvas->SetPen({clBlack, 0, TKXPenStyle::psClear});
    canvas->Rectangle({0, 0, 200, 200});
    ASSERT_EQ(Kinds(), "fill");
    // The square filled inside the circle is the circle: its corners are gone.
    EXPECT_TRUE(Within(calls[0].Box, QRectF(0, 0, 200, 200)));
    EXPECT_GT(calls[0].Box.width(), 199);
    calls.clear();
    // A small square well inside the circle arrives whole.
    canvas->Rectangle({90, 90, 110, 110});
    ASSERT_EQ(Kinds(), "fill");
    EXPECT_EQ(calls[0].Box, QRectF(90, 90, 20, 20));
}

TEST_F(VectorCanvas, TextCrossingTheClipIsWrittenAsGlyphOutlines)
{
    TKXFont font;
    font.Name = "Liberation Sans";
    font.Height = 100;
    font.Color = RGBColor(0, 128, 0);
    canvas->SetFont(font);
    const TSize extent = canvas->TextExtent(QStringLiteral("Wide text"));
    ASSERT_GT(extent.cx, 200);
    canvas->IntersectClipRect({0, 0, 1000, 1000});
    struct {
        const char *Name;
        TPoint At;
        const char *Kinds;
    } const cases[] = {
        {"inside", {100, 100}, "text"},
        {"across the bottom edge", {100, 950}, "fill"},
        {"below", {100, 1100}, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        calls.clear();
        canvas->TextOut(c.At.x, c.At.y, QStringLiteral("Wide text"));
        EXPECT_EQ(Kinds(), c.Kinds);
        for (const TCall &call : calls)
            EXPECT_EQ(call.Color, font.Color);
    }
    // The outlines stop at the clip's edge.
    canvas->TextOut(100, 950, QStringLiteral("Wide text"));
    EXPECT_LE(calls.back().Box.bottom(), 1000.01);
    EXPECT_GT(calls.back().Box.width(), extent.cx * 0.8);
    // A text the format refuses comes as outlines too.
    calls.clear();
    recorder->Accept = false;
    canvas->TextOut(100, 100, QStringLiteral("Wide text"));
    EXPECT_EQ(Kinds(), "text fill");
}

TEST_F(VectorCanvas, TextMeasuresAsOnTheQtCanvas)
{
    // The page image and the metafiles lay texts out alike only if both measure alike.
    QImage image(10, 10, QImage::Format_ARGB32_Premultiplied);
    TKXQtCanvas qt(&image);
    const TKXMapping m = TKXMapping::FromExtents(21000, 29700, 2100, 2970);
    qt.SetMapping(m);
    canvas->SetMapping(m);
    for (int32_t height : {400, -350, 0}) {
        TKXFont font;
        font.Height = height;
        font.Bold = height < 0;
        qt.SetFont(font);
        canvas->SetFont(font);
        qt.SetTextCharacterExtra(height == 0 ? 30 : 0);
        canvas->SetTextCharacterExtra(height == 0 ? 30 : 0);
        for (const char *text : {"Zantor 42", "iiiWWW", "Ünïcödé"}) {
            SCOPED_TRACE(std::string(text) + " at " + std::to_string(height));
            const TSize a = qt.TextExtent(QString::fromUtf8(text)), b = canvas->TextExtent(QString::fromUtf8(text));
            EXPECT_NEAR(a.cx, b.cx, 1);
            EXPECT_EQ(a.cy, b.cy);
        }
    }
}

TEST_F(VectorCanvas, PicturesAreCroppedToTheClip)
{
    QImage picture(100, 50, QImage::Format_RGB32);
    picture.fill(Qt::red);
    canvas->IntersectClipRect({0, 0, 150, 1000});
    // Shown twice its size from x = 100: the clip leaves the first 50 units, 25 pixels.
    canvas->DrawImage({100, 0, 300, 100}, picture);
    ASSERT_EQ(Kinds(), "image");
    EXPECT_EQ(calls[0].Picture, QSize(25, 50));
    EXPECT_EQ(calls[0].Box, QRectF(100, 0, 50, 100));
    calls.clear();
    canvas->DrawImage({200, 0, 300, 100}, picture);
    EXPECT_EQ(Kinds(), "");
    canvas->DrawImage({0, 0, 100, 100}, picture);
    ASSERT_EQ(Kinds(), "image");
    EXPECT_EQ(calls[0].Picture, picture.size());
}

TEST_F(VectorCanvas, HatchesAndGradientsAreFilledAreas)
{
    // A hatch is its lines' area inside the figure, over the background colour when opaque.
    canvas->SetBrush({RGBColor(0, 0, 255), TKXBrushStyle::bsCross});
    canvas->FillRect({0, 0, 100, 50});
    ASSERT_EQ(Kinds(), "fill");
    EXPECT_TRUE(Within(calls[0].Box, QRectF(0, 0, 100, 50)));
    EXPECT_EQ(calls[0].Color, RGBColor(0, 0, 255));
    calls.clear();
    canvas->SetBkMode(TKXBkMode::bkOpaque);
    canvas->SetBkColor(RGBColor(255, 255, 0));
    canvas->FillRect({0, 0, 100, 50});
    ASSERT_EQ(Kinds(), "fill fill");
    EXPECT_EQ(calls[0].Color, RGBColor(255, 255, 0));
    EXPECT_EQ(calls[0].Box, QRectF(0, 0, 100, 50));
    // A gradient: bands from the first colour to the second, covering the box.
    calls.clear();
    canvas->GradientFill({0, 0, 640, 100}, RGBColor(0, 0, 0), RGBColor(255, 0, 0), TKXGradient::grLeftToRight);
    ASSERT_EQ(calls.size(), 64u);
    EXPECT_LE(RedOf(calls.front().Color), 4);
    EXPECT_GE(RedOf(calls.back().Color), 251);
    EXPECT_EQ(calls.front().Box, QRectF(0, 0, 10, 100));
    EXPECT_EQ(calls.back().Box, QRectF(630, 0, 10, 100));
}

TEST_F(VectorCanvas, RestoringTheStateBringsTheClipBack)
{
    canvas->SetBrush({RGBColor(0, 0, 255), TKXBrushStyle::bsSolid});
    canvas->SaveState();
    canvas->IntersectClipRect({0, 0, 10, 10});
    canvas->FillRect({0, 0, 100, 100});
    canvas->RestoreState();
    canvas->FillRect({0, 0, 100, 100});
    ASSERT_EQ(Kinds(), "fill fill");
    EXPECT_EQ(calls[0].Box, QRectF(0, 0, 10, 10));
    EXPECT_EQ(calls[1].Box, QRectF(0, 0, 100, 100));
    // Bounds stay whatever the clip does.
    calls.clear();
    canvas->SetBounds(QRectF(0, 0, 50, 50));
    canvas->ResetClip();
    canvas->FillRect({0, 0, 100, 100});
    canvas->SelectClipEllipses({{0, 0, 200, 200}});
    canvas->FillRect({0, 0, 100, 100});
    ASSERT_EQ(Kinds(), "fill fill");
    EXPECT_EQ(calls[0].Box, QRectF(0, 0, 50, 50));
    EXPECT_TRUE(Within(calls[1].Box, QRectF(0, 0, 50, 50)));
}

} // namespace

namespace {

// The record types of an enhanced metafile, in order.
std::vector<uint32_t> EmfRecordTypes(const QByteArray &Emf)
{
    std::vector<uint32_t> types;
    const auto *b = reinterpret_cast<const uint8_t *>(Emf.constData());
    auto u32 = [b](qsizetype At) { return uint32_t(b[At] | b[At + 1] << 8 | b[At + 2] << 16 | uint32_t(b[At + 3]) << 24); };
    for (qsizetype at = 0; at + 8 <= Emf.size();) {
        const uint32_t size = u32(at + 4);
        types.push_back(u32(at));
        if (size < 8)
            break;
        at += size;
    }
    return types;
}

TEST(EmfCanvas, CurvesStayCurvesAndOpenLinesStayOpen)
{
    zt::RequireGuiApp();
    // 100 x 100 mm on 1000 x 1000 device units.
    TKXEmfCanvas canvas(10000, 10000, 1000, 1000);
    canvas.SetPen({clBlack, 100});
    canvas.SetBrush({clWhite, TKXBrushStyle::bsClear});
    canvas.Ellipse({1000, 1000, 4000, 4000});
    canvas.Polyline({{5000, 1000}, {7000, 9000}, {9000, 1000}}); // a V, open at the top
    const QByteArray emf = canvas.Finish();
    const std::vector<uint32_t> types = EmfRecordTypes(emf);
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.front(), 1u);  // EMR_HEADER
    EXPECT_EQ(types.back(), 14u);  // EMR_EOF
    // The ellipse as Bézier curves: EMR_POLYBEZIERTO, or its 16-bit form.
    EXPECT_TRUE(std::find(types.begin(), types.end(), 5u) != types.end() ||
                std::find(types.begin(), types.end(), 88u) != types.end());
    TKXGraphic g;
    ASSERT_TRUE(g.Load(TKXGraphicClass::gcMetafile, emf));
    EXPECT_EQ(g.PixelSize(), QSize(378, 378)); // 100 mm at 96 dots per inch
    const QImage back = g.Render(QSize(1000, 1000), 0, false);
    auto inked = [&back](int x, int y) { return qAlpha(back.pixel(x, y)) > 128 && qGray(back.pixel(x, y)) < 128; };
    EXPECT_TRUE(inked(100, 250));  // the ellipse's left side
    EXPECT_TRUE(inked(700, 895));  // the V's bottom
    EXPECT_FALSE(inked(700, 100)); // no line closes the V
    EXPECT_FALSE(inked(250, 250)); // the ellipse is not filled
}

} // namespace
