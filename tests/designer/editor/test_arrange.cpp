// The editor's commands on the selection: deleting it, the stacking order, and the
// arrangement commands (align, centre, space, same size), each one undo step that an undo
// takes back exactly and that marks the label modified.
#include "ArrangeFixture.h"

#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace kx;
using namespace kx::designer;
using zt::Pts;
using zt::RealKindsEditor;

namespace {

// Runs Command on the selection and checks what every arrangement command owes: the
// expected geometry, one undo step of one change per selected element, the modified flag,
// recording back to one change per step, and an undo that gives every element back its
// record byte for byte.
struct ArrangeCase {
    const char *Name;
    std::vector<TRect> Start;    // boxes, front to back
    std::vector<int> Selection;  // indexes into Start, in the order selected
    std::function<void(TKXEditor &)> Command;
    std::vector<TRect> End;      // P1, P2 of each box afterwards
    int Changes = -1;            // recorded changes; -1: one per selected element
};

void RunArrangeCase(const ArrangeCase &c, float LabelW = 60, float LabelH = 35)
{
    SCOPED_TRACE(c.Name);
    RealKindsEditor f(LabelW, LabelH);
    std::vector<TKXElement *> boxes;
    for (const TRect &r : c.Start)
        boxes.push_back(f.Add(r));
    f.Ed().ClearSelection();
    for (int i : c.Selection)
        f.Ed().AddToSelection(boxes[size_t(i)]);
    f.Ed().UpdateEditor(true);
    f.Lab->SetModified(false);
    const auto before = f.Records();
    const int steps = f.Undo().UndoCount();

    c.Command(f.Ed());

    for (size_t i = 0; i < boxes.size(); ++i)
        EXPECT_EQ(Pts(boxes[i]), c.End[i]) << "box " << i;
    ASSERT_EQ(f.Undo().UndoCount(), steps + 1);
    EXPECT_EQ(f.Undo().UndoList().back().Count, c.Changes < 0 ? int(c.Selection.size()) : c.Changes);
    EXPECT_FALSE(f.Undo().StepOpen());
    EXPECT_EQ(f.Lab->ElementsAfected(), 1);
    EXPECT_TRUE(f.Lab->Modified());
    f.Lab->UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(f.Records(), before);
}

} // namespace

TEST(DesignerArrange, CentreSpaceAndSameSizeOnTheWorkedExamples)
{
    const ArrangeCase cases[] = {
        // One element on a 6000-wide label: centre 3000, X1 = 3000 - 1001 div 2.
        {"centre one horizontally", {{100, 100, 1101, 600}}, {0},
         [](TKXEditor &e) { e.CenterPosHorz(); }, {{2500, 100, 3501, 600}}},
        {"centre one vertically", {{100, 100, 600, 601}}, {0},
         [](TKXEditor &e) { e.CenterPosVert(); }, {{100, 1500, 600, 2001}}},
        // Centres 500 and 3000 + 1001 div 2 = 3500: mean 2000.
        {"centre two on their mean", {{0, 100, 1000, 600}, {3000, 900, 4001, 1400}}, {1, 0},
         [](TKXEditor &e) { e.CenterPosHorz(); }, {{1500, 100, 2500, 600}, {1500, 900, 2501, 1400}}},
        // Gap ((100 - 50) + (3000 - 150)) div 2 = 1450: the middle one starts at 50 + 1450.
        {"space horizontally", {{3000, 0, 4000, 500}, {0, 0, 50, 500}, {100, 0, 150, 500}}, {0, 2, 1},
         [](TKXEditor &e) { e.SpaceHorizontal(); }, {{3000, 0, 4000, 500}, {0, 0, 50, 500}, {1500, 0, 1550, 500}}},
        {"space by a gap horizontally", {{2000, 0, 2500, 500}, {100, 600, 400, 900}}, {0, 1},
         [](TKXEditor &e) { e.SpaceHorizontal(15.0f); }, {{1600, 0, 2100, 500}, {100, 600, 400, 900}}},
        // The first rectangle with a width sets it; the later ones take it at their X1.
        {"same width", {{100, 100, 2100, 600}, {3000, 100, 3500, 600}, {100, 1000, 300, 3000}}, {1, 0, 2},
         [](TKXEditor &e) { e.SameWidth(); }, {{100, 100, 600, 600}, {3000, 100, 3500, 600}, {100, 1000, 600, 3000}}},
        {"same height", {{100, 100, 600, 1100}, {1000, 200, 1500, 300}}, {0, 1},
         [](TKXEditor &e) { e.SameHeight(); }, {{100, 100, 600, 1100}, {1000, 200, 1500, 1200}}},
        // Aligned to the first selected element's edge; the first one stays and is not
        // recorded.
        {"align to the first's left", {{1000, 100, 1500, 600}, {3000, 900, 4000, 1400}, {200, 2000, 700, 2500}},
         {0, 1, 2}, [](TKXEditor &e) { e.AlignPos(TKXAlignPos::epFirstLeft); },
         {{1000, 100, 1500, 600}, {1000, 900, 2000, 1400}, {1000, 2000, 1500, 2500}}, 2},
        {"align to the first's bottom", {{1000, 100, 1500, 600}, {3000, 900, 4000, 1400}}, {1, 0},
         [](TKXEditor &e) { e.AlignPos(TKXAlignPos::epFirstBottom); },
         {{1000, 900, 1500, 1400}, {3000, 900, 4000, 1400}}, 1},
    };
    for (const ArrangeCase &c : cases)
        RunArrangeCase(c);
}

// Tops 0, 1000 and 5000, each 500 high: gap ((1000 - 500) + (5000 - 1500)) div 2 = 2000, so
// the middle one goes to 2500; the outer ones stay. Selected out of position order.
TEST(DesignerArrange, SpaceVerticallyEvensTheGaps)
{
    RunArrangeCase({"space vertically",
                    {{0, 5000, 1000, 5500}, {0, 0, 1000, 500}, {2000, 1000, 3000, 1500}},
                    {0, 2, 1},
                    [](TKXEditor &e) { e.SpaceVertical(); },
                    {{0, 5000, 1000, 5500}, {0, 0, 1000, 500}, {2000, 2500, 3000, 3000}}},
                   60, 80);
    // Top to top with a gap: every one after the top-most moves, the last one too.
    RunArrangeCase({"space by a gap vertically",
                    {{0, 4000, 500, 4100}, {0, 100, 500, 300}, {600, 200, 900, 700}},
                    {2, 0, 1},
                    [](TKXEditor &e) { e.SpaceVertical(12.5f); },
                    {{0, 2600, 500, 2700}, {0, 100, 500, 300}, {600, 1350, 900, 1850}}},
                   60, 80);
}

TEST(DesignerArrange, AlignsToTheGuideLines)
{
    RealKindsEditor f;
    f.Lab->BackSurf()->SetAlignX(20.0f); // mm
    f.Lab->BackSurf()->SetAlignY(10.0f);
    auto *a = f.Add({100, 100, 600, 600});
    auto *b = f.Add({3000, 2000, 4000, 3000});
    f.Select({a, b});
    f.Lab->SetModified(false);
    f.Ed().AlignPos(TKXAlignPos::epRight);
    EXPECT_EQ(Pts(a), (TRect{1500, 100, 2000, 600}));
    EXPECT_EQ(Pts(b), (TRect{1000, 2000, 2000, 3000}));
    f.Ed().AlignPos(TKXAlignPos::epTop);
    EXPECT_EQ(Pts(a), (TRect{1500, 1000, 2000, 1500}));
    EXPECT_EQ(Pts(b), (TRect{1000, 1000, 2000, 2000}));
    EXPECT_TRUE(f.Lab->Modified());
    EXPECT_EQ(f.Undo().UndoList().back().Count, 2);
    f.Lab->UndoRedo(TKXURAction::urUndo);
    f.Lab->UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(Pts(a), (TRect{100, 100, 600, 600}));
    EXPECT_EQ(Pts(b), (TRect{3000, 2000, 4000, 3000}));
}

// Regression: aligning to the first selected element with only that one selected announced
// a step of no changes, which switched undo recording off for every later change.
TEST(DesignerArrange, AlignToTheFirstWithOneSelectedRecordsNothingAndKeepsRecording)
{
    RealKindsEditor f;
    auto *a = f.Add({1000, 1000, 2000, 2000});
    f.Select({a});
    f.Lab->SetModified(false);
    for (TKXAlignPos p : {TKXAlignPos::epFirstLeft, TKXAlignPos::epFirstTop, TKXAlignPos::epFirstRight,
                          TKXAlignPos::epFirstBottom})
        f.Ed().AlignPos(p);
    EXPECT_EQ(Pts(a), (TRect{1000, 1000, 2000, 2000}));
    EXPECT_EQ(f.Undo().UndoCount(), 0);
    EXPECT_FALSE(f.Lab->Modified());
    // Later changes are each their own step again.
    a->SetColor(0x00FF00);
    a->SetColor(0x0000FF);
    EXPECT_EQ(f.Undo().UndoCount(), 2);
}

// Commands that need more selected elements, or a selection at all, leave everything alone.
TEST(DesignerArrange, TooFewSelectedDoesNothing)
{
    const std::pair<const char *, std::function<void(TKXEditor &)>> commands[] = {
        {"space vertically", [](TKXEditor &e) { e.SpaceVertical(); }},
        {"space horizontally", [](TKXEditor &e) { e.SpaceHorizontal(); }},
        {"centre", [](TKXEditor &e) { e.CenterPosHorz(); }},
        {"same width", [](TKXEditor &e) { e.SameWidth(); }},
        {"align", [](TKXEditor &e) { e.AlignPos(TKXAlignPos::epLeft); }},
        {"delete", [](TKXEditor &e) { e.DeleteSelection(); }},
    };
    for (const auto &[name, command] : commands) {
        RealKindsEditor f;
        auto *a = f.Add({100, 100, 600, 600});
        auto *b = f.Add({1000, 1000, 1500, 2500});
        // Two selected are too few to space evenly; nothing selected is too few for all.
        if (std::string(name).rfind("space", 0) == 0)
            f.Select({a, b});
        f.Lab->SetModified(false);
        command(f.Ed());
        EXPECT_EQ(Pts(a), (TRect{100, 100, 600, 600})) << name;
        EXPECT_EQ(Pts(b), (TRect{1000, 1000, 1500, 2500})) << name;
        EXPECT_EQ(f.Lab->ElementCount(), 2) << name;
        EXPECT_EQ(f.Undo().UndoCount(), 0) << name;
        EXPECT_FALSE(f.Lab->Modified()) << name;
    }
}

// Texts take their size from their content and a vertical line has no width to give or
// take: only the rectangle after the first rectangle is widened.
TEST(DesignerArrange, SameWidthLeavesTextsAndVerticalLinesAlone)
{
    RealKindsEditor f;
    auto *text = f.AddText({100, 2000}, QStringLiteral("Label text"));
    auto *line = f.Add<TKXLine>({4000, 100, 4000, 3000});
    auto *wide = f.Add({100, 100, 2600, 600});
    auto *narrow = f.Add({3000, 1000, 3200, 1500});
    const TRect textBefore = Pts(text);
    f.Select({text, line, wide, narrow});
    f.Ed().SameWidth();
    EXPECT_EQ(Pts(text), textBefore);
    EXPECT_EQ(Pts(line), (TRect{4000, 100, 4000, 3000}));
    EXPECT_EQ(Pts(wide), (TRect{100, 100, 2600, 600}));
    EXPECT_EQ(Pts(narrow), (TRect{3000, 1000, 5500, 1500}));
    // Every selected element is in the step, resized or not.
    EXPECT_EQ(f.Undo().UndoList().back().Count, 4);
}

// ---------------------------------------------------------------------------------------
// Deleting and stacking order

// Regression: deleting elements selected back to front used to put them back in the wrong
// stacking positions on undo.
TEST(DesignerArrange, DeleteIsOneStepThatPutsEveryElementBackInItsPlace)
{
    RealKindsEditor f;
    std::vector<TKXElement *> e;
    for (int i = 0; i < 5; ++i)
        e.push_back(f.Add({100 + 500 * i, 100, 500 + 500 * i, 600}));
    const auto serials = f.Serials();
    const auto records = f.Records();
    int selectChanges = 0;
    f.Ed().OnSelectChange = [&](TObject *) { ++selectChanges; };
    f.Select({e[3], e[1]});
    selectChanges = 0;
    f.Lab->SetModified(false);

    f.Ed().DeleteSelection();
    EXPECT_EQ(f.Lab->ElementCount(), 3);
    EXPECT_EQ(f.Ed().GetSelectedCount(), 0);
    EXPECT_EQ(f.Lab->Selected(), nullptr);
    EXPECT_TRUE(f.Lab->Modified());
    EXPECT_EQ(selectChanges, 1);
    ASSERT_EQ(f.Undo().UndoCount(), 1);
    EXPECT_EQ(f.Undo().UndoList().back().Count, 2);
    EXPECT_EQ(f.Lab->ElementsAfected(), 1);

    f.Lab->UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(f.Serials(), serials);
    EXPECT_EQ(f.Records(), records);
    f.Lab->UndoRedo(TKXURAction::urRedo);
    EXPECT_EQ(f.Lab->ElementCount(), 3);
}

TEST(DesignerArrange, BringToFrontAndSendToBackMoveTheFirstSelected)
{
    RealKindsEditor f;
    auto *a = f.Add({100, 100, 600, 600});
    auto *b = f.Add({200, 200, 700, 700});
    auto *c = f.Add({300, 300, 800, 800});
    f.Select({b, c});
    f.Lab->SetModified(false);
    f.Ed().SelecBringToFront();
    EXPECT_EQ(f.Lab->IndexOf(b), 0);
    EXPECT_EQ(f.Lab->IndexOf(a), 1);
    // The order is stored with the label; it is not an undo step.
    EXPECT_TRUE(f.Lab->Modified());
    EXPECT_EQ(f.Undo().UndoCount(), 0);
    f.Ed().SelecSendToBack();
    EXPECT_EQ(f.Lab->IndexOf(b), 2);
    EXPECT_EQ(f.Lab->IndexOf(a), 0);
    EXPECT_EQ(f.Lab->IndexOf(c), 1);
    // Already at the back: nothing changes.
    f.Lab->SetModified(false);
    f.Ed().SelecSendToBack();
    EXPECT_EQ(f.Lab->IndexOf(b), 2);
    EXPECT_FALSE(f.Lab->Modified());
}

// ---------------------------------------------------------------------------------------
// Keyboard

// Regression: after the keyboard resized n elements the step size stayed n, so the next n
// single changes were gathered into one undo step.
TEST(DesignerArrange, KeyboardResizeMarksModifiedAndLeavesOneChangePerStep)
{
    RealKindsEditor f;
    auto *a = f.Add({1000, 1000, 2000, 2000});
    auto *b = f.Add({3000, 1000, 4000, 2000});
    f.Select({a, b});
    f.Lab->SetModified(false);
    QTest::keyClick(&f.Ed(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Pts(a), (TRect{1000, 1000, 3000, 2000}));
    EXPECT_EQ(Pts(b), (TRect{3000, 1000, 5000, 2000}));
    EXPECT_TRUE(f.Lab->Modified());
    ASSERT_EQ(f.Undo().UndoCount(), 1);
    EXPECT_EQ(f.Undo().UndoList().back().Count, 2);
    a->SetColor(0x00FF00);
    b->SetColor(0x00FF00);
    EXPECT_EQ(f.Undo().UndoCount(), 3);
    f.Lab->UndoRedo(TKXURAction::urUndo);
    f.Lab->UndoRedo(TKXURAction::urUndo);
    f.Lab->UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(Pts(a), (TRect{1000, 1000, 2000, 2000}));
    EXPECT_EQ(Pts(b), (TRect{3000, 1000, 4000, 2000}));
}
