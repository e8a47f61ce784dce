// The design editor widget: zoom and the surface size, zoom steps, the drawing tool, the
// keyboard moves and resizes with their undo steps, and the settings objects' clamps.
#include "EditorFixture.h"

#include "document/KXUndo.h"
#include "editor/KXEditorSettings.h"
#include "editor/KXResources.h"
#include "elements/KXShapes.h"
#include "rulers/KXRulers.h"

#include <QDir>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::designer;
using zt::EditorOnLabel;

namespace {

struct ZoomCase {
    float W, H;      // label, mm
    TKXZoom Zoom;
    int ViewW, ViewH; // surface, pixels
};

// 96 dpi screen, scroll box 600 x 400.
const ZoomCase ZoomCases[] = {
    {60, 35, TKXZoom::zm100, 227, 132},  // 6000 x 96 / 2540 = 226.8
    {60, 35, TKXZoom::zm200, 454, 265},  // 453.5 rounds to even
    {60, 35, TKXZoom::zm50, 113, 66},
    {60, 35, TKXZoom::zmWidth, 572, 334},  // 600 - 28; fits in 400 - 16
    {60, 100, TKXZoom::zmWidth, 554, 923}, // too high: 600 - 46 for the scroll bar
    {60, 100, TKXZoom::zmFitAll, 223, 372}, // 400 - 28 high
    {60, 35, TKXZoom::zmFitAll, 572, 334},
};

} // namespace

TEST(DesignerEditor, ZoomSizesTheSurfaceFromTheLabel)
{
    for (const ZoomCase &c : ZoomCases) {
        EditorOnLabel f(c.W, c.H, 600, 400);
        ASSERT_EQ(f.Ed().Scroll()->width(), 600);
        ASSERT_EQ(f.Ed().Scroll()->height(), 400);
        f.Ed().SetZoom(c.Zoom);
        EXPECT_EQ(f.Ed().GetViewWidth(), c.ViewW) << c.W << "x" << c.H << " zoom " << int(c.Zoom);
        EXPECT_EQ(f.Ed().GetViewHeight(), c.ViewH) << c.W << "x" << c.H << " zoom " << int(c.Zoom);
        // A frame's image covers what the scroll box shows of the surface (inset 12 pixels).
        const QSize port = f.Ed().Scroll()->viewport()->size();
        const QRect shown(0, 0, std::min(c.ViewW, port.width() - 12), std::min(c.ViewH, port.height() - 12));
        EXPECT_EQ(f.Ed().VisibleRect(), shown);
        EXPECT_EQ(f.Paint().size(), shown.size());
        // The rulers scale with the zoom.
        EXPECT_DOUBLE_EQ(f.Ed().RulerSettings().Data()->Factor(), f.Ed().ZoomFactor());
        // Label <-> pixel conversions follow the surface.
        EXPECT_EQ(f.Ed().LabelToScreenX(f.Lab->Measure()->WidthInternal()), c.ViewW);
        EXPECT_FALSE(f.Ed().FZoomChanged);
    }
}

TEST(DesignerEditor, FittedZoomFollowsTheEditorSize)
{
    EditorOnLabel f(60, 35, 600, 400);
    f.Ed().SetZoom(TKXZoom::zmWidth);
    f.Ed().resize(318 + 18, 400 + 18);
    EXPECT_EQ(f.Ed().GetViewWidth(), 290);
    EXPECT_EQ(f.Ed().GetViewHeight(), 169); // 290 / 6000 x 3500 = 169.2
}

TEST(DesignerEditor, ZoomStepsFromFittedFactors)
{
    // A 25.4 mm square at 96 dpi: the fitted factor is the surface width / 96.
    struct Case {
        int ScrollW;
        TKXZoom In, Out;
    } cases[] = {
        {120 + 28, TKXZoom::zm150, TKXZoom::zm100}, // F = 1.25 exactly
        {106 + 28, TKXZoom::zm125, TKXZoom::zm100}, // F = 1.104
        {48 + 28, TKXZoom::zm75, TKXZoom::zm50},    // F = 0.5
        {500 + 28, TKXZoom::zm500, TKXZoom::zm500}, // F = 5.2: nothing above 5 to zoom in to
    };
    for (const Case &c : cases) {
        for (bool in : {true, false}) {
            EditorOnLabel f(25.4f, 25.4f, c.ScrollW, 600);
            f.Ed().SetZoom(TKXZoom::zmFitAll);
            const double F = f.Ed().ZoomFactor();
            if (in) {
                f.Ed().ZoomIn();
                EXPECT_EQ(f.Ed().Zoom(), F > 5 ? TKXZoom::zmFitAll : c.In) << "in from " << F;
            } else {
                f.Ed().ZoomOut();
                EXPECT_EQ(f.Ed().Zoom(), c.Out) << "out from " << F;
            }
        }
    }
    // Fixed levels step one level; the ends stay.
    EditorOnLabel f;
    f.Ed().SetZoom(TKXZoom::zm500);
    f.Ed().ZoomIn();
    EXPECT_EQ(f.Ed().Zoom(), TKXZoom::zm500);
    f.Ed().ZoomOut();
    EXPECT_EQ(f.Ed().Zoom(), TKXZoom::zm450);
    f.Ed().SetZoom(TKXZoom::zm50);
    f.Ed().ZoomOut();
    EXPECT_EQ(f.Ed().Zoom(), TKXZoom::zm50);
}

TEST(DesignerEditor, DrawToolCursorsAndActions)
{
    EditorOnLabel f;
    struct Case {
        TKXDrawTool Tool;
        int Cursor;
        TKXAction Action;
    } cases[] = {
        {TKXDrawTool::dwText, 8, TKXAction::acNone},       {TKXDrawTool::dwLine, 11, TKXAction::acNone},
        {TKXDrawTool::dwQRCode, 25, TKXAction::acNone},    {TKXDrawTool::dwTriangle, 30, TKXAction::acNone},
        {TKXDrawTool::dwTrimLine, 19, TKXAction::acSelRefLineOrRect},
        {TKXDrawTool::dwJoinLines, 19, TKXAction::acSelRefLine},
        {TKXDrawTool::dwSelection, 0, TKXAction::acNone},
    };
    for (const Case &c : cases) {
        f.Ed().SetDrawTool(c.Tool);
        EXPECT_EQ(f.Ed().DrawTool(), c.Tool);
        EXPECT_EQ(f.Ed().CurrentCursor(), c.Cursor);
        EXPECT_EQ(f.Surface().CursorSlot(), c.Cursor);
        EXPECT_EQ(f.Ed().Action(), c.Action);
        EXPECT_EQ(f.Surface().DragMod, TKXDrag::drgNone);
    }
    // Every tool cursor comes from our own pictures, not the arrow.
    for (int slot : {5, 8, 9, 13, 19, 20, 21, 25, 30})
        EXPECT_NE(ScreenCursor(slot).shape(), Qt::ArrowCursor) << slot;
}

TEST(DesignerEditor, ToolChangeWithEditingOffStaysOnSelection)
{
    EditorOnLabel f;
    std::vector<std::pair<TKXDrawTool, TKXDrawTool>> fired;
    f.Ed().OnChangeDrawTool = [&](TObject *, TKXDrawTool Old, TKXDrawTool New) { fired.push_back({Old, New}); };
    f.Ed().SetDrawTool(TKXDrawTool::dwRect);
    f.Ed().SetAllowEdit(false); // back to the selection tool, announced
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_EQ(fired[1], std::make_pair(TKXDrawTool::dwRect, TKXDrawTool::dwSelection));
    fired.clear();
    f.Ed().SetDrawTool(TKXDrawTool::dwText);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0], std::make_pair(TKXDrawTool::dwSelection, TKXDrawTool::dwText));
    EXPECT_EQ(f.Ed().DrawTool(), TKXDrawTool::dwSelection);
    EXPECT_EQ(f.Ed().CurrentCursor(), 0);
}

// ---------------------------------------------------------------------------------------
// Keyboard

namespace {
TKXUndo &Undo(TKXCustomLab &Lab) { return dynamic_cast<TKXUndo &>(*Lab.UndoRecorder()); }
} // namespace

TEST(DesignerEditor, KeyboardMovesAndResizesWithOneUndoStep)
{
    struct Case {
        const char *Name;
        int Key;
        Qt::KeyboardModifiers Mods;
        TRect Start, End; // P1, P2 in label units
    } cases[] = {
        {"ctrl right", Qt::Key_Right, Qt::ControlModifier, {1000, 1000, 3000, 2000}, {2000, 1000, 4000, 2000}},
        {"ctrl down", Qt::Key_Down, Qt::ControlModifier, {1000, 1000, 3000, 2000}, {1000, 2000, 3000, 3000}},
        {"ctrl shift up", Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier, {1000, 1000, 3000, 2000},
         {1000, 0, 3000, 1000}},
        {"ctrl left at the edge", Qt::Key_Left, Qt::ControlModifier, {0, 1000, 2000, 2000}, {0, 1000, 2000, 2000}},
        {"shift right", Qt::Key_Right, Qt::ShiftModifier, {1000, 1000, 3000, 2000}, {1000, 1000, 4000, 2000}},
        {"shift down", Qt::Key_Down, Qt::ShiftModifier, {1000, 1000, 3000, 2000}, {1000, 1000, 3000, 3000}},
        {"shift left", Qt::Key_Left, Qt::ShiftModifier, {1000, 1000, 3000, 2000}, {1000, 1000, 2000, 2000}},
        {"shift left one step wide", Qt::Key_Left, Qt::ShiftModifier, {1000, 1000, 2000, 2000},
         {1000, 1000, 2000, 2000}},
        {"shift up one step high", Qt::Key_Up, Qt::ShiftModifier, {1000, 1000, 3000, 2000}, {1000, 1000, 3000, 2000}},
    };
    for (const Case &c : cases) {
        EditorOnLabel f;
        auto *box = f.AddBox(c.Start);
        f.Ed().SetSelect(box);
        f.Lab->SetModified(false);
        const int steps = Undo(*f.Lab).UndoCount();
        f.TakeRenders();
        QTest::keyClick(&f.Ed(), Qt::Key(c.Key), c.Mods);
        EXPECT_EQ((TRect{box->P1().x, box->P1().y, box->P2().x, box->P2().y}), c.End) << c.Name;
        // One step, even when nothing moved.
        EXPECT_EQ(Undo(*f.Lab).UndoCount(), steps + 1) << c.Name;
        const bool changed = !(c.Start == c.End);
        // Moves and resizes both mark the label modified (a move even when pushed back).
        EXPECT_EQ(f.Lab->Modified(), changed || c.Mods.testFlag(Qt::ControlModifier)) << c.Name;
        // Only the selection layer is drawn again.
        const auto r = f.TakeRenders();
        EXPECT_EQ(r.Back + r.Ele, 0) << c.Name;
        EXPECT_EQ(r.Sel, 1) << c.Name;
        f.Lab->UndoRedo(TKXURAction::urUndo);
        EXPECT_EQ((TRect{box->P1().x, box->P1().y, box->P2().x, box->P2().y}), c.Start) << c.Name;
    }
}

TEST(DesignerEditor, KeysWithoutModifierOrSelectionDoNothing)
{
    EditorOnLabel f;
    auto *box = f.AddBox({1000, 1000, 3000, 2000});
    const int steps = Undo(*f.Lab).UndoCount();
    QTest::keyClick(&f.Ed(), Qt::Key_Right, Qt::ControlModifier); // nothing selected
    f.Ed().SetSelect(box);
    QTest::keyClick(&f.Ed(), Qt::Key_Right); // no modifier
    EXPECT_EQ(box->P1().x, 1000);
    EXPECT_EQ(Undo(*f.Lab).UndoCount(), steps);
}

TEST(DesignerEditor, MovingTwoSelectedIsOneStepOfTwo)
{
    EditorOnLabel f;
    auto *a = f.AddBox({1000, 1000, 2000, 2000});
    auto *b = f.AddBox({3000, 1000, 4000, 2000});
    f.Ed().SetSelect(a);
    f.Ed().AddToSelection(b);
    QTest::keyClick(&f.Ed(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(a->P1().y, 2000);
    EXPECT_EQ(b->P1().y, 2000);
    ASSERT_FALSE(Undo(*f.Lab).UndoList().empty());
    EXPECT_EQ(Undo(*f.Lab).UndoList().back().Count, 2);
    f.Lab->UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(a->P1().y, 1000);
    EXPECT_EQ(b->P1().y, 1000);
}

// Regression: the step size announced for a selection of more than 32767 elements used to
// be a 16-bit value, so such a command failed.
TEST(DesignerEditor, MovingMoreThan32767SelectedIsOneUndoStep)
{
    EditorOnLabel f(200, 200);
    constexpr int n = 33000;
    for (int i = 0; i < n; ++i) {
        // Added without a generated name: naming scans every element.
        auto box = std::make_unique<zt::TestBox>(f.Lab.get());
        box->SetPoints({1000, 1000}, {1100, 1100});
        zt::TestBox *b = box.get();
        f.Lab->AddElement(std::move(box), false);
        f.Ed().AddToSelection(b);
    }
    ASSERT_EQ(f.Ed().GetSelectedCount(), n);
    f.Ed().KeyDown(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(f.Lab->GetElement(n)->P1().x, 2000);
    ASSERT_EQ(Undo(*f.Lab).UndoCount(), 1);
    EXPECT_EQ(Undo(*f.Lab).UndoList().back().Count, n);
    f.Lab->UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(f.Lab->GetElement(1)->P1().x, 1000);
    EXPECT_EQ(f.Lab->GetElement(n)->P1().x, 1000);
}

// ---------------------------------------------------------------------------------------
// Settings objects

TEST(DesignerEditor, GridStepsAreClamped)
{
    struct Case {
        float LabelW;
        float Step; // mm
        int32_t Internal;
    } cases[] = {{60, 0.5f, 100}, {60, 100, 3000}, {60, 5, 500}, {5, 10, 250}}; // labels are 5 mm at least
    for (const Case &c : cases) {
        EditorOnLabel f(c.LabelW, 35);
        f.TakeRenders();
        f.Ed().GridSettings().SetIncX(c.Step);
        EXPECT_EQ(f.Ed().Grid.IncX, c.Internal) << c.Step;
        EXPECT_FLOAT_EQ(f.Ed().GridSettings().IncX(), c.Internal / 100.0f);
        EXPECT_EQ(f.TakeRenders().Ele, 1); // the grid is on the elements layer
    }
    EditorOnLabel f;
    f.Ed().GridSettings().SetIncY(100); // 35 mm label: half is 1750
    EXPECT_EQ(f.Ed().Grid.IncY, 1750);
}

TEST(DesignerEditor, RulerAndInsertImageSettingsAreClamped)
{
    EditorOnLabel f;
    auto &r = f.Ed().RulerSettings();
    r.SetSize(40);
    EXPECT_EQ(r.Size(), 30);
    EXPECT_EQ(f.Ed().TopRuler()->height(), 30);
    EXPECT_EQ(f.Ed().Scroll()->y(), 30);
    r.SetSize(5);
    EXPECT_EQ(r.Size(), 18);
    r.SetVisible(false);
    EXPECT_EQ(f.Ed().TopRuler()->height(), 0);
    EXPECT_EQ(f.Ed().LeftRuler()->width(), 0);
    r.SetSize(25); // hidden rulers still take the thickness
    EXPECT_EQ(f.Ed().TopRuler()->height(), 25);
    EXPECT_EQ(f.Ed().LeftRuler()->width(), 25);

    f.Ed().InsertImage().SetWidthMM(1000);
    EXPECT_EQ(f.Ed().InsertImage().WidthInternal(), 6000);
    f.Ed().InsertImage().SetHeightMM(0.2f);
    EXPECT_EQ(f.Ed().InsertImage().HeightInternal(), 100);
}

TEST(DesignerEditor, ScrollBoxReportsOnlyChangedPositions)
{
    EditorOnLabel f(200, 200, 300, 200);
    f.Ed().SetZoom(TKXZoom::zm200);
    int h = 0;
    f.Ed().Scroll()->OnScrollHEvent = [&](TKXBaseScroll *) { ++h; };
    f.Ed().Scroll()->HScrolled(0);
    EXPECT_EQ(h, 0);
    f.Ed().Scroll()->horizontalScrollBar()->setValue(100);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(f.Ed().Scroll()->HPos, 100);
}

TEST(DesignerEditor, SelectionKeepsTheLabelAndFlagsInStep)
{
    EditorOnLabel f;
    auto *a = f.AddBox({1000, 1000, 2000, 2000});
    auto *b = f.AddBox({3000, 1000, 4000, 2000});
    int selects = 0, changes = 0;
    f.Ed().OnSelect = [&](TObject *) { ++selects; };
    f.Ed().OnSelectChange = [&](TObject *) { ++changes; };
    f.Lab->SetSelected(a); // through the editor
    EXPECT_EQ(f.Ed().GetSelect(), a);
    EXPECT_TRUE(a->IsSelected());
    f.Ed().AddToSelection(b);
    EXPECT_EQ(f.Ed().GetSelected(2), b);
    EXPECT_EQ(f.Ed().GetSelected(3), nullptr);
    EXPECT_EQ(f.Lab->Selected(), a);
    EXPECT_TRUE(f.Ed().DeleteFromSelection(a));
    EXPECT_FALSE(a->IsSelected());
    EXPECT_EQ(f.Lab->Selected(), b);
    EXPECT_FALSE(f.Ed().DeleteFromSelection(a));
    f.Lab->RemoveElement(b, true, false);
    EXPECT_EQ(f.Ed().GetSelectedCount(), 0);
    EXPECT_EQ(f.Lab->Selected(), nullptr);
    EXPECT_EQ(selects, 1);
    EXPECT_EQ(changes, 4);
}

// Mended: a label saved without the designer (the project's own sample among them) holds
// grid steps of 0, which went to the editor: the keyboard moves and resizes did nothing and
// the shown grid drew nothing. The editor keeps its steps.
TEST(DesignerEditor, KeysAndGridWorkAfterLoadingALabelSavedWithoutTheDesigner)
{
    // The label's own element kinds read the sample.
    zt::RequireWidgetApp();
    TKXCustomLab lab;
    lab.NewLabel();
    TKXEditor ed;
    ed.SetScreenDpi(96, 96);
    ed.resize(618, 418);
    ed.show();
    ed.SetZantor(&lab);
    lab.LoadLabel(QDir::cleanPath(QStringLiteral(ZANTOR_TEST_DATA "/../../scripts/samples/sample.eti")), false);
    ASSERT_GT(lab.ElementCount(), 0);
    ASSERT_GE(lab.Measure()->WidthInternal(), 5000);
    EXPECT_EQ(ed.Grid.IncX, 1000);
    EXPECT_EQ(ed.Grid.IncY, 1000);

    auto *box = lab.NewElement<TKXRect>();
    box->SetP1(1000, 1000);
    box->SetP2(2000, 2000);
    ed.SetSelect(box);
    QTest::keyClick(&ed, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(box->P1(), (TPoint{2000, 1000}));
    QTest::keyClick(&ed, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(box->P2(), (TPoint{3000, 3000}));

    ed.ClearSelection();
    ed.GridSettings().SetColor(0x00FF00);
    ed.GridSettings().SetStyle(TKXGridDraw::gdLines);
    ed.GridSettings().SetShow(true);
    ed.BackLab()->PaintBackScreen();
    const QImage &img = ed.BackLab()->BackScreen();
    ASSERT_FALSE(img.isNull());
    std::vector<int> green;
    for (int x = 0; x < img.width(); ++x)
        if (zt::Rgb(img, x, img.height() - 2) == 0x00FF00u)
            green.push_back(x);
    ASSERT_FALSE(green.empty());
    EXPECT_NEAR(green.front(), ed.LabelToScreenX(1000), 1);
}
