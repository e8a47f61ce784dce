// Running the small dialogs for their callers: the chosen values handed back only on OK,
// an installed runner driving the real dialog, and nothing waiting on the offscreen platform
// when no runner is installed.
#include "CupsPdf.h"
#include "DialogEnds.h"
#include "EditorFixture.h"

#include "controls/KXSpinEditFloat.h"
#include "dialogs/KXEdName.h"
#include "dialogs/KXModal.h"
#include "dialogs/KXSelUnits.h"
#include "platform/KXPrinterPort.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::designer;
using zt::DialogEnd;

namespace {

// A runner that lets Work change the open dialog's fields, then ends it with End.
TKXModalRunner Driver(DialogEnd End, std::function<void(QDialog &)> Work = {})
{
    return [End, Work](QDialog &Dialog) {
        Dialog.open();
        if (Work)
            Work(Dialog);
        return zt::EndDialog(Dialog, End);
    };
}

} // namespace

TEST(Modal, OffscreenWithoutRunnerAnswersAsClosedAndChangesNothing)
{
    zt::RequireWidgetApp();
    TKXUnits units = TKXUnits::unCM;
    EXPECT_FALSE(ChooseUnits(units));
    EXPECT_EQ(units, TKXUnits::unCM);
    QString name = QStringLiteral("Folder");
    EXPECT_FALSE(AskName(5, name));
    EXPECT_EQ(name, "Folder");
}

TEST(Modal, UnitsAndNameChosenOnOkOnly)
{
    zt::RequireWidgetApp();
    TKXUnits units = TKXUnits::unMM;
    QString name = QStringLiteral("Table1");
    {
        TKXModalScope scope(Driver(DialogEnd::OkButton, [](QDialog &d) {
            if (auto *units = d.findChild<QComboBox *>("CBoxFilters"))
                units->setCurrentIndex(2);
            if (auto *name = d.findChild<QLineEdit *>("EdName")) {
                name->setFocus();
                QTest::keyClicks(name, QStringLiteral("Stock"));
            }
        }));
        EXPECT_TRUE(ChooseUnits(units));
        EXPECT_TRUE(AskName(1, name));
    }
    EXPECT_EQ(units, TKXUnits::unINCH);
    EXPECT_EQ(name, "Stock");

    for (DialogEnd end : {DialogEnd::CancelButton, DialogEnd::EscapeKey, DialogEnd::CloseBox}) {
        TKXModalScope scope(Driver(end, [](QDialog &d) {
            if (auto *units = d.findChild<QComboBox *>("CBoxFilters"))
                units->setCurrentIndex(0);
            if (auto *name = d.findChild<QLineEdit *>("EdName"))
                name->setText(QStringLiteral("Other"));
        }));
        EXPECT_FALSE(ChooseUnits(units)) << end;
        EXPECT_FALSE(AskName(1, name)) << end;
        EXPECT_EQ(units, TKXUnits::unINCH) << end;
        EXPECT_EQ(name, "Stock") << end;
    }
}

TEST(Modal, ScopeRestoresTheRunnerBefore)
{
    zt::RequireWidgetApp();
    TKXUnits units = TKXUnits::unMM;
    TKXModalScope outer(Driver(DialogEnd::OkButton, [](QDialog &d) {
        d.findChild<QComboBox *>("CBoxFilters")->setCurrentIndex(1);
    }));
    {
        TKXModalScope inner(Driver(DialogEnd::CancelButton));
        EXPECT_FALSE(ChooseUnits(units));
    }
    EXPECT_TRUE(ChooseUnits(units));
    EXPECT_EQ(units, TKXUnits::unCM);
}

// With the test queue in place.
TEST(ModalCups, PrinterAndCopiesChosenOnOkOnly)
{
    zt::RequireWidgetApp();
    ASSERT_FALSE(zt::CupsQueue.isEmpty()) << "the test queue's set-up has not run";
    const QStringList system = TKXPrinterPort::PrinterNames();

    // Stored settings whose printer is gone: nothing shown, so the person types the queue.
    QString printer = QStringLiteral("Removed-Queue");
    int32_t index = 0, copies = 1;
    {
        TKXModalScope scope(Driver(DialogEnd::OkButton, [](QDialog &d) {
            auto *queue = d.findChild<QComboBox *>("CBSPrinters");
            EXPECT_EQ(queue->currentIndex(), -1);
            queue->lineEdit()->setFocus();
            QTest::keyClicks(queue->lineEdit(), zt::CupsQueue);
            auto *copies = d.findChild<kx::designer::TKxSpinEditFloat *>("SESCopies");
            copies->setFocus();
            QTest::keyClick(copies, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(copies, QStringLiteral("3"));
        }));
        EXPECT_TRUE(ChoosePrinterAndCopies(printer, index, copies));
    }
    EXPECT_EQ(printer, zt::CupsQueue);
    EXPECT_EQ(index, system.indexOf(zt::CupsQueue));
    EXPECT_EQ(copies, 3);

    TKXModalScope scope(Driver(DialogEnd::EscapeKey, [](QDialog &d) {
        d.findChild<QComboBox *>("CBSPrinters")->setEditText(QStringLiteral("elsewhere"));
    }));
    EXPECT_FALSE(ChoosePrinterAndCopies(printer, index, copies));
    EXPECT_EQ(printer, zt::CupsQueue);
    EXPECT_EQ(copies, 3);
}
