// Pictures: recognising the class from the first bytes, loading each format (metafiles
// through SVG), the turned pixel positions and the grey value.
#include "platform/KXPicture.h"
#include "GuiApp.h"
#include "PictureFixtures.h"

#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <chrono>
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

// A bitmap record of a placeable metafile: size in words, function, the parameters before
// the bitmap (Before bytes of zeros), then the bitmap itself.
QByteArray BitmapRecord(uint16_t Function, int Before, const QByteArray &Dib)
{
    QByteArray params = QByteArray(Before, '\0') + Dib;
    if (params.size() % 2)
        params.append('\0');
    QByteArray r = Le32(uint32_t(3 + params.size() / 2));
    r.append(char(Function & 0xFF)).append(char(Function >> 8));
    return r + params;
}

// A device-independent bitmap: header of HeaderSize bytes (an info header's fields where it
// has room for them), then Extra bytes of colour table and pixels.
QByteArray Dib(uint32_t HeaderSize, int32_t Width, int32_t Height, uint16_t Bits, int Extra,
               uint32_t Compression = 0, uint32_t SizeImage = 0)
{
    QByteArray d = Le32(HeaderSize);
    if (HeaderSize == 12) {
        d.append(char(Width)).append(char(Width >> 8)).append(char(Height)).append(char(Height >> 8));
        d.append(char(1)).append('\0').append(char(Bits)).append('\0');
    } else if (HeaderSize >= 40) {
        d += Le32(uint32_t(Width)) + Le32(uint32_t(Height));
        d.append(char(1)).append('\0').append(char(Bits)).append('\0');
        d += Le32(Compression) + Le32(SizeImage) + QByteArray(16, '\0');
        d.append(QByteArray(int(HeaderSize) - 40, '\0'));
    } else {
        d.append(QByteArray(std::max(0, int(HeaderSize) - 4), '\0'));
    }
    return d + QByteArray(Extra, '\x33');
}

// The records of a placeable metafile are walked before the library plays them: a bitmap
// whose header size is none of the defined ones (0 and 1 made the library loop for ever) or
// whose bitmap does not fit its record is refused, and the picture does not load.
TEST(Picture, MetafileBitmapRecordsAreCheckedBeforePlaying)
{
    zt::RequireGuiApp();
    // 4 x 2 pixels at 24 bits: rows of 12 bytes, 24 bytes in all.
    const struct {
        const char *note;
        QByteArray record;
        bool sound;
    } cases[] = {
        {"stretched bitmap, info header", BitmapRecord(0x0B41, 20, Dib(40, 4, 2, 24, 24)), true},
        {"stretched bitmap, header size 0", BitmapRecord(0x0B41, 20, Dib(0, 4, 2, 24, 24)), false},
        {"stretched bitmap, header size 1", BitmapRecord(0x0B41, 20, Dib(1, 4, 2, 24, 24)), false},
        {"stretched bitmap, header size 41", BitmapRecord(0x0B41, 20, Dib(41, 4, 2, 24, 24)), false},
        {"stretched bitmap, two bytes short", BitmapRecord(0x0B41, 20, Dib(40, 4, 2, 24, 22)), false},
        {"stretched bitmap without a bitmap", BitmapRecord(0x0B41, 22, {}), true},
        {"pattern brush, header size 0", BitmapRecord(0x0142, 4, Dib(0, 8, 8, 1, 16)), false},
        {"pattern brush, header size 1", BitmapRecord(0x0142, 4, Dib(1, 8, 8, 1, 16)), false},
        {"pattern brush, 1 bit, two colours", BitmapRecord(0x0142, 4, Dib(40, 8, 8, 1, 8 + 32)), true},
        {"pattern brush, pixels cut", BitmapRecord(0x0142, 4, Dib(40, 8, 8, 1, 8 + 30)), false},
        {"pattern brush, core header", BitmapRecord(0x0142, 4, Dib(12, 8, 8, 1, 6 + 32)), true},
        {"stretch to device, top-down", BitmapRecord(0x0F43, 22, Dib(40, 4, -2, 24, 24)), true},
        {"stretch to device, 0 wide", BitmapRecord(0x0F43, 22, Dib(40, 0, 2, 24, 24)), false},
        {"stretch to device, 3 bits", BitmapRecord(0x0F43, 22, Dib(40, 4, 2, 3, 24)), false},
        {"bit block, huge height", BitmapRecord(0x0940, 16, Dib(40, 4, 0x7FFFFFFF, 24, 24)), false},
        {"bit block, V5 header", BitmapRecord(0x0940, 16, Dib(124, 4, 2, 24, 24)), true},
        {"set to device, run-length without a size", BitmapRecord(0x0D33, 18, Dib(40, 4, 2, 8, 1024, 1, 0)), false},
        {"set to device, run-length", BitmapRecord(0x0D33, 18, Dib(40, 4, 2, 8, 1024 + 8, 1, 8)), true},
        {"a record of 0 words", Le32(0) + QByteArray("\x42\x01", 2), false},
        {"a record beyond the end", Le32(4000) + QByteArray("\x42\x01", 2), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.note);
        const QByteArray wmf = zt::TwoColourWmfWith(c.record);
        EXPECT_EQ(PlaceableMetafileIsSound(wmf), c.sound);
        TKXGraphic g;
        if (!c.sound) {
            EXPECT_FALSE(g.Load(G::gcMetafile, wmf));
            EXPECT_TRUE(g.Empty());
        }
    }
    EXPECT_TRUE(PlaceableMetafileIsSound(zt::TwoColourWmf()));
}

// Whatever a library does with hostile bytes stays within its deadline: a stretched bitmap
// with a header size of 0 makes the library loop for ever when nothing refuses it first.
TEST(Picture, ConversionThatLoopsIsStoppedAtItsDeadline)
{
    // Copy 4 x 4 source pixels to 50 x 50 at (10, 10).
    const QByteArray params = QByteArray::fromHex("2000cc00" "0400" "0400" "0000" "0000" "3200" "3200" "0a00" "0a00");
    const QByteArray wmf = zt::TwoColourWmfWith(BitmapRecord(0x0B41, 0, params + Dib(0, 4, 4, 24, 48)));
    TKXRunLimits limits;
    limits.TimeoutMs = 700;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(PlayPlaceableMetafile(wmf, limits).isEmpty());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(700)); // it did loop
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(700 + 3000));
    // The same record with a defined header plays.
    EXPECT_FALSE(
        PlayPlaceableMetafile(zt::TwoColourWmfWith(BitmapRecord(0x0B41, 0, params + Dib(40, 4, 4, 24, 48))), limits)
            .isEmpty());
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
    // Each corner its own colour: only the bottom-left one's goes, wherever it is.
    //   red   white blue
    //   white green yellow
    QImage corners(3, 2, QImage::Format_RGB32);
    const QRgb px[6] = {qRgb(255, 0, 0), qRgb(255, 255, 255), qRgb(0, 0, 255),
                        qRgb(255, 255, 255), qRgb(0, 255, 0), qRgb(255, 255, 0)};
    for (int i = 0; i < 6; ++i)
        corners.setPixel(i % 3, i / 3, px[i]);
    TKXGraphic keyed;
    ASSERT_TRUE(keyed.Load(G::gcBitmap, zt::Encode(corners, "BMP")));
    const QImage k = keyed.RasterFor(true);
    std::string alpha;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            alpha += qAlpha(k.pixel(x, y)) == 0 ? '.' : '#';
    EXPECT_EQ(alpha, "#.#" ".##");
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
