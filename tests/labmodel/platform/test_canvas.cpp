// The drawing canvas over QPainter: GDI's pixel rules at several resolutions, text cells and
// escapement, arcs, paths, clipping; and the recording canvas used by the geometry tests.
#include "GuiApp.h"
#include "RecordingCanvas.h"

#include "platform/KXQtCanvas.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

using namespace kx;

namespace {

// A white image of WidthMM x HeightMM millimetres at Dpi.
QImage Sheet(double Dpi, int WidthMM = 40, int HeightMM = 30)
{
    zt::RequireGuiApp();
    QImage img(int(std::lround(WidthMM * Dpi / 25.4)), int(std::lround(HeightMM * Dpi / 25.4)),
               QImage::Format_RGB32);
    const int dpm = int(std::lround(Dpi / 0.0254));
    img.setDotsPerMeterX(dpm);
    img.setDotsPerMeterY(dpm);
    img.fill(Qt::white);
    return img;
}

bool Dark(const QImage &img, int x, int y) { return qGray(img.pixel(x, y)) < 128; }

// The first pixel column (or row) whose centre lies at or past a logical coordinate:
// the first one a figure starting there covers.
int FirstPixel(int32_t Units, double Dpi) { return int(std::ceil(Units * Dpi / 2540.0 - 0.5)); }

struct Box {
    int left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1; // inclusive pixels
    bool empty() const { return right < 0; }
};

Box DarkBox(const QImage &img)
{
    Box b;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (Dark(img, x, y)) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

TKXFont Font(int32_t Height, int32_t Escapement = 0)
{
    TKXFont f;
    f.Name = QStringLiteral("Liberation Sans");
    f.Height = Height;
    f.Escapement = Escapement;
    return f;
}

const double kDpis[] = {96, 254, 300};

} // namespace

// A filled rectangle covers Left <= x < Right: its last column is the one before Right.
TEST(QtCanvas, RectangleExcludesRightAndBottomAtEveryResolution)
{
    for (double dpi : kDpis) {
        SCOPED_TRACE(dpi);
        QImage img = Sheet(dpi);
        {
            TKXQtCanvas c(&img);
            c.SetPen({clBlack, 0, TKXPenStyle::psClear});
            c.SetBrush({clBlack, TKXBrushStyle::bsSolid});
            c.Rectangle({1000, 1000, 2000, 1500});
        }
        const int l = FirstPixel(1000, dpi), r = FirstPixel(2000, dpi);
        const int t = FirstPixel(1000, dpi), b = FirstPixel(1500, dpi);
        const Box box = DarkBox(img);
        EXPECT_EQ(box.left, l);
        EXPECT_EQ(box.right, r - 1);
        EXPECT_EQ(box.top, t);
        EXPECT_EQ(box.bottom, b - 1);
    }
}

// At 254 dpi ten units are one pixel: outlines land on exact columns.
TEST(QtCanvas, PenOutlinesStayInsideTheBox)
{
    struct Case {
        const char *name;
        int32_t width;
        bool inside;
        int firstDark, lastDark;  // dark columns along the left edge, at mid-height
    } cases[] = {
        {"width 0 is one pixel", 0, false, 100, 100},
        {"inside frame 1 mm", 100, true, 100, 109},
        {"inside frame 0.3 mm", 30, true, 100, 102},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        QImage img = Sheet(254);
        {
            TKXQtCanvas c(&img);
            c.SetPen({clBlack, k.width, TKXPenStyle::psSolid, k.inside});
            c.SetBrush({clWhite, TKXBrushStyle::bsClear});
            c.Rectangle({1000, 1000, 2000, 1500});
        }
        const int y = 125;
        EXPECT_FALSE(Dark(img, 99, y));
        for (int x = k.firstDark; x <= k.lastDark; ++x)
            EXPECT_TRUE(Dark(img, x, y)) << x;
        EXPECT_FALSE(Dark(img, k.lastDark + 1, y));
        // The right edge mirrors the left one, ending on column 199.
        const int w = k.lastDark - k.firstDark;
        EXPECT_TRUE(Dark(img, 199, y));
        EXPECT_TRUE(Dark(img, 199 - w, y));
        EXPECT_FALSE(Dark(img, 198 - w, y));
        EXPECT_FALSE(Dark(img, 200, y));
        // The bottom edge ends on row 149.
        EXPECT_TRUE(Dark(img, 150, 149));
        EXPECT_FALSE(Dark(img, 150, 150));
    }
}

TEST(QtCanvas, ZeroWidthPenIsOnePixelAtAnyResolution)
{
    for (double dpi : {96.0, 300.0, 600.0}) {
        SCOPED_TRACE(dpi);
        QImage img = Sheet(dpi);
        {
            TKXQtCanvas c(&img);
            c.SetPen({clBlack, 0});
            c.MoveTo(500, 1000);
            c.LineTo(3500, 1000);
        }
        const Box b = DarkBox(img);
        ASSERT_FALSE(b.empty());
        EXPECT_EQ(b.bottom - b.top, 0);
        EXPECT_GT(b.right - b.left, int(2900 * dpi / 2540));
    }
}

// The cell's top-left is the output point: an "H" starts just right of it and its foot
// sits on the baseline, inside the cell, at both resolutions.
TEST(QtCanvas, TextIsPlacedByItsCellTopLeft)
{
    for (double dpi : {96.0, 300.0}) {
        SCOPED_TRACE(dpi);
        QImage img = Sheet(dpi);
        TSize ext;
        {
            TKXQtCanvas c(&img);
            c.SetFont(Font(500));
            ext = c.TextExtent(QStringLiteral("H"));
            c.TextOut(1000, 1000, QStringLiteral("H"));
        }
        EXPECT_EQ(ext.cy, 500);
        const Box b = DarkBox(img);
        ASSERT_FALSE(b.empty());
        const double px = dpi / 2540.0;
        // Left side bearing of "H" is under a tenth of the cell; the cap top is below the
        // cell top (internal leading) and the foot on the baseline, about 0.81 of the cell.
        EXPECT_GE(b.left, int(1000 * px) - 1);
        EXPECT_LE(b.left, int((1000 + 60) * px) + 1);
        EXPECT_GT(b.top, int(1000 * px));
        EXPECT_NEAR(b.bottom + 1, (1000 + 0.81 * 500) * px, 0.03 * 500 * px + 1);
        EXPECT_LE(b.right, int((1000 + ext.cx) * px) + 1);
    }
}

// Escapement 900 turns the line a quarter counter-clockwise about the cell's top-left: the
// text rises from the output point and its cell lies to the right of it.
TEST(QtCanvas, EscapementTurnsTextAboutTheCellOrigin)
{
    const double dpi = 254;
    QImage img = Sheet(dpi, 40, 40);
    TSize ext;
    {
        TKXQtCanvas c(&img);
        c.SetFont(Font(400, 900));
        ext = c.TextExtent(QStringLiteral("HHHH"));
        c.TextOut(1000, 3000, QStringLiteral("HHHH"));
    }
    const Box b = DarkBox(img);
    ASSERT_FALSE(b.empty());
    EXPECT_GE(b.left, 100);
    EXPECT_LE(b.right, 100 + 40);
    EXPECT_LE(b.bottom, 300);
    EXPECT_GE(b.bottom, 300 - 10);
    EXPECT_NEAR(b.top, 300 - ext.cx / 10, 8);
}

TEST(QtCanvas, TextExtentFollowsSpacingAndJustification)
{
    zt::RequireGuiApp();
    QImage img = Sheet(300);
    TKXQtCanvas c(&img);
    c.SetFont(Font(400));
    const TSize plain = c.TextExtent(QStringLiteral("ab cd"));
    c.SetTextCharacterExtra(20);
    EXPECT_NEAR(c.TextExtent(QStringLiteral("ab cd")).cx, plain.cx + 5 * 20, 1);
    c.SetTextCharacterExtra(0);
    c.SetTextJustification(300, 1);
    EXPECT_NEAR(c.TextExtent(QStringLiteral("ab cd")).cx, plain.cx + 300, 1);
    c.SetTextJustification(0, 0);
    EXPECT_EQ(c.TextExtent(QStringLiteral("ab cd")), plain);
    // A negative height is the character height: the cell is taller than asked.
    c.SetFont(Font(-400));
    EXPECT_GT(c.TextExtent(QStringLiteral("ab")).cy, 400);
    // The same font measures the same in label units on every device.
    QImage other = Sheet(96);
    TKXQtCanvas c96(&other);
    c96.SetFont(Font(400));
    EXPECT_NEAR(c96.TextExtent(QStringLiteral("ab cd")).cx, plain.cx, 1);
}

// An opaque background paints the whole cell (advance x cell height) in the background
// colour; the glyph is drawn over it.
TEST(QtCanvas, OpaqueTextPaintsItsCell)
{
    QImage img = Sheet(254);
    TSize ext;
    {
        TKXQtCanvas c(&img);
        c.SetFont(Font(500));
        c.SetBkMode(TKXBkMode::bkOpaque);
        c.SetBkColor(RGBColor(0, 0, 255));
        ext = c.TextExtent(QStringLiteral("i i"));
        c.TextOut(1000, 1000, QStringLiteral("i i"));
    }
    const QRgb blue = qRgb(0, 0, 255);
    EXPECT_EQ(img.pixel(101, 101), blue);                        // top-left of the cell
    EXPECT_EQ(img.pixel(100 + ext.cx / 10 - 1, 148), blue);      // bottom-right
    EXPECT_EQ(img.pixel(100 + ext.cx / 10 + 1, 125), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(120, 151), qRgb(255, 255, 255));
}

// Pictures are stretched over the destination; enlarging keeps pixels sharp.
TEST(QtCanvas, DrawImageStretchesIntoTheRectangle)
{
    QImage pic(2, 1, QImage::Format_RGB32);
    pic.setPixel(0, 0, qRgb(0, 0, 0));
    pic.setPixel(1, 0, qRgb(255, 0, 0));
    QImage img = Sheet(254);
    {
        TKXQtCanvas c(&img);
        c.DrawImage({1000, 1000, 3000, 2000}, pic); // 200 x 100 px at (100, 100)
    }
    EXPECT_EQ(img.pixel(100, 100), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(199, 199), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(200, 100), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(299, 199), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(300, 150), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(150, 200), qRgb(255, 255, 255));
}

// Cells far above 16000 device pixels measure in proportion: Qt mis-measures such font
// sizes, so the canvas never asks it for them.
TEST(QtCanvas, HugeFontsMeasureInProportion)
{
    zt::RequireGuiApp();
    QImage img = Sheet(96);
    QPainter p(&img);
    TKXQtCanvas c(p, TKXMapping::ForResolution(2400, 2400)); // 200 mm = 18898 px
    c.SetFont(Font(2000));
    const TSize small = c.TextExtent(QStringLiteral("HIWx"));
    c.SetFont(Font(20000));
    const TSize huge = c.TextExtent(QStringLiteral("HIWx"));
    EXPECT_EQ(huge.cy, 20000);
    EXPECT_NEAR(huge.cx, small.cx * 10, 10);
}

// GDI's arcs run counter-clockwise from the start radial to the end radial.
TEST(QtCanvas, PieRunsCounterClockwiseFromStartToEnd)
{
    QImage img = Sheet(254);
    {
        TKXQtCanvas c(&img);
        c.SetPen({clBlack, 0, TKXPenStyle::psClear});
        c.SetBrush({clBlack});
        // Box 10..30 mm, centre (2000, 2000); from three o'clock to twelve o'clock.
        c.Pie({1000, 1000, 3000, 3000}, {3000, 2000}, {2000, 1000});
    }
    EXPECT_TRUE(Dark(img, 250, 150));   // upper right
    EXPECT_FALSE(Dark(img, 150, 150));  // upper left
    EXPECT_FALSE(Dark(img, 250, 250));  // lower right
    EXPECT_FALSE(Dark(img, 150, 250));  // lower left
}

TEST(QtCanvas, PathsFillEvenOddByDefaultAndWindingOnRequest)
{
    for (bool winding : {false, true}) {
        SCOPED_TRACE(winding);
        QImage img = Sheet(254);
        {
            TKXQtCanvas c(&img);
            c.SetPen({clBlack, 0, TKXPenStyle::psClear});
            c.SetBrush({clBlack});
            if (winding)
                c.SetPolyFillMode(TKXFillMode::fmWinding);
            TKXPath p;
            p.Polygon({{500, 500}, {2500, 500}, {2500, 2500}, {500, 2500}});
            p.Polygon({{1000, 1000}, {2000, 1000}, {2000, 2000}, {1000, 2000}});
            c.FillPath(p);
        }
        EXPECT_TRUE(Dark(img, 70, 150));
        EXPECT_EQ(Dark(img, 150, 150), winding);
    }
}

TEST(QtCanvas, EllipticClipKeepsTheCornersAndRestoreLifts)
{
    QImage img = Sheet(254);
    {
        TKXQtCanvas c(&img);
        c.SetPen({clBlack, 0, TKXPenStyle::psClear});
        c.SetBrush({clBlack});
        c.SaveState();
        c.IntersectClipEllipse({1000, 1000, 3000, 3000});
        c.FillRect({1000, 1000, 3000, 3000});
        c.RestoreState();
        c.FillRect({3500, 1000, 3600, 1100}); // no longer clipped
    }
    EXPECT_TRUE(Dark(img, 200, 200));
    EXPECT_FALSE(Dark(img, 102, 102));
    EXPECT_FALSE(Dark(img, 297, 297));
    EXPECT_TRUE(Dark(img, 355, 105));
}

// The label circles of a sheet: one clip region, the union of the circles.
TEST(QtCanvas, ClipToUnionOfCircles)
{
    QImage img = Sheet(254);
    {
        TKXQtCanvas c(&img);
        c.SetPen({clBlack, 0, TKXPenStyle::psClear});
        c.SetBrush({clBlack});
        c.IntersectClipRect({0, 0, 100, 100}); // replaced, not narrowed
        c.SelectClipEllipses({{0, 0, 2000, 2000}, {1500, 0, 3500, 2000}});
        c.FillRect({0, 0, 4000, 3000});
    }
    EXPECT_TRUE(Dark(img, 100, 100));  // first circle
    EXPECT_TRUE(Dark(img, 250, 100));  // second circle
    EXPECT_TRUE(Dark(img, 175, 100));  // where they overlap
    EXPECT_FALSE(Dark(img, 175, 5));   // between their tops
    EXPECT_FALSE(Dark(img, 100, 250)); // below both
}

TEST(QtCanvas, RoundRectCornerIsTheEllipseDiameter)
{
    QImage img = Sheet(254);
    {
        TKXQtCanvas c(&img);
        c.SetPen({clBlack, 0, TKXPenStyle::psClear});
        c.SetBrush({clBlack});
        c.RoundRect({1000, 1000, 3000, 2000}, 800, 800); // corner radius 4 mm = 40 px
    }
    EXPECT_FALSE(Dark(img, 102, 102));
    EXPECT_TRUE(Dark(img, 140, 101));   // where the straight top edge starts
    EXPECT_TRUE(Dark(img, 101, 140));
    // On the diagonal the corner arc is r (1 - 1/sqrt 2) = 11.7 px in.
    EXPECT_FALSE(Dark(img, 110, 110));
    EXPECT_TRUE(Dark(img, 114, 114));
}

TEST(QtCanvas, GradientRunsFromFirstColourToSecond)
{
    QImage img = Sheet(254);
    {
        TKXQtCanvas c(&img);
        c.GradientFill({0, 0, 4000, 3000}, clBlack, clWhite, TKXGradient::grTopToBottom);
    }
    EXPECT_LT(qGray(img.pixel(200, 0)), 10);
    EXPECT_GT(qGray(img.pixel(200, 299)), 245);
    EXPECT_NEAR(qGray(img.pixel(200, 150)), 128, 8);
}

TEST(QtCanvas, LogicalAndDeviceConversionRoundTrip)
{
    QImage img = Sheet(300);
    TKXQtCanvas c(&img);
    EXPECT_EQ(c.LPtoDP(TPoint{2540, 254}), (TPoint{300, 30}));
    EXPECT_EQ(c.DPtoLP(TPoint{300, 30}), (TPoint{2540, 254}));
    EXPECT_EQ(c.LPtoDP(TRect{0, 0, 2540, 5080}), (TRect{0, 0, 300, 600}));
    c.SetMapping(TKXMapping::FromExtents(6000, 3500, 260, 151));
    EXPECT_EQ(c.LPtoDP(TPoint{6000, 3500}), (TPoint{260, 151}));
}

// The recording canvas writes calls in label units and measures with a fixed advance.
TEST(RecordingCanvas, RecordsCallsAndStateInLabelUnits)
{
    zt::RecordingCanvas c(100);
    c.SetPen({clRed, 30, TKXPenStyle::psSolid, true});
    c.Rectangle({100, 200, 300, 400});
    c.SetFont(Font(400, 900));
    c.TextOut(10, 20, QStringLiteral("Ab"));
    TKXPath p;
    p.MoveTo({0, 0});
    p.BezierTo({1, 2}, {3, 4}, {5, 6});
    p.CloseFigure();
    c.FillPath(p);
    c.Pie({0, 0, 100, 100}, {100, 50}, {50, 0});
    c.SelectClipEllipses({{0, 0, 10, 10}, {20, 0, 30, 10}});
    EXPECT_EQ(c.Texts(), (std::vector<std::string>{"Rectangle(100,200,300,400)", "TextOut(10,20,\"Ab\")",
                                                   "FillPath(M 0,0 C 1,2 3,4 5,6 Z)",
                                                   "Pie(0,0,100,100,100,50,50,0)",
                                                   "ClipEllipses(0,0,10,10 20,0,30,10)"}));
    EXPECT_TRUE(c.Last("Rect").Pen.InsideFrame);
    EXPECT_EQ(c.Last("Rect").Pen.Width, 30);
    EXPECT_EQ(c.Last("TextOut").Font.Escapement, 900);
    EXPECT_EQ(c.TextExtent(QStringLiteral("abc")), (TSize{300, 400}));
    c.SetTextCharacterExtra(5);
    c.SetTextJustification(40, 2);
    EXPECT_EQ(c.TextExtent(QStringLiteral("a b c")), (TSize{5 * 105 + 40, 400}));
    EXPECT_EQ(c.TextExtent(std::u16string(u"ab")), (TSize{210, 400}));
    // 254 dpi by default: ten units to the pixel.
    EXPECT_EQ(c.LPtoDP(TRect{100, 200, 305, 400}), (TRect{10, 20, 30, 40}));
}
