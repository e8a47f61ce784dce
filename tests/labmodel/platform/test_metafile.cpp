// Label metafiles: a recording replayed into an image gives what direct drawing gives.
#include "GuiApp.h"

#include "core/KXError.h"
#include "platform/KXMetafile.h"
#include "platform/KXQtCanvas.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>

using namespace kx;

namespace {

constexpr int32_t kLabelW = 6000, kLabelH = 3500; // 60 x 35 mm

// A scene with a filled box, a framed ellipse, a hair line, a path and a text.
void DrawScene(TKXCanvas &c)
{
    c.SetPen({clBlack, 0, TKXPenStyle::psClear});
    c.SetBrush({RGBColor(0, 0, 200)});
    c.Rectangle({500, 500, 2500, 1500});
    c.SetPen({clBlack, 100, TKXPenStyle::psSolid, true});
    c.SetBrush({clWhite, TKXBrushStyle::bsClear});
    c.Ellipse({3000, 500, 5500, 3000});
    c.SetPen({RGBColor(200, 0, 0), 0});
    c.MoveTo(500, 3200);
    c.LineTo(5500, 3200);
    c.SetPen({clBlack, 0, TKXPenStyle::psClear});
    c.SetBrush({RGBColor(0, 150, 0)});
    TKXPath p;
    p.PolyBezier({{500, 2000}, {1000, 1600}, {1500, 2400}, {2000, 2000}});
    p.LineTo({2000, 2800});
    p.LineTo({500, 2800});
    c.FillPath(p);
    TKXFont f;
    f.Name = QStringLiteral("Liberation Sans");
    f.Height = 600;
    c.SetFont(f);
    c.TextOut(3500, 1200, QStringLiteral("Hi"));
}

QImage Direct(double Dpi)
{
    QImage img(int(std::lround(kLabelW * Dpi / 2540)), int(std::lround(kLabelH * Dpi / 2540)),
               QImage::Format_ARGB32_Premultiplied);
    const int dpm = int(std::lround(Dpi / 0.0254));
    img.setDotsPerMeterX(dpm);
    img.setDotsPerMeterY(dpm);
    img.fill(Qt::white);
    TKXQtCanvas c(&img);
    DrawScene(c);
    return img;
}

// Colours compared by which side of half intensity each channel lies on, so that the
// grey levels of antialiased glyph edges do not count as differences.
bool Near(QRgb p, QRgb q)
{
    return (qRed(p) < 128) == (qRed(q) < 128) && (qGreen(p) < 128) == (qGreen(q) < 128) &&
           (qBlue(p) < 128) == (qBlue(q) < 128);
}

// Pixels of A whose colour B shows nowhere within one pixel (and the other way round):
// edges that fall on the other side of a pixel centre by rounding are forgiven, anything
// misplaced by more is counted.
int MisplacedPixels(const QImage &a, const QImage &b)
{
    auto foundNear = [](const QImage &img, int x, int y, QRgb c) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int u = x + dx, v = y + dy;
                if (u >= 0 && v >= 0 && u < img.width() && v < img.height() && Near(img.pixel(u, v), c))
                    return true;
            }
        return false;
    };
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (!Near(a.pixel(x, y), b.pixel(x, y)) &&
                (!foundNear(b, x, y, a.pixel(x, y)) || !foundNear(a, x, y, b.pixel(x, y)))) {
                ++n;
            }
    return n;
}

} // namespace

TEST(Metafile, ReplayMatchesDirectDrawing)
{
    zt::RequireGuiApp();
    // A thumbnail-sized device (260 units wide) and a page-like one in tenths of a mm.
    for (QSize device : {QSize(260, 151), QSize(600, 350)}) {
        SCOPED_TRACE(device.width());
        TKXMetafile mf(kLabelW, kLabelH, device.width(), device.height());
        {
            auto c = mf.OpenCanvas();
            EXPECT_EQ(c->LPtoDP(TPoint{kLabelW, kLabelH}), (TPoint{device.width(), device.height()}));
            DrawScene(*c);
        }
        for (double dpi : {96.0, 300.0}) {
            SCOPED_TRACE(dpi);
            const QImage direct = Direct(dpi);
            const QImage replay = mf.ToImage(dpi);
            ASSERT_EQ(replay.size(), direct.size());
            EXPECT_EQ(MisplacedPixels(direct, replay), 0);
            // Spot checks: inside the blue box, the ellipse's frame, the text's first stem.
            const double s = dpi / 2540;
            EXPECT_EQ(replay.pixel(int(1500 * s), int(1000 * s)), direct.pixel(int(1500 * s), int(1000 * s)));
            EXPECT_LT(qGray(replay.pixel(int(3020 * s), int(1750 * s))), 100);
        }
    }
}

// Gradients keep their colours and their geometry (they are stretched to their box) when
// recorded.
TEST(Metafile, GradientsReplayLikeDirectDrawing)
{
    zt::RequireGuiApp();
    auto scene = [](TKXCanvas &c) {
        c.GradientFill({0, 0, 3000, 3500}, RGBColor(255, 255, 0), clBlack, TKXGradient::grOutsideToCentre);
        c.GradientFill({3000, 0, 6000, 3500}, clWhite, RGBColor(0, 0, 255), TKXGradient::grLeftToRight);
    };
    TKXMetafile mf(kLabelW, kLabelH, 260, 151);
    {
        auto c = mf.OpenCanvas();
        scene(*c);
    }
    const QImage replay = mf.ToImage(QSize(600, 350));
    QImage direct(600, 350, QImage::Format_ARGB32_Premultiplied);
    direct.setDotsPerMeterX(10000);
    direct.setDotsPerMeterY(10000);
    direct.fill(Qt::white);
    {
        TKXQtCanvas c(&direct);
        scene(c);
    }
    for (QPoint p : {QPoint(150, 175), QPoint(20, 175), QPoint(150, 20), QPoint(80, 100),
                     QPoint(301, 100), QPoint(450, 100), QPoint(598, 300)}) {
        const QRgb a = direct.pixel(p), b = replay.pixel(p);
        EXPECT_NEAR(qRed(a), qRed(b), 8) << p.x() << "," << p.y();
        EXPECT_NEAR(qGreen(a), qGreen(b), 8) << p.x() << "," << p.y();
        EXPECT_NEAR(qBlue(a), qBlue(b), 8) << p.x() << "," << p.y();
    }
    // The circle's centre is the second colour, its rim the first; the corners untouched.
    EXPECT_LT(qGray(replay.pixel(150, 175)), 20);
    EXPECT_GT(qRed(replay.pixel(150, 2)), 200);
    EXPECT_EQ(replay.pixel(2, 2), qRgb(255, 255, 255));
}

TEST(Metafile, EmptyOrDegenerateMetafileGivesNoImage)
{
    zt::RequireGuiApp();
    TKXMetafile none;
    EXPECT_TRUE(none.Empty());
    EXPECT_TRUE(none.ToImage(96.0).isNull());
    TKXMetafile zeroWide(0, 100, 10, 10);
    EXPECT_TRUE(zeroWide.Empty());
    EXPECT_THROW(zeroWide.OpenCanvas(), EKxError);
}

// A metafile can be drawn into another canvas, stretched over a rectangle.
TEST(Metafile, DrawsStretchedIntoAnotherCanvas)
{
    zt::RequireGuiApp();
    TKXMetafile mf(1000, 1000, 100, 100);
    {
        auto c = mf.OpenCanvas();
        c->SetPen({clBlack, 0, TKXPenStyle::psClear});
        c->SetBrush({clBlack});
        c->FillRect({0, 0, 500, 1000}); // left half black
    }
    QImage img(400, 400, QImage::Format_RGB32);
    img.setDotsPerMeterX(10000); // 254 dpi
    img.setDotsPerMeterY(10000);
    img.fill(Qt::white);
    {
        TKXQtCanvas c(&img);
        c.DrawMetafile({1000, 1000, 3000, 2000}, mf); // 200 x 100 px at (100, 100)
    }
    EXPECT_LT(qGray(img.pixel(110, 150)), 50);
    EXPECT_LT(qGray(img.pixel(199, 150)), 50);
    EXPECT_GT(qGray(img.pixel(201, 150)), 200);
    EXPECT_GT(qGray(img.pixel(99, 150)), 200);
    EXPECT_GT(qGray(img.pixel(150, 201)), 200);
}
