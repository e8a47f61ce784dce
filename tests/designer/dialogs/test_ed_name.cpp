// The name prompt: its title by kind, the proposed name, the typed name back on OK, the
// proposed one on every other end, and captions that a translation replaces.
#include "DialogEnds.h"
#include "EditorFixture.h"

#include "dialogs/KXDialogTexts.h"
#include "dialogs/KXEdName.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace kx::designer;
using zt::DialogEnd;

TEST(EdName, TitleByKind)
{
    zt::RequireWidgetApp();
    const struct {
        int16_t Kind;
        const char *Title;
    } cases[] = {
        {1, "NEW TABLE NAME"}, {2, "NAME NEW LINKED TABLE"}, {3, "NEW FILTER NAME"}, {4, "NEW FILTER NAME"},
        {5, "New Folder"},     {6, "Rename Folder"},         {7, "Label Name"},
        // Kinds without a title keep the designed one.
        {0, "Name"}, {8, "Name"}, {-1, "Name"},
    };
    for (const auto &c : cases) {
        TFEdName dlg;
        dlg.Iniciar(c.Kind, QStringLiteral("Stock"));
        EXPECT_EQ(dlg.windowTitle(), c.Title) << "kind " << c.Kind;
        EXPECT_EQ(dlg.LabName->text(), "NAME");
        EXPECT_EQ(dlg.EdName->text(), "Stock");
    }
}

class EdNameAccepted : public ::testing::TestWithParam<DialogEnd> {};

TEST_P(EdNameAccepted, TypedNameComesBack)
{
    zt::RequireWidgetApp();
    TFEdName dlg;
    dlg.Iniciar(1, QStringLiteral("Table1"));
    dlg.open();
    // The proposed name is selected, so typing replaces it.
    dlg.EdName->setFocus();
    QTest::keyClicks(dlg.EdName, QStringLiteral("Clientes 2024"));
    EXPECT_EQ(zt::EndDialog(dlg, GetParam()), QDialog::Accepted);
    EXPECT_EQ(dlg.NName(), QStringLiteral("Clientes 2024"));
}

INSTANTIATE_TEST_SUITE_P(, EdNameAccepted, ::testing::Values(DialogEnd::OkButton, DialogEnd::EnterKey));

class EdNameLeft : public ::testing::TestWithParam<DialogEnd> {};

TEST_P(EdNameLeft, WithoutOkKeepsTheProposedName)
{
    zt::RequireWidgetApp();
    TFEdName dlg;
    dlg.Iniciar(5, QStringLiteral("Folder"));
    dlg.open();
    dlg.EdName->setFocus();
    QTest::keyClicks(dlg.EdName, QStringLiteral("Other"));
    EXPECT_EQ(zt::EndDialog(dlg, GetParam()), QDialog::Rejected);
    EXPECT_EQ(dlg.NName(), "Folder");
    EXPECT_EQ(dlg.EdName->text(), "Folder");
}

INSTANTIATE_TEST_SUITE_P(, EdNameLeft,
                         ::testing::Values(DialogEnd::CancelButton, DialogEnd::EscapeKey, DialogEnd::CloseBox));

TEST(DialogTexts, TranslationReplacesCaptionsAndResetGivesEnglishBack)
{
    zt::RequireWidgetApp();
    SetDialogText("KXTbutcancel", QStringLiteral("&Cancelar"));
    SetDialogText("KXTfonewtablecap", QStringLiteral("NUEVA TABLA"));
    {
        TFEdName dlg;
        dlg.Iniciar(1, {});
        EXPECT_EQ(dlg.windowTitle(), "NUEVA TABLA");
        EXPECT_EQ(dlg.ButCancel()->text(), "&Cancelar");
        EXPECT_EQ(dlg.ButOK()->text(), "&OK");
    }
    SetDialogText("KXTbutcancel", {});
    EXPECT_EQ(DialogText("KXTbutcancel"), "&CANCEL");
    ResetDialogTexts();
    EXPECT_EQ(DialogText("KXTfonewtablecap"), "NEW TABLE NAME");
    // A key the table lacks shows itself rather than nothing.
    EXPECT_EQ(DialogText("KXTnosuchkey"), "KXTnosuchkey");
}
