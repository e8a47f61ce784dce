// Mouse editing on the design surface, driven by real mouse events on the surface widget:
// selecting by click, Shift-click and the band in both directions, moving one or several
// elements with one exact undo step, resizing by each handle with and without the label's
// bounds, a line's ends and the whole line, snapping an edge to another element's edge,
// hover cursors and the field hint, the right-click and the double-click.
#include "EditorFixture.h"

#include "document/KXUndo.h"
#include "editor/KXEditorSettings.h"
#include "elements/KXLayout.h"
#include "elements/KXShapes.h"
#include "elements/KXText.h"
#include "rulers/KXRulers.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::designer;
using zt::EditorOnLabel;

namespace {

TKXUndo &Undo(TKXCustomLab &Lab) { return dynamic_cast<TKXUndo &>(*Lab.UndoRecorder()); }

TRect Points(const TKXElement &E) { return {E.P1().x, E.P1().y, E.P2().x, E.P2().y}; }


// Centre of a 7 x 7 handle (point - 3 .. point + 4).
QPoint Centre(const TRect &Handle) { return {Handle.Left + 3, Handle.Top + 3}; }

std::vector<TKXElement *> Selection(const kx::designer::TKXCustomEditor &Ed) { return Ed.ElementsSelected; }

// Press at From, move in two steps to To, release there.
void DragTo(EditorOnLabel &F, QPoint From, QPoint To, Qt::KeyboardModifiers Mods = {})
{
    QWidget *s = &F.Surface();
    QTest::mousePress(s, Qt::LeftButton, Mods, From);
    QTest::mouseMove(s, (From + To) / 2);
    QTest::mouseMove(s, To);
    QTest::mouseRelease(s, Qt::LeftButton, Mods, To);
}

void Click(EditorOnLabel &F, QPoint At, Qt::KeyboardModifiers Mods = {})
{
    QTest::mouseClick(&F.Surface(), Qt::LeftButton, Mods, At);
}

// Mid-point of an element's border on the surface.
QPoint Middle(const TKXElement &E)
{
    const TRect b = E.Border();
    return {(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2};
}

} // namespace

// ---------------------------------------------------------------------------------------
// Selecting

TEST(DesignerMouse, ClickAndShiftClickSelect)
{
    EditorOnLabel f;
    auto *a = f.AddBox({500, 500, 1500, 1500});
    auto *b = f.AddBox({2500, 500, 3500, 1500});
    Click(f, Middle(*a));
    EXPECT_EQ(Selection(f.Ed()), (std::vector<TKXElement *>{a}));
    EXPECT_EQ(f.Surface().DragMod, TKXDrag::drgSizes);
    Click(f, Middle(*b), Qt::ShiftModifier);
    EXPECT_EQ(Selection(f.Ed()), (std::vector<TKXElement *>{a, b}));
    EXPECT_EQ(f.Surface().DragMod, TKXDrag::drgMulti);
    // Shift on a selected element takes it out; a plain click selects one alone.
    Click(f, Middle(*a), Qt::ShiftModifier);
    EXPECT_EQ(Selection(f.Ed()), (std::vector<TKXElement *>{b}));
    Click(f, Middle(*a));
    EXPECT_EQ(Selection(f.Ed()), (std::vector<TKXElement *>{a}));
    // A click on the empty surface is a band of nothing: the selection goes.
    Click(f, {200, 120});
    EXPECT_TRUE(Selection(f.Ed()).empty());
    EXPECT_FALSE(f.Surface().Drawing);
    EXPECT_EQ(f.Surface().DragMod, TKXDrag::drgNone);

    // While editing is not allowed the mouse does nothing at all.
    f.Ed().SetAllowEdit(false);
    int downs = 0;
    f.Ed().OnLabelMouseDown = [&](TObject *, int32_t, int32_t, int32_t, int32_t, long double, long double) {
        ++downs;
    };
    Click(f, Middle(*a));
    EXPECT_TRUE(Selection(f.Ed()).empty());
    EXPECT_EQ(downs, 0);
}

TEST(DesignerMouse, BandSelectsEnclosedOrTouchedByDirection)
{
    // Inside the band: a; crossing its right edge: b; outside: c.
    struct Case {
        const char *Name;
        bool FromTopLeft; // else from the bottom-right corner
        bool RightUp;     // drawn rightwards and upwards (from the bottom-left corner)
        std::vector<int> Expected;
    } cases[] = {
        {"right and down: enclosed only", true, false, {0}},
        {"left and up: touched", false, false, {0, 1}},
        {"right and up: touched", false, true, {0, 1}},
    };
    for (const Case &c : cases) {
        EditorOnLabel f;
        TKXElement *e[] = {f.AddBox({500, 500, 1500, 1500}), f.AddBox({2500, 500, 3500, 1500}),
                           f.AddBox({4500, 500, 5500, 1500})};
        const int l = f.Ed().LabelToScreenX(300), t = f.Ed().LabelToScreenY(300);
        const int r = f.Ed().LabelToScreenX(3000), btm = f.Ed().LabelToScreenY(2000);
        QPoint from{l, t}, to{r, btm};
        if (!c.FromTopLeft)
            std::swap(from, to);
        if (c.RightUp) {
            from = {l, btm};
            to = {r, t};
        }
        QWidget *s = &f.Surface();
        QTest::mousePress(s, Qt::LeftButton, {}, from);
        EXPECT_TRUE(f.Surface().Drawing) << c.Name;
        QTest::mouseMove(s, to);
        EXPECT_EQ(f.Surface().MvPt, (TPoint{to.x(), to.y()})) << c.Name;
        QTest::mouseRelease(s, Qt::LeftButton, {}, to);
        EXPECT_FALSE(f.Surface().Drawing) << c.Name;
        std::vector<TKXElement *> expected;
        for (int i : c.Expected)
            expected.push_back(e[i]);
        EXPECT_EQ(Selection(f.Ed()), expected) << c.Name;
        EXPECT_EQ(f.Surface().invrect, !c.FromTopLeft || c.RightUp) << c.Name;
    }
}

// ---------------------------------------------------------------------------------------
// Moving

// At 150 % a pixel is 17.6 label units: coordinates off the pixel grid cannot be rebuilt
// from pixel rectangles. Undo puts both elements (a box and a real text) back to the
// hundredth of a millimetre.
TEST(DesignerMouse, MovingTwoElementsIsOneExactUndoStep)
{
    EditorOnLabel f;
    f.Ed().SetZoom(TKXZoom::zm150);
    auto *a = f.AddBox({1003, 1007, 2011, 1509});
    auto *b = f.Lab->NewElement<TKXText>();
    b->SetText(QStringLiteral("Label"));
    b->SetP1(3001, 1999);
    f.Ed().FPaintEle = true;
    f.Ed().UpdateEditor(false);
    f.Lab->ClearUndoRedo();
    const TRect a0 = Points(*a);
    const TPoint b0 = b->P1();
    Click(f, Middle(*a));
    Click(f, Middle(*b), Qt::ShiftModifier);
    ASSERT_EQ(f.Ed().GetSelectedCount(), 2);
    f.Lab->SetModified(false);
    const TRect ab = a->Border(), bb = b->Border();

    DragTo(f, Middle(*b), Middle(*b) + QPoint(20, 10));

    EXPECT_EQ(a->Border().Left, ab.Left + 20);
    EXPECT_EQ(b->Border().Top, bb.Top + 10);
    EXPECT_EQ(a->P1().x, f.Ed().ScreenToLabelX(ab.Left + 20));
    // The text keeps its anchor within a pixel of where the move put it.
    EXPECT_NEAR(b->P1().x, b0.x + f.Ed().ScreenToLabelX(20), 18);
    EXPECT_NEAR(b->P1().y, b0.y + f.Ed().ScreenToLabelY(10), 18);
    EXPECT_TRUE(f.Lab->Modified());
    ASSERT_EQ(Undo(*f.Lab).UndoCount(), 1);
    EXPECT_EQ(Undo(*f.Lab).UndoList().back().Count, 2);
    EXPECT_FALSE(f.Surface().Drag);

    f.Lab->UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(Points(*a), a0);
    EXPECT_EQ(b->P1(), b0);
    // Redo brings the moved state back.
    f.Lab->UndoRedo(TKXURAction::urRedo);
    EXPECT_EQ(a->P1().x, f.Ed().ScreenToLabelX(ab.Left + 20));
}

// A press and release on the selected element without moving changes nothing and records
// nothing, also right after a drag whose edges met a guide line.
// Regression: dragging a member out of its layout cell was undone to its old place but
// outside the cell; the layout no longer moved it.
TEST(DesignerMouse, UndoingADragPutsALayoutMemberBackIntoItsCell)
{
    EditorOnLabel f;
    // The box in front of the layout.
    TKXElement *box = f.AddBox({3200, 600, 3700, 1000});
    auto *layout = f.Lab->NewElement<TKXLayout>();
    layout->SetP1(1000, 500);
    layout->SetP2(5000, 2500);
    layout->SetColCount(2);
    layout->SetRowCount(2);
    f.Ed().FPaintEle = true;
    f.Ed().UpdateEditor(false);
    box->SetEleAlign(TKXEleAlign::eaRigthTop);
    ASSERT_EQ(layout->Members(), std::vector<TKXElement *>{box});
    ASSERT_EQ(box->ColLayout, 1);
    f.Ed().UpdateEditor(false);
    f.Lab->ClearUndoRedo();
    const TRect inCell = Points(*box);
    Click(f, Middle(*box));
    ASSERT_EQ(Selection(f.Ed()), std::vector<TKXElement *>{box});

    DragTo(f, Middle(*box), Middle(*box) + QPoint(-30, 40));
    ASSERT_NE(Points(*box), inCell);
    EXPECT_EQ(box->IDLayout, 0);
    layout->RealignElements();
    ASSERT_TRUE(layout->Members().empty());
    const TRect dragged = Points(*box);
    ASSERT_EQ(Undo(*f.Lab).UndoCount(), 1);

    f.Lab->UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(Points(*box), inCell);
    EXPECT_EQ(box->IDLayout, layout->IDL());
    EXPECT_EQ(box->ColLayout, 1);
    EXPECT_EQ(layout->Members(), std::vector<TKXElement *>{box});
    f.Lab->UndoRedo(TKXURAction::urRedo);
    EXPECT_EQ(Points(*box), dragged);
    EXPECT_TRUE(layout->Members().empty());
    f.Lab->UndoRedo(TKXURAction::urUndo);
    // In the cell again: it follows the layout.
    layout->SetBoundsRect({1000, 500}, {5200, 2500}, false);
    EXPECT_EQ(box->P2().x, 5200);
}

TEST(DesignerMouse, GuideSnapOnReleaseAndNeverOnAPlainClick)
{
    EditorOnLabel f;
    f.Ed().SetShowLines(true);
    auto *a = f.AddBox({1000, 400, 2000, 1000});
    auto *b = f.AddBox({2013, 2003, 3011, 2601});
    // 1000 units are 37.8 pixels: back from pixels they would be 1004.
    ASSERT_NE(f.Ed().ScreenToLabelX(f.Ed().LabelToScreenX(1000)), 1000);
    Click(f, Middle(*b));
    const int steps = Undo(*f.Lab).UndoCount();
    const TRect b0 = Points(*b);
    // Drag b until its left edge lies on a's left edge, pixel for pixel.
    const int dx = a->Border().Left - b->Border().Left;
    DragTo(f, Middle(*b), Middle(*b) + QPoint(dx, -5));
    EXPECT_EQ(b->P1().x, 1000);
    ASSERT_EQ(Undo(*f.Lab).UndoCount(), steps + 1);

    const TRect snapped = Points(*b);
    Click(f, Middle(*b));
    EXPECT_EQ(Points(*b), snapped);
    EXPECT_EQ(Undo(*f.Lab).UndoCount(), steps + 1);

    f.Lab->UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(Points(*b), b0);
}

// ---------------------------------------------------------------------------------------
// Resizing

TEST(DesignerMouse, ResizeByEachHandleWithAndWithoutBounds)
{
    // Box at pixels (38, 38) - (113, 75) on the 227 x 132 surface. Each case drags
    // handle R1 .. R8 by Move (pixels) and expects the edges' displacement.
    struct Case {
        const char *Name;
        int Handle; // 0 .. 7 for R1 .. R8
        QPoint Move;
        bool CheckBounds;
        int DL, DT, DR, DB; // expected change of left, top, right, bottom
    } cases[] = {
        {"left", 0, {12, 7}, true, 12, 0, 0, 0},
        {"right", 1, {12, 7}, true, 0, 0, 12, 0},
        {"top", 2, {12, 7}, true, 0, 7, 0, 0},
        {"bottom", 3, {12, 7}, true, 0, 0, 0, 7},
        {"left-top", 4, {12, 7}, true, 12, 7, 0, 0},
        {"right-top", 5, {-12, 7}, true, 0, 7, -12, 0},
        {"left-bottom", 6, {12, -7}, true, 12, 0, 0, -7},
        {"right-bottom", 7, {-12, -7}, false, 0, 0, -12, -7},
        {"left, no bounds", 0, {-9, 0}, false, -9, 0, 0, 0},
        // The 8-pixel minimum: the right edge is pushed out again.
        {"right almost onto left", 1, {-72, 0}, true, 0, 0, -67, 0},
        {"right almost onto left, no bounds", 1, {-72, 0}, false, 0, 0, -72, 0},
        {"bottom almost onto top", 3, {0, -36}, true, 0, 0, 0, -29},
        // From the other side the far edge is pushed out as well.
        {"left almost onto right", 0, {72, 0}, true, 72, 0, 5, 0},
        {"top almost onto bottom", 2, {0, 34}, true, 0, 34, 0, 5},
        {"left-top almost onto right-bottom", 4, {72, 34}, true, 72, 34, 5, 5},
        // Past the surface's top: the box is shifted back inside, keeping its height.
        {"top past the edge", 2, {0, -50}, true, 0, -38, 0, 12},
        {"top past the edge, no bounds", 2, {0, -50}, false, 0, -50, 0, 0},
    };
    for (const Case &c : cases) {
        EditorOnLabel f;
        auto *box = f.AddBox({1000, 1000, 3000, 2000});
        f.Lab->SetCheckBounds(c.CheckBounds);
        Click(f, Middle(*box));
        const TRect b0 = box->Border();
        ASSERT_EQ(b0, (TRect{38, 38, 113, 75})) << c.Name;
        const TRect handle = f.Surface().R[size_t(c.Handle)];
        ASSERT_NE(handle, TRect{}) << c.Name;
        const int steps = Undo(*f.Lab).UndoCount();
        DragTo(f, Centre(handle), Centre(handle) + c.Move);
        const TRect want{b0.Left + c.DL, b0.Top + c.DT, b0.Right + c.DR, b0.Bottom + c.DB};
        auto &ed = f.Ed();
        EXPECT_EQ(Points(*box), (TRect{ed.ScreenToLabelX(want.Left), ed.ScreenToLabelY(want.Top),
                                       ed.ScreenToLabelX(want.Right), ed.ScreenToLabelY(want.Bottom)}))
            << c.Name;
        EXPECT_EQ(Undo(*f.Lab).UndoCount(), steps + 1) << c.Name;
        f.Lab->UndoRedo(TKXURAction::urUndo);
        EXPECT_EQ(Points(*box), (TRect{1000, 1000, 3000, 2000})) << c.Name;
    }
}

// ---------------------------------------------------------------------------------------
// Lines

TEST(DesignerMouse, LineEndsAndWholeLineDrag)
{
    EditorOnLabel f;
    f.Ed().SetZoom(TKXZoom::zm200);
    auto *line = f.Lab->NewElement<TKXLine>();
    line->SetP1(1003, 1001);
    line->SetP2(3007, 1001);
    f.Ed().FPaintEle = true;
    f.Ed().UpdateEditor(false);
    f.Lab->ClearUndoRedo();
    auto &ed = f.Ed();
    const QPoint on{ed.LabelToScreenX(2000), ed.LabelToScreenY(1001)};
    Click(f, on);
    ASSERT_EQ(ed.GetSelect(), line);
    ASSERT_EQ(f.Surface().DragMod, TKXDrag::drgLine);

    // The second end goes where its handle is dropped; the first stays.
    const QPoint p2 = Centre(f.Surface().RP2);
    DragTo(f, p2, p2 + QPoint(10, 24));
    EXPECT_EQ(line->P1(), (TPoint{1003, 1001}));
    EXPECT_EQ(line->P2(), (TPoint{ed.ScreenToLabelX(p2.x() + 10), ed.ScreenToLabelY(p2.y() + 24)}));
    EXPECT_EQ(f.Lab->UndoCount(), 1);
    // The handles follow the line.
    EXPECT_EQ(Centre(f.Surface().RP2), QPoint(ed.LabelToScreenX(line->P2().x), ed.LabelToScreenY(line->P2().y)));

    // And the first end.
    const QPoint p1 = Centre(f.Surface().RP1);
    DragTo(f, p1, p1 + QPoint(-8, 6));
    EXPECT_EQ(line->P1(), (TPoint{ed.ScreenToLabelX(p1.x() - 8), ed.ScreenToLabelY(p1.y() + 6)}));
    EXPECT_EQ(f.Lab->UndoCount(), 2);
    f.Lab->UndoRedo(TKXURAction::urUndo);
    f.Lab->UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(Points(*line), (TRect{1003, 1001, 3007, 1001}));

    // The whole line, grabbed between its ends, moves without turning.
    f.Ed().SetSelect(line);
    const QPoint mid{ed.LabelToScreenX(2000), ed.LabelToScreenY(1001)};
    DragTo(f, mid, mid + QPoint(30, 20));
    EXPECT_EQ(line->P1().y, line->P2().y);
    EXPECT_NEAR(line->P2().x - line->P1().x, 3007 - 1003, 30);
    EXPECT_NEAR(line->P1().x, 1003 + ed.ScreenToLabelX(30), 30);
    EXPECT_NEAR(line->P1().y, 1001 + ed.ScreenToLabelY(20), 30);
    f.Lab->UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(Points(*line), (TRect{1003, 1001, 3007, 1001}));
}

// ---------------------------------------------------------------------------------------
// Layout dividers

TEST(DesignerMouse, DividerDragStaysWithinItsNeighboursAndIsOneStep)
{
    for (const bool column : {true, false}) {
        SCOPED_TRACE(column ? "column divider" : "row divider");
        EditorOnLabel f;
        auto &ed = f.Ed();
        auto *layout = f.Lab->NewElement<TKXLayout>();
        layout->SetP1(1000, 500);
        layout->SetP2(4000, 3200);
        layout->SetColCount(3);
        layout->SetRowCount(3);
        ed.FPaintEle = true;
        ed.UpdateEditor(false);
        f.Lab->ClearUndoRedo();
        ed.SetSelect(layout);
        ASSERT_EQ(f.Surface().DragMod, TKXDrag::drgSizes);
        // Sizes of the first two items, places of their dividers, and where a point along the
        // divider lies across it.
        auto size = [&](int k) {
            return column ? layout->GetColumn(k)->WidthInternal() : layout->GetRow(k)->HeightInternal();
        };
        auto place = [&](int k) { return column ? layout->GetColumn(k)->PosX() : layout->GetRow(k)->PosY(); };
        auto at = [&](int Along) {
            const TRect b = layout->Border();
            return column ? QPoint(Along, (b.Top + b.Bottom) / 2 + 5) : QPoint((b.Left + b.Right) / 2 + 5, Along);
        };
        const int s0 = size(1), s1 = size(2), p0 = place(1), p1 = place(2);
        ASSERT_GT(p1 - p0, 20);

        // Hovering over a divider shows the split cursor.
        QWidget *s = &f.Surface();
        QTest::mouseMove(s, at(p0));
        EXPECT_EQ(s->cursor().shape(), column ? Qt::SplitHCursor : Qt::SplitVCursor);

        // Several moves, then moves exactly onto the next divider and onto the layout's edge
        // before it, and one past the next divider: those are ignored. One undo step.
        const TRect lb = layout->Border();
        const int edge = column ? lb.Left : lb.Top;
        QTest::mousePress(s, Qt::LeftButton, {}, at(p0));
        EXPECT_EQ(ed.GetSelect(), column ? static_cast<TKXElement *>(layout->GetColumn(1)) : layout->GetRow(1));
        for (int d = 2; d <= 10; d += 2)
            QTest::mouseMove(s, at(p0 + d));
        QTest::mouseMove(s, at(p1));
        QTest::mouseMove(s, at(edge));
        QTest::mouseMove(s, at(p1 + 5));
        QTest::mouseRelease(s, Qt::LeftButton, {}, at(p1 + 5));

        EXPECT_EQ(column ? layout->DividerX(0) : layout->DividerY(0),
                  column ? ed.ScreenToLabelX(p0 + 10) : ed.ScreenToLabelY(p0 + 10));
        EXPECT_EQ(size(1) + size(2), s0 + s1);
        EXPECT_EQ(f.Lab->UndoCount(), 1);
        EXPECT_EQ(ed.SelectLayout(), layout);
        f.Lab->UndoRedo(TKXURAction::urUndo);
        EXPECT_EQ(size(1), s0);
        EXPECT_EQ(size(2), s1);
        // The undo gave the layout new items: the selected one left the selection with its
        // old self.
        EXPECT_EQ(ed.GetSelectedCount(), 0);
    }
}

// ---------------------------------------------------------------------------------------
// Hover, right-click and double-click

TEST(DesignerMouse, HoverCursorsRulersAndFieldHint)
{
    EditorOnLabel f;
    auto *box = f.AddBox({1000, 1000, 3000, 2000});
    auto *text = f.AddText({4000, 2500}, QStringLiteral("T"));
    text->SetData(true);
    text->SetFieldName(QStringLiteral("PRICE"));
    text->SetIsCounterFlag(true); // a counter shows its own name, without a data set
    f.Ed().ShowHint = true;
    QWidget *s = &f.Surface();

    // Nothing selected: the hint names the field under the pointer.
    QTest::mouseMove(s, Middle(*text));
    EXPECT_EQ(f.Surface().HintData, QStringLiteral("PRICE"));
    QTest::mouseMove(s, Middle(*box));
    EXPECT_TRUE(f.Surface().HintData.isEmpty());
    EXPECT_EQ(f.Ed().TopRuler()->PosT(), Middle(*box).x() + f.Ed().TopRuler()->Origin());
    EXPECT_EQ(f.Ed().LeftRuler()->PosT(), Middle(*box).y() + f.Ed().LeftRuler()->Origin());

    Click(f, Middle(*box));
    const auto &r = f.Surface().R;
    const struct {
        QPoint At;
        Qt::CursorShape Shape;
    } cases[] = {
        {Centre(r[0]), Qt::SizeHorCursor},  {Centre(r[3]), Qt::SizeVerCursor},
        {Centre(r[4]), Qt::SizeFDiagCursor}, {Centre(r[5]), Qt::SizeBDiagCursor},
        {Centre(r[6]), Qt::SizeBDiagCursor}, {Centre(r[7]), Qt::SizeFDiagCursor},
        {Middle(*box), Qt::PointingHandCursor}, {QPoint(220, 5), Qt::ArrowCursor},
    };
    for (const auto &c : cases) {
        QTest::mouseMove(s, c.At);
        EXPECT_EQ(f.Surface().cursor().shape(), c.Shape) << c.At.x() << "," << c.At.y();
    }
}

TEST(DesignerMouse, RightClickKeepsOrDropsTheSelection)
{
    EditorOnLabel f;
    auto *a = f.AddBox({500, 500, 1500, 1500});
    auto *b = f.AddBox({2500, 500, 3500, 1500});
    std::vector<bool> hits;
    f.Ed().OnRightMouse = [&](TObject *, bool Hit, int32_t, int32_t, int32_t, int32_t) { hits.push_back(Hit); };

    // On the (first) selected element: kept, reported as a hit.
    Click(f, Middle(*a));
    QTest::mouseClick(&f.Surface(), Qt::RightButton, {}, Middle(*a));
    EXPECT_EQ(Selection(f.Ed()), (std::vector<TKXElement *>{a}));

    // Beside it, with two selected and another tool: all dropped, back to the selection tool.
    Click(f, Middle(*b), Qt::ShiftModifier);
    f.Ed().SetDrawTool(TKXDrawTool::dwRect);
    QTest::mouseClick(&f.Surface(), Qt::RightButton, {}, QPoint(200, 120));
    EXPECT_TRUE(Selection(f.Ed()).empty());
    EXPECT_EQ(f.Ed().DrawTool(), TKXDrawTool::dwSelection);
    EXPECT_EQ(f.Surface().DragMod, TKXDrag::drgNone);
    EXPECT_EQ(hits, (std::vector<bool>{true, false}));
}

namespace {

// As the window system delivers it: a click, then the double-click in place of the second
// press, and its release.
void DoubleClick(QWidget *S, QPoint At)
{
    QTest::mouseClick(S, Qt::LeftButton, {}, At);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, At, S->mapToGlobal(At), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(S, &dbl);
    QTest::mouseRelease(S, Qt::LeftButton, {}, At);
}

// A label that counts the element dialogs it is asked to open.
struct DialogLab : TKXCustomLab {
    int Shown = 0;
    void ShowElementProp() override { ++Shown; }
};

} // namespace

TEST(DesignerMouse, DoubleClickOpensTheElementDialog)
{
    zt::RequireWidgetApp();
    zt::TestKinds kinds;
    DialogLab lab;
    lab.NewLabel();
    lab.Measure()->SetLabelSizeMM(60, 35);
    TKXEditor ed;
    ed.SetScreenDpi(96, 96);
    ed.resize(618, 418);
    ed.show();
    ed.SetZantor(&lab);
    auto *box = lab.NewElement<zt::TestBox>();
    box->SetPoints({1000, 1000}, {3000, 2000});
    ed.FPaintEle = true;
    ed.UpdateEditor(false);
    QWidget *s = ed.BackLab();
    const QPoint at = Middle(*box);

    DoubleClick(s, at);
    EXPECT_EQ(lab.Shown, 1);
    EXPECT_EQ(ed.GetSelect(), box);
    EXPECT_FALSE(ed.BackLab()->Drag);
    EXPECT_EQ(ed.BackLab()->DragMod, TKXDrag::drgNone);
    EXPECT_EQ(box->P1(), (TPoint{1000, 1000}));

    ed.ShowEditorDblClick = false;
    DoubleClick(s, at);
    EXPECT_EQ(lab.Shown, 1);
    // On the empty surface the first click drops the selection: nothing opens.
    ed.ShowEditorDblClick = true;
    DoubleClick(s, QPoint(200, 120));
    EXPECT_EQ(lab.Shown, 1);
    EXPECT_EQ(ed.GetSelect(), nullptr);
}
