// Pictures: recognising the class from the first bytes, loading each format (metafiles
// through SVG), the turned pixel positions and the grey value.
#include "platform/KXPicture.h"
#include "GuiApp.h"
#include "PictureFixtures.h"

#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace kx;

namespace {

using G = TKXGraphicClass;

// Count bytes starting with Head, zero-filled.
QByteArray Head(const QByteArray &Head, int Count = 44)
{
    QByteArray b = Head.left(Count);
    b.append(QByteArray(std::max(0, Count - int(b.size())), '\0'));
    return b;
}

QByteArray Le32(uint32_t v)
{
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
    return b;
}

TEST(Picture, RecognitionCaseTable)
{
    QByteArray emf = Head(Le32(1));
    emf.replace(40, 4, " EMF");
    QByteArray oneWithoutEmf = Head(Le32(1)); // neither a metafile nor an icon
    struct Case {
        const char *Name;
        QByteArray Bytes;
        G Expected;
    } cases[] = {
        {"bitmap", Head("BM"), G::gcBitmap},
        {"jpeg", Head("\xFF\xD8\xFF\xE0"), G::gcJPEG},
        {"png", Head("\x89PNG\r\n\x1A\n"), G::gcPNG},
        {"png signature cut short", Head("\x89PNG\r\n\x1A"), G::gcNone},
        {"placeable metafile", Head(Le32(0x9AC6CDD7u)), G::gcMetafile},
        {"enhanced metafile", emf, G::gcMetafile},
        {"1 without EMF", oneWithoutEmf, G::gcNone},
        {"gif", Head("GIF89a"), G::gcGIF},
        {"icon", Head(QByteArray("\0\0\1\0", 4)), G::gcIcon},
        {"tiff little-endian", Head("II*"), G::gcNone},
        {"tiff big-endian", Head(QByteArray("MM\0*", 4)), G::gcNone},
        {"II before anything else", Head("IIBM"), G::gcNone},
        {"unknown", Head("hello"), G::gcNone},
        {"43-byte bitmap", Head("BM", 43), G::gcNone},
        {"43-byte png", Head("\x89PNG\r\n\x1A\n", 43), G::gcNone},
        {"empty", QByteArray(), G::gcNone},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FindGraphicClass(c.Bytes), c.Expected) << c.Name;
}

// A GIF of one white pixel, with a comment block (Qt writes no GIF).
QByteArray OnePixelGif()
{
    return QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00"
                      "!\xfe\x08zt-gif-s\x00"
                      ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                      47);
}

TEST(Picture, RealFilesAreRecognisedAndLoad)
{
    zt::RequireGuiApp();
    const QImage image = zt::TwoColourImage(40, 20);
    struct Case {
        const char *Name;
        QByteArray Bytes;
        G Expected;
        QSize Pixels;
    } cases[] = {
        {"png", zt::Encode(image, "PNG"), G::gcPNG, {40, 20}},
        {"jpeg", zt::Encode(image, "JPG"), G::gcJPEG, {40, 20}},
        {"bmp", zt::Encode(image, "BMP"), G::gcBitmap, {40, 20}},
        {"icon", zt::Encode(image, "ICO"), G::gcIcon, {40, 20}},
        {"gif", OnePixelGif(), G::gcGIF, {1, 1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_FALSE(c.Bytes.isEmpty());
        ASSERT_EQ(FindGraphicClass(c.Bytes), c.Expected);
        TKXGraphic g;
        ASSERT_TRUE(g.Load(c.Expected, c.Bytes));
        EXPECT_EQ(g.PixelSize(), c.Pixels);
        EXPECT_EQ(g.Bytes(), c.Bytes); // kept as loaded
        EXPECT_FALSE(g.IsVector());
    }
    // Bytes of another class do not load as this one.
    TKXGraphic g;
    EXPECT_FALSE(g.Load(G::gcPNG, zt::Encode(image, "JPG")));
    EXPECT_TRUE(g.Empty());
}

TEST(Picture, MetafilesBecomeVectorPictures)
{
    zt::RequireGuiApp();
    struct Case {
        const char *Name;
        QByteArray Bytes;
        QSize Pixels;
    } cases[] = {
        {"enhanced", zt::TwoColourEmf(), QSize(76, 38)}, // 20 x 10 mm at 96 dpi
        {"placeable", zt::TwoColourWmf(), QSize(192, 96)}, // 2 x 1 inch
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_EQ(FindGraphicClass(c.Bytes), G::gcMetafile);
        TKXGraphic g;
        ASSERT_TRUE(g.Load(G::gcMetafile, c.Bytes));
        EXPECT_TRUE(g.IsVector());
        ASSERT_NE(g.Svg(), nullptr);
        EXPECT_TRUE(g.Svg()->isValid());
        EXPECT_EQ(g.PixelSize(), c.Pixels);
        // Drawn at four times its size: red on the left, blue on the right.
        const QImage drawn = g.Render(c.Pixels * 4, 0, true);
        const int y = drawn.height() / 2;
        EXPECT_EQ(QColor(drawn.pixel(drawn.width() / 4, y)), QColor(Qt::red));
        EXPECT_EQ(QColor(drawn.pixel(drawn.width() * 3 / 4, y)), QColor(Qt::blue));
    }
}

TEST(Picture, DamagedMetafilesDoNotLoad)
{
    zt::RequireGuiApp();
    for (const QByteArray &whole : {zt::TwoColourEmf(), zt::TwoColourWmf()}) {
        // Cut short anywhere: refused.
        for (int n = 0; n < whole.size(); ++n) {
            TKXGraphic g;
            EXPECT_FALSE(g.Load(G::gcMetafile, whole.left(n))) << n;
            EXPECT_TRUE(g.Empty());
        }
        // Bytes overwritten at random: loaded with a size, or refused, never more.
        std::mt19937 rng(7);
        for (int i = 0; i < 300; ++i) {
            QByteArray b = whole;
            for (int k = 0; k < 3; ++k)
                b[int(rng() % uint32_t(b.size()))] = char(rng());
            TKXGraphic g;
            if (g.Load(G::gcMetafile, b))
                EXPECT_FALSE(g.PixelSize().isEmpty());
            else
                EXPECT_TRUE(g.Empty());
        }
    }
}

// A 3 x 2 image of six colours: a b c / d e f.
QImage SixPixels()
{
    QImage image(3, 2, QImage::Format_ARGB32);
    const QRgb px[6] = {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004, 0xFF000005, 0xFF000006};
    for (int i = 0; i < 6; ++i)
        image.setPixel(i % 3, i / 3, px[i]);
    return image;
}

std::vector<std::string> Rows(const QImage &Image)
{
    std::vector<std::string> rows;
    for (int y = 0; y < Image.height(); ++y) {
        std::string row;
        for (int x = 0; x < Image.width(); ++x)
            row += char('a' - 1 + (Image.pixel(x, y) & 0xFF));
        rows.push_back(row);
    }
    return rows;
}

TEST(Picture, TurnedPixelPositions)
{
    const QImage src = SixPixels();
    using R = std::vector<std::string>;
    EXPECT_EQ(Rows(TurnImage(src, 0)), (R{"abc", "def"}));
    // A quarter turn counter-clockwise: (x, y) -> (y, W - 1 - x).
    EXPECT_EQ(Rows(TurnImage(src, 90)), (R{"cf", "be", "ad"}));
    // (x, y) -> (W - 1 - x, H - 1 - y).
    EXPECT_EQ(Rows(TurnImage(src, 180)), (R{"fed", "cba"}));
    // (x, y) -> (H - 1 - y, x).
    EXPECT_EQ(Rows(TurnImage(src, 270)), (R{"da", "eb", "fc"}));
    // Other angles leave the picture as it is.
    EXPECT_EQ(Rows(TurnImage(src, 45)), (R{"abc", "def"}));
}

TEST(Picture, GreyFormulaOnKnownPixels)
{
    struct Case {
        int R, G, B;
        int Grey;
    } cases[] = {
        {255, 0, 0, 76},    // 76.245
        {0, 255, 0, 150},   // 149.685
        {0, 0, 255, 29},    // 29.07
        {255, 255, 255, 255},
        {0, 0, 0, 0},
        {0, 0, 250, 28},    // 28.5: halves go to the even neighbour
        {0, 12, 4, 8},      // 7.5
        {0, 4, 168, 22},    // 21.5
        {10, 200, 30, 124}, // 3.42 + 117.4 + 2.99 = 123.81
    };
    for (const Case &c : cases)
        EXPECT_EQ(GreyOf(uint8_t(c.R), uint8_t(c.G), uint8_t(c.B)), c.Grey) << c.R << "," << c.G << "," << c.B;

    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 0, 0, 255));
    image.setPixel(1, 0, qRgba(0, 255, 0, 0)); // alpha is kept
    MakeGrey(image);
    EXPECT_EQ(image.pixel(0, 0), qRgba(76, 76, 76, 255));
    EXPECT_EQ(qAlpha(image.pixel(1, 0)), 0);
    EXPECT_EQ(qRed(image.pixel(1, 0)), 150);
}

TEST(Picture, TransparentBitmapLeavesOutItsBottomLeftColour)
{
    zt::RequireGuiApp();
    QImage image = zt::TwoColourImage(4, 2, Qt::white, Qt::green);
    TKXGraphic bmp;
    ASSERT_TRUE(bmp.Load(G::gcBitmap, zt::Encode(image, "BMP")));
    const QImage t = bmp.RasterFor(true);
    EXPECT_EQ(qAlpha(t.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(t.pixel(3, 0)), 255);
    EXPECT_EQ(qAlpha(bmp.RasterFor(false).pixel(0, 0)), 255);
    // Other classes keep their own transparency.
    TKXGraphic png;
    ASSERT_TRUE(png.Load(G::gcPNG, zt::Encode(image, "PNG")));
    EXPECT_EQ(qAlpha(png.RasterFor(true).pixel(0, 0)), 255);
}

TEST(Picture, ExtensionChoosesTheClass)
{
    EXPECT_EQ(GraphicClassOfExtension("a/b/pic.PNG"), G::gcPNG);
    EXPECT_EQ(GraphicClassOfExtension("pic.jpeg"), G::gcJPEG);
    EXPECT_EQ(GraphicClassOfExtension("pic.jpg"), G::gcJPEG);
    EXPECT_EQ(GraphicClassOfExtension("pic.wmf"), G::gcMetafile);
    EXPECT_EQ(GraphicClassOfExtension("pic.emf"), G::gcMetafile);
    EXPECT_EQ(GraphicClassOfExtension("pic.ico"), G::gcIcon);
    EXPECT_EQ(GraphicClassOfExtension("pic.tif"), G::gcNone);
    EXPECT_EQ(GraphicClassOfExtension("pic"), G::gcNone);
}

} // namespace
