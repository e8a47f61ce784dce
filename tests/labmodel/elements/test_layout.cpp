// The grid layout: spreading columns and rows, adding and removing them at the ends and in
// the middle, divider drags and their limits, the cells of members after moves and
// realignment, the hit band, what it draws on each target, its setters' protocol, its record
// in label files and undo steps, and members found again after a label is read.
#include "document/KXBaseLab.h"
#include "document/KXElementFactory.h"
#include "elements/KXLayout.h"
#include "elements/KXShapes.h"
#include "FakeDesignerServices.h"
#include "LabelFileComposer.h"
#include "RecordingCanvas.h"
#include "stream/KXStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <span>
#include <string>
#include <vector>

using namespace kx;
using enum kx::TKXDrawType;
using enum kx::TKXFillType;
using EA = kx::TKXEleAlign;

namespace {

std::string Rc(const TRect &r)
{
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom);
}

std::vector<int32_t> ColWidths(const TKXLayout &l)
{
    std::vector<int32_t> w;
    for (int32_t i = 1; i <= l.ColumnItemCount(); ++i)
        w.push_back(l.GetColumn(i)->WidthInternal());
    return w;
}

std::vector<int32_t> RowHeights(const TKXLayout &l)
{
    std::vector<int32_t> h;
    for (int32_t i = 1; i <= l.RowItemCount(); ++i)
        h.push_back(l.GetRow(i)->HeightInternal());
    return h;
}

// The cells' spans along one axis, left to right (top to bottom).
std::string ColSpans(const TKXLayout &l)
{
    std::string s;
    for (int32_t c = 0; c < l.ColCount(); ++c) {
        const TRect r = l.GetCellRect(uint16_t(c), 0);
        s += (c ? " " : "") + std::to_string(r.Left) + "-" + std::to_string(r.Right);
    }
    return s;
}

std::string RowSpans(const TKXLayout &l)
{
    std::string s;
    for (int32_t c = 0; c < l.RowCount(); ++c) {
        const TRect r = l.GetCellRect(0, uint16_t(c));
        s += (c ? " " : "") + std::to_string(r.Top) + "-" + std::to_string(r.Bottom);
    }
    return s;
}

// An editor that paints the design surface whenever it is asked to update, as the real one
// does: every element gets its screen rectangle. 60 x 35 mm on 600 x 350 pixels, 10 label
// units to the pixel, as the recording canvas maps them.
class PaintingEditor : public zt::FakeDesignerServices {
public:
    explicit PaintingEditor(TKXCustomLab &Lab) : FakeDesignerServices(Lab), FLab(Lab) { Canvas = &Surface; }
    void UpdateEditor(bool Inspect) override
    {
        FakeDesignerServices::UpdateEditor(Inspect);
        Paint();
    }
    void Paint()
    {
        Surface.Clear();
        FLab.DrawElements(Surface, {0, 0}, tdLab, ftField);
        FLab.DrawSelected(Surface, {0, 0}, tdLab, ftField);
    }
    zt::RecordingCanvas Surface;

private:
    TKXCustomLab &FLab;
};

class Layout : public ::testing::Test {
protected:
    TKXCustomLab lab;

    TKXLayout *NewLayout(TRect R)
    {
        auto *l = lab.NewElement<TKXLayout>();
        l->SetBoundsRect({R.Left, R.Top}, {R.Right, R.Bottom}, false);
        return l;
    }
    TKXRect *Box(TRect R)
    {
        auto *r = lab.NewElement<TKXRect>();
        r->SetBoundsRect({R.Left, R.Top}, {R.Right, R.Bottom}, false);
        return r;
    }
    // Puts Element into a cell as the document's cell search does.
    static void Put(TKXLayout &L, TKXElement &Element, uint16_t Col, uint16_t Row, EA Align)
    {
        Element.IDLayout = L.IDL();
        Element.ColLayout = Col;
        Element.RowLayout = Row;
        L.AddElement(Element);
        // The alignment without the cell search (no screen rectangles here).
        lab_set_align(Element, Align);
        L.RealignElements();
    }
    static void lab_set_align(TKXElement &Element, EA Align)
    {
        const int32_t id = Element.IDLayout;
        const uint16_t c = Element.ColLayout, r = Element.RowLayout;
        Element.SetEleAlign(Align); // finds no layout without screen rectangles
        Element.IDLayout = id;
        Element.ColLayout = c;
        Element.RowLayout = r;
    }
};

// ---------------------------------------------------------------------------------------
// Spreading

TEST_F(Layout, NewLayoutIsOneCellAndNumbersItsIdentifiers)
{
    auto *a = NewLayout({1000, 500, 4000, 2500});
    auto *b = lab.NewElement<TKXLayout>();
    EXPECT_EQ(a->ColCount(), 1);
    EXPECT_EQ(a->RowCount(), 1);
    EXPECT_EQ(Rc(a->GetCellRect(0, 0)), "1000,500,4000,2500");
    EXPECT_TRUE(a->EqualCols());
    EXPECT_TRUE(a->EqualRows());
    EXPECT_EQ(a->IDL(), 1);
    EXPECT_EQ(b->IDL(), 2);
    EXPECT_EQ(a->ID(), "Layout1");
    EXPECT_EQ(lab.FindLayout(2), b);
    EXPECT_EQ(a->GetColumn(0), nullptr);
    EXPECT_EQ(a->GetColumn(1), nullptr);
}

TEST_F(Layout, SpreadingNewColumnsAndRows)
{
    struct Case {
        const char *what;
        int32_t width;
        bool equal;
        std::vector<int32_t> before; // column items before
        int32_t count;
        std::vector<int32_t> items;
        const char *spans;
    } cases[] = {
        {"equal, 3000 in four", 3000, true, {}, 4, {750, 750, 750}, "0-750 750-1500 1500-2250 2250-3000"},
        {"equal, remainder to the last", 3001, true, {}, 4, {750, 750, 750}, "0-750 750-1500 1500-2250 2250-3001"},
        {"equal re-spreads the old items", 3000, true, {2000}, 3, {1000, 1000}, "0-1000 1000-2000 2000-3000"},
        {"unequal: the new ones share the rest", 3000, false, {1000}, 3, {1000, 1000}, "0-1000 1000-2000 2000-3000"},
        {"unequal, remainder to the last", 3000, false, {2500}, 4, {2500, 166, 166}, "0-2500 2500-2666 2666-2832 2832-3000"},
        {"unequal, nothing left", 3000, false, {3000}, 3, {3000, 0}, "0-3000 3000-3000 3000-3000"},
        {"unequal, items already past the edge", 3000, false, {4000}, 3, {4000, 0}, "0-3000 3000-3000 3000-3000"},
        {"one more column", 3000, true, {}, 2, {1500}, "0-1500 1500-3000"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TKXCustomLab doc;
        auto *l = doc.NewElement<TKXLayout>();
        l->SetBoundsRect({0, 0}, {c.width, 2000}, false);
        l->SetEqualCols(false);
        for (int32_t w : c.before) {
            auto item = std::make_unique<TKXColLayout>(&doc);
            item->SetWidth(doc.InternalToUnits(w));
            l->AddColumn(std::move(item));
        }
        l->SetEqualCols(c.equal);
        l->SetColCount(c.count);
        EXPECT_EQ(l->ColCount(), c.count);
        EXPECT_EQ(ColWidths(*l), c.items);
        EXPECT_EQ(ColSpans(*l), c.spans);
        for (int32_t i = 1; i <= l->ColumnItemCount(); ++i) {
            EXPECT_EQ(l->GetColumn(i)->Index(), i - 1);
            EXPECT_EQ(l->GetColumn(i)->Layout(), l);
            EXPECT_EQ(l->GetColumn(i)->IDLayout, l->IDL());
        }
    }
    // Rows alike, with the heights and the bottom edge.
    auto *l = NewLayout({0, 1000, 3000, 2001});
    l->SetRowCount(3);
    EXPECT_EQ(RowHeights(*l), (std::vector<int32_t>{333, 333}));
    EXPECT_EQ(RowSpans(*l), "1000-1333 1333-1666 1666-2001");
}

TEST_F(Layout, CountsOfZeroOrLessAndUnchangedCountsDoNothing)
{
    auto *l = NewLayout({0, 0, 3000, 2000});
    l->SetColCount(3);
    const int32_t undo = lab.UndoCount();
    lab.SetModified(false);
    for (int32_t v : {0, -1, 3, TKXLayout::MaxCount + 1}) {
        l->SetColCount(v);
        l->SetRowCount(v == 3 ? 1 : v);
    }
    EXPECT_EQ(l->ColCount(), 3);
    EXPECT_EQ(l->RowCount(), 1);
    EXPECT_EQ(lab.UndoCount(), undo);
    EXPECT_FALSE(lab.Modified());
}

// ---------------------------------------------------------------------------------------
// Removing columns and rows, with members

class Removal : public Layout {
protected:
    TKXLayout *l = nullptr;
    std::vector<TKXRect *> boxes; // one per column, aligned left-top with a margin of 1 mm

    void SetUp() override
    {
        l = NewLayout({0, 0, 3000, 2000});
        l->SetEqualCols(false);
        l->SetColCount(3); // 1000, 1000, rest 1000
        for (uint16_t c = 0; c < 3; ++c) {
            auto *b = Box({0, 0, 200, 100});
            b->SetMargin(lab.InternalToUnits(100));
            Put(*l, *b, c, 0, EA::eaLeftTop);
            boxes.push_back(b);
        }
    }
};

TEST_F(Removal, AtTheEndsAndInTheMiddle)
{
    struct Case {
        const char *what;
        std::function<void(TKXLayout &)> act;
        std::vector<int32_t> items;
        // Per box: its column after the removal, or -1 when it was freed; its left edge.
        std::vector<int32_t> cols;
        std::vector<int32_t> lefts;
    } cases[] = {
        {"last by count", [](TKXLayout &l) { l.SetColCount(2); }, {1000}, {0, 1, -1}, {100, 1100, 2100}},
        {"last by number", [](TKXLayout &l) { l.RemoveColumn(3); }, {1000}, {0, 1, -1}, {100, 1100, 2100}},
        {"first (never reads before the first item)", [](TKXLayout &l) { l.RemoveColumn(1); }, {2000}, {-1, 0, 1},
         {100, 100, 2100}},
        {"middle: the next column takes its width", [](TKXLayout &l) { l.RemoveColumn(2); }, {1000}, {0, -1, 1},
         {100, 1100, 1100}},
        {"down to one", [](TKXLayout &l) { l.SetColCount(1); }, {}, {0, -1, -1}, {100, 1100, 2100}},
        {"number 0", [](TKXLayout &l) { l.RemoveColumn(0); }, {1000, 1000}, {0, 1, 2}, {100, 1100, 2100}},
        {"past the last", [](TKXLayout &l) { l.RemoveColumn(4); }, {1000, 1000}, {0, 1, 2}, {100, 1100, 2100}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        boxes.clear();
        lab.Clear();
        SetUp();
        c.act(*l);
        EXPECT_EQ(ColWidths(*l), c.items);
        EXPECT_EQ(l->MemberCount(), int32_t(std::count_if(c.cols.begin(), c.cols.end(), [](int v) { return v >= 0; })));
        for (size_t i = 0; i < boxes.size(); ++i) {
            SCOPED_TRACE("box " + std::to_string(i));
            if (c.cols[i] < 0) {
                EXPECT_EQ(boxes[i]->IDLayout, 0);
                EXPECT_EQ(boxes[i]->EleAlign(), EA::eaNone);
            } else {
                EXPECT_EQ(boxes[i]->IDLayout, l->IDL());
                EXPECT_EQ(boxes[i]->ColLayout, c.cols[i]);
            }
            EXPECT_EQ(boxes[i]->P1().x, c.lefts[i]);
        }
        for (int32_t i = 1; i <= l->ColumnItemCount(); ++i)
            EXPECT_EQ(l->GetColumn(i)->Index(), i - 1);
    }
}

TEST_F(Removal, RowsAlikeAndTheOnlyColumnStays)
{
    l->SetRowCount(2); // 1000 each
    auto *low = Box({0, 0, 200, 100});
    Put(*l, *low, 0, 1, EA::eaLeftBottom);
    EXPECT_EQ(low->P2().y, 2000);
    l->RemoveRow(1);
    EXPECT_EQ(l->RowCount(), 1);
    EXPECT_EQ(low->RowLayout, 0);
    EXPECT_EQ(low->P2().y, 2000);
    EXPECT_EQ(boxes[0]->IDLayout, 0); // it sat in row 0

    l->SetColCount(1);
    l->RemoveColumn(1);
    l->RemoveRow(1);
    EXPECT_EQ(l->ColCount(), 1);
    EXPECT_EQ(l->RowCount(), 1);
    EXPECT_EQ(low->IDLayout, l->IDL());
}

TEST_F(Removal, CountRecordsTheLayoutThenEachFreedMember)
{
    auto &rec = zt::InstallUndoRecorder(lab);
    l->SetColCount(2);
    ASSERT_EQ(rec.Entries.size(), 2u);
    EXPECT_EQ(rec.Entries[0].ID, l->ID());
    EXPECT_EQ(rec.Entries[1].ID, boxes[2]->ID());
}

// ---------------------------------------------------------------------------------------
// Divider drags

TEST_F(Layout, DividerDragsWithTheirLimits)
{
    struct Case {
        const char *what;
        bool rows;
        int32_t index, size;
        std::vector<int32_t> items;
        bool changed;
    } cases[] = {
        {"inner divider left", false, 0, 800, {800, 1200}, true},
        {"inner divider right", false, 0, 1300, {1300, 700}, true},
        {"stops at the next divider", false, 0, 2500, {2000, 0}, true},
        {"stops at the left edge", false, 0, -50, {0, 2000}, true},
        {"last divider: the last column absorbs", false, 1, 1500, {1000, 1500}, true},
        {"last divider stops at the edge", false, 1, 5000, {1000, 2000}, true},
        {"unchanged", false, 1, 1000, {1000, 1000}, false},
        {"no such divider", false, 2, 10, {1000, 1000}, false},
        {"rows: inner divider", true, 0, 500, {500, 1500}, true},
        {"rows: stops at the bottom", true, 1, 4000, {1000, 2000}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TKXCustomLab doc;
        auto *l = doc.NewElement<TKXLayout>();
        l->SetBoundsRect({0, 0}, {3000, 3000}, false);
        l->SetColCount(3);
        l->SetRowCount(3);
        auto *box = doc.NewElement<TKXRect>();
        box->SetBoundsRect({0, 0}, {100, 100}, false);
        Put(*l, *box, 1, 1, EA::eaLeftTop);
        const int32_t undo = doc.UndoCount();
        if (c.rows)
            l->SetRowHeight(c.size, uint16_t(c.index));
        else
            l->SetColumnWidth(c.size, uint16_t(c.index));
        EXPECT_EQ(c.rows ? RowHeights(*l) : ColWidths(*l), c.items);
        EXPECT_EQ(doc.UndoCount(), undo + (c.changed ? 1 : 0));
        EXPECT_EQ(c.rows ? l->EqualRows() : l->EqualCols(), !c.changed);
        EXPECT_TRUE(c.rows ? l->EqualCols() : l->EqualRows());
        // The member follows its cell at once.
        const TRect cell = l->GetCellRect(1, 1);
        EXPECT_EQ(box->P1(), (TPoint{cell.Left, cell.Top}));
    }
}

TEST_F(Layout, EqualColsAgainSpreadsAndRealigns)
{
    auto *l = NewLayout({0, 0, 3000, 2000});
    l->SetColCount(3);
    auto *box = Box({0, 0, 100, 100});
    Put(*l, *box, 2, 0, EA::eaRigthTop);
    l->SetColumnWidth(500, 0);
    l->SetColumnWidth(2000, 1);
    EXPECT_EQ(ColWidths(*l), (std::vector<int32_t>{500, 2000}));
    EXPECT_EQ(box->P1().x, 2900);
    EXPECT_FALSE(l->EqualCols());
    l->SetEqualCols(true);
    EXPECT_EQ(ColWidths(*l), (std::vector<int32_t>{1000, 1000}));
    EXPECT_EQ(box->P2().x, 3000);
    EXPECT_EQ(l->DividerX(0), 1000);
    EXPECT_EQ(l->DividerX(1), 2000);
}

// ---------------------------------------------------------------------------------------
// Cells of members, after moves and realignment

TEST_F(Layout, MembersFollowTheirCellsWhenTheLayoutMoves)
{
    auto *l = NewLayout({1000, 1000, 4000, 3000});
    l->SetColCount(3);
    l->SetRowCount(2);
    struct Member {
        uint16_t col, row;
        EA align;
        TKXRect *box;
    } members[] = {
        {0, 0, EA::eaLeftTop, nullptr},     {1, 0, EA::eaCenterCenter, nullptr},
        {2, 1, EA::eaRigthBottom, nullptr}, {1, 1, EA::eaCenterBottom, nullptr},
    };
    for (auto &m : members) {
        m.box = Box({0, 0, 201, 101});
        Put(*l, *m.box, m.col, m.row, m.align);
    }
    struct Move {
        const char *what;
        std::function<void()> act;
        // The four boxes' P1 afterwards.
        std::vector<TPoint> p1;
    } moves[] = {
        {"in place", [] {}, {{1000, 1000}, {2400, 1450}, {3799, 2899}, {2400, 2899}}},
        {"X1 to 1600: columns re-spread", [&] { l->SetX1(lab.InternalToUnits(1600)); },
         {{1600, 1000}, {2700, 1450}, {3799, 2899}, {2700, 2899}}},
        {"Y2 to 2000: rows re-spread", [&] { l->SetY2(lab.InternalToUnits(2000)); },
         {{1600, 1000}, {2700, 1200}, {3799, 1899}, {2700, 1899}}},
        {"arrow keys", [&] { l->MoveLayoutBy(-600, 500); },
         {{1000, 1500}, {2100, 1700}, {3199, 2399}, {2100, 2399}}},
        {"placed by a rectangle", [&] { l->SetBoundsRect({0, 0}, {3000, 1000}, false); },
         {{0, 0}, {1100, 200}, {2799, 899}, {1100, 899}}},
    };
    for (const Move &m : moves) {
        SCOPED_TRACE(m.what);
        m.act();
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(members[i].box->P1(), m.p1[i]) << i;
    }
}

TEST_F(Layout, OutOfRangeCellsStayInsideTheLayout)
{
    auto *l = NewLayout({0, 0, 3000, 2000});
    l->SetColCount(2);
    // A cell index past the last, as a stale cell can carry, answers the last cell.
    EXPECT_EQ(Rc(l->GetCellRect(7, 9)), "1500,0,3000,2000");
    // Widths set past the edge by hand never give a cell outside the layout or negative.
    l->GetColumn(1)->SetWidth(lab.InternalToUnits(5000));
    EXPECT_EQ(ColSpans(*l), "0-3000 3000-3000");
    l->GetColumn(1)->SetWidth(lab.InternalToUnits(-500));
    EXPECT_EQ(ColSpans(*l), "0-0 0-3000");
}

// ---------------------------------------------------------------------------------------
// The document's cell search, the hit band and the drawing (with an editor)

class WithEditor : public Layout {
protected:
    PaintingEditor editor{lab};
};

TEST_F(WithEditor, CellSearchFindsTheFirstBandsUnderTheElement)
{
    auto *l = NewLayout({1000, 500, 4000, 2500});
    l->SetColCount(3); // columns 1000-2000-3000-4000
    l->SetRowCount(2); // rows 500-1500-2500
    struct Case {
        TRect box;
        bool found;
        uint16_t col, row;
    } cases[] = {
        {{1100, 600, 1300, 700}, true, 0, 0},
        {{2500, 1600, 2700, 1700}, true, 1, 1},
        {{1900, 1400, 2300, 1700}, true, 0, 0}, // over a crossing: the first bands
        {{3900, 2400, 4500, 3000}, true, 2, 1}, // sticks out of the layout
        {{4100, 600, 4500, 900}, false, 0, 0},  // beside it
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(Rc(c.box));
        auto *b = Box(c.box);
        editor.Paint();
        EXPECT_EQ(lab.FindLayoutCell(*b), c.found);
        EXPECT_EQ(b->IDLayout, c.found ? l->IDL() : 0);
        EXPECT_EQ(b->ColLayout, c.col);
        EXPECT_EQ(b->RowLayout, c.row);
        // A second search adds no second entry.
        if (c.found) {
            const int32_t n = l->MemberCount();
            lab.FindLayoutCell(*b);
            EXPECT_EQ(l->MemberCount(), n);
        }
    }
    // A layout is never searched for (nor put into) a cell.
    auto *other = NewLayout({1500, 700, 1800, 900});
    editor.Paint();
    other->SetEleAlign(EA::eaLeftTop);
    EXPECT_EQ(other->IDLayout, 0);
    EXPECT_FALSE(l->AddElement(*other));
}

TEST_F(WithEditor, AlignmentPutsAnElementIntoTheCellUnderItAndTakesItOut)
{
    auto *l = NewLayout({1000, 500, 4000, 2500});
    l->SetColCount(3);
    auto *b = Box({2200, 800, 2400, 900});
    editor.Paint();
    b->SetEleAlign(EA::eaRigthBottom);
    EXPECT_EQ(b->IDLayout, l->IDL());
    EXPECT_EQ(b->ColLayout, 1);
    EXPECT_EQ(Rc(b->GetRect()), "2800,2400,3000,2500");
    EXPECT_EQ(l->MemberCount(), 1);
    // Drawn by its layout only.
    editor.Paint();
    const std::vector<std::string> drawn = editor.Surface.Texts();
    EXPECT_EQ(std::count(drawn.begin(), drawn.end(), "Rectangle(2800,2400,3001,2501)"), 1);
    b->SetEleAlign(EA::eaNone);
    EXPECT_EQ(b->IDLayout, 0);
    EXPECT_EQ(l->MemberCount(), 0);
    EXPECT_EQ(Rc(b->GetRect()), "2800,2400,3000,2500");
}

TEST_F(WithEditor, HitOnlyOnTheFrameBand)
{
    auto *l = NewLayout({1000, 500, 4000, 2500}); // pixels 100,50 - 400,250
    editor.Paint();
    struct Case {
        int32_t penWidth;
        bool locked;
        TPoint p;
        bool hit;
    } cases[] = {
        {10, false, {100, 100}, true},  {10, false, {101, 100}, true},  {10, false, {102, 100}, false},
        {10, false, {250, 150}, false}, {10, false, {399, 150}, true},  {10, false, {397, 150}, false},
        {10, false, {250, 249}, true},  {10, false, {400, 150}, false}, {10, false, {99, 150}, false},
        {50, false, {104, 150}, true},  {50, false, {105, 150}, false}, {0, false, {250, 150}, true},
        {0, false, {400, 150}, false},  {10, true, {105, 55}, true},    {10, true, {250, 150}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.penWidth) + " at " + std::to_string(c.p.x) + "," + std::to_string(c.p.y));
        l->SetPenWidth(lab.InternalToUnits(c.penWidth));
        l->SetLocked(c.locked);
        EXPECT_EQ(l->PointInObject(c.p), c.hit);
    }
}

TEST_F(WithEditor, DrawsBackgroundDividersFrameAndMembersOnEachTarget)
{
    auto *l = NewLayout({1000, 500, 4000, 2500});
    l->SetTransparent(false);
    l->SetBackColor(0x00FF00);
    l->SetColCount(2);
    l->SetRowCount(2);
    l->GetRow(1)->SetPrint(false);
    l->GetColumn(1)->SetLineColor(0x0000FF);
    l->GetColumn(1)->SetPenWidth(lab.InternalToUnits(30));
    auto *b = Box({0, 0, 100, 100});
    Put(*l, *b, 1, 1, EA::eaLeftTop);

    struct Case {
        TKXDrawType target;
        std::vector<std::string> calls;
    } cases[] = {
        {tdLab, {"FillRect(1000,500,4000,2500)", "MoveTo(1010,1500)", "LineTo(3990,1500)", "MoveTo(2500,510)",
                 "LineTo(2500,2490)", "Rectangle(1000,500,4001,2501)", "Rectangle(2500,1500,2601,1601)"}},
        {tdOpenDialog, {"FillRect(1000,500,4000,2500)", "MoveTo(1010,1500)", "LineTo(3990,1500)", "MoveTo(2500,510)",
                        "LineTo(2500,2490)", "Rectangle(1000,500,4001,2501)", "Rectangle(2500,1500,2601,1601)"}},
        {tdPrint, {"MoveTo(2500,510)", "LineTo(2500,2490)", "Rectangle(1000,500,4001,2501)",
                   "Rectangle(2500,1500,2601,1601)"}},
        {tdPreview, {"MoveTo(2500,510)", "LineTo(2500,2490)", "Rectangle(1000,500,4001,2501)",
                     "Rectangle(2500,1500,2601,1601)"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(EnumName(c.target));
        zt::RecordingCanvas canvas;
        lab.DrawElements(canvas, {0, 0}, c.target, ftNone);
        std::vector<std::string> drawn;
        for (const auto &call : canvas.Calls())
            if (call.Text.rfind("Save", 0) != 0 && call.Text.rfind("Restore", 0) != 0)
                drawn.push_back(call.Text);
        EXPECT_EQ(drawn, c.calls);
        if (c.target == tdLab) {
            const auto &divider = canvas.Last("LineTo(2500");
            EXPECT_EQ(divider.Pen.Color, 0x0000FFu);
            EXPECT_EQ(divider.Pen.Width, 30);
            EXPECT_EQ(divider.Pen.Cap, TKXPenCap::pcFlat);
            EXPECT_EQ(canvas.Last("FillRect").Brush.Color, 0x00FF00u);
            EXPECT_TRUE(canvas.Last("Rectangle(1000").Pen.InsideFrame);
            EXPECT_EQ(canvas.Last("Rectangle(1000").Brush.Style, TKXBrushStyle::bsClear);
        }
    }
    // The design surface keeps the dividers' pixels and the screen rectangle.
    EXPECT_EQ(l->GetColumn(1)->PosX(), 250);
    EXPECT_EQ(l->GetRow(1)->PosY(), 150);
    EXPECT_EQ(Rc(l->Border()), "100,50,400,250");

    // A divider past the edge is not drawn; with its own Print off the layout draws nothing of
    // its own on output, while its members keep their own flags; without a pen no frame.
    l->SetColumnWidth(3000, 0);
    l->GetColumn(1)->SetWidth(lab.InternalToUnits(4000));
    l->SetPrint(false);
    l->SetPenWidth(0);
    zt::RecordingCanvas print;
    lab.DrawElements(print, {0, 0}, tdPrint, ftNone);
    EXPECT_EQ(print.Texts("MoveTo").size(), 0u);
    EXPECT_EQ(print.Texts("Rectangle").size(), 1u); // the member
    zt::RecordingCanvas design;
    lab.DrawElements(design, {0, 0}, tdLab, ftField);
    EXPECT_EQ(design.Texts("MoveTo").size(), 1u); // the row divider only
    EXPECT_EQ(design.Last("Rectangle(1000").Pen.Style, TKXPenStyle::psClear);
}

TEST_F(WithEditor, SelectedItemMarksTheLayoutAndItsSettersNotify)
{
    auto *l = NewLayout({1000, 500, 4000, 2500});
    l->SetColCount(2);
    EXPECT_FALSE(l->GetIsSelected());
    editor.SetSelect(l->GetColumn(1));
    EXPECT_TRUE(l->GetIsSelected());
    editor.Reset();
    l->SetRowCount(2);
    EXPECT_TRUE(editor.FPaintSel);
    EXPECT_TRUE(editor.Has("RefreshView(0,RowCount)"));
    editor.Reset();
    l->SetEqualRows(false);
    EXPECT_TRUE(editor.Has("RefreshView(0,EqualRows)"));
    // An item's width: the whole layout is the undo step; no notification follows.
    const int32_t undo = lab.UndoCount();
    editor.Reset();
    l->GetColumn(1)->SetWidth(12.5f);
    EXPECT_EQ(lab.UndoCount(), undo + 1);
    EXPECT_EQ(editor.Count("RefreshView"), 0);
    EXPECT_EQ(l->GetColumn(1)->WidthInternal(), 1250);
    EXPECT_FLOAT_EQ(l->GetColumn(1)->Width(), 12.5f);
}

// ---------------------------------------------------------------------------------------
// Published lists

TEST_F(Layout, PublishedLists)
{
    auto *l = NewLayout({0, 0, 3000, 2000});
    l->SetColCount(2);
    l->SetRowCount(2);
    EXPECT_EQ(l->Published().Names().join(",").toStdString(),
              "X1,Y1,Color,Print,BackColor,Transparent,Margin,EleAlign,X2,Y2,PenWidth,ColCount,RowCount,EqualRows,"
              "EqualCols,ID");
    EXPECT_EQ(l->GetColumn(1)->Published().Names().join(",").toStdString(), "PenWidth,LineColor,Print,Width");
    EXPECT_EQ(l->GetRow(1)->Published().Names().join(",").toStdString(), "PenWidth,LineColor,Print,Height");
    l->Published().Find("ColCount")->Set(*l, 4);
    EXPECT_EQ(l->ColCount(), 4);
    EXPECT_EQ(l->GetRow(1)->SelType(), TKXSelType::stColRow);
    EXPECT_EQ(l->SelType(), TKXSelType::stRect);
    EXPECT_FLOAT_EQ(l->GetRow(1)->PenWidth(), 0.1f);
}

// ---------------------------------------------------------------------------------------
// Records, label files and undo

zt::Bytes LayoutRecord(int32_t Version)
{
    zt::ComposedElement e;
    e.Code = 12;
    e.ID = "Layout1";
    e.P1x = 1000;
    e.P1y = 500;
    e.P2x = 4000;
    e.P2y = 2500;
    e.PenWidth = 20;
    zt::LeBytes b;
    b.Raw(zt::ComposeElement(e, Version, false));
    b.U8(0).U8(1); // EqualRows off, EqualCols on
    auto item = [&](int32_t size, int32_t color, uint8_t print) {
        zt::ComposedElement i;
        i.Code = 14;
        i.ID = "";
        i.Color = color;
        i.Print = print;
        i.PenWidth = 15;
        zt::Bytes r = zt::ComposeElement(i, Version, false);
        r.erase(r.begin()); // no type code
        b.Raw(r).I32(size);
    };
    b.I32(2);
    item(800, 0xFF, 1);
    item(1200, 0xFF00, 0);
    b.I32(1);
    item(700, 0, 1);
    return b.B;
}

TEST_F(Layout, RecordReadFromComposedBytesAndWrittenBackTheSame)
{
    for (int32_t version : {20, 2300, 2811}) {
        SCOPED_TRACE(version);
        TKXCustomLab doc;
        doc.SetCheckBounds(false);
        doc.SetFileVersion(version);
        const zt::Bytes bytes = LayoutRecord(version);
        TKXStreamReader r(bytes);
        auto *l = dynamic_cast<TKXLayout *>(TKXElementFactory::ReadElement(r, doc));
        ASSERT_TRUE(l);
        EXPECT_TRUE(r.AtEnd());
        EXPECT_FALSE(l->EqualRows());
        EXPECT_TRUE(l->EqualCols());
        EXPECT_EQ(ColWidths(*l), (std::vector<int32_t>{800, 1200}));
        EXPECT_EQ(RowHeights(*l), (std::vector<int32_t>{700}));
        EXPECT_EQ(l->GetColumn(2)->Color(), 0xFF00u);
        EXPECT_FALSE(l->GetColumn(2)->Print());
        EXPECT_EQ(l->GetRow(1)->Index(), 0);
        EXPECT_EQ(l->GetColumn(2)->Index(), 1);
        EXPECT_EQ(l->GetColumn(2)->IDLayout, l->IDL());
        EXPECT_EQ(l->GetRow(1)->Layout(), l);
        if (version == 2811) {
            TKXStreamWriter w;
            l->SaveToStream(w);
            EXPECT_EQ(w.Bytes(), bytes);
        }
    }
}

TEST_F(Layout, DamagedRecordsFailCleanly)
{
    zt::Bytes bytes = LayoutRecord(2811);
    struct Case {
        const char *what;
        zt::Bytes data;
    } cases[] = {
        {"cut", zt::Bytes(bytes.begin(), bytes.end() - 1)},
        {"count past the data", [&] {
             zt::Bytes b = bytes;
             const size_t at = bytes.size() - 2 * (93 + 4) - 4 - (93 + 4) - 4; // the column count
             b[at] = 0xFF; b[at + 1] = 0xFF; b[at + 2] = 0xFF; b[at + 3] = 0x7F;
             return b;
         }()},
        {"negative count", [&] {
             zt::Bytes b = bytes;
             const size_t at = bytes.size() - (93 + 4) - 4; // the row count
             b[at] = 0xFF; b[at + 1] = 0xFF; b[at + 2] = 0xFF; b[at + 3] = 0xFF;
             return b;
         }()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TKXCustomLab doc;
        TKXStreamReader r(c.data);
        EXPECT_THROW(TKXElementFactory::ReadElement(r, doc), EKxStreamError);
        EXPECT_EQ(doc.ElementCount(), 0);
    }
}

TEST_F(Layout, LabelFileWithALayoutLoadsAndEveryTruncationFailsCleanly)
{
    zt::ComposedLabel L;
    L.ExtraElementBytes = LayoutRecord(L.Version);
    L.ExtraElementCount = 1;
    const zt::Bytes file = zt::ComposeLabel(L);
    {
        TKXCustomLab doc;
        TKXStreamReader r(file);
        doc.LoadLabStream(r, false);
        ASSERT_EQ(doc.ElementCount(), 1);
        auto *l = dynamic_cast<TKXLayout *>(doc.GetElement(1));
        ASSERT_TRUE(l);
        EXPECT_EQ(ColWidths(*l), (std::vector<int32_t>{800, 1200}));
        TKXStreamWriter w;
        doc.SaveToStream(w);
        EXPECT_EQ(w.Bytes(), file);
    }
    const size_t elements = zt::ElementCountOffset(L) + 4;
    for (size_t n = elements; n < file.size(); ++n) {
        SCOPED_TRACE(n);
        TKXCustomLab doc;
        TKXStreamReader r(std::span<const uint8_t>(file.data(), n));
        try {
            doc.LoadLabStream(r, false);
            ADD_FAILURE() << "a cut file loaded";
        } catch (const EKxError &e) {
            EXPECT_STREQ(e.what(), "ERROR READING FILE");
        }
        EXPECT_EQ(doc.ElementCount(), 0);
    }
}

TEST_F(Layout, UndoAndRedoRestoreTheWholeLayout)
{
    auto *l = NewLayout({0, 0, 3000, 2000});
    l->SetColCount(3);
    auto *b = Box({0, 0, 100, 100});
    Put(*l, *b, 2, 0, EA::eaLeftTop);
    ASSERT_EQ(b->P1().x, 2000);
    lab.ClearUndoRedo();

    l->SetColumnWidth(600, 1); // 1000, 600: the last column starts at 1600
    EXPECT_EQ(b->P1().x, 1600);
    l->GetColumn(1)->SetPenWidth(0.5f);
    l->SetRowCount(2);
    ASSERT_EQ(lab.UndoCount(), 3);

    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(l->RowCount(), 1);
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_FLOAT_EQ(l->GetColumn(1)->PenWidth(), 0.1f);
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(ColWidths(*l), (std::vector<int32_t>{1000, 1000}));
    EXPECT_TRUE(l->EqualCols());
    EXPECT_EQ(b->P1().x, 2000); // the member follows the restored cell
    for (int32_t i = 1; i <= l->ColumnItemCount(); ++i) {
        EXPECT_EQ(l->GetColumn(i)->Index(), i - 1);
        EXPECT_EQ(l->GetColumn(i)->Layout(), l);
        EXPECT_EQ(l->GetColumn(i)->IDLayout, l->IDL());
    }
    EXPECT_EQ(l->MemberCount(), 1);

    for (int i = 0; i < 3; ++i)
        lab.UndoRedo(TKXURAction::urRedo);
    EXPECT_EQ(ColWidths(*l), (std::vector<int32_t>{1000, 600}));
    EXPECT_EQ(l->RowCount(), 2);
    EXPECT_FLOAT_EQ(l->GetColumn(1)->PenWidth(), 0.5f);
    EXPECT_EQ(b->P1().x, 1600);

    // A removal undone brings the column back; the freed member stays free.
    lab.ClearUndoRedo();
    l->SetColCount(2);
    EXPECT_EQ(b->IDLayout, 0);
    while (lab.UndoCount() > 0)
        lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(l->ColCount(), 3);
    EXPECT_EQ(b->IDLayout, 0);
    EXPECT_EQ(l->MemberCount(), 0);
}

TEST_F(Layout, DeletingTheLayoutFreesItsMembersAndUndoBringsItBack)
{
    auto *l = NewLayout({0, 0, 3000, 2000});
    l->SetColCount(2);
    auto *b = Box({0, 0, 100, 100});
    Put(*l, *b, 1, 0, EA::eaLeftTop);
    lab.ClearUndoRedo();
    ASSERT_TRUE(lab.RemoveElement(l, false, true));
    EXPECT_EQ(b->IDLayout, 0);
    EXPECT_EQ(b->EleAlign(), EA::eaNone);
    EXPECT_EQ(b->P1().x, 1500);
    lab.UndoRedo(TKXURAction::urUndo);
    auto *back = dynamic_cast<TKXLayout *>(lab.GetElement(1));
    ASSERT_TRUE(back);
    EXPECT_EQ(ColWidths(*back), (std::vector<int32_t>{1500}));
    EXPECT_EQ(back->GetColumn(1)->Layout(), back);
    // Deleting a member leaves the layout without it.
    Put(*back, *b, 0, 0, EA::eaLeftTop);
    EXPECT_EQ(back->MemberCount(), 1);
    lab.RemoveElement(b, false, false);
    EXPECT_EQ(back->MemberCount(), 0);
    back->RealignElements(); // nothing left to place
}

TEST_F(Layout, LabelFileRoundTripAndMembersFoundAgainAfterLoading)
{
    auto *l = NewLayout({1000, 500, 4000, 2500});
    l->SetColCount(3);
    l->SetRowCount(2);
    l->SetColumnWidth(800, 0);
    l->GetRow(1)->SetPrint(false);
    struct Member {
        uint16_t col, row;
        EA align;
    } placed[] = {{0, 0, EA::eaLeftTop}, {1, 1, EA::eaCenterCenter}, {2, 1, EA::eaRigthBottom}};
    std::vector<TKXRect *> boxes;
    for (const auto &m : placed) {
        auto *b = Box({0, 0, 301, 201});
        Put(*l, *b, m.col, m.row, m.align);
        boxes.push_back(b);
    }
    auto *free = Box({100, 100, 400, 300});
    TKXStreamWriter saved;
    lab.SaveToStream(saved);

    // Read back with an editor: the members find their cells again from where they stand.
    TKXCustomLab back;
    PaintingEditor editor(back);
    TKXStreamReader r(saved.Bytes());
    back.LoadLabStream(r, false);
    ASSERT_EQ(back.ElementCount(), 5);
    auto *l2 = dynamic_cast<TKXLayout *>(back.GetElement(1));
    ASSERT_TRUE(l2);
    EXPECT_EQ(l2->IDL(), 1);
    EXPECT_EQ(ColWidths(*l2), ColWidths(*l));
    EXPECT_EQ(RowHeights(*l2), RowHeights(*l));
    EXPECT_FALSE(l2->GetRow(1)->Print());
    EXPECT_FALSE(l2->EqualCols());
    EXPECT_EQ(l2->MemberCount(), 3);
    for (size_t i = 0; i < boxes.size(); ++i) {
        SCOPED_TRACE(i);
        TKXElement *e = back.GetElement(int32_t(i) + 2);
        EXPECT_EQ(e->IDLayout, l2->IDL());
        EXPECT_EQ(e->ColLayout, placed[i].col);
        EXPECT_EQ(e->RowLayout, placed[i].row);
        EXPECT_EQ(e->GetRect(), boxes[i]->GetRect());
    }
    EXPECT_EQ(back.GetElement(5)->IDLayout, 0);
    EXPECT_EQ(back.GetElement(5)->GetRect(), free->GetRect());
    EXPECT_FALSE(back.Modified());
    // The members follow a change of the loaded layout.
    l2->SetColumnWidth(1000, 0);
    EXPECT_EQ(back.GetElement(2)->P1().x, 1000);
    EXPECT_EQ(back.GetElement(3)->P1().x, 2350);

    // Without an editor the members stay free at the places they were saved in.
    TKXCustomLab plain;
    TKXStreamReader r2(saved.Bytes());
    plain.LoadLabStream(r2, false);
    auto *l3 = dynamic_cast<TKXLayout *>(plain.GetElement(1));
    ASSERT_TRUE(l3);
    EXPECT_EQ(l3->MemberCount(), 0);
    for (size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(plain.GetElement(int32_t(i) + 2)->IDLayout, 0);
        EXPECT_EQ(plain.GetElement(int32_t(i) + 2)->GetRect(), boxes[i]->GetRect());
    }
    // And writing it again gives the same bytes.
    TKXStreamWriter again;
    plain.SaveToStream(again);
    EXPECT_EQ(again.Bytes(), saved.Bytes());
}

} // namespace

namespace {

// The divider lines' pen widths and print flags along one axis, as "30 10/p" (p: not printed).
template <class GetItem>
std::string Lines(const TKXCustomLab &Lab, int32_t Count, GetItem Get)
{
    std::string s;
    for (int32_t i = 1; i <= Count; ++i) {
        const TKXElement *item = Get(i);
        s += (i > 1 ? " " : "") + std::to_string(Lab.UnitsToInternal(item->PenWidth())) +
             (item->Print() ? "" : "/p");
    }
    return s;
}

// Mended: a quarter turn of the label left the grid as it was, so the column widths lay
// along the other axis; reopened in an editor the members of a two-column layout fell into
// one cell on top of each other. The rows become the columns and the columns the rows, in
// the turn's order, each divider keeping its line; the members' cells follow.
TEST_F(Layout, QuarterTurnTurnsTheGridAndTheMembersCells)
{
    // Columns 1000-1800-3000-4000, rows 500-1500-2500 on the 6000 x 3500 label.
    auto *l = NewLayout({1000, 500, 4000, 2500});
    l->SetColCount(3);
    l->SetRowCount(2);
    l->SetColumnWidth(800, 0); // EqualCols goes off
    l->GetRow(1)->SetPrint(false);
    l->GetColumn(2)->SetPenWidth(lab.InternalToUnits(30));
    struct Member {
        uint16_t col, row;
        TKXRect *box;
    } members[] = {{0, 0, nullptr}, {1, 1, nullptr}, {2, 1, nullptr}};
    for (auto &m : members) {
        m.box = Box({0, 0, 201, 101});
        Put(*l, *m.box, m.col, m.row, EA::eaCenterCenter);
    }
    const auto colLines = [&] { return Lines(lab, l->ColumnItemCount(), [&](int32_t i) { return l->GetColumn(i); }); };
    const auto rowLines = [&] { return Lines(lab, l->RowItemCount(), [&](int32_t i) { return l->GetRow(i); }); };
    // Each member's rectangle lies in its cell, and no two members share one.
    const auto membersInTheirCells = [&] {
        for (const auto &m : members) {
            const TRect cell = l->GetCellRect(m.box->ColLayout, m.box->RowLayout);
            const TRect r = m.box->GetRect();
            EXPECT_TRUE(r.Left >= cell.Left && r.Right <= cell.Right && r.Top >= cell.Top && r.Bottom <= cell.Bottom)
                << Rc(r) << " in " << Rc(cell);
        }
    };
    const struct Turn {
        const char *what;
        std::function<void()> act;
        std::vector<int32_t> widths, heights;
        std::string cols, rows;            // spans of the cells
        std::string colLines, rowLines;
        bool equalCols, equalRows;
        std::vector<std::pair<int, int>> cells; // members' (column, row)
    } turns[] = {
        {"before", [] {}, {800, 1200}, {1000}, "1000-1800 1800-3000 3000-4000", "500-1500 1500-2500",
         "10 30", "10/p", false, true, {{0, 0}, {1, 1}, {2, 1}}},
        // Left: (x, y) -> (y, 6000 - x). The rows keep their order as columns; the columns
        // come back as rows from the last one up.
        {"left", [&] { lab.RotateLeft(); }, {1000}, {1000, 1200}, "500-1500 1500-2500",
         "2000-3000 3000-4200 4200-5000", "10/p", "30 10", true, false, {{0, 2}, {1, 1}, {1, 0}}},
        {"left again", [&] { lab.RotateLeft(); }, {1000, 1200}, {1000},
         "2000-3000 3000-4200 4200-5000", "1000-2000 2000-3000", "30 10", "10/p", false, true,
         {{2, 1}, {1, 0}, {0, 0}}},
        // Right twice: everything as it was.
        {"right", [&] { lab.RotateRight(); }, {1000}, {1000, 1200}, "500-1500 1500-2500",
         "2000-3000 3000-4200 4200-5000", "10/p", "30 10", true, false, {{0, 2}, {1, 1}, {1, 0}}},
        {"right again", [&] { lab.RotateRight(); }, {800, 1200}, {1000}, "1000-1800 1800-3000 3000-4000",
         "500-1500 1500-2500", "10 30", "10/p", false, true, {{0, 0}, {1, 1}, {2, 1}}},
        // Right: (x, y) -> (3500 - y, x). The rows come back as columns from the last one;
        // the columns keep their order as rows.
        {"right from the start", [&] { lab.RotateRight(); }, {1000}, {800, 1200}, "1000-2000 2000-3000",
         "1000-1800 1800-3000 3000-4000", "10/p", "10 30", true, false, {{1, 0}, {0, 1}, {0, 2}}},
    };
    for (const Turn &t : turns) {
        SCOPED_TRACE(t.what);
        t.act();
        EXPECT_EQ(ColWidths(*l), t.widths);
        EXPECT_EQ(RowHeights(*l), t.heights);
        EXPECT_EQ(ColSpans(*l), t.cols);
        EXPECT_EQ(RowSpans(*l), t.rows);
        EXPECT_EQ(colLines(), t.colLines);
        EXPECT_EQ(rowLines(), t.rowLines);
        EXPECT_EQ(l->EqualCols(), t.equalCols);
        EXPECT_EQ(l->EqualRows(), t.equalRows);
        for (int32_t i = 1; i <= l->ColumnItemCount(); ++i)
            EXPECT_EQ(l->GetColumn(i)->Index(), i - 1);
        for (int32_t i = 1; i <= l->RowItemCount(); ++i)
            EXPECT_EQ(l->GetRow(i)->Index(), i - 1);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(members[i].box->ColLayout, t.cells[i].first) << i;
            EXPECT_EQ(members[i].box->RowLayout, t.cells[i].second) << i;
        }
        membersInTheirCells();
    }

    // Saved turned and read again in an editor: the members find the same cells again, one
    // member to a cell.
    TKXStreamWriter saved;
    lab.SaveToStream(saved);
    TKXCustomLab back;
    PaintingEditor editor(back);
    TKXStreamReader r(saved.Bytes());
    back.LoadLabStream(r, false);
    auto *l2 = dynamic_cast<TKXLayout *>(back.GetElement(1));
    ASSERT_TRUE(l2);
    EXPECT_EQ(l2->MemberCount(), 3);
    for (size_t i = 0; i < 3; ++i) {
        const TKXElement *e = back.GetElement(int32_t(i) + 2);
        EXPECT_EQ(e->ColLayout, members[i].box->ColLayout) << i;
        EXPECT_EQ(e->RowLayout, members[i].box->RowLayout) << i;
    }
}

} // namespace
