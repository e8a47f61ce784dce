// The reference-line tools: extend, trim and join horizontal and vertical lines against a
// reference line or rectangle, their answers and undo steps, the clicks on the surface that
// choose the reference and adjust lines, and the hit test of a layout's dividers.
#include "EditorFixture.h"

#include "document/KXUndo.h"
#include "elements/KXLayout.h"
#include "elements/KXShapes.h"

#include <QTest>

#include <gtest/gtest.h>

#include <string>

using namespace kx;
using namespace kx::designer;
using zt::EditorOnLabel;

namespace {

using KE = kx::designer::TKXCustomEditor;

std::string Ends(const TKXElement &E)
{
    return std::to_string(E.P1().x) + "," + std::to_string(E.P1().y) + "-" + std::to_string(E.P2().x) + "," +
           std::to_string(E.P2().y);
}

// An 80 x 60 mm label at 100 % (96 dpi): 1 pixel is about 26.5 label units.
struct RefFixture : EditorOnLabel {
    RefFixture() : EditorOnLabel(80, 60, 600, 400) {}

    TKXLine *Line(TRect R)
    {
        auto *l = Lab->NewElement<TKXLine>();
        l->SetEnds({R.Left, R.Top}, {R.Right, R.Bottom});
        Redraw();
        return l;
    }
    TKXRect *Rect(TRect R)
    {
        auto *r = Lab->NewElement<TKXRect>();
        r->SetBoundsRect({R.Left, R.Top}, {R.Right, R.Bottom}, false);
        r->SetTransparent(false); // picked anywhere inside, not only on its outline
        Redraw();
        return r;
    }
    void Redraw()
    {
        Ed().FPaintEle = true;
        Ed().FPaintSel = true;
        Ed().UpdateEditor(false);
    }
    // The surface pixel of a point in label units.
    QPoint Px(int32_t X, int32_t Y) { return {Ed().LabelToScreenX(X), Ed().LabelToScreenY(Y)}; }
    void Click(QPoint At, Qt::MouseButton Button = Qt::LeftButton)
    {
        QTest::mouseClick(&Surface(), Button, Qt::NoModifier, At);
    }
};

enum class Op { Extend, Trim };

struct AdjustCase {
    const char *What;
    Op Kind;
    bool ToLine;   // reference line, else reference rectangle
    TRect Ref;
    TRect Line;
    int32_t Click; // where the line was clicked, along it (trim)
    int32_t Code;
    const char *After; // empty: unchanged
    bool Recorded;
};

// Rectangle cases use the box 2000,1000 - 4000,3000.
const AdjustCase AdjustCases[] = {
    // Extend to a line.
    {"to a vertical reference on the right", Op::Extend, true, {5000, 0, 5000, 4000}, {1000, 2000, 3000, 2000}, 0, KE::rlAdjusted, "1000,2000-5000,2000", true},
    {"to a vertical reference on the left", Op::Extend, true, {500, 0, 500, 4000}, {1000, 2000, 3000, 2000}, 0, KE::rlAdjusted, "500,2000-3000,2000", true},
    // A line level with an end of the reference lies within its length.
    {"level with the reference's top end", Op::Extend, true, {5000, 2000, 5000, 4000}, {1000, 2000, 3000, 2000}, 0, KE::rlAdjusted, "1000,2000-5000,2000", true},
    {"level with the reference's bottom end", Op::Extend, true, {500, 0, 500, 2000}, {1000, 2000, 3000, 2000}, 0, KE::rlAdjusted, "500,2000-3000,2000", true},
    {"in line with the horizontal reference's left end", Op::Extend, true, {2000, 3000, 4000, 3000}, {2000, 1000, 2000, 1500}, 0, KE::rlAdjusted, "2000,1000-2000,3000", true},
    {"in line with the horizontal reference's right end", Op::Extend, true, {0, 500, 2000, 500}, {2000, 1000, 2000, 1500}, 0, KE::rlAdjusted, "2000,500-2000,1500", true},
    {"beside the reference's length", Op::Extend, true, {5000, 2500, 5000, 4000}, {1000, 2000, 3000, 2000}, 0, KE::rlBeyondReference, "", false},
    {"a vertical reference already crossing: recorded, unchanged", Op::Extend, true, {2000, 0, 2000, 4000}, {1000, 2000, 3000, 2000}, 0, KE::rlAdjusted, "", true},
    {"down to a horizontal reference", Op::Extend, true, {0, 3000, 4000, 3000}, {2000, 1000, 2000, 1500}, 0, KE::rlAdjusted, "2000,1000-2000,3000", true},
    {"up to a horizontal reference", Op::Extend, true, {0, 500, 4000, 500}, {2000, 1000, 2000, 1500}, 0, KE::rlAdjusted, "2000,500-2000,1500", true},
    {"a horizontal reference already crossing", Op::Extend, true, {0, 2000, 4000, 2000}, {2000, 1000, 2000, 3000}, 0, KE::rlCrossesReference, "", false},
    {"both vertical", Op::Extend, true, {5000, 0, 5000, 4000}, {2000, 1000, 2000, 3000}, 0, KE::rlBothVertical, "", false},
    {"both horizontal", Op::Extend, true, {0, 3000, 4000, 3000}, {1000, 2000, 3000, 2000}, 0, KE::rlNotPerpendicular, "", false},
    {"a diagonal line", Op::Extend, true, {5000, 0, 5000, 4000}, {1000, 1000, 2000, 2000}, 0, KE::rlNotPerpendicular, "", false},
    {"a diagonal reference", Op::Extend, true, {3000, 0, 5000, 4000}, {1000, 2000, 2000, 2000}, 0, KE::rlNotPerpendicular, "", false},
    // Extend to a rectangle.
    {"below: up to its bottom", Op::Extend, false, {2000, 1000, 4000, 3000}, {3000, 3500, 3000, 4000}, 0, KE::rlAdjusted, "3000,3000-3000,4000", true},
    {"above: down to its top", Op::Extend, false, {2000, 1000, 4000, 3000}, {3000, 0, 3000, 500}, 0, KE::rlAdjusted, "3000,0-3000,1000", true},
    {"from above into it: to its bottom", Op::Extend, false, {2000, 1000, 4000, 3000}, {3000, 500, 3000, 2000}, 0, KE::rlAdjusted, "3000,500-3000,3000", true},
    {"across it: recorded, unchanged", Op::Extend, false, {2000, 1000, 4000, 3000}, {3000, 500, 3000, 3500}, 0, KE::rlAdjusted, "", true},
    {"inside: to both edges", Op::Extend, false, {2000, 1000, 4000, 3000}, {3000, 1500, 3000, 2500}, 0, KE::rlAdjusted, "3000,1000-3000,3000", true},
    {"from inside out below: to its top", Op::Extend, false, {2000, 1000, 4000, 3000}, {3000, 1500, 3000, 3500}, 0, KE::rlAdjusted, "3000,1000-3000,3500", true},
    {"horizontal, left of it", Op::Extend, false, {2000, 1000, 4000, 3000}, {0, 2000, 1000, 2000}, 0, KE::rlAdjusted, "0,2000-2000,2000", true},
    {"horizontal, inside", Op::Extend, false, {2000, 1000, 4000, 3000}, {2500, 2000, 3000, 2000}, 0, KE::rlAdjusted, "2000,2000-4000,2000", true},
    {"beside its width", Op::Extend, false, {2000, 1000, 4000, 3000}, {5000, 0, 5000, 500}, 0, KE::rlOutsideRect, "", false},
    {"beside its height", Op::Extend, false, {2000, 1000, 4000, 3000}, {0, 3500, 1000, 3500}, 0, KE::rlOutsideRect, "", false},
    {"a diagonal line to a rectangle", Op::Extend, false, {2000, 1000, 4000, 3000}, {2500, 1500, 3000, 2000}, 0, KE::rlNotPerpendicular, "", false},
    // Trim at a line: the side clicked goes; the reference's length does not count.
    {"clicked right of the reference", Op::Trim, true, {3000, 0, 3000, 500}, {1000, 2000, 5000, 2000}, 4000, KE::rlAdjusted, "1000,2000-3000,2000", true},
    {"clicked left of the reference", Op::Trim, true, {3000, 0, 3000, 500}, {1000, 2000, 5000, 2000}, 2000, KE::rlAdjusted, "3000,2000-5000,2000", true},
    {"vertical, clicked above", Op::Trim, true, {0, 1000, 500, 1000}, {2000, 500, 2000, 3000}, 800, KE::rlAdjusted, "2000,1000-2000,3000", true},
    {"vertical, clicked below", Op::Trim, true, {0, 1000, 500, 1000}, {2000, 500, 2000, 3000}, 2000, KE::rlAdjusted, "2000,500-2000,1000", true},
    {"the reference does not cut it", Op::Trim, true, {6000, 0, 6000, 4000}, {1000, 2000, 5000, 2000}, 4000, KE::rlNotCut, "", false},
    {"the reference at its end", Op::Trim, true, {5000, 0, 5000, 4000}, {1000, 2000, 5000, 2000}, 4000, KE::rlNotCut, "", false},
    {"both vertical (trim)", Op::Trim, true, {3000, 0, 3000, 4000}, {2000, 500, 2000, 3000}, 800, KE::rlBothVertical, "", false},
    {"a diagonal line (trim)", Op::Trim, true, {3000, 0, 3000, 4000}, {1000, 1000, 5000, 2000}, 4000, KE::rlNotPerpendicular, "", false},
    // Trim to a rectangle: clipped to it.
    {"from above to below: its height", Op::Trim, false, {2000, 1000, 4000, 3000}, {3000, 0, 3000, 4000}, 0, KE::rlAdjusted, "3000,1000-3000,3000", true},
    {"from above into it", Op::Trim, false, {2000, 1000, 4000, 3000}, {3000, 0, 3000, 2000}, 0, KE::rlAdjusted, "3000,1000-3000,2000", true},
    {"from inside to below", Op::Trim, false, {2000, 1000, 4000, 3000}, {3000, 2000, 3000, 4000}, 0, KE::rlAdjusted, "3000,2000-3000,3000", true},
    {"horizontal across it: its width", Op::Trim, false, {2000, 1000, 4000, 3000}, {0, 2000, 5000, 2000}, 0, KE::rlAdjusted, "2000,2000-4000,2000", true},
    {"wholly inside", Op::Trim, false, {2000, 1000, 4000, 3000}, {3000, 1500, 3000, 2500}, 0, KE::rlNotCut, "", false},
    {"ending at its top", Op::Trim, false, {2000, 1000, 4000, 3000}, {3000, 0, 3000, 1000}, 0, KE::rlNotCut, "", false},
    {"wholly below", Op::Trim, false, {2000, 1000, 4000, 3000}, {3000, 3500, 3000, 4000}, 0, KE::rlNotCut, "", false},
    {"beside it (trim)", Op::Trim, false, {2000, 1000, 4000, 3000}, {5000, 0, 5000, 4000}, 0, KE::rlOutsideRect, "", false},
};

} // namespace

TEST(DesignerRefLines, ExtendAndTrimAnswerAdjustAndRecordOneStep)
{
    for (const AdjustCase &c : AdjustCases) {
        SCOPED_TRACE(c.What);
        RefFixture f;
        TKXLine *line = f.Line(c.Line);
        f.Ed().SetDrawTool(c.Kind == Op::Extend ? TKXDrawTool::dwExtendLine : TKXDrawTool::dwTrimLine);
        if (c.ToLine)
            ASSERT_TRUE(f.Ed().SetRefLine(f.Line(c.Ref)));
        else
            ASSERT_TRUE(f.Ed().SetRefRect(f.Rect(c.Ref)));
        // The click point lies on the line.
        const bool vertical = c.Line.Left == c.Line.Right;
        f.Ed().SetRefPoint2(vertical ? TPoint{c.Line.Left, c.Click} : TPoint{c.Click, c.Line.Top});
        const std::string before = Ends(*line);
        f.Lab->SetModified(false);
        const int32_t undos = f.Lab->UndoCount();

        const int32_t code =
            c.Kind == Op::Extend ? f.Ed().ExtendLine(line, c.ToLine) : f.Ed().TrimLine(line, c.ToLine);

        EXPECT_EQ(code, c.Code);
        const std::string expected = *c.After ? c.After : before;
        EXPECT_EQ(Ends(*line), expected);
        EXPECT_EQ(f.Lab->Modified(), expected != before);
        EXPECT_EQ(f.Lab->UndoCount(), undos + (c.Recorded ? 1 : 0));
        if (c.Recorded) {
            f.Lab->UndoRedo(TKXURAction::urUndo);
            EXPECT_EQ(Ends(*line), before);
        }
    }
}

TEST(DesignerRefLines, JoinMeetsInACornerAsOneUndoStep)
{
    struct Case {
        const char *What;
        TRect Ref, Line;
        TPoint RefClick, LineClick;
        bool Joined;
        const char *RefAfter, *LineAfter;
    } cases[] = {
        {"both grow", {3000, 0, 3000, 1000}, {0, 2000, 2000, 2000}, {3000, 500}, {1000, 2000}, true,
         "3000,0-3000,2000", "0,2000-3000,2000"},
        {"crossing: the clicked parts stay", {3000, 0, 3000, 4000}, {1000, 2000, 5000, 2000}, {3000, 500}, {4000, 2000}, true,
         "3000,0-3000,2000", "3000,2000-5000,2000"},
        {"crossing, clicked the other way", {3000, 0, 3000, 4000}, {1000, 2000, 5000, 2000}, {3000, 3500}, {2000, 2000}, true,
         "3000,2000-3000,4000", "1000,2000-3000,2000"},
        {"horizontal reference", {0, 1000, 2000, 1000}, {4000, 2000, 4000, 3000}, {1000, 1000}, {4000, 2500}, true,
         "0,1000-4000,1000", "4000,1000-4000,3000"},
        {"horizontal reference crossing", {0, 2000, 5000, 2000}, {3000, 1000, 3000, 3000}, {4000, 2000}, {3000, 1500}, true,
         "3000,2000-5000,2000", "3000,1000-3000,2000"},
        {"both horizontal", {0, 1000, 2000, 1000}, {0, 2000, 2000, 2000}, {1000, 1000}, {1000, 2000}, false, "", ""},
        {"a diagonal line", {3000, 0, 3000, 1000}, {0, 2000, 2000, 2500}, {3000, 500}, {1000, 2250}, false, "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.What);
        RefFixture f;
        TKXLine *ref = f.Line(c.Ref);
        TKXLine *line = f.Line(c.Line);
        f.Ed().SetDrawTool(TKXDrawTool::dwJoinLines);
        ASSERT_TRUE(f.Ed().SetRefLine(ref));
        f.Ed().SetRefPoint1(c.RefClick);
        f.Ed().SetRefPoint2(c.LineClick);
        const std::string refBefore = Ends(*ref), lineBefore = Ends(*line);
        const int32_t undos = f.Lab->UndoCount();

        EXPECT_EQ(f.Ed().JoinLines(line), c.Joined);
        EXPECT_EQ(Ends(*ref), c.Joined ? c.RefAfter : refBefore);
        EXPECT_EQ(Ends(*line), c.Joined ? c.LineAfter : lineBefore);
        EXPECT_EQ(f.Lab->UndoCount(), undos + (c.Joined ? 1 : 0));
        if (c.Joined) {
            // Both lines in one step; recording is back to one change per step.
            EXPECT_EQ(f.Lab->ElementsAfected(), 1);
            f.Lab->UndoRedo(TKXURAction::urUndo);
            EXPECT_EQ(Ends(*ref), refBefore);
            EXPECT_EQ(Ends(*line), lineBefore);
        }
    }
}

TEST(DesignerRefLines, AReferenceIsChosenOnlyByItsToolsAndReleasedOnToolChange)
{
    RefFixture f;
    TKXLine *ref = f.Line({3000, 0, 3000, 4000});
    TKXRect *box = f.Rect({4000, 1000, 6000, 3000});

    // The selection tool has no reference; the join tool takes no rectangle.
    EXPECT_FALSE(f.Ed().SetRefLine(ref));
    f.Ed().SetDrawTool(TKXDrawTool::dwJoinLines);
    EXPECT_FALSE(f.Ed().SetRefRect(box));
    EXPECT_EQ(f.Ed().Action(), TKXAction::acSelRefLine);

    struct Case {
        TKXDrawTool Tool;
        TKXSelType Kind;
    } cases[] = {{TKXDrawTool::dwExtendLine, TKXSelType::stRefExtLine},
                 {TKXDrawTool::dwTrimLine, TKXSelType::stRefTrimLine},
                 {TKXDrawTool::dwJoinLines, TKXSelType::stRefJoinLine}};
    for (const Case &c : cases) {
        f.Ed().SetDrawTool(c.Tool);
        ASSERT_TRUE(f.Ed().SetRefLine(ref));
        EXPECT_EQ(ref->SelType(), c.Kind);
        EXPECT_EQ(f.Ed().Action(), TKXAction::acSelLineToAdjust);
        EXPECT_TRUE(f.Ed().HasRefLines());
        f.Ed().SetDrawTool(TKXDrawTool::dwSelection);
        EXPECT_EQ(ref->SelType(), TKXSelType::stLine);
        EXPECT_EQ(f.Ed().RefLine(), nullptr);
        EXPECT_FALSE(f.Ed().HasRefLines());
        EXPECT_EQ(f.Ed().Action(), TKXAction::acNone);
    }
    // Choosing a rectangle releases the line chosen before.
    f.Ed().SetDrawTool(TKXDrawTool::dwTrimLine);
    ASSERT_TRUE(f.Ed().SetRefLine(ref));
    ASSERT_TRUE(f.Ed().SetRefRect(box));
    EXPECT_EQ(ref->SelType(), TKXSelType::stLine);
    EXPECT_EQ(box->SelType(), TKXSelType::stRefRect);
    EXPECT_EQ(f.Ed().RefLine(), nullptr);
    EXPECT_EQ(f.Ed().RefRect(), box);
    f.Ed().ClearRefLines();
    EXPECT_EQ(box->SelType(), TKXSelType::stRect);
}

TEST(DesignerRefLines, AReferenceRemovedFromTheLabelIsNeverUsed)
{
    RefFixture f;
    TKXLine *ref = f.Line({5000, 0, 5000, 4000});
    TKXLine *line = f.Line({1000, 2000, 3000, 2000});
    f.Ed().SetDrawTool(TKXDrawTool::dwExtendLine);
    ASSERT_TRUE(f.Ed().SetRefLine(ref));
    ASSERT_TRUE(f.Lab->RemoveElement(ref, true, false));

    EXPECT_EQ(f.Ed().RefLine(), nullptr);
    EXPECT_EQ(f.Ed().ExtendLine(line, true), KE::rlNoReference);
    EXPECT_FALSE(f.Ed().JoinLines(line));
    // A click on a line with the tool changes nothing either.
    f.Click(f.Px(2000, 2000));
    EXPECT_EQ(Ends(*line), "1000,2000-3000,2000");
    f.Ed().SetDrawTool(TKXDrawTool::dwSelection); // forgets it without touching it
}

TEST(DesignerRefLines, AnotherLabelReleasesTheReference)
{
    RefFixture f;
    TKXLine *ref = f.Line({5000, 0, 5000, 4000});
    f.Ed().SetDrawTool(TKXDrawTool::dwExtendLine);
    ASSERT_TRUE(f.Ed().SetRefLine(ref));
    TKXCustomLab other;
    other.NewLabel();
    f.Ed().SetZantor(&other);
    EXPECT_EQ(ref->SelType(), TKXSelType::stLine);
    EXPECT_FALSE(f.Ed().HasRefLines());
    // The tool waits for a reference on the new label.
    EXPECT_EQ(f.Ed().Action(), TKXAction::acSelRefLineOrRect);
    f.Ed().SetZantor(f.Lab.get());
}

// ---------------------------------------------------------------------------------------
// Clicks on the surface

TEST(DesignerRefLines, ClicksChooseTheReferenceThenAdjustEachLine)
{
    RefFixture f;
    TKXLine *ref = f.Line({5000, 0, 5000, 4000});
    TKXLine *a = f.Line({1000, 1000, 3000, 1000});
    TKXLine *b = f.Line({500, 3000, 2000, 3000});
    TKXLine *c = f.Line({6000, 2000, 7000, 2000});
    f.Ed().SetDrawTool(TKXDrawTool::dwExtendLine);

    f.Click(f.Px(5000, 2000));
    EXPECT_EQ(f.Ed().RefLine(), ref);
    EXPECT_EQ(f.Ed().Action(), TKXAction::acSelLineToAdjust);
    // The chosen reference shows its markers (a vertical extend reference: kind 4) at its ends.
    const QPoint top = f.Px(5000, 0), bottom = f.Px(5000, 4000);
    ASSERT_EQ(f.Lab->RefArray().size(), 1u);
    EXPECT_EQ(f.Lab->RefArray()[0].Tipo, 4);
    EXPECT_NEAR(f.Lab->RefArray()[0].Pos1.y, top.y(), 1);
    EXPECT_NEAR(f.Lab->RefArray()[0].Pos2.y, bottom.y(), 1);
    {
        // ... and the surface shows the marker's glyph centred there.
        const QImage &img = f.Paint();
        const QImage glyph = f.Surface().Glyph(9).convertToFormat(QImage::Format_ARGB32);
        const TPoint m = f.Lab->RefArray()[0].Pos2;
        int opaque = 0, same = 0;
        for (int y = 0; y < glyph.height(); ++y)
            for (int x = 0; x < glyph.width(); ++x)
                if (qAlpha(glyph.pixel(x, y)) == 255) {
                    ++opaque;
                    same += zt::Rgb(img, m.x - 3 + x, m.y - 3 + y) == (glyph.pixel(x, y) & 0xFFFFFFu);
                }
        EXPECT_GT(opaque, 0);
        EXPECT_EQ(same, opaque);
    }
    // Drawn again at another zoom, the markers move with it rather than piling up.
    f.Ed().SetZoom(TKXZoom::zm200);
    ASSERT_EQ(f.Lab->RefArray().size(), 1u);
    EXPECT_NEAR(f.Lab->RefArray()[0].Pos2.y, f.Px(5000, 4000).y(), 1);
    f.Paint();

    // Each line clicked afterwards is extended to it: one undo step each.
    const int32_t undos = f.Lab->UndoCount();
    f.Click(f.Px(2000, 1000));
    f.Click(f.Px(1000, 3000));
    f.Click(f.Px(6500, 2000));
    EXPECT_EQ(Ends(*a), "1000,1000-5000,1000");
    EXPECT_EQ(Ends(*b), "500,3000-5000,3000");
    EXPECT_EQ(Ends(*c), "5000,2000-7000,2000");
    EXPECT_EQ(f.Lab->UndoCount(), undos + 3);
    EXPECT_TRUE(f.Lab->Modified());
    f.Lab->UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(Ends(*c), "6000,2000-7000,2000");
    EXPECT_EQ(Ends(*b), "500,3000-5000,3000");
}

TEST(DesignerRefLines, ClicksTrimAtALineAndToARectangle)
{
    RefFixture f;
    TKXLine *ref = f.Line({3000, 0, 3000, 4000});
    TKXLine *a = f.Line({1000, 1000, 5000, 1000});
    TKXLine *b = f.Line({1000, 3000, 5000, 3000});
    f.Ed().SetDrawTool(TKXDrawTool::dwTrimLine);
    f.Click(f.Px(3000, 2000));
    ASSERT_EQ(f.Ed().RefLine(), ref);
    EXPECT_EQ(ref->SelType(), TKXSelType::stRefTrimLine);
    f.Click(f.Px(4000, 1000)); // right part goes
    f.Click(f.Px(2000, 3000)); // left part goes
    EXPECT_EQ(Ends(*a), "1000,1000-3000,1000");
    EXPECT_EQ(Ends(*b), "3000,3000-5000,3000");

    // A new tool, a rectangle as the reference.
    f.Ed().SetDrawTool(TKXDrawTool::dwSelection);
    TKXRect *box = f.Rect({5500, 1000, 7000, 3000});
    TKXLine *v = f.Line({6000, 500, 6000, 3500});
    f.Ed().SetDrawTool(TKXDrawTool::dwTrimLine);
    f.Click(f.Px(6500, 2500));
    ASSERT_EQ(f.Ed().RefRect(), box);
    EXPECT_EQ(f.Ed().RefLine(), nullptr);
    EXPECT_EQ(ref->SelType(), TKXSelType::stLine);
    // The rectangle's markers: one across its middle each way.
    ASSERT_EQ(f.Lab->RefArray().size(), 2u);
    f.Click(f.Px(6000, 700));
    EXPECT_EQ(Ends(*v), "6000,1000-6000,3000");
}

TEST(DesignerRefLines, ClicksJoinTwoLinesAndRightClickDropsTheReference)
{
    RefFixture f;
    TKXLine *ref = f.Line({3000, 0, 3000, 1000});
    TKXLine *line = f.Line({0, 2000, 2000, 2000});
    f.Ed().SetDrawTool(TKXDrawTool::dwJoinLines);
    f.Click(f.Px(3000, 500));
    ASSERT_EQ(f.Ed().RefLine(), ref);
    EXPECT_EQ(ref->SelType(), TKXSelType::stRefJoinLine);
    EXPECT_NEAR(f.Ed().RefPoint1().y, 500, 30);
    const int32_t undos = f.Lab->UndoCount();
    f.Click(f.Px(1000, 2000));
    EXPECT_EQ(Ends(*ref), "3000,0-3000,2000");
    EXPECT_EQ(Ends(*line), "0,2000-3000,2000");
    EXPECT_EQ(f.Lab->UndoCount(), undos + 1);
    f.Lab->UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(Ends(*ref), "3000,0-3000,1000");
    EXPECT_EQ(Ends(*line), "0,2000-2000,2000");

    // A right-click on the line clicked last drops the reference; the tool waits for a new
    // one, and the next click on a line chooses it.
    f.Click(f.Px(1000, 2000), Qt::RightButton);
    EXPECT_EQ(f.Ed().RefLine(), nullptr);
    EXPECT_EQ(ref->SelType(), TKXSelType::stLine);
    EXPECT_EQ(f.Ed().Action(), TKXAction::acSelRefLine);
    EXPECT_EQ(f.Ed().DrawTool(), TKXDrawTool::dwJoinLines);
    f.Click(f.Px(1000, 2000));
    EXPECT_EQ(f.Ed().RefLine(), line);
    EXPECT_EQ(Ends(*line), "0,2000-2000,2000");
}

TEST(DesignerRefLines, ClicksBesideLinesChangeNothing)
{
    RefFixture f;
    TKXLine *ref = f.Line({5000, 0, 5000, 4000});
    TKXLine *line = f.Line({1000, 2000, 3000, 2000});
    TKXRect *box = f.Rect({1000, 3000, 2000, 3500});
    // The join tool waits for a line: a rectangle or the empty label is not chosen.
    f.Ed().SetDrawTool(TKXDrawTool::dwJoinLines);
    f.Click(f.Px(1500, 3200));
    f.Click(f.Px(4000, 500));
    EXPECT_EQ(f.Ed().Action(), TKXAction::acSelRefLine);
    EXPECT_EQ(box->SelType(), TKXSelType::stRect);
    // With the reference chosen, a rectangle or empty label clicked is not adjusted.
    f.Ed().SetDrawTool(TKXDrawTool::dwExtendLine);
    f.Click(f.Px(5000, 1000));
    ASSERT_EQ(f.Ed().RefLine(), ref);
    f.Click(f.Px(1500, 3200));
    f.Click(f.Px(4000, 500));
    EXPECT_EQ(Ends(*line), "1000,2000-3000,2000");
    EXPECT_EQ(Ends(*box), "1000,3000-2000,3500");
    EXPECT_EQ(f.Ed().RefLine(), ref);
}

// ---------------------------------------------------------------------------------------
// Layout dividers

TEST(DesignerRefLines, LayoutDividersAreHitExactlyInsideTheLayout)
{
    RefFixture f;
    auto *layout = f.Lab->NewElement<TKXLayout>();
    layout->SetBoundsRect({1000, 1000}, {7000, 5000}, false);
    layout->SetColCount(3);
    layout->SetRowCount(2);
    bool isColumn = true;
    int32_t index = -1;
    f.Redraw();
    // Nothing selected: no layout to hit.
    EXPECT_FALSE(f.Ed().HitLayoutDivider({f.Px(3000, 3000).x(), f.Px(3000, 3000).y()}, isColumn, index));
    f.Ed().SetSelect(layout);

    const int32_t col2 = layout->GetColumn(2)->PosX(), row1 = layout->GetRow(1)->PosY();
    const int32_t midY = f.Px(0, 1500).y();
    EXPECT_EQ(col2, f.Px(5000, 0).x());
    EXPECT_EQ(row1, f.Px(0, 3000).y());
    ASSERT_TRUE(f.Ed().HitLayoutDivider({col2, midY}, isColumn, index));
    EXPECT_TRUE(isColumn);
    EXPECT_EQ(index, 1);
    ASSERT_TRUE(f.Ed().HitLayoutDivider({f.Px(2000, 0).x(), row1}, isColumn, index));
    EXPECT_FALSE(isColumn);
    EXPECT_EQ(index, 0);
    // One pixel off, or on the divider's line beyond the layout: no hit.
    EXPECT_FALSE(f.Ed().HitLayoutDivider({col2 + 1, midY}, isColumn, index));
    EXPECT_FALSE(f.Ed().HitLayoutDivider({col2, f.Px(0, 5500).y()}, isColumn, index));
    EXPECT_FALSE(f.Ed().HitLayoutDivider({f.Px(7500, 0).x(), row1}, isColumn, index));
    // Another element selected.
    f.Ed().SetSelect(f.Line({0, 0, 500, 0}));
    EXPECT_FALSE(f.Ed().HitLayoutDivider({col2, midY}, isColumn, index));
}
