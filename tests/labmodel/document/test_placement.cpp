// Placement and alignment of elements: each table of the placement rules as one table of
// cases (expected points worked out by hand from the box or cell given), then the moves,
// the alignment command, screen rectangles, hit testing and point setting.
#include "FakeDesignerServices.h"
#include "LabTestPrint.h"
#include "TestElements.h"

#include <gtest/gtest.h>

#include <limits>

using namespace kx;
using zt::TestBar;
using zt::TestBox;
using zt::TestLine;
using zt::TestText;

namespace {

using TA = TTextAlign;
using EA = TKXEleAlign;

// Box (1000, 2000)-(3000, 2600): L 1000, T 2000, R 3000, B 2600, mx 2000, my 2300.
TEST(SetBoundsRect, TextAnchorByAlignAndAngle)
{
    struct Case {
        TA align;
        TPoint at0, at90, at180, at270;
    } cases[] = {
        {TA::taLeBo, {1000, 2600}, {3000, 2600}, {3000, 2000}, {1000, 2000}},
        {TA::taCeBo, {2000, 2600}, {3000, 2300}, {2000, 2000}, {1000, 2300}},
        {TA::taRiBo, {3000, 2600}, {3000, 2000}, {1000, 2000}, {1000, 2600}},
        {TA::taLeTo, {1000, 2000}, {1000, 2600}, {3000, 2600}, {3000, 2000}},
        {TA::taCeTo, {2000, 2000}, {1000, 2300}, {2000, 2600}, {3000, 2300}},
        {TA::taRiTo, {3000, 2000}, {1000, 2000}, {1000, 2600}, {3000, 2600}},
        {TA::taLeCe, {1000, 2300}, {2000, 2600}, {3000, 2300}, {2000, 2000}},
        {TA::taCeCe, {2000, 2300}, {2000, 2300}, {2000, 2300}, {2000, 2300}},
        {TA::taRiCe, {3000, 2300}, {2000, 2000}, {1000, 2300}, {2000, 2600}},
    };
    TKXCustomLab lab;
    auto *t = lab.NewElement<TestText>();
    for (const Case &c : cases) {
        const TPoint expected[4] = {c.at0, c.at90, c.at180, c.at270};
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(std::string(EnumName(c.align)) + " at " + std::to_string(i * 90));
            t->SetTextAlign(c.align);
            t->SetAngle(i * 90);
            t->SetPoints({-1, -1}, {-7, -7});
            t->SetBoundsRect({1000, 2000}, {3000, 2600}, false);
            EXPECT_EQ(t->P1(), expected[i]);
            EXPECT_EQ(t->P2(), (TPoint{-7, -7})); // recomputed when drawn
        }
    }
}

TEST(SetBoundsRect, CornerKindsByAngleAndOtherAnglesKeepP1)
{
    struct Case {
        int32_t angle;
        TPoint p1;
    } cases[] = {
        {0, {1000, 2000}}, {90, {1000, 2601}}, {180, {3001, 2601}}, {270, {3001, 2000}}, {45, {-1, -1}},
    };
    TKXCustomLab lab;
    auto *bar = lab.NewElement<TestBar>();
    auto *text = lab.NewElement<TestText>();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.angle);
        bar->SetAngle(c.angle);
        bar->SetPoints({-1, -1}, {-1, -1});
        bar->SetBoundsRect({1000, 2000}, {3001, 2601}, false);
        EXPECT_EQ(bar->P1(), c.p1);
    }
    text->SetAngle(30);
    text->SetPoints({5, 5}, {-1, -1});
    text->SetBoundsRect({1000, 2000}, {3000, 2600}, false);
    EXPECT_EQ(text->P1(), (TPoint{5, 5}));
}

// An odd box: the middle is truncated, mx = 1000 + 2001 div 2 = 2000.
TEST(SetBoundsRect, MiddleTruncates)
{
    TKXCustomLab lab;
    auto *t = lab.NewElement<TestText>();
    t->SetTextAlign(TA::taCeCe);
    t->SetBoundsRect({1000, 2000}, {3001, 2601}, false);
    EXPECT_EQ(t->P1(), (TPoint{2000, 2300}));
}

TEST(SetBoundsRect, BoxKindsAndLineDirections)
{
    struct Case {
        uint16_t direction;
        int32_t penWidth; // h = max(pen, 100) div 2
        TPoint p1, p2;
    } cases[] = {
        {1, 10, {1050, 2000}, {1050, 2600}},  {2, 10, {1000, 2050}, {3000, 2050}},
        {1, 300, {1150, 2000}, {1150, 2600}}, {3, 10, {1000, 2600}, {3000, 2000}},
        {4, 10, {1000, 2000}, {3000, 2600}},  {0, 10, {7, 8}, {9, 10}},
    };
    TKXCustomLab lab;
    auto *line = lab.NewElement<TestLine>();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.direction);
        line->SetDirection(c.direction);
        line->SetPenWidth(c.penWidth / 100.0f);
        line->SetPoints({7, 8}, {9, 10});
        line->SetBoundsRect({1000, 2000}, {3000, 2600}, false);
        EXPECT_EQ(line->P1(), c.p1);
        EXPECT_EQ(line->P2(), c.p2);
    }
    auto *box = lab.NewElement<TestBox>();
    lab.SetModified(false);
    box->SetBoundsRect({1000, 2000}, {3000, 2600}, false);
    EXPECT_EQ(box->GetRect(), (TRect{1000, 2000, 3000, 2600}));
    EXPECT_TRUE(lab.Modified());
}

TEST(SetBoundsRect, SnapsOnlyWhenAskedAndTheGridIsActive)
{
    TKXCustomLab lab;
    auto *box = lab.NewElement<TestBox>();
    box->SetBoundsRect({130, 2000}, {3130, 2600}, true); // no editor: no grid
    EXPECT_EQ(box->P1(), (TPoint{130, 2000}));
    zt::FakeDesignerServices ed(lab);
    ed.Snap = TKXSnap::snGrid;
    ed.Grid.IncX = 250;
    ed.Grid.IncY = 200;
    box->SetBoundsRect({130, 2050}, {3130, 2699}, false);
    EXPECT_EQ(box->P1(), (TPoint{130, 2050}));
    box->SetBoundsRect({130, 2050}, {3130, 2699}, true);
    EXPECT_EQ(box->P1(), (TPoint{250, 2000}));
    EXPECT_EQ(box->P2(), (TPoint{3250, 2600}));
}

// Label 6000 x 3500, element 1001 x 301, margin 100: cx = 3000 - 500, cy = 1750 - 150.
TEST(ApplyEleAlign, PlacementInTheLabel)
{
    struct Case {
        EA align;
        TRect box;
    } cases[] = {
        {EA::eaLeftTop, {100, 100, 1101, 401}},        {EA::eaLeftCenter, {100, 1600, 1101, 1901}},
        {EA::eaLeftBottom, {100, 3099, 1101, 3400}},   {EA::eaCenterTop, {2500, 100, 3501, 401}},
        {EA::eaCenterCenter, {2500, 1600, 3501, 1901}}, {EA::eaCenterBottom, {2500, 3099, 3501, 3400}},
        {EA::eaRigthTop, {4899, 100, 5900, 401}},      {EA::eaRigthCenter, {4899, 1600, 5900, 1901}},
        {EA::eaRigthBottom, {4899, 3099, 5900, 3400}},
    };
    TKXCustomLab lab;
    for (const Case &c : cases) {
        SCOPED_TRACE(EnumName(c.align));
        auto *box = lab.NewElement<TestBox>();
        box->SetPoints({700, 800}, {1701, 1101});
        box->SetMargin(1);
        box->SetEleAlign(c.align);
        EXPECT_EQ(box->GetRect(), c.box);
        EXPECT_EQ(box->EleAlign(), c.align);
    }
    // eaNone, and the single-edge values only a damaged file can hold, keep the box.
    auto *box = lab.NewElement<TestBox>();
    box->SetPoints({700, 800}, {1701, 1101});
    box->ApplyEleAlign(false);
    EXPECT_EQ(box->GetRect(), (TRect{700, 800, 1701, 1101}));
    box->SetEleAlign(EA::eaCenter);
    EXPECT_EQ(box->GetRect(), (TRect{700, 800, 1701, 1101}));
}

TEST(ApplyEleAlign, PlacementInALayoutCellAndFallbackToTheLabel)
{
    TKXCustomLab lab;
    auto *layout = lab.NewElement<zt::TestLayout>();
    layout->Cols = 2;
    layout->Rows = 2;
    layout->SetPoints({1000, 1000}, {5000, 3000}); // cell (1, 1) is (3000, 2000)-(5000, 3000)
    auto *box = lab.NewElement<TestBox>();
    box->SetPoints({0, 0}, {501, 201});
    box->SetEleAlign(EA::eaRigthBottom);
    layout->Adopt(*box, 1, 1);
    box->ApplyEleAlign(false);
    EXPECT_EQ(box->GetRect(), (TRect{4499, 2799, 5000, 3000}));
    box->SetMargin(1);
    EXPECT_EQ(box->GetRect(), (TRect{4399, 2699, 4900, 2900}));

    // A bar turned by 90 degrees in a cell places its turned extent: 1000 x 300 becomes
    // 300 x 1000, anchored at the box's left bottom.
    auto *bar = lab.NewElement<TestBar>();
    bar->SetEleAlign(EA::eaLeftTop);
    bar->SetPoints({0, 0}, {1000, 300});
    bar->SetAngle(90);
    layout->Adopt(*bar, 0, 0);
    bar->ApplyEleAlign(false);
    EXPECT_EQ(bar->P1(), (TPoint{1000, 2000}));

    // The layout is gone: the label is the target and the membership is cleared.
    box->IDLayout = 99;
    box->ApplyEleAlign(false);
    EXPECT_EQ(box->IDLayout, 0);
    EXPECT_EQ(box->GetRect(), (TRect{5399, 3199, 5900, 3400}));
}

TEST(ApplyEleAlign, EaNoneLeavesTheLayout)
{
    TKXCustomLab lab;
    auto *layout = lab.NewElement<zt::TestLayout>();
    layout->SetPoints({0, 0}, {6000, 3500});
    auto *box = lab.NewElement<TestBox>();
    box->SetEleAlign(EA::eaLeftTop);
    layout->Adopt(*box, 0, 0);
    // Nothing was painted, so FindLayoutCell finds no cell under the element: any change
    // of alignment takes the element out of its layout.
    box->SetEleAlign(EA::eaNone);
    EXPECT_EQ(box->IDLayout, 0);
}

// Text anchoring inside a layout cell, by EleAlign (rows) and angle (columns).
TEST(AdjustAlignToAngle, TextAnchoringInACell)
{
    struct Case {
        EA align;
        TA at0, at90, at180, at270;
    } cases[] = {
        {EA::eaLeftTop, TA::taLeTo, TA::taRiTo, TA::taRiBo, TA::taLeBo},
        {EA::eaLeftCenter, TA::taLeCe, TA::taCeTo, TA::taRiCe, TA::taCeBo},
        {EA::eaLeftBottom, TA::taLeBo, TA::taLeTo, TA::taRiTo, TA::taRiBo},
        {EA::eaCenterTop, TA::taCeTo, TA::taRiCe, TA::taCeBo, TA::taLeCe},
        {EA::eaCenterCenter, TA::taCeCe, TA::taCeCe, TA::taCeCe, TA::taCeCe},
        {EA::eaCenterBottom, TA::taCeBo, TA::taLeCe, TA::taCeTo, TA::taRiCe},
        {EA::eaRigthTop, TA::taRiTo, TA::taRiBo, TA::taLeBo, TA::taLeTo},
        {EA::eaRigthCenter, TA::taRiCe, TA::taCeBo, TA::taLeCe, TA::taCeTo},
        {EA::eaRigthBottom, TA::taRiBo, TA::taLeBo, TA::taLeTo, TA::taRiTo},
    };
    TKXCustomLab lab;
    auto *layout = lab.NewElement<zt::TestLayout>();
    layout->SetPoints({0, 0}, {6000, 3500});
    for (const Case &c : cases) {
        const TA expected[4] = {c.at0, c.at90, c.at180, c.at270};
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(std::string(EnumName(c.align)) + " at " + std::to_string(i * 90));
            auto *t = lab.NewElement<TestText>();
            // Start from an anchoring the table does not give, so a missed change shows.
            t->SetTextAlign(TA::taRiCe == expected[i] ? TA::taLeBo : TA::taRiCe);
            t->SetEleAlign(c.align);
            layout->Adopt(*t, 0, 0);
            t->SetAngle(i * 90);
            t->AdjustAlignToAngle();
            EXPECT_EQ(t->Align(), expected[i]);
        }
    }
    // Outside a layout, at other angles and for other values the anchoring stays.
    auto *free = lab.NewElement<TestText>();
    free->SetTextAlign(TA::taCeBo);
    free->SetEleAlign(EA::eaLeftTop);
    free->AdjustAlignToAngle();
    EXPECT_EQ(free->Align(), TA::taCeBo);
    layout->Adopt(*free, 0, 0);
    free->SetAngle(45);
    free->AdjustAlignToAngle();
    EXPECT_EQ(free->Align(), TA::taCeBo);
}

TEST(MoveLayoutBy, MovesKeepsInsideTheLabelAndLeavesAlignment)
{
    struct Case {
        int32_t dx, dy;
        TPoint p1, p2;
        bool leftAlignment;
    } cases[] = {
        {-500, 0, {0, 100}, {1000, 400}, true},   // 200 - 500 < 0: shifted right to 0
        {5500, 0, {5000, 100}, {6000, 400}, true}, // 1200 + 5500 > 6000: flush right
        {0, 100, {200, 200}, {1200, 500}, true},
        {0, 3300, {200, 3200}, {1200, 3500}, true},
        {0, 0, {200, 100}, {1200, 400}, false},
    };
    TKXCustomLab lab;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.dx) + "," + std::to_string(c.dy));
        auto *box = lab.NewElement<TestBox>();
        box->SetEleAlign(EA::eaLeftTop);
        box->SetPoints({200, 100}, {1200, 400});
        lab.SetModified(false);
        box->MoveLayoutBy(c.dx, c.dy);
        EXPECT_EQ(box->P1(), c.p1);
        EXPECT_EQ(box->P2(), c.p2);
        EXPECT_EQ(box->EleAlign() == EA::eaNone, c.leftAlignment);
        EXPECT_TRUE(lab.Modified());
    }
    zt::FakeDesignerServices ed(lab);
    ed.Snap = TKXSnap::snGrid;
    ed.Grid.IncX = 250;
    auto *box = lab.NewElement<TestBox>();
    box->SetPoints({200, 100}, {1200, 400});
    box->MoveLayoutBy(130, 0);
    EXPECT_EQ(box->P1().x, 250);
    EXPECT_EQ(box->P2().x, 1250);
}

// Alignment line at x = 10 mm (1000).
TEST(AlignPos, LeftAndUpLeaveAlignmentRightAndDownKeepIt)
{
    TKXCustomLab lab;
    auto &undo = zt::InstallUndoRecorder(lab);
    zt::FakeDesignerServices ed(lab);
    lab.BackSurf()->SetAlignX(10);
    lab.BackSurf()->SetAlignY(5);
    struct Case {
        TKXAlignPos pos;
        int32_t first;
        TRect frame;
        TPoint p1;
        bool keepsAlignment;
    } cases[] = {
        {TKXAlignPos::epLeft, 0, {1300, 800, 2300, 1000}, {1000, 800}, false},  // 3 mm right: moves left
        {TKXAlignPos::epLeft, 0, {700, 800, 1700, 1000}, {1000, 800}, true},    // 3 mm left: moves right
        {TKXAlignPos::epRight, 0, {700, 800, 1700, 1000}, {0, 800}, false},
        {TKXAlignPos::epTop, 0, {700, 800, 1700, 1000}, {700, 500}, false},
        {TKXAlignPos::epBottom, 0, {700, 100, 1700, 300}, {700, 300}, true},
        {TKXAlignPos::epFirstLeft, 400, {700, 800, 1700, 1000}, {400, 800}, false},
        {TKXAlignPos::epFirstTop, 900, {700, 800, 1700, 1000}, {700, 900}, true},
        {TKXAlignPos::epFirstRight, 2000, {700, 800, 1700, 1000}, {1000, 800}, true},
        {TKXAlignPos::epFirstBottom, 900, {700, 800, 1700, 1000}, {700, 700}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(EnumName(c.pos)) + " from " + std::to_string(c.frame.Left));
        auto *box = lab.NewElement<TestBox>();
        box->SetEleAlign(EA::eaLeftCenter);
        box->Frame = c.frame;
        box->AlignPos(c.pos, c.first, false);
        EXPECT_EQ(box->P1(), c.p1);
        EXPECT_EQ(box->EleAlign() != EA::eaNone, c.keepsAlignment);
    }
    auto *box = lab.NewElement<TestBox>();
    box->Frame = {1300, 800, 2300, 1000};
    undo.Entries.clear();
    ed.Reset();
    box->AlignPos(TKXAlignPos::epLeft, 0, true);
    EXPECT_EQ(undo.Entries.size(), 1u);
    EXPECT_TRUE(ed.FPaintSel);
    EXPECT_TRUE(ed.Has("UpdateEditor(1)"));
}

// Surface 600 x 350 pixels for the 6000 x 3500 label: one pixel is 10 label units.
TEST(ScreenRects, SetBorderApplyBorderAndSetScreenRect)
{
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    auto *box = lab.NewElement<TestBox>();
    box->SetBorder({10, 20, 110, 70});
    EXPECT_EQ(box->GetRect(), (TRect{100, 200, 1100, 700}));
    // An aligned element is placed once more by its alignment, then leaves it.
    box->SetEleAlign(EA::eaRigthBottom);
    box->SetBorder({10, 20, 110, 71}); // 1000 x 510
    EXPECT_EQ(box->GetRect(), (TRect{5000, 2990, 6000, 3500}));
    EXPECT_EQ(box->EleAlign(), EA::eaNone);
    box->SetBorder({10, 20, 110, 70});
    EXPECT_EQ(box->GetRect(), (TRect{100, 200, 1100, 700}));
    EXPECT_FALSE(box->BorderChanged({10, 20, 110, 70}));
    EXPECT_TRUE(box->BorderChanged({11, 20, 111, 70}));

    box->SetBorder({-5, 0, 700, 50}); // clamped edge by edge to the surface
    EXPECT_EQ(box->GetRect(), (TRect{0, 0, 6000, 500}));
    EXPECT_EQ(box->Border(), (TRect{0, 0, 600, 50}));

    ed.Snap = TKXSnap::snGrid;
    ed.Grid.IncX = 250;
    ed.Grid.IncY = 250;
    box->SetBorder({13, 12, 113, 62});
    EXPECT_EQ(box->GetRect(), (TRect{250, 0, 1250, 500}));
    ed.Snap = TKXSnap::snNone;

    struct Case {
        TRect screen;
        TRect label;
    } moves[] = {
        {{-20, 10, 80, 60}, {0, 100, 1000, 600}},      // moved right, not resized
        {{550, 0, 650, 50}, {5000, 0, 6000, 500}},     // moved left
        {{100, -30, 200, 20}, {1000, 0, 2000, 500}},
        {{100, 330, 200, 380}, {1000, 3000, 2000, 3500}},
    };
    for (const Case &c : moves) {
        box->SetScreenRect(c.screen, false);
        EXPECT_EQ(box->GetRect(), c.label);
    }
}

TEST(ScreenRects, GetScreenRectByKind)
{
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    const TRect r{100, 50, 300, 110};
    auto *box = lab.NewElement<TestBox>();
    EXPECT_EQ(box->GetScreenRect(r), r);
    auto *text = lab.NewElement<TestText>();
    EXPECT_EQ(text->GetScreenRect(r), (TRect{100, 110, -1, -1})); // taLeBo at 0
    auto *line = lab.NewElement<TestLine>();
    line->SetPoints({1000, 200}, {3000, 900});
    EXPECT_EQ(line->GetScreenRect(r), (TRect{100, 20, 300, 90}));
}

TEST(HitTest, BorderAndLockedMarker)
{
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    auto *box = lab.NewElement<TestBox>();
    box->SetBorder({100, 50, 300, 150});
    struct Case {
        TPoint p;
        bool free, locked;
    } cases[] = {
        {{100, 50}, true, true},   {{107, 57}, true, true},   {{108, 50}, true, false},
        {{299, 149}, true, false}, {{300, 100}, false, false}, {{150, 150}, false, false},
        {{99, 50}, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.p.x) + "," + std::to_string(c.p.y));
        box->SetLocked(false);
        EXPECT_EQ(box->PointInObject(c.p), c.free);
        box->SetLocked(true);
        EXPECT_EQ(box->PointInObject(c.p), c.locked);
    }
}

TEST(Points, BoundsAndGridSnapping)
{
    TKXCustomLab lab; // 60 x 35 mm
    auto *box = lab.NewElement<TestBox>();
    box->SetP1(-50, 70000);
    EXPECT_EQ(box->P1(), (TPoint{0, 3500}));
    box->SetP2(9000, -1);
    EXPECT_EQ(box->P2(), (TPoint{6000, 0}));
    EXPECT_EQ(box->Width(), 6000);
    lab.SetModified(false);
    box->SetP2(6000, 0); // unchanged: nothing
    EXPECT_FALSE(lab.Modified());
    lab.SetCheckBounds(false);
    box->SetP1(-50, 70000);
    EXPECT_EQ(box->P1(), (TPoint{-50, 70000}));
    EXPECT_TRUE(lab.Modified());

    zt::FakeDesignerServices ed(lab);
    ed.Snap = TKXSnap::snGrid;
    ed.Grid.IncX = 250;
    box->SetP1(374, 0);
    EXPECT_EQ(box->P1().x, 250);
    box->SetP1(375, 0);
    EXPECT_EQ(box->P1().x, 500);
    ed.Grid.IncX = 0; // a damaged grid step leaves the coordinate
    box->SetP1(377, 0);
    EXPECT_EQ(box->P1().x, 377);
    ed.Snap = TKXSnap::snPoint;
    box->SetP1(374, 0);
    EXPECT_EQ(box->P1().x, 374);
}

TEST(Points, NormalizeMoveAndRestoreScale)
{
    TKXCustomLab lab;
    auto &undo = zt::InstallUndoRecorder(lab);
    auto *box = lab.NewElement<TestBox>();
    box->SetPoints({3000, 2000}, {1000, 500});
    box->Normalize();
    EXPECT_EQ(box->GetRect(), (TRect{1000, 500, 3000, 2000}));

    lab.SetModified(false);
    box->Move({1.5f, -2.0f});
    EXPECT_EQ(box->GetRect(), (TRect{1150, 300, 3150, 1800}));
    EXPECT_TRUE(lab.Modified());
    EXPECT_TRUE(undo.Entries.empty());

    box->RestoreScale(); // already 1.0: nothing
    EXPECT_TRUE(undo.Entries.empty());
    box->SetScale(2.0f, 1.0f);
    box->RestoreScale();
    EXPECT_EQ(box->TrX(), 1.0f);
    EXPECT_EQ(undo.Entries.size(), 1u);
}

// Mended: coordinates of a damaged file near the 32-bit limits wrapped around when set,
// moved, moved inside a layout, snapped or turned with the label. They clamp instead.
TEST(Points, CoordinatesNearThe32BitLimitsClampInsteadOfWrapping)
{
    constexpr int32_t Max = std::numeric_limits<int32_t>::max(), Min = std::numeric_limits<int32_t>::min();
    TKXCustomLab lab;
    auto *box = lab.NewElement<TestBox>();

    box->SetPoints({Min, 0}, {Min + 10, 10});
    box->SetX2(20000000.0f); // 2e9 hundredths: the extent is beyond the 32-bit range
    EXPECT_EQ(box->Width(), Max);
    box->SetPoints({0, Max - 10}, {10, Max - 10});
    box->SetY1(-20000000.0f);
    EXPECT_EQ(box->Height(), Max);

    box->SetPoints({Max - 50, Min + 50}, {Max - 10, Min + 90});
    box->Move({1.0f, -1.0f}); // 100 hundredths each way
    EXPECT_EQ(box->P1(), (TPoint{Max, Min}));
    EXPECT_EQ(box->P2(), (TPoint{Max, Min}));

    // Inside a layout: pushed back onto the label whatever the shift.
    box->SetPoints({Max - 1000, 100}, {Max - 10, 400});
    box->MoveLayoutBy(Max, 0);
    EXPECT_EQ(box->P2().x, lab.Measure()->WidthInternal());
    box->SetPoints({Min + 10, 100}, {Min + 1000, 400});
    box->MoveLayoutBy(-Max, 0);
    EXPECT_EQ(box->P1().x, 0);

    // Snapping to a grid whose step does not divide the limit.
    zt::FakeDesignerServices ed(lab);
    ed.Snap = TKXSnap::snGrid;
    ed.Grid.IncX = 7;
    box->SetPoints({Max - 3, 100}, {Max - 2, 400});
    box->MoveLayoutBy(1, 0);
    EXPECT_EQ(box->P2().x, lab.Measure()->WidthInternal());

    // A quarter turn of the label with a point at the limits.
    auto *line = lab.NewElement<TestLine>();
    line->SetPoints({Min, Max}, {Max, Min});
    lab.RotateLeft(); // (x, y) -> (y, H - x): (Min, Max) goes to (Max, H - Min), clamped
    EXPECT_TRUE(line->P1() == (TPoint{Max, Max}) || line->P2() == (TPoint{Max, Max}))
        << line->P1().x << "," << line->P1().y << " " << line->P2().x << "," << line->P2().y;
    EXPECT_GE(line->Width(), 0);
    EXPECT_GE(line->Height(), 0);
}

} // namespace
