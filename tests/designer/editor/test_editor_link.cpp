// The editor and the label it shows going away in either order: a label destroyed (or given
// to another editor) while an editor shows it with a selection, a selected layout and a
// chosen reference; an editor destroyed with a selection, and a later editor on the same
// label.
#include "EditorFixture.h"

#include "elements/KXLayout.h"
#include "elements/KXShapes.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::designer;
using zt::EditorOnLabel;

namespace {

// A box drawn in Colour, so the surface shows where it is.
zt::TestBox *ColouredBox(EditorOnLabel &F, TRect R, TColor Colour)
{
    zt::TestBox *b = F.AddBox(R);
    b->SetBackColor(Colour);
    b->SetTransparent(false);
    F.Ed().FPaintEle = true;
    F.Ed().FPaintSel = true;
    F.Ed().UpdateEditor(false);
    return b;
}

QPoint Middle(const TKXElement &E)
{
    const TRect b = E.Border();
    return {(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2};
}

// The editor holds nothing of a label any more.
void ExpectForgotten(const kx::designer::TKXCustomEditor &Ed)
{
    EXPECT_EQ(Ed.Label(), nullptr);
    EXPECT_EQ(Ed.GetSelectedCount(), 0);
    EXPECT_EQ(Ed.GetSelect(), nullptr);
    EXPECT_EQ(Ed.SelectLayout(), nullptr);
    EXPECT_FALSE(Ed.HasRefLines());
    EXPECT_EQ(Ed.RefLine(), nullptr);
    EXPECT_FALSE(Ed.FDraw);
    EXPECT_EQ(Ed.BackLab()->DragMod, TKXDrag::drgNone);
    EXPECT_EQ(Ed.BackLab()->DragRect, TRect{});
}

} // namespace

// Mended: a label destroyed under its editor left the editor holding the label's elements
// (selection, selected layout, reference); the next press on the surface or the next label
// shown used them.
TEST(DesignerEditorLink, ALabelDestroyedUnderTheEditorIsForgotten)
{
    // A selected layout, then a selection of two with a reference line chosen.
    for (const bool layoutCase : {true, false}) {
        SCOPED_TRACE(layoutCase ? "selected layout" : "two selected and a reference");
        EditorOnLabel f;
        auto &ed = f.Ed();
        QPoint at;
        if (layoutCase) {
            auto *layout = f.Lab->NewElement<TKXLayout>();
            layout->SetP1(1000, 500);
            layout->SetP2(4000, 3000);
            layout->SetColCount(2);
            ed.SetSelect(layout);
            ASSERT_EQ(ed.SelectLayout(), layout);
            at = Middle(*layout);
        } else {
            auto *a = f.AddBox({1000, 1000, 2000, 2000});
            auto *b = f.AddBox({3000, 1000, 4000, 2000});
            auto *line = f.Lab->NewElement<TKXLine>();
            line->SetP1(500, 3000);
            line->SetP2(5000, 3000);
            ed.SetDrawTool(TKXDrawTool::dwExtendLine);
            ASSERT_TRUE(ed.SetRefLine(line));
            ed.AddToSelection(a);
            ed.AddToSelection(b);
            ed.UpdateEditor(false);
            ASSERT_EQ(ed.GetSelectedCount(), 2);
            ASSERT_TRUE(ed.HasRefLines());
            at = Middle(*a);
        }
        f.Paint();

        f.Lab.reset();
        ExpectForgotten(ed);

        // A press, a drag and a release where the elements were: nothing happens.
        ed.SetDrawTool(TKXDrawTool::dwSelection);
        QWidget *s = &f.Surface();
        QTest::mousePress(s, Qt::LeftButton, {}, at);
        QTest::mouseMove(s, at + QPoint(20, 10));
        QTest::mouseRelease(s, Qt::LeftButton, {}, at + QPoint(20, 10));
        QTest::mouseDClick(s, Qt::LeftButton, {}, at);
        ed.KeyDown(Qt::Key_Right, Qt::ControlModifier);
        f.Surface().repaint();
        ExpectForgotten(ed);

        // The next label shown is drawn, and its elements are selected, as in a new editor.
        TKXCustomLab next;
        next.NewLabel();
        next.Measure()->SetLabelSizeMM(60, 35);
        auto *box = next.NewElement<zt::TestBox>();
        box->SetPoints({1000, 1000}, {3000, 2000});
        box->SetBackColor(0x00FF00);
        box->SetTransparent(false);
        ed.SetZantor(&next);
        EXPECT_TRUE(ed.FDraw);
        const QImage &img = f.Paint();
        ASSERT_FALSE(img.isNull());
        const QPoint mid = Middle(*box);
        EXPECT_EQ(zt::Rgb(img, mid.x(), mid.y()), 0x00FF00u);
        QTest::mouseClick(s, Qt::LeftButton, {}, mid);
        EXPECT_EQ(ed.GetSelect(), box);
        EXPECT_EQ(ed.GetSelectedCount(), 1);
        // (next goes before the editor: the same path once more.)
    }
}

// A label given to another editor leaves the first one as a destroyed one does, and the
// second one selects what the first had selected.
TEST(DesignerEditorLink, ALabelTakenByAnotherEditorIsForgottenByTheFirst)
{
    EditorOnLabel f;
    auto *box = ColouredBox(f, {1000, 1000, 3000, 2000}, 0x00FF00);
    f.Ed().SetSelect(box);
    ASSERT_TRUE(box->IsSelected());

    TKXEditor second;
    second.SetScreenDpi(96, 96);
    second.resize(618, 418);
    second.show();
    second.SetZantor(f.Lab.get());
    ExpectForgotten(f.Ed());
    EXPECT_FALSE(box->IsSelected());
    EXPECT_EQ(f.Lab->Editor(), &second);
    EXPECT_TRUE(second.SelectAt({second.LabelToScreenX(2000), second.LabelToScreenY(1500)}, {}));
    EXPECT_EQ(second.GetSelect(), box);
}

// Mended: an editor destroyed with a selection left each element's selected flag set: a
// later editor on the same label neither drew those elements nor let them be selected.
TEST(DesignerEditorLink, AnEditorDestroyedWithASelectionLeavesNothingSelected)
{
    EditorOnLabel f;
    auto *a = ColouredBox(f, {1000, 1000, 2000, 2000}, 0x00FF00);
    auto *b = ColouredBox(f, {3000, 1000, 4000, 2000}, 0x0000FF);
    f.Ed().AddToSelection(a);
    f.Ed().AddToSelection(b);
    f.Ed().UpdateEditor(false);
    f.Paint();
    f.Editor.reset();
    EXPECT_EQ(f.Lab->Editor(), nullptr);
    EXPECT_FALSE(a->IsSelected());
    EXPECT_FALSE(b->IsSelected());
    EXPECT_EQ(f.Lab->Selected(), nullptr);

    TKXEditor later;
    later.SetScreenDpi(96, 96);
    later.resize(618, 418);
    later.show();
    later.SetZantor(f.Lab.get());
    later.RenderLayers();
    // Both are drawn as unselected elements ...
    const QImage &ele = later.EleLayer();
    ASSERT_FALSE(ele.isNull());
    EXPECT_EQ(zt::Rgb(ele, Middle(*a).x(), Middle(*a).y()), 0x00FF00u);
    EXPECT_EQ(zt::Rgb(ele, Middle(*b).x(), Middle(*b).y()), 0xFF0000u); // $0000FF is red
    // ... and can be selected, alone and together.
    EXPECT_TRUE(later.SelectAt({Middle(*a).x(), Middle(*a).y()}, {}));
    EXPECT_EQ(later.GetSelect(), a);
    EXPECT_TRUE(later.SelectAt({Middle(*b).x(), Middle(*b).y()}, Qt::ShiftModifier));
    EXPECT_EQ(later.GetSelectedCount(), 2);
}
