// What the canvas writes on PDF pages, against the same drawing made straight through Qt.
// Rectangle fills: one area of many rectangles (the modules of a symbol) goes in whole steps
// of label units under a transform, the bars of a barcode as one fill each; both must show
// exactly what the rectangles give in device units. Texts that need no shaping go as glyphs
// placed by the measured advances; they must show and read exactly as Qt's text drawing.
// Pages are rendered by pdftoppm and compared pixel by pixel; texts are read by pdftotext.
#include "GuiApp.h"

#include "platform/KXQtCanvas.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace kx;
using TRectFill = TKXCanvas::TRectFill;

namespace {

// Page 1 of Pdf in grey at Dpi, as pdftoppm renders it, without antialiasing (as printer
// drivers render pages) unless Smooth.
QImage RenderPage(const QString &Pdf, int Dpi, bool Smooth = false)
{
    const QString prefix = Pdf + QStringLiteral("-page");
    QStringList args = {QStringLiteral("-r"), QString::number(Dpi), QStringLiteral("-gray"), QStringLiteral("-singlefile")};
    if (!Smooth)
        args << QStringLiteral("-aa") << QStringLiteral("no") << QStringLiteral("-aaVector") << QStringLiteral("no");
    if (QProcess::execute(QStringLiteral("pdftoppm"), args << Pdf << prefix) != 0)
        return {};
    return QImage(prefix + QStringLiteral(".pgm"));
}

QString PdfText(const QString &Pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {Pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Pixels that differ between two pages, and pixels darker than light grey on the second.
std::pair<int, int> Compare(const QImage &A, const QImage &B)
{
    int differing = 0, marked = 0;
    for (int y = 0; y < A.height(); ++y)
        for (int x = 0; x < A.width(); ++x) {
            differing += A.pixel(x, y) != B.pixel(x, y);
            marked += qGray(B.pixel(x, y)) < 200;
        }
    return {differing, marked};
}

// A small A6 PDF page drawn by Paint.
void WritePdf(const QString &File, const std::function<void(QPdfWriter &)> &Paint)
{
    QPdfWriter writer(File);
    writer.setPageSize(QPageSize(QPageSize::A6));
    Paint(writer);
}

// A pattern of rectangles: runs of dark cells in rows, some grown over several rows, from
// the cells of a fixed pseudo-random grid.
std::vector<TRect> Cells(TPoint Origin, int32_t W, int32_t H, int Cols, int Rows)
{
    std::vector<TRect> rects;
    uint32_t seed = 12345;
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Cols;) {
            seed = seed * 1103515245u + 12345u;
            const int run = 1 + int((seed >> 16) % 4);
            const int tall = 1 + int((seed >> 20) % 3);
            if ((seed >> 24) & 1)
                rects.push_back({Origin.x + c * W, Origin.y + r * H, Origin.x + (c + run) * W,
                                 Origin.y + std::min(r + tall, Rows) * H});
            c += run + 1;
        }
    return rects;
}

struct FillCase {
    const char *name;
    std::vector<TRect> rects;
    TRectFill fill;
    TColor color;
};

} // namespace

TEST(PdfFills, AreasAndSingleFillsMatchDeviceRectangles)
{
    zt::RequireGuiApp();
    std::vector<TRect> bars;
    for (int32_t x = 1003, i = 0; i < 40; ++i) {
        const int32_t w = 25 * (1 + i % 3);
        bars.push_back({x, 5021, x + w, 6021});
        x += w + 25 * (1 + (i * 7) % 4);
    }
    const std::vector<FillCase> cases = {
        {"square modules", Cells({1234, 987}, 30, 30, 33, 33), TRectFill::rfOneArea, clBlack},
        {"oblong modules", Cells({2011, 1777}, 37, 53, 24, 20), TRectFill::rfOneArea, clBlack},
        // Coordinates without a common step: the step is one label unit.
        {"odd sizes", {{1001, 1003, 1013, 1024}, {1500, 1007, 1531, 1401}, {2222, 3333, 2301, 3343}},
         TRectFill::rfOneArea, clBlack},
        {"coloured", Cells({1500, 4100}, 45, 45, 20, 12), TRectFill::rfOneArea, RGBColor(200, 30, 30)},
        {"bars one fill each", bars, TRectFill::rfEach, clBlack},
        {"bars as one area", bars, TRectFill::rfOneArea, clBlack},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const FillCase &c : cases) {
        SCOPED_TRACE(c.name);
        const QString drawn = dir.filePath(QStringLiteral("drawn.pdf"));
        const QString direct = dir.filePath(QStringLiteral("direct.pdf"));
        WritePdf(drawn, [&](QPdfWriter &w) {
            TKXQtCanvas canvas(&w);
            canvas.SetBrush({c.color, TKXBrushStyle::bsSolid});
            canvas.FillRects(c.rects, c.fill);
        });
        WritePdf(direct, [&](QPdfWriter &w) {
            const TKXMapping m = TKXMapping::ForResolution(w.logicalDpiX(), w.logicalDpiY());
            std::vector<QRectF> boxes;
            for (const TRect &r : c.rects)
                boxes.push_back(QRectF(QPointF(r.Left * m.ScaleX + m.OffsetX, r.Top * m.ScaleY + m.OffsetY),
                                       QPointF(r.Right * m.ScaleX + m.OffsetX, r.Bottom * m.ScaleY + m.OffsetY)));
            QPainter p(&w);
            const QColor colour(RedOf(c.color), GreenOf(c.color), BlueOf(c.color));
            if (c.fill == TRectFill::rfEach) {
                for (const QRectF &b : boxes)
                    p.fillRect(b, colour);
            } else {
                p.setPen(Qt::NoPen);
                p.setBrush(colour);
                p.drawRects(boxes.data(), int(boxes.size()));
            }
        });
        for (const int dpi : {300, 600}) {
            SCOPED_TRACE(dpi);
            const QImage a = RenderPage(drawn, dpi), b = RenderPage(direct, dpi);
            ASSERT_FALSE(a.isNull());
            ASSERT_EQ(a.size(), b.size());
            const auto [differing, marked] = Compare(a, b);
            EXPECT_GT(marked, 100);
            EXPECT_EQ(differing, 0);
        }
    }
}

TEST(PdfText, GlyphsDrawnAsQtDrawsTheText)
{
    zt::RequireGuiApp();
    struct Text {
        TKXFont font;
        int32_t x, y;
        QString text;
        int32_t extra = 0;   // character extra, label units
        bool shaped = false; // left to the shaper (ligatures, spacing, a made-up face)
    };
    auto font = [](const char *Name, int32_t Height, bool Bold = false, bool Italic = false, int32_t Escapement = 0) {
        TKXFont f;
        f.Name = QString::fromLatin1(Name);
        f.Height = Height;
        f.Bold = Bold;
        f.Italic = Italic;
        f.Escapement = Escapement;
        f.Color = RGBColor(20, 40, 160);
        return f;
    };
    const std::vector<Text> texts = {
        {font("Arial", 420), 600, 600, QStringLiteral("Article number 12345")},
        {font("Arial", -350, true), 600, 1300, QStringLiteral("Bold A-100001 \u00c4\u00d6\u00dc \u20ac 9,99")},
        {font("Liberation Serif", 400, false, true), 600, 1900, QStringLiteral("Italic \u00e9t\u00e9 W.V.A.")},
        {font("DejaVu Sans", 380, true, true), 600, 2500, QStringLiteral("Bold italic \u03a9\u0416 (x) [y]")},
        {font("DejaVu Sans Mono", 300, false, false, 900), 6800, 9000, QStringLiteral("Turned 90 degrees")},
        {font("Liberation Sans", 300, false, false, 300), 1000, 6500, QStringLiteral("Turned 30 degrees")},
        {font("DejaVu Serif", 0), 600, 3100, QStringLiteral("Default height")},
        // Drawn by the shaper: a ligature, letter spacing, a face made bold by Qt.
        {font("DejaVu Serif", 400), 600, 3700, QStringLiteral("office fine"), 0, true},
        {font("Arial", 350), 600, 4300, QStringLiteral("Spaced out"), 40, true},
        {font("DejaVu Math TeX Gyre", 400, true), 600, 4900, QStringLiteral("Made bold"), 0, true},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString drawn = dir.filePath(QStringLiteral("drawn.pdf"));
    const QString direct = dir.filePath(QStringLiteral("direct.pdf"));
    WritePdf(drawn, [&](QPdfWriter &w) {
        TKXQtCanvas canvas(&w);
        for (const Text &t : texts) {
            canvas.SetFont(t.font);
            canvas.SetTextCharacterExtra(t.extra);
            canvas.TextOut(t.x, t.y, t.text);
        }
    });
    // Qt's own text drawing with the canvas's placement: the reference font (1000 pixels,
    // unhinted, unkerned) scaled to the height asked for, the top left of the cell at the
    // point, turned about it.
    WritePdf(direct, [&](QPdfWriter &w) {
        const TKXMapping m = TKXMapping::ForResolution(w.logicalDpiX(), w.logicalDpiY());
        QPainter p(&w);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.setRenderHint(QPainter::Antialiasing, true);
        for (const Text &t : texts) {
            QFont f(t.font.Name);
            f.setPixelSize(1000);
            f.setBold(t.font.Bold);
            f.setItalic(t.font.Italic);
            f.setHintingPreference(QFont::PreferNoHinting);
            f.setKerning(false);
            const QFontMetricsF fm(f);
            const double cell = fm.ascent() + fm.descent();
            const double ky = t.font.Height > 0 ? t.font.Height * m.ScaleY / cell
                                                : (t.font.Height < 0 ? -t.font.Height : 318) * m.ScaleY / 1000.0;
            const double kx = ky * m.ScaleX / m.ScaleY;
            if (t.extra != 0)
                f.setLetterSpacing(QFont::AbsoluteSpacing, t.extra * m.ScaleX / kx);
            QTransform tr;
            tr.translate(t.x * m.ScaleX + m.OffsetX, t.y * m.ScaleY + m.OffsetY);
            tr.rotate(-t.font.Escapement / 10.0);
            tr.scale(kx, ky);
            p.setWorldTransform(tr);
            p.setFont(f);
            p.setPen(QColor(RedOf(t.font.Color), GreenOf(t.font.Color), BlueOf(t.font.Color)));
            p.drawText(QPointF(0, fm.ascent()), t.text);
        }
    });
    for (const bool smooth : {false, true}) {
        SCOPED_TRACE(smooth ? "antialiased" : "plain");
        const QImage a = RenderPage(drawn, 300, smooth), b = RenderPage(direct, 300, smooth);
        ASSERT_FALSE(a.isNull());
        ASSERT_EQ(a.size(), b.size());
        const auto [differing, marked] = Compare(a, b);
        EXPECT_GT(marked, 1000);
        EXPECT_EQ(differing, 0);
    }
    const QString read = PdfText(drawn);
    EXPECT_EQ(read, PdfText(direct));
    for (const Text &t : texts) {
        if (!t.shaped && t.font.Escapement == 0) {
            EXPECT_TRUE(read.contains(t.text)) << t.text.toStdString();
        }
    }
}
