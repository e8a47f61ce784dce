// The units chooser: the label's units preselected, the chosen entry back as units, and every
// way of leaving without OK keeping the units the dialog opened with.
#include "DialogEnds.h"
#include "EditorFixture.h"

#include "dialogs/KXSelUnits.h"

#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::designer;
using zt::DialogEnd;

TEST(SelUnits, EntriesInTheirOrderAndTheLabelsUnitsSelected)
{
    zt::RequireWidgetApp();
    TFSelUnits dlg;
    ASSERT_EQ(dlg.CBoxFilters->count(), 3);
    EXPECT_EQ(dlg.CBoxFilters->itemText(0), "Millimeters");
    EXPECT_EQ(dlg.CBoxFilters->itemText(1), "Centimeters");
    EXPECT_EQ(dlg.CBoxFilters->itemText(2), "Inches");
    EXPECT_EQ(dlg.windowTitle(), "Select Units");

    // The entries' order differs from TKXUnits (mm, inch, cm).
    const struct {
        TKXUnits Units;
        int Entry;
    } cases[] = {{TKXUnits::unMM, 0}, {TKXUnits::unCM, 1}, {TKXUnits::unINCH, 2}};
    for (const auto &c : cases) {
        dlg.Iniciar(c.Units);
        EXPECT_EQ(dlg.CBoxFilters->currentIndex(), c.Entry) << EnumName(c.Units);
        EXPECT_EQ(dlg.SelUnit(), c.Entry);
        EXPECT_EQ(dlg.SelUnits(), c.Units);
    }
}

TEST(SelUnits, InchLabelShowsInchesAndTheSecondEntryGivesCentimetres)
{
    zt::RequireWidgetApp();
    TFSelUnits dlg;
    dlg.Iniciar(TKXUnits::unINCH);
    dlg.open();
    EXPECT_EQ(dlg.CBoxFilters->currentText(), "Inches");
    // Choose by keyboard: one step up from the third entry.
    dlg.CBoxFilters->setFocus();
    QTest::keyClick(dlg.CBoxFilters, Qt::Key_Up);
    EXPECT_EQ(zt::EndDialog(dlg, DialogEnd::OkButton), QDialog::Accepted);
    EXPECT_EQ(dlg.SelUnit(), 1);
    EXPECT_EQ(dlg.SelUnits(), TKXUnits::unCM);
}

class SelUnitsLeft : public ::testing::TestWithParam<DialogEnd> {};

TEST_P(SelUnitsLeft, WithoutOkKeepsTheOpeningUnitsAndShowsThemAgain)
{
    zt::RequireWidgetApp();
    TFSelUnits dlg;
    dlg.Iniciar(TKXUnits::unCM);
    dlg.open();
    dlg.CBoxFilters->setCurrentIndex(2);
    EXPECT_EQ(zt::EndDialog(dlg, GetParam()), QDialog::Rejected);
    EXPECT_EQ(dlg.SelUnits(), TKXUnits::unCM);
    // Shown again, the dialog shows the units it was opened with, not the abandoned choice.
    EXPECT_EQ(dlg.CBoxFilters->currentIndex(), 1);
}

INSTANTIATE_TEST_SUITE_P(, SelUnitsLeft,
                         ::testing::Values(DialogEnd::CancelButton, DialogEnd::EscapeKey, DialogEnd::CloseBox));
