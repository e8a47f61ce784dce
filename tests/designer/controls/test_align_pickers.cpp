// The alignment and paragraph pickers: what each button answers, how the current value is
// marked, the "None" strip, the button geometry, and the place kept inside the screen.
#include "EditorFixture.h"

#include "controls/KXAlignPickers.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::designer;

namespace {

// Red pixels in a button's picture: the mark of the current value.
bool ShowsMark(QToolButton *B)
{
    const QImage img = B->icon().pixmap(12, 12).toImage();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.red() > 150 && c.green() < 60 && c.blue() < 60)
                return true;
        }
    return false;
}

struct PlaceCase {
    const char *Button;
    TKXEleAlign Ele;
    TTextAlign Txt;
};
const PlaceCase PlaceCases[] = {
    {"PanLeftTop", TKXEleAlign::eaLeftTop, TTextAlign::taLeTo},
    {"PanCenTop", TKXEleAlign::eaCenterTop, TTextAlign::taCeTo},
    {"PanRightTop", TKXEleAlign::eaRigthTop, TTextAlign::taRiTo},
    {"PanLeftCen", TKXEleAlign::eaLeftCenter, TTextAlign::taLeCe},
    {"PanCenCen", TKXEleAlign::eaCenterCenter, TTextAlign::taCeCe},
    {"PanRightCen", TKXEleAlign::eaRigthCenter, TTextAlign::taRiCe},
    {"PanLeftBot", TKXEleAlign::eaLeftBottom, TTextAlign::taLeBo},
    {"PanCenBot", TKXEleAlign::eaCenterBottom, TTextAlign::taCeBo},
    {"PanRightBot", TKXEleAlign::eaRigthBottom, TTextAlign::taRiBo},
};

} // namespace

TEST(AlignPicker, EachPlaceButtonAnswersItsElementAndTextPlace)
{
    zt::RequireWidgetApp();
    for (const PlaceCase &c : PlaceCases) {
        TFAlignEle ele;
        ele.IniEleAlign(10, 10, 115, TKXEleAlign::eaNone);
        ele.show();
        auto *b = ele.findChild<QToolButton *>(QLatin1String(c.Button));
        ASSERT_NE(b, nullptr) << c.Button;
        QTest::mouseClick(b, Qt::LeftButton);
        EXPECT_EQ(ele.result(), QDialog::Accepted) << c.Button;
        EXPECT_EQ(ele.AlignEle(), c.Ele) << c.Button;

        TFAlignEle txt;
        txt.IniTxtAlign(10, 10, 115, TTextAlign::taCeCe);
        txt.show();
        QTest::mouseClick(txt.findChild<QToolButton *>(QLatin1String(c.Button)), Qt::LeftButton);
        EXPECT_EQ(txt.result(), QDialog::Accepted) << c.Button;
        EXPECT_EQ(txt.AlignTxt(), c.Txt) << c.Button;
    }
}

TEST(AlignPicker, NoneIsRedAndBoldForAnUnplacedElementAndAbsentForTexts)
{
    zt::RequireWidgetApp();
    TFAlignEle ele;
    ele.IniEleAlign(10, 10, 115, TKXEleAlign::eaNone);
    ele.show();
    ASSERT_TRUE(ele.NoneShown());
    EXPECT_TRUE(ele.NoneButton()->font().bold());
    EXPECT_EQ(ele.NoneButton()->palette().color(QPalette::WindowText), QColor(Qt::red));
    for (size_t i = 0; i < 9; ++i)
        EXPECT_FALSE(ShowsMark(ele.PlaceButton(static_cast<TTextAlign>(i)))) << "nothing else marked";

    // The current place is marked and "None" is plain; a click on "None" answers it and
    // leaves the text answer alone.
    ele.IniEleAlign(10, 10, 115, TKXEleAlign::eaCenterCenter);
    EXPECT_FALSE(ele.NoneButton()->font().bold());
    EXPECT_TRUE(ShowsMark(ele.PlaceButton(TTextAlign::taCeCe)));
    EXPECT_FALSE(ShowsMark(ele.PlaceButton(TTextAlign::taLeBo)));
    QTest::mouseClick(ele.NoneButton(), Qt::LeftButton);
    EXPECT_EQ(ele.result(), QDialog::Accepted);
    EXPECT_EQ(ele.AlignEle(), TKXEleAlign::eaNone);
    EXPECT_EQ(ele.AlignTxt(), TTextAlign::taLeBo);

    // Element places with no button mark nothing.
    ele.IniEleAlign(10, 10, 115, TKXEleAlign::eaLeft);
    for (size_t i = 0; i < 9; ++i)
        EXPECT_FALSE(ShowsMark(ele.PlaceButton(static_cast<TTextAlign>(i))));

    TFAlignEle txt;
    txt.IniTxtAlign(10, 10, 115, TTextAlign::taRiTo);
    txt.show();
    EXPECT_FALSE(txt.NoneShown());
    EXPECT_TRUE(ShowsMark(txt.PlaceButton(TTextAlign::taRiTo)));
    EXPECT_EQ(txt.PlaceButton(TTextAlign::taLeTo)->y(), 0) << "the places fill the picker without the strip";
}

TEST(AlignPicker, ButtonGeometryFollowsTheWidth)
{
    zt::RequireWidgetApp();
    TFAlignEle ele;
    ele.IniEleAlign(10, 10, 100, TKXEleAlign::eaNone);
    // Columns 33, 33 and the rest; rows 16, 16 and the rest of the 50 pixels under the strip.
    EXPECT_EQ(ele.PlaceButton(TTextAlign::taLeTo)->geometry(), QRect(0, 0, 33, 16));
    EXPECT_EQ(ele.PlaceButton(TTextAlign::taCeCe)->geometry(), QRect(33, 16, 33, 16));
    EXPECT_EQ(ele.PlaceButton(TTextAlign::taRiBo)->geometry(), QRect(66, 32, 34, 18));

    TFJustText just;
    just.IniTxtJusty(10, 10, 110, TKXTextFormat::tfCenterCenter);
    for (int row = 0; row < 3; ++row) {
        int widths[4];
        for (int col = 0; col < 4; ++col)
            widths[col] = just.FormatButton(static_cast<TKXTextFormat>(row * 4 + col))->width();
        EXPECT_EQ(widths[0], 27);
        EXPECT_EQ(widths[1], 27);
        EXPECT_EQ(widths[2], 27);
        EXPECT_EQ(widths[3], 29);
    }
    EXPECT_TRUE(ShowsMark(just.FormatButton(TKXTextFormat::tfCenterCenter)));
    EXPECT_FALSE(ShowsMark(just.FormatButton(TKXTextFormat::tfLeftTop)));
}

TEST(AlignPicker, ParagraphButtonsAnswerTheirLayout)
{
    zt::RequireWidgetApp();
    const char *names[12] = {"SBAPLT", "SBAPRT", "SBAPCT", "SBAPJT", "SBAPLC", "SBAPRC",
                             "SBAPCC", "SBAPJC", "SBAPLB", "SBAPRB", "SBAPCB", "SBAPJB"};
    for (int i = 0; i < 12; ++i) {
        TFJustText just;
        just.IniTxtJusty(10, 10, 115, TKXTextFormat::tfJustifyBottom);
        just.show();
        QTest::mouseClick(just.findChild<QToolButton *>(QLatin1String(names[i])), Qt::LeftButton);
        EXPECT_EQ(just.result(), QDialog::Accepted) << names[i];
        EXPECT_EQ(just.JustyTxt(), static_cast<TKXTextFormat>(i)) << names[i];
    }
}

TEST(AlignPicker, StaysInsideTheScreen)
{
    zt::RequireWidgetApp();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    TFAlignEle ele;
    ele.IniEleAlign(area.right() - 5, area.bottom() - 5, 115, TKXEleAlign::eaNone);
    EXPECT_EQ(ele.x(), area.right() + 1 - 115);
    EXPECT_EQ(ele.y(), area.bottom() + 1 - ele.height());
    TFJustText just;
    just.IniTxtJusty(area.left() - 50, area.top() + 20, 115, TKXTextFormat::tfLeftTop);
    EXPECT_EQ(just.pos(), QPoint(area.left(), area.top() + 20));
}
