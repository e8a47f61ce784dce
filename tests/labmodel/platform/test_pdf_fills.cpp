// Rectangle fills on PDF pages. The canvas writes one area of many rectangles (the modules
// of a symbol) in whole steps of label units under a transform, and the bars of a barcode as
// one fill each; both must show exactly what the same rectangles give in device units,
// drawn straight through Qt. Pages are rendered by pdftoppm without antialiasing (as printer
// drivers render them) and compared pixel by pixel.
#include "GuiApp.h"

#include "platform/KXQtCanvas.h"

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

// Page 1 of Pdf in grey at Dpi, as pdftoppm renders it without antialiasing.
QImage RenderPage(const QString &Pdf, int Dpi)
{
    const QString prefix = Pdf + QStringLiteral("-page");
    const int rc = QProcess::execute(
        QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(Dpi), QStringLiteral("-gray"),
                                     QStringLiteral("-aa"), QStringLiteral("no"), QStringLiteral("-aaVector"),
                                     QStringLiteral("no"), QStringLiteral("-singlefile"), Pdf, prefix});
    if (rc != 0)
        return {};
    return QImage(prefix + QStringLiteral(".pgm"));
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
            int differing = 0, marked = 0;
            for (int y = 0; y < a.height(); ++y)
                for (int x = 0; x < a.width(); ++x) {
                    differing += a.pixel(x, y) != b.pixel(x, y);
                    marked += qGray(b.pixel(x, y)) < 200;
                }
            EXPECT_GT(marked, 100);
            EXPECT_EQ(differing, 0);
        }
    }
}
