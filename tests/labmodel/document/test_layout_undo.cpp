// Undoing the deletion of a grid layout: the layout comes back with its identifier and with
// its members in their cells, a redo deletes it again the same way, and the label written
// after the undo is the label written before the deletion. Deleted members come back into
// their cells too.
#include "LayoutSnapshot.h"
#include "document/KXBaseLab.h"
#include "document/KXUndo.h"
#include "elements/KXLayout.h"
#include "elements/KXShapes.h"
#include "stream/KXStream.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using namespace kx;
using EA = kx::TKXEleAlign;

namespace {

using Snapshot = zt::LayoutSnapshot;

class LayoutUndo : public ::testing::Test {
protected:
    // Front to back: member A, the layout (2 x 2 cells), a free box, member B.
    LayoutUndo()
    {
        a = Box({0, 0, 300, 200});
        layout = lab.NewElement<TKXLayout>();
        layout->SetBoundsRect({1000, 500}, {5000, 2500}, false);
        layout->SetColCount(2);
        layout->SetRowCount(2);
        layout->SetColumnWidth(1500, 0); // columns 1000-2500 and 2500-5000
        free = Box({100, 100, 400, 300});
        b = Box({0, 0, 500, 300});
        Put(*a, 1, 0, EA::eaRigthTop);
        Put(*b, 0, 1, EA::eaCenterCenter);
        lab.ClearUndoRedo();
    }

    TKXRect *Box(TRect R)
    {
        auto *r = lab.NewElement<TKXRect>();
        r->SetBoundsRect({R.Left, R.Top}, {R.Right, R.Bottom}, false);
        return r;
    }
    // Into the cell as the document's cell search puts it (it needs an editor's screen
    // rectangles), with the alignment that places it there.
    void Put(TKXElement &E, uint16_t Col, uint16_t Row, EA Align)
    {
        E.SetEleAlign(Align); // finds no layout without an editor
        E.IDLayout = layout->IDL();
        E.ColLayout = Col;
        E.RowLayout = Row;
        layout->AddElement(E);
        layout->RealignElements();
    }

    Snapshot Take() { return zt::TakeLayoutSnapshot(lab); }
    TKXUndo &History() { return dynamic_cast<TKXUndo &>(*lab.UndoRecorder()); }

    TKXCustomLab lab;
    TKXRect *a = nullptr;
    TKXRect *b = nullptr;
    TKXRect *free = nullptr;
    TKXLayout *layout = nullptr;
};

// Regression: the layout came back under a new identifier and without its members, which
// the deletion had freed.
TEST_F(LayoutUndo, DeletedLayoutComesBackWithItsMembersAndRedoDeletesItAgain)
{
    ASSERT_EQ(layout->MemberCount(), 2);
    ASSERT_EQ(a->P1(), (TPoint{5000 - 300, 500}));
    const Snapshot before = Take();
    const int32_t id = layout->IDL();
    ASSERT_TRUE(lab.RemoveElement(layout, false, true));
    ASSERT_EQ(History().UndoCount(), 1);
    EXPECT_EQ(History().UndoList().back().Count, 1);
    // Deleting frees the members where they stand.
    EXPECT_EQ(a->IDLayout, 0);
    EXPECT_EQ(a->EleAlign(), EA::eaNone);
    EXPECT_EQ(b->IDLayout, 0);
    const Snapshot deleted = Take();

    // Undo, redo, and undo once more: the redo records the deletion as the first one did.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        lab.UndoRedo(TKXURAction::urUndo);
        EXPECT_EQ(Take(), before);
        ASSERT_EQ(History().RedoCount(), 1);
        EXPECT_EQ(History().RedoList().back().Count, 1);
        lab.UndoRedo(TKXURAction::urRedo);
        EXPECT_EQ(Take(), deleted);
        ASSERT_EQ(History().UndoCount(), 1);
        EXPECT_EQ(History().UndoList().back().Count, 1);
    }
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(Take(), before);
    auto *back = dynamic_cast<TKXLayout *>(lab.GetElement(2));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->IDL(), id);
    EXPECT_EQ(back->GetColumn(1)->IDLayout, id);
    EXPECT_EQ(a->EleAlign(), EA::eaRigthTop);
    // The members follow their cells again.
    back->SetColumnWidth(2000, 0);
    EXPECT_EQ(b->P1().x, 1000 + (2000 - 500) / 2);
    EXPECT_EQ(a->P1().x, 5000 - 300);
}

// Regression: a member deleted alone came back with its alignment but outside its cell.
TEST_F(LayoutUndo, DeletedMemberComesBackIntoItsCell)
{
    const Snapshot before = Take();
    ASSERT_TRUE(lab.RemoveElement(b, false, true));
    EXPECT_EQ(layout->MemberCount(), 1);
    const Snapshot deleted = Take();
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(Take(), before);
    lab.UndoRedo(TKXURAction::urRedo);
    EXPECT_EQ(Take(), deleted);
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(Take(), before);
    TKXElement *back = lab.GetElement(4);
    layout->SetRowHeight(1200, 0); // the second row starts at 1700
    EXPECT_EQ(back->P1().y, 1700 + (800 - 300) / 2);
}

// Regression: a member moved or realigned out of its cell came back by undo at its old place
// but outside the cell, so the layout no longer moved it. Undo gives the cell back (and the
// member its place in the layout's order), redo takes it out again. A mouse drag records the
// state and the cell taken at the press, when the element still stood in its cell.
// How a member leaves its cell: each change records its undo entry as the editor does.
struct LeaveCase {
    const char *Name;
    void (*Change)(TKXCustomLab &Lab, TKXElement &Member);
};
const LeaveCase LeaveCases[] = {
    {"ArrowKeyMove", [](TKXCustomLab &Lab, TKXElement &M) {
         Lab.RecordUndo(TKXURAction::urProp, M);
         M.MoveLayoutBy(-100, 0);
     }},
    {"RealignedToNone", [](TKXCustomLab &, TKXElement &M) { M.SetEleAlign(EA::eaNone); }},
    {"Dragged", [](TKXCustomLab &Lab, TKXElement &M) {
         TKXStreamWriter w;
         M.SaveToStream(w);
         const TBytesArray pressed = w.TakeBytes();
         const TKXLayoutCell cell = Lab.CellOf(M);
         M.SetBorder({2000, 2000, 2300, 2200});
         M.SetBorder({2100, 2000, 2400, 2200});
         Lab.RecordUndoState(M, pressed, cell);
     }},
};

void PrintTo(const LeaveCase &C, std::ostream *Os) { *Os << C.Name; }

class MemberLeaves : public LayoutUndo, public ::testing::WithParamInterface<LeaveCase> {};

TEST_P(MemberLeaves, UndoPutsItBackIntoItsCellAndRedoTakesItOut)
{
    const Snapshot before = Take();
    ASSERT_EQ(before.Members, (std::vector<uint64_t>{a->Serial(), b->Serial()}));
    GetParam().Change(lab, *a);
    ASSERT_EQ(a->IDLayout, 0);
    // The layout changes meanwhile and forgets the member that left.
    layout->RealignElements();
    const Snapshot out = Take();
    ASSERT_EQ(out.Members, (std::vector<uint64_t>{b->Serial()}));
    ASSERT_EQ(History().UndoCount(), 1);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        lab.UndoRedo(TKXURAction::urUndo);
        EXPECT_EQ(Take(), before);
        lab.UndoRedo(TKXURAction::urRedo);
        EXPECT_EQ(Take(), out);
    }
    lab.UndoRedo(TKXURAction::urUndo);
    // In the cell again: it follows the column.
    layout->SetColumnWidth(2000, 0);
    EXPECT_EQ(a->P1().x, 5000 - 300);
    EXPECT_EQ(layout->MemberCount(), 2);
}

INSTANTIATE_TEST_SUITE_P(Changes, MemberLeaves, ::testing::ValuesIn(LeaveCases),
                         [](const ::testing::TestParamInfo<LeaveCase> &I) { return std::string(I.param.Name); });

// An element that joins a cell leaves it again by undo, and joins it again by redo.
TEST_F(LayoutUndo, FreeElementPutIntoACellLeavesItByUndo)
{
    const Snapshot before = Take();
    lab.RecordUndo(TKXURAction::urProp, *free);
    Put(*free, 0, 0, EA::eaLeftTop);
    const Snapshot in = Take();
    ASSERT_EQ(in.Members.size(), 3u);
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(Take(), before);
    EXPECT_EQ(layout->MemberCount(), 2);
    lab.UndoRedo(TKXURAction::urRedo);
    EXPECT_EQ(Take(), in);
    layout->SetRowHeight(1200, 0);
    EXPECT_EQ(free->P1(), (TPoint{1000, 500}));
}

// The identifier a layout had may be held by another layout by the time the deletion is
// undone: the restored layout keeps its new one and its members follow it.
TEST_F(LayoutUndo, MembersFollowALayoutThatCannotHaveItsIdentifierBack)
{
    const Snapshot before = Take();
    const int32_t id = layout->IDL();
    ASSERT_TRUE(lab.RemoveElement(layout, false, true));
    lab.SetUnReIni(0);
    auto *other = lab.NewElement<TKXLayout>();
    other->SetLayoutID(id);
    lab.SetUnReIni(1);
    lab.UndoRedo(TKXURAction::urUndo);
    auto *back = dynamic_cast<TKXLayout *>(lab.GetElement(2));
    ASSERT_NE(back, nullptr);
    EXPECT_NE(back->IDL(), id);
    EXPECT_EQ(back->MemberCount(), 2);
    EXPECT_EQ(other->MemberCount(), 0);
    EXPECT_EQ(a->IDLayout, back->IDL());
    EXPECT_EQ(b->IDLayout, back->IDL());
    // Everything else as before, the other layout at the bottom.
    std::vector<TBytesArray> expected = before.Records;
    TKXStreamWriter w;
    other->SaveToStream(w);
    expected.push_back(w.TakeBytes());
    EXPECT_EQ(Take().Records, expected);
}

} // namespace
