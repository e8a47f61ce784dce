// The printer chooser: the queue shown at opening found by name, the typed queue and the
// copies back on OK (copies held to 1..10000), every other end keeping what the dialog
// opened with, and the system's queues - the test run's CUPS queue among them - listed.
#include "CupsPdf.h"
#include "DialogEnds.h"
#include "EditorFixture.h"

#include "controls/KXSpinEditFloat.h"
#include "dialogs/KXSelPrinter.h"
#include "platform/KXPrinterPort.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::designer;
using zt::DialogEnd;

namespace {

const QStringList Queues = {QStringLiteral("Office"), QStringLiteral("Zebra_GK420"), QStringLiteral("office-2")};

// Replaces a field's text the way a person does: select all, type.
void TypeInto(QWidget *Field, const QString &Text)
{
    Field->setFocus();
    QTest::keyClick(Field, Qt::Key_A, Qt::ControlModifier);
    if (Text.isEmpty())
        QTest::keyClick(Field, Qt::Key_Delete);
    QTest::keyClicks(Field, Text);
}

} // namespace

TEST(SelPrinter, QueueShownAtOpening)
{
    zt::RequireWidgetApp();
    const struct {
        QStringList Printers;
        QString Name;
        int32_t Index;
        int32_t Shown;
        const char *Why;
    } cases[] = {
        {Queues, "Zebra_GK420", 0, 1, "by name, whatever the index"},
        {Queues, "ZEBRA_gk420", -1, 1, "CUPS names ignore case"},
        {Queues, "office-2", 0, 2, "exact spelling before a case-blind match"},
        {Queues, "Removed", 1, -1, "a name that is gone selects nothing, not the queue at its old index"},
        {Queues, "", 2, 2, "settings without a name: the index"},
        {Queues, "", 3, -1, "an index beyond the list selects nothing"},
        {Queues, "", -1, -1, "no printer stored"},
        {{}, "Office", 0, -1, "no printers installed"},
    };
    for (const auto &c : cases) {
        TFSelPrinter dlg(c.Printers, c.Name, c.Index);
        EXPECT_EQ(dlg.SelPrinter(), c.Shown) << c.Why;
        EXPECT_EQ(dlg.CBSPrinters->currentIndex(), c.Shown) << c.Why;
        EXPECT_EQ(dlg.CBSPrinters->count(), c.Printers.size());
        if (c.Shown < 0) {
            EXPECT_EQ(dlg.CBSPrinters->currentText(), "") << c.Why;
        }
        EXPECT_EQ(dlg.NCopies(), 1);
    }
}

TEST(SelPrinter, CaptionsAndCopiesField)
{
    zt::RequireWidgetApp();
    TFSelPrinter dlg(Queues, "Office", 0);
    EXPECT_EQ(dlg.windowTitle(), "PRINTER SELECTION");
    EXPECT_EQ(dlg.LabPrinter->text(), "Printer");
    EXPECT_EQ(dlg.SESCopies->toolTip(), "Copies number to print");
    EXPECT_EQ(dlg.SESCopies->text(), "1");
    EXPECT_EQ(dlg.CBSPrinters->lineEdit()->maxLength(), 400);
}

TEST(SelPrinter, TypedQueueAndCopiesOnOk)
{
    zt::RequireWidgetApp();
    const struct {
        const char *Typed;
        const char *Copies;
        int32_t Printer;
        int32_t NCopies;
        DialogEnd End;
    } cases[] = {
        {"zebra_gk420", "25", 1, 25, DialogEnd::OkButton},
        {"office-2", "10000", 2, 10000, DialogEnd::EnterKey}, // Enter in the copies field
        {"Office", "20000", 0, 10000, DialogEnd::OkButton},   // above the upper limit
        {"Office", "0", 0, 1, DialogEnd::EnterKey},           // below the lower one
        {"Nowhere", "3", -1, 3, DialogEnd::OkButton},         // names no queue
        {"", "7", -1, 7, DialogEnd::OkButton},
    };
    for (const auto &c : cases) {
        TFSelPrinter dlg(Queues, "Office", 0);
        dlg.open();
        TypeInto(dlg.CBSPrinters->lineEdit(), c.Typed);
        TypeInto(dlg.SESCopies, c.Copies);
        ASSERT_EQ(zt::EndDialog(dlg, c.End), QDialog::Accepted) << c.Typed << " " << c.End;
        EXPECT_EQ(dlg.SelPrinter(), c.Printer) << c.Typed;
        EXPECT_EQ(dlg.SelPrinterName(), c.Printer >= 0 ? Queues[c.Printer] : QString()) << c.Typed;
        EXPECT_EQ(dlg.NCopies(), c.NCopies) << c.Copies;
    }
}

class SelPrinterLeft : public ::testing::TestWithParam<DialogEnd> {};

TEST_P(SelPrinterLeft, WithoutOkKeepsTheOpeningQueueAndOneCopy)
{
    zt::RequireWidgetApp();
    TFSelPrinter dlg(Queues, "Zebra_GK420", 0);
    dlg.open();
    dlg.CBSPrinters->setCurrentIndex(2);
    TypeInto(dlg.SESCopies, "40");
    EXPECT_EQ(zt::EndDialog(dlg, GetParam()), QDialog::Rejected);
    EXPECT_EQ(dlg.SelPrinter(), 1);
    EXPECT_EQ(dlg.SelPrinterName(), "Zebra_GK420");
    EXPECT_EQ(dlg.NCopies(), 1);
    // Shown again, the fields hold what the dialog opened with.
    EXPECT_EQ(dlg.CBSPrinters->currentText(), "Zebra_GK420");
    EXPECT_EQ(dlg.SESCopies->text(), "1");
}

INSTANTIATE_TEST_SUITE_P(, SelPrinterLeft,
                         ::testing::Values(DialogEnd::CancelButton, DialogEnd::EscapeKey, DialogEnd::CloseBox));

// With the test queue in place.
TEST(SelPrinterCups, ListsTheSystemQueuesAndFindsTheTestQueueByName)
{
    zt::RequireWidgetApp();
    ASSERT_FALSE(zt::CupsQueue.isEmpty()) << "the test queue's set-up has not run";
    const QStringList system = TKXPrinterPort::PrinterNames();
    ASSERT_TRUE(system.contains(zt::CupsQueue));

    TFSelPrinter dlg(zt::CupsQueue.toUpper(), -1);
    QStringList listed;
    for (int i = 0; i < dlg.CBSPrinters->count(); ++i)
        listed << dlg.CBSPrinters->itemText(i);
    EXPECT_EQ(listed, system);
    EXPECT_EQ(dlg.CBSPrinters->currentText(), zt::CupsQueue);

    TypeInto(dlg.SESCopies, "2");
    dlg.open();
    ASSERT_EQ(zt::EndDialog(dlg, DialogEnd::OkButton), QDialog::Accepted);
    EXPECT_EQ(dlg.SelPrinterName(), zt::CupsQueue);
    EXPECT_EQ(dlg.SelPrinter(), system.indexOf(zt::CupsQueue));
    EXPECT_EQ(dlg.NCopies(), 2);
    // The chosen name is one the printer port selects.
    TKXPrinterPort port;
    EXPECT_TRUE(port.SelectPrinter(dlg.SelPrinterName()));
}
