// Page pictures: each format read back and compared with the page image, the bitmap's
// depth, and failures (no such page, a folder that cannot be written) that leave no file.
#include "GuiApp.h"
#include "core/KXError.h"
#include "document/KXBaseLab.h"
#include "elements/KXShapes.h"
#include "elements/KXText.h"
#include "print/KXPreview.h"
#include "platform/KXPicture.h"
#include "platform/KXWmfCanvas.h"
#include "preview/KXPageWriters.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <cstdlib>

using namespace kx;

namespace {

// The mean difference of the colour channels of two images of one size, 0..255.
double MeanDifference(const QImage &A, const QImage &B)
{
    const QImage a = A.convertToFormat(QImage::Format_RGB32);
    const QImage b = B.convertToFormat(QImage::Format_RGB32);
    if (a.size() != b.size() || a.isNull())
        return 255;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const QRgb *pa = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const QRgb *pb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            sum += std::abs(qRed(pa[x]) - qRed(pb[x])) + std::abs(qGreen(pa[x]) - qGreen(pb[x])) +
                   std::abs(qBlue(pa[x]) - qBlue(pb[x]));
    }
    return sum / (3.0 * a.width() * a.height());
}

// The share of pixels that are not white: a page that lost its drawing is caught by it.
double InkShare(const QImage &Image)
{
    const QImage a = Image.convertToFormat(QImage::Format_RGB32);
    int64_t ink = 0;
    for (int y = 0; y < a.height(); ++y) {
        const QRgb *p = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            ink += qRed(p[x]) < 200 || qGreen(p[x]) < 200 || qBlue(p[x]) < 200;
    }
    return double(ink) / (double(a.width()) * a.height());
}

// Root writes into any folder whatever its permissions: for the life of the scope the
// calling thread gives up the capabilities that allow it.
class TNoFileOverride {
public:
    TNoFileOverride()
    {
        FHeader.version = _LINUX_CAPABILITY_VERSION_3;
        FHeader.pid = 0;
        if (syscall(SYS_capget, &FHeader, FSaved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {FSaved[0], FSaved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        FChanged = syscall(SYS_capset, &FHeader, reduced) == 0;
    }
    ~TNoFileOverride()
    {
        if (FChanged)
            syscall(SYS_capset, &FHeader, FSaved);
    }

private:
    __user_cap_header_struct FHeader{};
    __user_cap_data_struct FSaved[2]{};
    bool FChanged = false;
};

class PageWriters : public ::testing::Test {
protected:
    PageWriters()
    {
        zt::RequireGuiApp();
        lab.Printer().SelectPdfFile({}); // the preview needs no printer
        // Colours with SVG names: libwmf writes a fill as the nearest named colour.
        auto *box = lab.NewElement<TKXRect>();
        box->SetP1(300, 300);
        box->SetP2(2800, 1900);
        box->SetColor(RGBColor(0, 0, 128));
        box->SetBackColor(RGBColor(255, 215, 0));
        box->SetTransparent(false);
        box->SetPenWidth(0.5f);
        auto *ring = lab.NewElement<TKXRect>();
        ring->SetP1(3200, 300);
        ring->SetP2(6000, 3400);
        ring->SetEllipse(true);
        ring->SetColor(RGBColor(178, 34, 34));
        ring->SetBackColor(RGBColor(144, 238, 144));
        ring->SetTransparent(false);
        ring->SetPenWidth(0.8f);
        auto *line = lab.NewElement<TKXLine>();
        line->SetP1(300, 3500);
        line->SetP2(6000, 2200);
        line->SetPenWidth(0.6f);
        auto *text = lab.NewElement<TKXText>();
        text->SetP1(400, 2000);
        text->SetFontHeight(6);
        text->SetText("Zantor 42");
        auto *turned = lab.NewElement<TKXText>();
        turned->SetP1(5200, 400);
        turned->SetFontHeight(3);
        turned->SetAngle(90);
        turned->SetText("turned");
        lab.PrintInfo()->SetNumLabs(30); // 21 on a sheet: two pages
        lab.BuildOnDemandPreview();
    }
    QString File(const char *Name) const { return dir.filePath(QString::fromLatin1(Name)); }

    TKXCustomLab lab;
    QTemporaryDir dir;
};

TEST_F(PageWriters, RasterPicturesReadBackAsThePageImage)
{
    const QImage page = PageImage(lab, 2);
    ASSERT_EQ(page.size(), QSize(2100, 2970)); // A4 in tenths of a millimetre
    // Nine labels on the second page, each about a third inked.
    ASSERT_GT(InkShare(page), 0.03);
    struct {
        TKXPageFormat Format;
        const char *Name;
        const char *ReaderFormat;
        double MaxMean; // lossless formats give the page back exactly
    } const cases[] = {
        {TKXPageFormat::Png, "page.png", "png", 0.0},
        {TKXPageFormat::Bmp, "page.bmp", "bmp", 0.0},
        {TKXPageFormat::Jpeg, "page.jpg", "jpeg", 1.5},
        {TKXPageFormat::Gif, "page.gif", "gif", 1.0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        SavePagePicture(lab, 2, c.Format, File(c.Name), 90);
        QImageReader reader(File(c.Name));
        EXPECT_EQ(reader.format(), QByteArray(c.ReaderFormat));
        const QImage back = reader.read();
        ASSERT_FALSE(back.isNull()) << reader.errorString().toStdString();
        EXPECT_EQ(back.size(), page.size());
        EXPECT_LE(MeanDifference(back, page), c.MaxMean);
    }
}

// A metafile read back through the program's own picture loader, drawn at the page
// image's size on white.
QImage MetafileImage(const QString &File, QSize Size)
{
    TKXGraphic g;
    if (!g.LoadFromFile(File))
        return {};
    QImage image(Size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.drawImage(0, 0, g.Render(Size, 0, false));
    return image;
}

TEST_F(PageWriters, MetafilesReadBackAsThePageImage)
{
    const QImage page = PageImage(lab, 2);
    struct {
        TKXPageFormat Format;
        const char *Name;
        double MaxMean; // the readers' own rendering differs a little from ours
    } const cases[] = {
        {TKXPageFormat::Emf, "page.emf", 3.0},
        {TKXPageFormat::Wmf, "page.wmf", 3.0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        SavePagePicture(lab, 2, c.Format, File(c.Name));
        const QImage back = MetafileImage(File(c.Name), page.size());
        ASSERT_FALSE(back.isNull());
        EXPECT_GT(InkShare(back), 0.03);
        EXPECT_LE(MeanDifference(back, page), c.MaxMean);
    }
}

TEST_F(PageWriters, CircularLabelsAreClippedInTheMetafiles)
{
    // Each label's drawing is cut by its circle: the ellipse, the line and the texts cross
    // it, so the metafiles carry intersected shapes and glyph outlines.
    lab.Measure()->SetLabelType(TZantorType::ltCircle);
    lab.BuildOnDemandPreview();
    const QImage page = PageImage(lab, 1);
    ASSERT_GT(InkShare(page), 0.03);
    for (auto [format, name, maxMean] : {std::tuple{TKXPageFormat::Emf, "round.emf", 3.0},
                                         std::tuple{TKXPageFormat::Wmf, "round.wmf", 3.0}}) {
        SCOPED_TRACE(name);
        SavePagePicture(lab, 1, format, File(name));
        const QImage back = MetafileImage(File(name), page.size());
        ASSERT_FALSE(back.isNull());
        EXPECT_LE(MeanDifference(back, page), maxMean);
        // Nothing outside the circles: the corner between four labels stays white.
        const QRect corner(page.width() / 2 - 5, 5, 10, 10);
        EXPECT_EQ(InkShare(back.copy(corner)), 0.0);
    }
}

// The placeable header and the records of a 16-bit metafile, word by word.
TEST_F(PageWriters, WmfHeaderKeyChecksumAndRecordsAreRight)
{
    const QByteArray wmf = WmfBytes(lab, 1);
    const auto *b = reinterpret_cast<const uint8_t *>(wmf.constData());
    auto u16 = [b](size_t At) { return uint16_t(b[At] | (b[At + 1] << 8)); };
    auto u32 = [&u16](size_t At) { return uint32_t(u16(At)) | uint32_t(u16(At + 2)) << 16; };
    ASSERT_GE(wmf.size(), 22 + 18 + 6);
    EXPECT_EQ(u32(0), 0x9AC6CDD7u);
    EXPECT_EQ(u16(4), 0);     // no handle
    EXPECT_EQ(int16_t(u16(6)), 0);
    EXPECT_EQ(int16_t(u16(8)), 0);
    EXPECT_EQ(int16_t(u16(10)), 21000); // A4 in hundredths of a millimetre
    EXPECT_EQ(int16_t(u16(12)), 29700);
    EXPECT_EQ(u16(14), 2540); // units per inch
    uint16_t sum = 0;
    for (size_t i = 0; i < 10; ++i)
        sum ^= u16(2 * i);
    EXPECT_EQ(u16(20), sum);
    EXPECT_EQ(PlaceableChecksum(b), sum);
    // The metafile header: in memory, 9 words, version 3.0, the size in words.
    EXPECT_EQ(u16(22), 1);
    EXPECT_EQ(u16(24), 9);
    EXPECT_EQ(u16(26), 0x0300);
    EXPECT_EQ(u32(28) * 2, uint32_t(wmf.size() - 22));
    // The records fill the file exactly, the largest is the one the header names, and the
    // last is the end record.
    size_t at = 22 + 18;
    uint32_t largest = 0;
    uint16_t last = 0xFFFF;
    int saves = 0;
    while (at + 6 <= size_t(wmf.size())) {
        const uint32_t words = u32(at);
        ASSERT_GE(words, 3u);
        last = u16(at + 4);
        saves += last == 0x001E ? 1 : last == 0x0127 ? -1 : 0;
        EXPECT_GE(saves, 0);
        largest = std::max(largest, words);
        at += size_t(words) * 2;
    }
    EXPECT_EQ(at, size_t(wmf.size()));
    EXPECT_EQ(last, 0x0000);
    EXPECT_EQ(saves, 0) << "every saved context is restored";
    EXPECT_EQ(u32(34), largest);
}

TEST(PageWmf, LargePagesUseALargerUnit)
{
    zt::RequireGuiApp();
    // A3 landscape, 42 cm wide: hundredths of a millimetre would overflow 16 bits.
    TKXWmfCanvas canvas(42000, 29700, 4200, 2970);
    canvas.SetBrush({RGBColor(0, 0, 0), TKXBrushStyle::bsSolid});
    canvas.FillRect({40000, 100, 41900, 29600});
    const QByteArray wmf = canvas.Finish();
    const auto *b = reinterpret_cast<const uint8_t *>(wmf.constData());
    ASSERT_GE(wmf.size(), 22);
    EXPECT_EQ(int16_t(b[10] | b[11] << 8), 21000);
    EXPECT_EQ(b[14] | b[15] << 8, 1270);
    const QImage back = [&] {
        TKXGraphic g;
        EXPECT_TRUE(g.Load(TKXGraphicClass::gcMetafile, wmf));
        return g.Render(QSize(420, 297), 0, false);
    }();
    ASSERT_FALSE(back.isNull());
    EXPECT_GT(qAlpha(back.pixel(410, 150)), 200); // the black band at the right edge
    EXPECT_LT(qGray(back.pixel(410, 150)), 60);
    EXPECT_GT(qGray(back.pixel(200, 150)), 200);
}

TEST_F(PageWriters, BitmapHasTwentyFourBitsAPixel)
{
    const QByteArray bmp = PagePictureBytes(lab, 1, TKXPageFormat::Bmp);
    ASSERT_GE(bmp.size(), 54);
    EXPECT_EQ(bmp.left(2), QByteArray("BM"));
    EXPECT_EQ(uint8_t(bmp[28]) | (uint8_t(bmp[29]) << 8), 24); // biBitCount
    // Rows of 2100 x 3 bytes (a multiple of 4 already), 2970 of them, after the headers.
    EXPECT_EQ(bmp.size(), 54 + 2100 * 3 * 2970);
}

TEST(PageGif, ManyColoursAreQuantisedTo256)
{
    zt::RequireGuiApp();
    // 128 x 128 steps of red and green (16384 colours) above a white band as large.
    QImage ramp(256, 512, QImage::Format_RGB32);
    ramp.fill(Qt::white);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            ramp.setPixel(x, y, qRgb(x & ~1, y & ~1, 90));
    const QByteArray gif = GifBytes(ramp);
    ASSERT_EQ(gif.left(6), QByteArray("GIF89a"));
    QImage back;
    ASSERT_TRUE(back.loadFromData(gif, "GIF"));
    ASSERT_EQ(back.size(), ramp.size());
    EXPECT_LE(back.colorCount(), 256);
    // Median cut over 5-bit channels: about 5 on the ramp, none on the white.
    EXPECT_LT(MeanDifference(back.copy(0, 0, 256, 256), ramp.copy(0, 0, 256, 256)), 6.0);
    EXPECT_EQ(back.pixel(10, 400), qRgb(255, 255, 255)) << "white must stay white, not 248";
    // A few flat colours stay exact.
    QImage flat(40, 20, QImage::Format_RGB32);
    flat.fill(qRgb(10, 200, 30));
    flat.setPixel(3, 4, qRgb(255, 0, 255));
    ASSERT_TRUE(back.loadFromData(GifBytes(flat), "GIF"));
    EXPECT_EQ(MeanDifference(back, flat), 0.0);
}

TEST_F(PageWriters, JpegQualityIsApplied)
{
    const QByteArray low = PagePictureBytes(lab, 1, TKXPageFormat::Jpeg, 5);
    const QByteArray high = PagePictureBytes(lab, 1, TKXPageFormat::Jpeg, 100);
    EXPECT_LT(low.size() * 2, high.size());
    // Out-of-range answers are held to 1..100 rather than handed to the encoder.
    EXPECT_EQ(PagePictureBytes(lab, 1, TKXPageFormat::Jpeg, 0), PagePictureBytes(lab, 1, TKXPageFormat::Jpeg, 1));
    EXPECT_EQ(PagePictureBytes(lab, 1, TKXPageFormat::Jpeg, 400), high);
}

TEST_F(PageWriters, PageOutsideTheRunIsAnErrorAndWritesNothing)
{
    for (int page : {0, 3, -1}) {
        SCOPED_TRACE(page);
        EXPECT_THROW(SavePagePicture(lab, page, TKXPageFormat::Png, File("none.png")), EKxError);
        EXPECT_FALSE(QFile::exists(File("none.png")));
    }
}

TEST_F(PageWriters, ReadOnlyFolderIsAnErrorAndLeavesNoFile)
{
    const QString folder = File("locked");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                  QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
    {
        TNoFileOverride noOverride;
        QFile probe(folder + "/probe");
        ASSERT_FALSE(probe.open(QIODevice::WriteOnly)) << "the folder must refuse new files";
        for (TKXPageFormat f : {TKXPageFormat::Png, TKXPageFormat::Jpeg}) {
            try {
                SavePagePicture(lab, 1, f, folder + "/page.png");
                ADD_FAILURE() << "saving into a read-only folder succeeded";
            } catch (const EKxError &e) {
                EXPECT_NE(std::string(e.what()).find("page.png"), std::string::npos) << e.what();
            }
        }
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

TEST_F(PageWriters, PageMissingFromTheCacheIsRenderedForTheFile)
{
    lab.PrintInfo()->SetNumLabs(21 * 25);
    lab.BuildOnDemandPreview();
    bool cached = false;
    for (const TKXPagePreview &p : lab.PreviewPages())
        cached = cached || p.PageNo == 12;
    ASSERT_FALSE(cached);
    const QImage page = PageImage(lab, 12);
    EXPECT_EQ(page.size(), QSize(2100, 2970));
    // Every page is full: 21 labels of the same drawing as page 1.
    EXPECT_LE(MeanDifference(page, PageImage(lab, 1)), 0.0);
}

} // namespace
