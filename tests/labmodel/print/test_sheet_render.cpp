// Background, frame, page title and alignment guides, on each of their targets, through
// the recording canvas.
#include "FakeDesignerServices.h"
#include "print/KXSheetRender.h"
#include "RecordingCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kx;

namespace {

class SheetRender : public ::testing::Test {
protected:
    // Only the drawing calls, without the state brackets.
    std::vector<std::string> Drawn(zt::RecordingCanvas &c)
    {
        std::vector<std::string> out;
        for (const std::string &t : c.Texts())
            if (t != "SaveState" && t != "RestoreState")
                out.push_back(t);
        return out;
    }
    void Circle(int32_t Width, int32_t Inner)
    {
        m.SetLabelType(TZantorType::ltCircle);
        m.SetWidth(Width / 100.0f);
        m.SetInnerCircle(Inner / 100.0f);
    }
    TKXCustomLab lab;
    TKXMeasure &m = *lab.Measure();
    TKXBackSurf &back = *lab.BackSurf();
    zt::RecordingCanvas canvas;
};

TEST_F(SheetRender, BackgroundStylesOnPaper)
{
    back.SetPrint(true);
    back.SetColor(0x0000FF);
    back.SetToColor(0xFF0000);
    struct Case {
        TKXBackStyle Style;
        bool Circle;
        std::vector<std::string> Calls;
    } cases[] = {
        {TKXBackStyle::biNone, false, {"FillRect(500,1000,6500,4500)"}},
        {TKXBackStyle::biGradHor, false, {"GradientFill(500,1000,6500,4500,$000000FF,$00FF0000,TopToBottom)"}},
        {TKXBackStyle::biGradVer, false, {"GradientFill(500,1000,6500,4500,$000000FF,$00FF0000,LeftToRight)"}},
        {TKXBackStyle::biGraCircle, true, {"GradientFill(500,1000,5500,6000,$000000FF,$00FF0000,OutsideToCentre)"}},
        // Halves and quarters: pies only, the corners of the square stay untouched.
        {TKXBackStyle::biHalf1, true,
         {"Pie(500,1000,5500,6000,5500,3500,500,3500)", "Pie(500,1000,5500,6000,500,3500,5500,3500)"}},
        {TKXBackStyle::biHalf2, true,
         {"Pie(500,1000,5500,6000,3000,1000,3000,6000)", "Pie(500,1000,5500,6000,3000,6000,3000,1000)"}},
        {TKXBackStyle::biQuarter, true,
         {"Pie(500,1000,5500,6000,3000,1000,500,3500)", "Pie(500,1000,5500,6000,5500,3500,3000,1000)",
          "Pie(500,1000,5500,6000,500,3500,3000,6000)", "Pie(500,1000,5500,6000,3000,6000,5500,3500)"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.Style));
        m.SetLabelType(c.Circle ? TZantorType::ltCircle : TZantorType::ltRect);
        m.SetWidth(c.Circle ? 50 : 60);
        if (!c.Circle)
            m.SetHeight(35);
        back.SetStyle(c.Style);
        ASSERT_EQ(back.Style(), c.Style);
        canvas.Clear();
        lab.PaintBackSurf(canvas, 500, 1000, TKXDrawType::tdPrint, {});
        EXPECT_EQ(Drawn(canvas), c.Calls);
        for (const auto &call : canvas.Calls())
            if (call.Text.rfind("Pie", 0) == 0 || call.Text.rfind("Fill", 0) == 0) {
                EXPECT_EQ(call.Pen.Style, TKXPenStyle::psClear) << call.Text;
            }
    }
    // The halves' colours: top (first pie) in Color, bottom in ToColor.
    m.SetLabelType(TZantorType::ltCircle);
    back.SetStyle(TKXBackStyle::biHalf1);
    canvas.Clear();
    lab.PaintBackSurf(canvas, 0, 0, TKXDrawType::tdPreview, {});
    EXPECT_EQ(canvas.Calls().at(1).Brush.Color, 0x0000FFu);
    EXPECT_EQ(canvas.Calls().at(2).Brush.Color, 0xFF0000u);
}

TEST_F(SheetRender, BackgroundPrintsOnlyWhenAsked)
{
    back.SetColor(0x00FF00);
    for (TKXDrawType t : {TKXDrawType::tdPrint, TKXDrawType::tdPreview}) {
        canvas.Clear();
        lab.PaintBackSurf(canvas, 0, 0, t, {});
        EXPECT_TRUE(canvas.Calls().empty());
    }
    // The label metafile always has it, over R in its own units.
    lab.PaintBackSurf(canvas, 0, 0, TKXDrawType::tdOpenDialog, {0, 0, 260, 151});
    EXPECT_EQ(Drawn(canvas), std::vector<std::string>{"FillRect(0,0,260,151)"});
}

TEST_F(SheetRender, InnerCircleIsAWhiteDiscInTheCentre)
{
    back.SetPrint(true);
    Circle(5000, 1000);
    lab.PaintBackSurf(canvas, 500, 1000, TKXDrawType::tdPrint, {});
    const zt::RecordedCall &disc = canvas.Last("Ellipse");
    EXPECT_EQ(disc.Text, "Ellipse(2000,2500,4000,4500)"); // diameter 2000
    EXPECT_EQ(disc.Brush.Color, clWhite);
    EXPECT_EQ(disc.Pen.Style, TKXPenStyle::psClear);

    // On the label metafile the radius is scaled: 260 / 5000 * 1000 = 52.
    canvas.Clear();
    lab.PaintBackSurf(canvas, 0, 0, TKXDrawType::tdOpenDialog, {0, 0, 260, 260});
    EXPECT_EQ(canvas.Last("Ellipse").Text, "Ellipse(78,78,182,182)");
}

// Mended: the inner circle (a radius) was clamped to the width (a diameter): its disc
// covered more than its label, and on a sheet clipped to every label's circle it whitened
// the labels drawn before it.
TEST_F(SheetRender, InnerDiscIsNeverLargerThanItsLabel)
{
    back.SetPrint(true);
    Circle(5000, 4000);
    lab.PaintBackSurf(canvas, 500, 1000, TKXDrawType::tdPrint, {});
    EXPECT_EQ(canvas.Last("Ellipse").Text, "Ellipse(500,1000,5500,6000)");
    m.SetWidth(30); // the disc shrinks with its label
    canvas.Clear();
    lab.PaintBackSurf(canvas, 500, 1000, TKXDrawType::tdPrint, {});
    EXPECT_EQ(canvas.Last("Ellipse").Text, "Ellipse(500,1000,3500,4000)");
}

TEST_F(SheetRender, RoundStylesOnTheLabelMetafileFillTheSurfaceFirst)
{
    Circle(5000, 0);
    back.SetStyle(TKXBackStyle::biGraCircle);
    back.SetColor(clBlack);
    back.SetToColor(clWhite);
    lab.PaintBackSurf(canvas, 0, 0, TKXDrawType::tdOpenDialog, {0, 0, 260, 260});
    const auto drawn = Drawn(canvas);
    ASSERT_EQ(drawn.size(), 1u + 130u); // the surface, then (260 - 0) div 2 rings
    EXPECT_EQ(drawn.front(), "FillRect(0,0,260,260)");
    EXPECT_EQ(canvas.Calls().at(1).Brush.Color, clBtnFace);
    EXPECT_EQ(drawn[1], "Ellipse(0,0,260,260)");
    EXPECT_EQ(drawn.back(), "Ellipse(129,129,131,131)");
    EXPECT_EQ(canvas.Last("Ellipse").Brush.Color, clWhite); // the centre in ToColor
}

TEST_F(SheetRender, EditorBackgroundRepaintsOnlyWhenNeeded)
{
    zt::FakeDesignerServices ed(lab, 500, 500);
    Circle(5000, 1000);
    back.SetStyle(TKXBackStyle::biGraCircle);
    back.SetColor(clBlack);
    back.SetToColor(clWhite);
    back.FNeedPaint = false;
    lab.PaintBackSurf(canvas, 0, 0, TKXDrawType::tdLab, {0, 0, 500, 500}, 0x808080);
    EXPECT_TRUE(canvas.Calls().empty());

    back.FNeedPaint = true;
    lab.PaintBackSurf(canvas, 0, 0, TKXDrawType::tdLab, {0, 0, 500, 500}, 0x808080);
    EXPECT_FALSE(back.FNeedPaint);
    const auto drawn = Drawn(canvas);
    // Surface, then rings down to the inner circle: inset (500 - 2 * 100) div 2 = 150,
    // n = (500 - 150) div 2 = 175; then the dotted outline and the dotted inner disc.
    ASSERT_EQ(drawn.size(), 1u + 175u + 2u);
    EXPECT_EQ(canvas.Calls().at(1).Brush.Color, 0x808080u);
    const zt::RecordedCall &outline = canvas.Calls().at(canvas.Calls().size() - 3);
    EXPECT_EQ(outline.Text, "Ellipse(0,0,500,500)");
    EXPECT_EQ(outline.Pen.Style, TKXPenStyle::psDot);
    EXPECT_EQ(outline.Pen.Color, clWhite); // contrast of black
    EXPECT_EQ(outline.Brush.Style, TKXBrushStyle::bsClear);
    const zt::RecordedCall &disc = canvas.Last("Ellipse");
    EXPECT_EQ(disc.Text, "Ellipse(150,150,350,350)");
    EXPECT_EQ(disc.Pen.Style, TKXPenStyle::psDot);
    EXPECT_EQ(disc.Brush.Color, clWhite);
}

TEST_F(SheetRender, GradientSteps)
{
    // 6000 vertical lines from black to white: the last one white.
    EXPECT_EQ(TKXSheetRender::GradientStep(clBlack, clWhite, 0, 6000), clBlack);
    EXPECT_EQ(TKXSheetRender::GradientStep(clBlack, clWhite, 5999, 6000), clWhite);
    EXPECT_EQ(TKXSheetRender::GradientStep(clBlack, clWhite, 2999, 6000), RGBColor(127, 127, 127));
    // Channels run down as well as up.
    EXPECT_EQ(TKXSheetRender::GradientStep(RGBColor(200, 0, 10), RGBColor(0, 100, 10), 1, 3),
              RGBColor(100, 50, 10));
}

TEST_F(SheetRender, Frames)
{
    TKXFrame &f = *lab.Frame();
    f.SetDist1(1);
    f.SetDist2(2);
    f.SetRadio(0.5f);
    f.SetPenWidth(0.2f);
    f.SetColor(0x123456);
    lab.PaintFrame(canvas, 0, 0);
    EXPECT_TRUE(canvas.Calls().empty()); // fsNone draws nothing

    f.SetStyle(TKXFrameStyle::fsTwoLine);
    lab.PaintFrame(canvas, 0, 0);
    EXPECT_EQ(Drawn(canvas), (std::vector<std::string>{"RoundRect(100,100,5901,3401,50,50)",
                                                       "RoundRect(300,300,5701,3201,50,50)"}));
    const zt::RecordedCall &outer = canvas.Last("RoundRect");
    EXPECT_TRUE(outer.Pen.InsideFrame);
    EXPECT_EQ(outer.Pen.Width, 20);
    EXPECT_EQ(outer.Pen.Color, 0x123456u);
    EXPECT_EQ(outer.Brush.Style, TKXBrushStyle::bsClear);

    canvas.Clear();
    f.SetStyle(TKXFrameStyle::fsOneLine);
    m.SetLabelType(TZantorType::ltCircle);
    lab.PaintFrame(canvas, 500, 1000);
    EXPECT_EQ(Drawn(canvas), std::vector<std::string>{"Ellipse(600,1100,6401,6901)"});
}

TEST_F(SheetRender, TitleAtItsPosition)
{
    TKXTitle &t = *lab.Title();
    t.SetText("Batch 7");
    t.SetPositionX(12);
    t.SetPositionY(3.5f);
    t.SetFontName("Courier");
    t.SetFontHeight(4);
    t.SetFontColor(0x0000FF);
    lab.PaintTitle(canvas);
    const zt::RecordedCall &c = canvas.Last("TextOut");
    EXPECT_EQ(c.Text, "TextOut(1200,350,\"Batch 7\")");
    EXPECT_EQ(c.Font.Name, "Courier");
    EXPECT_EQ(c.Font.Height, 400);
    EXPECT_EQ(c.Font.Color, 0x0000FFu);
    EXPECT_EQ(c.CharExtra, 0);
}

TEST_F(SheetRender, AlignmentGuides)
{
    back.SetAlignX(20);
    back.SetAlignY(10);
    back.SetAlignColor(0x00FF00);
    lab.PaintAlignLines(canvas, false);
    EXPECT_TRUE(canvas.Calls().empty()); // not shown

    back.SetShowAlign(true);
    lab.PaintAlignLines(canvas, true);
    EXPECT_TRUE(canvas.Calls().empty()); // skipped during a drag

    lab.PaintAlignLines(canvas, false);
    EXPECT_EQ(Drawn(canvas), (std::vector<std::string>{"MoveTo(2000,0)", "LineTo(2000,3500)", "MoveTo(0,1000)",
                                                       "LineTo(6000,1000)"}));
    EXPECT_EQ(canvas.Last("LineTo").Pen.Style, TKXPenStyle::psDot);
    EXPECT_EQ(canvas.Last("LineTo").Pen.Width, 0);
    EXPECT_EQ(canvas.Last("LineTo").Pen.Color, 0x00FF00u);
}

TEST_F(SheetRender, SystemColoursResolve)
{
    EXPECT_EQ(ResolveColor(0xFF00000F), 0xF0F0F0u); // button face
    EXPECT_EQ(ResolveColor(0xFF000005), clWhite);   // window
    EXPECT_EQ(ResolveColor(0x00123456), 0x123456u);
}

} // namespace
