// The editor's private clipboard: copy, cut and paste of elements through its copy stream,
// with new names for the pasted elements and one undo step per paste.
#include "ArrangeFixture.h"

#include "elements/KXLayout.h"

#include <gtest/gtest.h>

#include <set>

using namespace kx;
using namespace kx::designer;
using zt::Pts;
using zt::RealKindsEditor;

namespace {

std::set<QString> Names(const TKXCustomLab &Lab)
{
    std::set<QString> all;
    for (int32_t i = 1; i <= Lab.ElementCount(); ++i)
        all.insert(Lab.GetElement(i)->ID());
    return all;
}

TRect Shifted(TRect R, int32_t d) { return {R.Left + d, R.Top + d, R.Right + d, R.Bottom + d}; }

} // namespace

// Copy two elements and paste twice in a millimetre label: four new elements at the back,
// each pair 2 mm right and down of the copied ones (not 4 mm for the second), every one
// named anew, each paste one undo step of two creations, the selection left alone.
TEST(DesignerClipboard, PastingTwiceGivesTwoOffsetCopiesWithNewNames)
{
    RealKindsEditor f;
    auto *box = f.Add({1000, 500, 2000, 1500});
    auto *text = f.AddText({3000, 1000}, QStringLiteral("Copied"));
    f.Select({text, box});
    const TRect boxAt = Pts(box), textAt = Pts(text);
    f.Ed().CopySelection();
    ASSERT_TRUE(f.Ed().ElementsCopied());
    f.Lab->SetModified(false);
    const int steps = f.Undo().UndoCount();

    for (int paste = 1; paste <= 2; ++paste) {
        SCOPED_TRACE(paste);
        f.Ed().PasteSelection();
        ASSERT_EQ(f.Lab->ElementCount(), 2 + 2 * paste);
        // Selection order: the text first, appended at the back of the stacking order.
        TKXElement *t = f.Lab->GetElement(f.Lab->ElementCount() - 1);
        TKXElement *b = f.Lab->GetElement(f.Lab->ElementCount());
        ASSERT_EQ(t->ElementType(), TKXEle::deText);
        ASSERT_EQ(b->ElementType(), TKXEle::deRect);
        EXPECT_EQ(static_cast<TKXText *>(t)->Text(), QStringLiteral("Copied"));
        EXPECT_EQ(t->P1(), (TPoint{textAt.Left + 200, textAt.Top + 200}));
        EXPECT_EQ(Pts(b), Shifted(boxAt, 200));
        EXPECT_FALSE(t->IsSelected());
        ASSERT_EQ(f.Undo().UndoList().back().Kind, TKXURAction::urCreate);
        EXPECT_EQ(f.Undo().UndoList().back().Count, 2);
        EXPECT_EQ(f.Undo().UndoCount(), steps + paste);
    }
    EXPECT_EQ(Names(*f.Lab), (std::set<QString>{"Rectangle1", "Rectangle2", "Rectangle3", "Text1", "Text2", "Text3"}));
    EXPECT_EQ(f.Ed().GetSelectedCount(), 2);
    EXPECT_EQ(f.Ed().GetSelect(), text);
    EXPECT_TRUE(f.Lab->Modified());
    EXPECT_EQ(f.Lab->ElementsAfected(), 1);

    f.Lab->UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(f.Lab->ElementCount(), 4);
}

TEST(DesignerClipboard, TheOffsetFollowsTheLabelsUnits)
{
    const std::pair<TKXUnits, int32_t> cases[] = {
        {TKXUnits::unMM, 200}, // 2 mm
        {TKXUnits::unINCH, 254}, // 0.1 inch
        {TKXUnits::unCM, 200}, // 0.2 cm
    };
    for (const auto &[units, offset] : cases) {
        RealKindsEditor f;
        f.Lab->SetUnits(units);
        auto *box = f.Add({1000, 500, 2000, 1500});
        f.Select({box});
        f.Ed().CopySelection();
        f.Ed().PasteSelection();
        ASSERT_EQ(f.Lab->ElementCount(), 2);
        EXPECT_EQ(Pts(f.Lab->GetElement(2)), (TRect{1000 + offset, 500 + offset, 2000 + offset, 1500 + offset}))
            << int(units);
    }
}

// At a point given in pixels at 100 % zoom, whatever the zoom shown: the top-left corner goes
// there and the size is kept.
TEST(DesignerClipboard, PasteAtAPointPlacesTheTopLeftCorner)
{
    RealKindsEditor f;
    f.Ed().SetZoom(TKXZoom::zm200);
    auto *box = f.Add({1000, 500, 2000, 1500});
    f.Select({box});
    f.Ed().CopySelection();
    f.Ed().PasteSelection(96, 48); // one inch and half an inch at 96 dpi
    ASSERT_EQ(f.Lab->ElementCount(), 2);
    // Within the rounding of the surface's whole pixels (6000 units are 227 pixels at 100 %).
    const TRect r = Pts(f.Lab->GetElement(2));
    EXPECT_NEAR(r.Left, 2540, 5);
    EXPECT_NEAR(r.Top, 1270, 5);
    EXPECT_EQ(r.Right - r.Left, 1000);
    EXPECT_EQ(r.Bottom - r.Top, 1000);
}

// A cut is pasted back at exactly its place; undoing the paste removes the copy and undoing
// the cut brings the original back.
TEST(DesignerClipboard, CutAndPasteRestoresThePlaceAndUndoesInTwoSteps)
{
    RealKindsEditor f;
    auto *keep = f.Add({100, 100, 600, 600});
    auto *cut = f.Add({1000, 500, 2000, 1500});
    const uint64_t cutSerial = cut->Serial();
    f.Select({cut});
    f.Ed().CutSelection();
    ASSERT_EQ(f.Lab->ElementCount(), 1);
    EXPECT_EQ(f.Ed().GetSelectedCount(), 0);
    ASSERT_TRUE(f.Ed().ElementsCopied());

    f.Ed().PasteSelection();
    ASSERT_EQ(f.Lab->ElementCount(), 2);
    EXPECT_EQ(Pts(f.Lab->GetElement(2)), (TRect{1000, 500, 2000, 1500}));
    EXPECT_EQ(f.Undo().UndoCount(), 2);

    f.Lab->UndoRedo(TKXURAction::urUndo);
    ASSERT_EQ(f.Lab->ElementCount(), 1);
    EXPECT_EQ(f.Lab->GetElement(1), keep);
    f.Lab->UndoRedo(TKXURAction::urUndo);
    ASSERT_EQ(f.Lab->ElementCount(), 2);
    EXPECT_EQ(f.Lab->GetElement(2)->Serial(), cutSerial);
    EXPECT_EQ(Pts(f.Lab->GetElement(2)), (TRect{1000, 500, 2000, 1500}));
}

// Regression: copying with nothing selected left a copy stream holding a count of 0, so the
// editor reported elements to paste when there were none.
TEST(DesignerClipboard, CopyingNothingLeavesNothingToPaste)
{
    RealKindsEditor f;
    auto *box = f.Add({1000, 500, 2000, 1500});
    EXPECT_FALSE(f.Ed().ElementsCopied());
    f.Select({box});
    f.Ed().CopySelection();
    ASSERT_TRUE(f.Ed().ElementsCopied());
    // An empty selection replaces the earlier copy with nothing.
    f.Ed().ClearSelection();
    f.Ed().CopySelection();
    EXPECT_FALSE(f.Ed().ElementsCopied());
    f.Ed().PasteSelection();
    EXPECT_EQ(f.Lab->ElementCount(), 1);
    EXPECT_EQ(f.Undo().UndoCount(), 0);

    f.Select({box});
    f.Ed().CopySelection();
    f.Ed().EmptyCopied();
    EXPECT_FALSE(f.Ed().ElementsCopied());
}

// The copy stream belongs to the editor: it is pasted into the next label the editor shows,
// read as this program's own records whatever file version that label was read from, and
// pasting with no label does nothing.
TEST(DesignerClipboard, TheCopyOutlivesTheLabel)
{
    RealKindsEditor f;
    auto *box = f.Add({1000, 500, 2000, 1500});
    box->SetColor(0x123456);
    f.Select({box});
    f.Ed().CopySelection();

    TKXCustomLab other;
    other.NewLabel();
    other.Measure()->SetLabelSizeMM(60, 35);
    other.SetFileVersion(10); // as after reading a file that old
    f.Ed().SetZantor(&other);
    f.Ed().PasteSelection();
    ASSERT_EQ(other.ElementCount(), 1);
    EXPECT_EQ(Pts(other.GetElement(1)), (TRect{1200, 700, 2200, 1700}));
    EXPECT_EQ(other.GetElement(1)->Color(), TColor(0x123456));
    EXPECT_EQ(other.FileVersion(), 10);

    f.Ed().LabelRemoved();
    f.Ed().PasteSelection();
    EXPECT_EQ(other.ElementCount(), 1);
    EXPECT_EQ(f.Lab->ElementCount(), 1);
}

namespace {
// An element whose record starts with a type byte that no kind is created from.
using NoKindItem = zt::TestKind<TKXBaseEx2D, TKXEle::deColRowLay, TKXSelType::stColRow>;
} // namespace

// A record without a pasteable kind ends the paste: what was pasted before it stays, as one
// undo step.
TEST(DesignerClipboard, ARecordWithoutAKindEndsThePaste)
{
    RealKindsEditor f;
    auto *box = f.Add({1000, 500, 2000, 1500});
    auto *item = f.Lab->NewElement<NoKindItem>();
    item->SetPoints({100, 100}, {200, 200});
    auto *last = f.Add({3000, 500, 4000, 1500});
    f.Select({box, item, last});
    f.Ed().CopySelection();
    f.Ed().ClearSelection();
    f.Ed().PasteSelection();
    ASSERT_EQ(f.Lab->ElementCount(), 4);
    EXPECT_EQ(Pts(f.Lab->GetElement(4)), (TRect{1200, 700, 2200, 1700}));
    EXPECT_EQ(f.Lab->ElementsAfected(), 1);
    f.Lab->UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(f.Lab->ElementCount(), 3);
}

// A layout's column item has no record of its own: copying it with other elements copies the
// others only, and copying it alone leaves nothing to paste.
TEST(DesignerClipboard, LayoutItemsAreNotCopied)
{
    RealKindsEditor f;
    auto *layout = f.Add<TKXLayout>({100, 100, 3000, 3000});
    layout->SetColCount(2);
    auto *box = f.Add({4000, 500, 5000, 1500});
    TKXElement *column = layout->GetColumn(1);
    ASSERT_NE(column, nullptr);
    f.Select({column, box});
    f.Ed().CopySelection();
    f.Ed().PasteSelection();
    ASSERT_EQ(f.Lab->ElementCount(), 3);
    EXPECT_EQ(f.Lab->GetElement(3)->ElementType(), TKXEle::deRect);
    EXPECT_EQ(Pts(f.Lab->GetElement(3)), (TRect{4200, 700, 5200, 1700}));

    f.Select({column});
    f.Ed().CopySelection();
    EXPECT_FALSE(f.Ed().ElementsCopied());
}

// Mended: a pasted copy kept the copied element's alignment, so wherever the alignment was
// applied again (an editor opening the saved label) the copy jumped back onto the
// original, while a program without an editor left it in place. A copy the paste moves
// leaves its alignment; a cut pasted back at its place keeps it.
TEST(DesignerClipboard, AMovedCopyLeavesTheAlignmentAndACutInPlaceKeepsIt)
{
    const struct {
        const char *Name;
        bool Cut;
        QPoint At; // (0, 0): at the stored place (plus the offset for a copy)
        TKXEleAlign Kept;
    } cases[] = {
        {"copy at the offset", false, {}, TKXEleAlign::eaNone},
        {"copy at a point", false, {20, 30}, TKXEleAlign::eaNone},
        {"cut at a point", true, {20, 30}, TKXEleAlign::eaNone},
        {"cut in place", true, {}, TKXEleAlign::eaCenterCenter},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        RealKindsEditor f;
        auto *box = f.Add({0, 0, 1001, 301});
        box->SetEleAlign(TKXEleAlign::eaCenterCenter);
        const TRect centred{2500, 1600, 3501, 1901}; // in the 6000 x 3500 label
        ASSERT_EQ(Pts(box), centred);
        f.Select({box});
        if (c.Cut)
            f.Ed().CutSelection();
        else
            f.Ed().CopySelection();
        f.Ed().PasteSelection(c.At.x(), c.At.y());
        ASSERT_EQ(f.Lab->ElementCount(), c.Cut ? 1 : 2);
        TKXElement *pasted = f.Lab->GetElement(f.Lab->ElementCount());
        const TRect placed = Pts(pasted);
        if (c.At.isNull()) {
            EXPECT_EQ(placed, c.Cut ? centred : Shifted(centred, 200));
        }
        EXPECT_EQ(pasted->EleAlign(), c.Kept);
        EXPECT_EQ(pasted->IDLayout, 0);
        // Applying the alignment again (as on opening the label) keeps it where it was put.
        pasted->ApplyEleAlign(false);
        EXPECT_EQ(Pts(pasted), placed);
    }
}
