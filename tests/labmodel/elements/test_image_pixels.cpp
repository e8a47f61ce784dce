// Picture elements drawn through the real QPainter canvas: a PNG, a JPEG, an enhanced
// metafile and a placeable metafile land in their rectangle, turned and in grey; metafiles
// stay vectors on every target.
#include "document/KXBaseLab.h"
#include "elements/KXImage.h"
#include "FakeDesignerServices.h"
#include "GuiApp.h"
#include "PictureFixtures.h"
#include "platform/KXMetafile.h"
#include "platform/KXQtCanvas.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace kx;

namespace {

bool Near(QRgb Pixel, QColor Want, int Tolerance)
{
    const QColor c(Pixel);
    return std::abs(c.red() - Want.red()) <= Tolerance && std::abs(c.green() - Want.green()) <= Tolerance &&
           std::abs(c.blue() - Want.blue()) <= Tolerance;
}

struct Kind {
    const char *Name;
    const char *File;
    QByteArray Bytes;
    int Tolerance; // JPEG changes colours a little
};

class ImagePixels : public ::testing::Test {
protected:
    ImagePixels()
    {
        zt::RequireGuiApp();
        lab.SetUIServices(&ui);
        kinds = {
            {"png", "pic.png", zt::Encode(zt::TwoColourImage(40, 20), "PNG"), 0},
            {"jpeg", "pic.jpg", zt::Encode(zt::TwoColourImage(40, 20), "JPG", 95), 12},
            {"enhanced metafile", "pic.emf", zt::TwoColourEmf(), 0},
            {"placeable metafile", "pic.wmf", zt::TwoColourWmf(), 0},
        };
    }
    // The element 20 x 10 mm at (10 mm, 5 mm), the picture stretched over it.
    TKXImage *Element(const Kind &k)
    {
        const QString path = dir.filePath(k.File);
        EXPECT_TRUE(zt::WriteFile(path, k.Bytes));
        auto *im = lab.NewElement<TKXImage>();
        im->SetP1(1000, 500);
        im->SetP2(3000, 1500);
        im->SetAspect(false);
        im->SetFileImage(path);
        EXPECT_TRUE(im->Valid()) << k.Name;
        return im;
    }
    // The label 40 x 20 mm at Dpi.
    QImage Paint(int Dpi, TKXDrawType DrawType = TKXDrawType::tdPrint)
    {
        const double px = Dpi / 2540.0;
        QImage img(int(4000 * px), int(2000 * px), QImage::Format_RGB32);
        img.setDotsPerMeterX(qRound(Dpi / 0.0254));
        img.setDotsPerMeterY(qRound(Dpi / 0.0254));
        img.fill(Qt::white);
        TKXQtCanvas canvas(&img);
        lab.DrawElements(canvas, {0, 0}, DrawType, TKXFillType::ftNone);
        return img;
    }

    TKXCustomLab lab;
    zt::FakeUIServices ui;
    QTemporaryDir dir;
    std::vector<Kind> kinds;
};

TEST_F(ImagePixels, EachFormatLandsInItsRectangleAtEveryAngle)
{
    const QColor red(255, 0, 0), blue(0, 0, 255), white(255, 255, 255);
    struct Turn {
        int32_t Angle;
        // Where red is: left, right, top or bottom half of the rectangle.
        char Red;
    } turns[] = {{0, 'L'}, {90, 'B'}, {180, 'R'}, {270, 'T'}};
    for (const Kind &k : kinds) {
        TKXImage *im = Element(k);
        for (const Turn &t : turns) {
            SCOPED_TRACE(testing::Message() << k.Name << " at " << t.Angle);
            im->SetAngle(t.Angle);
            const QImage img = Paint(254); // 10 hundredths of a millimetre a pixel
            // Rectangle: x 100 .. 299, y 50 .. 149.
            const int l = 100, r = 300, tp = 50, b = 150;
            const QPoint left(l + 25, 100), right(r - 25, 100), top(200, tp + 20), bottom(200, b - 20);
            QPoint redAt, blueAt;
            switch (t.Red) {
            case 'L': redAt = left; blueAt = right; break;
            case 'R': redAt = right; blueAt = left; break;
            case 'T': redAt = top; blueAt = bottom; break;
            default: redAt = bottom; blueAt = top; break;
            }
            EXPECT_TRUE(Near(img.pixel(redAt), red, k.Tolerance)) << QColor(img.pixel(redAt)).name().toStdString();
            EXPECT_TRUE(Near(img.pixel(blueAt), blue, k.Tolerance)) << QColor(img.pixel(blueAt)).name().toStdString();
            // Nothing outside the rectangle.
            EXPECT_TRUE(Near(img.pixel(l - 2, 100), white, 0));
            EXPECT_TRUE(Near(img.pixel(r + 1, 100), white, 0));
            EXPECT_TRUE(Near(img.pixel(200, tp - 2), white, 0));
            EXPECT_TRUE(Near(img.pixel(200, b + 1), white, 0));
            // The picture reaches the rectangle's corners.
            EXPECT_FALSE(Near(img.pixel(l + 1, tp + 1), white, 30));
            EXPECT_FALSE(Near(img.pixel(r - 2, b - 2), white, 30));
        }
        lab.RemoveElement(im, false, false);
    }
}

TEST_F(ImagePixels, GreyAtEveryAngle)
{
    for (const Kind &k : kinds) {
        TKXImage *im = Element(k);
        im->SetGrayScale(true);
        for (int32_t angle : {0, 90}) {
            SCOPED_TRACE(testing::Message() << k.Name << " at " << angle);
            im->SetAngle(angle);
            const QImage img = Paint(254);
            // Red turns 76, blue 29, in every channel.
            const QPoint redAt = angle == 0 ? QPoint(125, 100) : QPoint(200, 130);
            const QPoint blueAt = angle == 0 ? QPoint(275, 100) : QPoint(200, 70);
            EXPECT_TRUE(Near(img.pixel(redAt), QColor(76, 76, 76), k.Tolerance))
                << QColor(img.pixel(redAt)).name().toStdString();
            EXPECT_TRUE(Near(img.pixel(blueAt), QColor(29, 29, 29), k.Tolerance))
                << QColor(img.pixel(blueAt)).name().toStdString();
        }
        lab.RemoveElement(im, false, false);
    }
}

// The width of the band between the red and the blue half along the middle row, in pixels.
int Transition(const QImage &Img, int Left, int Right, int Y)
{
    int mixed = 0;
    for (int x = Left + 2; x < Right - 2; ++x)
        if (!Near(Img.pixel(x, Y), QColor(255, 0, 0), 20) && !Near(Img.pixel(x, Y), QColor(0, 0, 255), 20))
            ++mixed;
    return mixed;
}

TEST_F(ImagePixels, MetafilesAreDrawnAsVectorsAtTheTargetsResolution)
{
    for (const Kind &k : {kinds[2], kinds[3]}) {
        SCOPED_TRACE(k.Name);
        TKXImage *im = Element(k);
        for (int32_t angle : {0, 180}) {
            im->SetAngle(angle);
            // At 1016 dpi the 20 mm rectangle is 800 pixels: the halves meet near 400 (the
            // enhanced metafile's converter strokes its rectangles half a unit wide) with at
            // most a pixel or two between them, where a picture of 64 or 192 pixels stretched
            // would blur across several.
            const QImage img = Paint(1016);
            EXPECT_LE(Transition(img, 400, 1200, 400), 2);
            EXPECT_TRUE(Near(img.pixel(400 + 385, 400), angle == 0 ? QColor(255, 0, 0) : QColor(0, 0, 255), 20));
            EXPECT_TRUE(Near(img.pixel(400 + 415, 400), angle == 0 ? QColor(0, 0, 255) : QColor(255, 0, 0), 20));
        }
        // The same through a label metafile recorded at a tenth of a millimetre a unit and
        // replayed at 1016 dpi: the recording holds vectors, not pixels.
        im->SetAngle(0);
        TKXMetafile mf(4000, 2000, 400, 200);
        {
            auto canvas = mf.OpenCanvas();
            lab.DrawElements(*canvas, {0, 0}, TKXDrawType::tdPreview, TKXFillType::ftNone);
        }
        const QImage replay = mf.ToImage(1016);
        ASSERT_EQ(replay.width(), 1600);
        EXPECT_LE(Transition(replay, 400, 1200, 400), 2);
        lab.RemoveElement(im, false, false);
    }
}

} // namespace
