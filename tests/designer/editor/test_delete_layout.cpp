// Deleting a selection that holds a grid layout, some of its members, or both: one undo step
// that an undo takes back exactly (the layout with its members in their cells, the label
// file as before) and that a redo replays the same way.
#include "ArrangeFixture.h"
#include "LayoutSnapshot.h"
#include "elements/KXLayout.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

using namespace kx;
using namespace kx::designer;
using zt::RealKindsEditor;
using EA = kx::TKXEleAlign;

namespace {

using State = zt::LayoutSnapshot;

State Take(RealKindsEditor &f) { return zt::TakeLayoutSnapshot(*f.Lab); }

struct DeleteCase {
    const char *Name;
    std::vector<int> Selection; // 0 member A, 1 the layout, 2 a free box, 3 member B
};

void RunDeleteCase(const DeleteCase &c)
{
    SCOPED_TRACE(c.Name);
    RealKindsEditor f;
    // Front to back: member A, the layout (2 x 2 cells), a free box, member B. The members
    // go into the cells under them as the user puts them there: by their alignment.
    auto *a = f.Add({3200, 600, 3700, 1000});
    auto *layout = f.Add<TKXLayout>({1000, 500, 5000, 2500});
    layout->SetColCount(2);
    layout->SetRowCount(2);
    auto *box = f.Add({100, 2800, 600, 3200});
    auto *b = f.Add({1200, 1700, 1700, 2000});
    f.Ed().UpdateEditor(false);
    a->SetEleAlign(EA::eaRigthTop);
    b->SetEleAlign(EA::eaCenterCenter);
    ASSERT_EQ(layout->MemberCount(), 2);
    ASSERT_EQ(a->ColLayout, 1);
    ASSERT_EQ(b->RowLayout, 1);
    ASSERT_EQ(zt::Pts(a), (TRect{4500, 500, 5000, 900}));
    f.Lab->ClearUndoRedo();
    TKXElement *const all[] = {a, layout, box, b};

    const State before = Take(f);
    f.Select({});
    for (int i : c.Selection)
        f.Ed().AddToSelection(all[i]);
    f.Ed().DeleteSelection();
    ASSERT_EQ(f.Lab->ElementCount(), 4 - int32_t(c.Selection.size()));
    ASSERT_EQ(f.Undo().UndoCount(), 1);
    EXPECT_EQ(f.Undo().UndoList().back().Count, int32_t(c.Selection.size()));
    const State deleted = Take(f);

    // Undo, redo, undo: each time the same two states.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        f.Lab->UndoRedo(TKXURAction::urUndo);
        EXPECT_EQ(Take(f), before);
        EXPECT_EQ(f.Undo().RedoList().back().Count, int32_t(c.Selection.size()));
        f.Lab->UndoRedo(TKXURAction::urRedo);
        EXPECT_EQ(Take(f), deleted);
        EXPECT_EQ(f.Undo().UndoCount(), 1);
    }
    f.Lab->UndoRedo(TKXURAction::urUndo);
    ASSERT_EQ(Take(f), before);

    // The restored layout carries its members: B follows a divider drag.
    auto *back = dynamic_cast<TKXLayout *>(f.Lab->GetElement(2));
    ASSERT_NE(back, nullptr);
    back->SetColumnWidth(1000, 0); // columns 1000-2000 and 2000-5000
    EXPECT_EQ(zt::Pts(f.Lab->GetElement(4)), (TRect{1250, 1850, 1750, 2150}));
}

// Regression: the layout came back empty under a new identifier, its members freed; members
// deleted with it came back beside their cells.
TEST(DesignerDeleteLayout, UndoGivesBackTheLayoutWithItsMembersInTheirCells)
{
    const DeleteCase cases[] = {
        {"the layout alone", {1}},
        {"the layout and the member above it", {1, 0}},
        {"the layout and the member below it", {3, 1}},
        {"a member alone", {3}},
        {"the layout and a free box", {2, 1}},
        {"everything", {0, 1, 2, 3}},
    };
    for (const DeleteCase &c : cases)
        RunDeleteCase(c);
}

} // namespace
