// Elements drawn through the document onto the real QPainter canvas: pixels land where the
// millimetres say, at two resolutions (254 dpi: 10 hundredths of a millimetre to the pixel;
// 508 dpi: 5).
#include "GuiApp.h"
#include "LabTestPrint.h"
#include "platform/KXQtCanvas.h"
#include "TestElements.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace kx;

namespace {

bool Dark(const QImage &img, int x, int y)
{
    return qGray(img.pixel(x, y)) < 128;
}

TEST(DrawPixels, RectangleEdgesAndTextCellAtTwoResolutions)
{
    zt::RequireGuiApp();
    TKXCustomLab lab;
    auto *box = lab.NewElement<zt::TestBox>();
    box->SetPoints({1000, 500}, {3000, 1500}); // 10 mm, 5 mm to 30 mm, 15 mm
    box->SetPenWidth(0);                        // one device pixel
    auto *text = lab.NewElement<zt::TestText>();
    text->SetPoints({4000, 500}, {-1, -1}); // cell top-left at 40 mm, 5 mm
    text->SetFontHeight(5);

    for (int dpi : {254, 508}) {
        SCOPED_TRACE(dpi);
        const double px = dpi / 2540.0; // pixels per hundredth of a millimetre
        QImage img(int(6000 * px), int(3500 * px), QImage::Format_RGB32);
        img.setDotsPerMeterX(qRound(dpi / 0.0254));
        img.setDotsPerMeterY(qRound(dpi / 0.0254));
        img.fill(Qt::white);
        {
            TKXQtCanvas canvas(&img);
            lab.DrawElements(canvas, {0, 0}, TKXDrawType::tdPrint, TKXFillType::ftNone);
        }
        const int l = int(1000 * px), t = int(500 * px), r = int(3000 * px), b = int(1500 * px);
        const int midY = (t + b) / 2, midX = (l + r) / 2;
        // The outline covers Left .. Right - 1 and Top .. Bottom - 1.
        EXPECT_TRUE(Dark(img, l, midY));
        EXPECT_FALSE(Dark(img, l - 1, midY));
        EXPECT_FALSE(Dark(img, l + 1, midY));
        EXPECT_TRUE(Dark(img, r - 1, midY));
        EXPECT_FALSE(Dark(img, r, midY));
        EXPECT_TRUE(Dark(img, midX, t));
        EXPECT_FALSE(Dark(img, midX, t - 1));
        EXPECT_TRUE(Dark(img, midX, b - 1));
        EXPECT_FALSE(Dark(img, midX, b));

        // The text's ink lies inside its cell: below and right of the cell's top-left,
        // none above it or left of it.
        const int cx = int(4000 * px), cy = int(500 * px), cell = int(500 * px);
        int inside = 0, outside = 0;
        for (int y = cy - cell; y < cy + cell; ++y)
            for (int x = cx - cell; x < cx + 4 * cell; ++x)
                if (Dark(img, x, y))
                    (x >= cx && y >= cy ? inside : outside)++;
        EXPECT_GT(inside, 0);
        EXPECT_EQ(outside, 0);
        EXPECT_EQ(text->Frame.Left, 4000);
        EXPECT_EQ(text->Frame.Top, 500);
    }
}

} // namespace
