// Deleting a selection that holds a grid layout, some of its members, or both: one undo step
// that an undo takes back exactly (the layout with its members in their cells, the label
// file as before) and that a redo replays the same way.
#include "ArrangeFixture.h"
#include "elements/KXLayout.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

using namespace kx;
using namespace kx::designer;
using zt::RealKindsEditor;
using EA = kx::TKXEleAlign;

namespace {

// What an undo must give back besides the records: each element's cell, the layout's
// identifier and members in their order, and the label file.
struct State {
    std::vector<TBytesArray> Records;
    std::vector<uint64_t> Serials;
    std::vector<std::vector<int32_t>> Cells; // IDLayout, column, row
    int32_t LayoutID = 0;
    std::vector<uint64_t> Members;
    TBytesArray File;
    bool operator==(const State &) const = default;
};

State Take(RealKindsEditor &f)
{
    State s;
    s.Records = f.Records();
    s.Serials = f.Serials();
    for (int32_t i = 1; i <= f.Lab->ElementCount(); ++i) {
        TKXElement *e = f.Lab->GetElement(i);
        s.Cells.push_back({e->IDLayout, e->ColLayout, e->RowLayout});
        if (auto *l = dynamic_cast<TKXLayout *>(e)) {
            s.LayoutID = l->IDL();
            for (TKXElement *m : l->Members())
                s.Members.push_back(m->Serial());
        }
    }
    TKXStreamWriter file;
    f.Lab->SaveToStream(file);
    s.File = file.TakeBytes();
    return s;
}

// Readable failures: the cells, the identifier and the members in full, the records and the
// file by size.
void PrintTo(const State &s, std::ostream *os)
{
    *os << "serials";
    for (uint64_t v : s.Serials)
        *os << ' ' << v;
    *os << "; cells";
    for (const auto &c : s.Cells)
        *os << " (" << c[0] << ',' << c[1] << ',' << c[2] << ')';
    *os << "; layout " << s.LayoutID << " members";
    for (uint64_t v : s.Members)
        *os << ' ' << v;
    *os << "; records";
    for (const auto &r : s.Records)
        *os << ' ' << r.size() << 'B';
    *os << "; file " << s.File.size() << 'B';
}

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
