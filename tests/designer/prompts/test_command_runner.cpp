// The command runner and the prompts seam: a command that raises shows its text once and the
// window lives on, a cancel shows nothing, and nothing reaches Qt's event loop; the script
// answers and records the questions; the real prompts give the same answers.
#include "CupsPdf.h"
#include "EditorFixture.h"
#include "ScriptedPrompts.h"

#include "core/KXError.h"
#include "prompts/KXCommandRunner.h"
#include "prompts/KXPrompts.h"
#include "prompts/KXPromptsUIServices.h"
#include "platform/KXPrinterPort.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <stdexcept>

using namespace kx;
using zt::TKXScriptedPrompts;
using zt::TPromptKind;

namespace {

// ---------------------------------------------------------------------------------------
// The runner

TEST(CommandRunner, ShowsEachFailureOnceAndCancelsSilently)
{
    zt::RequireWidgetApp();
    struct Case {
        const char *name;
        std::function<void()> command;
        bool ranToEnd;
        QStringList shown;
    } cases[] = {
        {"a command that ends", [] {}, true, {}},
        {"the library's error", [] { throw EKxError("ERROR READING FILE"); }, false, {"ERROR READING FILE"}},
        {"any standard exception", [] { throw std::out_of_range("index 7 out of range"); }, false,
         {"index 7 out of range"}},
        {"UTF-8 text of an exception", [] { throw EKxError("Caf\xC3\xA9 \xE2\x82\xAC"); }, false,
         {QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC")}},
        {"something that is no exception class", [] { throw 42; }, false, {"Unexpected error"}},
        {"the person cancelled", [] { throw EKxAbort(); }, false, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TKXScriptedPrompts prompts;
        EXPECT_EQ(RunCommand(c.command), c.ranToEnd);
        EXPECT_EQ(prompts.Errors(), c.shown);
        prompts.ExpectMessages(int(c.shown.size()));
    }
}

TEST(CommandRunner, WindowLivesOnAfterACommandRaisesInTheEventLoop)
{
    zt::RequireWidgetApp();
    TKXScriptedPrompts prompts;
    QMainWindow window;
    auto *failing = new QAction(QStringLiteral("Fail"), &window);
    auto *working = new QAction(QStringLiteral("Work"), &window);
    auto *button = new QPushButton(QStringLiteral("Cancel"), &window);
    window.addAction(failing);
    window.addAction(working);
    window.setCentralWidget(button);
    int worked = 0, failed = 0;
    ConnectCommand(failing, [&] {
        ++failed;
        throw EKxError("THE DISK IS FULL");
    });
    ConnectCommand(working, [&] { ++worked; });
    ConnectCommand(button, &QPushButton::clicked, [&] { throw EKxAbort(); });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    // Triggered from the event loop, as a menu or a shortcut does: an exception escaping
    // into Qt would end the process here.
    QTimer::singleShot(0, failing, &QAction::trigger);
    QTimer::singleShot(0, working, &QAction::trigger);
    QTest::qWait(20);
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::qWait(20);

    EXPECT_EQ(failed, 1);
    EXPECT_EQ(worked, 1);
    EXPECT_EQ(prompts.Errors(), QStringList{"THE DISK IS FULL"});
    prompts.ExpectMessages(1); // the cancelled click showed nothing
    EXPECT_TRUE(window.isVisible());
    working->trigger();
    EXPECT_EQ(worked, 2);
}

// ---------------------------------------------------------------------------------------
// The scripted prompts

TEST(ScriptedPrompts, AnswersFromItsQueueAndRecordsEachQuestion)
{
    zt::RequireWidgetApp();
    TKXScriptedPrompts prompts;
    EXPECT_EQ(&Prompts(), &prompts);
    prompts.AnswerMessage(idNo);
    prompts.AnswerSave(QStringLiteral("/tmp/a.eti"), 2);
    prompts.AnswerText(std::nullopt);
    prompts.AnswerColor(0x0000FF);
    EXPECT_EQ(prompts.Pending(), 4);

    EXPECT_EQ(Prompts().Message(QStringLiteral("Save changes?"), QString(), mbYesNoCancel, TKXMsgIcon::Question), idNo);
    int filter = 1;
    QString file = QStringLiteral("/home");
    EXPECT_TRUE(Prompts().SaveFile(QStringLiteral("Save as"), {{"Label files", "*.eti"}, {"All", "*.*"}}, filter, file));
    EXPECT_EQ(file, QStringLiteral("/tmp/a.eti"));
    EXPECT_EQ(filter, 2);
    QString text = QStringLiteral("kept");
    EXPECT_FALSE(Prompts().InputText(QStringLiteral("Name"), QStringLiteral("Name:"), text));
    EXPECT_EQ(text, QStringLiteral("kept")); // a cancel leaves the value alone
    TKXColor colour = 0;
    EXPECT_TRUE(Prompts().ChooseColor(colour));
    EXPECT_EQ(colour, 0x0000FFu);

    ASSERT_EQ(prompts.Calls().size(), 4u);
    EXPECT_EQ(prompts.Calls()[0].Kind, TPromptKind::Message);
    EXPECT_EQ(prompts.Calls()[0].Text, QStringLiteral("Save changes?"));
    EXPECT_EQ(prompts.Calls()[0].Buttons, mbYesNoCancel);
    EXPECT_EQ(prompts.Calls()[1].Caption, QStringLiteral("Save as"));
    EXPECT_EQ(prompts.Calls()[1].Filters.size(), 2u);
    EXPECT_EQ(prompts.Pending(), 0);
}

TEST(ScriptedPrompts, PutsThePreviousPromptsBackWhenItEnds)
{
    zt::RequireWidgetApp();
    TKXPrompts &before = Prompts();
    {
        TKXScriptedPrompts outer;
        {
            TKXScriptedPrompts inner;
            EXPECT_EQ(&Prompts(), &inner);
        }
        EXPECT_EQ(&Prompts(), &outer);
    }
    EXPECT_EQ(&Prompts(), &before);
}

TEST(QtPrompts, WithoutAScriptTheOffscreenPlatformAnswersAsCancelled)
{
    zt::RequireWidgetApp();
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    // No dialog opens, so these return at once instead of waiting for a person.
    EXPECT_EQ(Prompts().Message(QStringLiteral("Replace?"), QString(), mbYesNoCancel, TKXMsgIcon::Question), idCancel);
    EXPECT_EQ(Prompts().Message(QStringLiteral("Replace?"), QString(), mbYesNo, TKXMsgIcon::Question), idNo);
    EXPECT_EQ(Prompts().Message(QStringLiteral("Done"), QString(), mbOK, TKXMsgIcon::Information), idOK);
    QString name = QStringLiteral("x");
    EXPECT_FALSE(Prompts().InputText(QStringLiteral("Name"), QString(), name));
    EXPECT_EQ(name, QStringLiteral("x"));
}

TEST(PromptsUIServices, TheModelsMessagesAndPictureChooserGoThroughThePrompts)
{
    zt::RequireWidgetApp();
    TKXScriptedPrompts prompts;
    TKXPromptsUIServices services;
    prompts.AnswerMessage(idOK);
    services.ShowMessage(QStringLiteral("INVALID IMAGE : logo.png"));
    ASSERT_EQ(prompts.Count(TPromptKind::Message), 1);
    EXPECT_EQ(prompts.Calls()[0].Text, QStringLiteral("INVALID IMAGE : logo.png"));
    EXPECT_EQ(prompts.Calls()[0].Buttons, mbOK);

    // The label's own filter list, as the picture chooser gets it.
    const QString filter = QStringLiteral("All (*.jpg;*.png)|*.jpg;*.png|PNG image (*.png)|*.png |Bitmaps|*.bmp");
    prompts.AnswerOpen(QStringLiteral("/pictures/logo.png"));
    EXPECT_EQ(services.ChoosePicture(filter, QStringLiteral("/pictures")), QStringLiteral("/pictures/logo.png"));
    const zt::TPromptCall &open = prompts.Calls().back();
    EXPECT_EQ(open.Text, QStringLiteral("/pictures")); // the folder it starts in
    ASSERT_EQ(open.Filters.size(), 3u);
    QStringList names;
    for (const TKXFileFilter &f : open.Filters)
        names << ToNameFilter(f);
    EXPECT_EQ(names, (QStringList{"All (*.jpg *.png)", "PNG image (*.png)", "Bitmaps (*.bmp)"}));
    EXPECT_EQ(ToNameFilter({"Labels (old format)", "*.etq"}), QStringLiteral("Labels (old format) (*.etq)"));
    prompts.AnswerOpen(std::nullopt);
    EXPECT_TRUE(services.ChoosePicture(filter, QString()).isEmpty());

    // The busy cursor nests.
    services.BeginBusy();
    services.BeginBusy();
    services.EndBusy();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    services.EndBusy();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// ---------------------------------------------------------------------------------------
// The real prompts, answered by a timer that acts on the modal dialog once it is up

// Runs Act on the next modal dialog of type T. A dialog Act leaves open is closed at once and
// fails the test; a dialog that never comes fails it after a long while (the first file dialog
// of a process on a busy machine takes seconds). Each guard belongs to its own call, so a slow
// dialog can never be closed by the guard of an earlier one.
template <class T>
void WhenModal(std::function<void(T *)> Act)
{
    auto *poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, Act] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            QPointer<T> shown(dialog);
            Act(dialog);
            if (shown && shown->isVisible()) {
                ADD_FAILURE() << "a dialog was left open";
                shown->reject();
            }
        }
    });
    poll->start();
    QTimer::singleShot(120000, poll, [poll] {
        ADD_FAILURE() << "no dialog came";
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            dialog->reject();
        poll->deleteLater();
    });
}

TEST(QtPrompts, MessageAnswersWithTheButtonsNumbers)
{
    zt::RequireWidgetApp();
    TKXQtPrompts prompts;
    struct Case {
        TKXMsgButtons buttons;
        QMessageBox::StandardButton click; // NoButton: Escape
        int answer;
    } cases[] = {
        {mbYesNoCancel, QMessageBox::Yes, idYes},   {mbYesNoCancel, QMessageBox::No, idNo},
        {mbYesNoCancel, QMessageBox::Cancel, idCancel}, {mbYesNoCancel, QMessageBox::NoButton, idCancel},
        {mbYesNo, QMessageBox::NoButton, idNo},     {mbOK, QMessageBox::Ok, idOK},
        {mbOKCancel, QMessageBox::Cancel, idCancel},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.buttons << " " << c.click);
        QString text;
        WhenModal<QMessageBox>([&](QMessageBox *box) {
            text = box->text();
            // Only the buttons asked for are there.
            EXPECT_EQ(box->buttons().size(), qsizetype(std::popcount(unsigned(c.buttons))));
            if (c.click == QMessageBox::NoButton)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(c.click)->click();
        });
        EXPECT_EQ(prompts.Message(QStringLiteral("Save the label?"), QString(), c.buttons, TKXMsgIcon::Question),
                  c.answer);
        EXPECT_EQ(text, QStringLiteral("Save the label?"));
    }
}

TEST(QtPrompts, InputsGiveTheValueOnlyWhenAccepted)
{
    zt::RequireWidgetApp();
    TKXQtPrompts prompts;
    QString text = QStringLiteral("old");
    WhenModal<QInputDialog>([](QInputDialog *d) {
        d->setTextValue(QStringLiteral("Caf\u00E9"));
        d->accept();
    });
    EXPECT_TRUE(prompts.InputText(QStringLiteral("Name"), QStringLiteral("Name:"), text));
    EXPECT_EQ(text, QStringLiteral("Caf\u00E9"));

    WhenModal<QInputDialog>([](QInputDialog *d) {
        d->setTextValue(QStringLiteral("ignored"));
        d->reject();
    });
    EXPECT_FALSE(prompts.InputText(QStringLiteral("Name"), QStringLiteral("Name:"), text));
    EXPECT_EQ(text, QStringLiteral("Caf\u00E9"));

    int number = 5;
    WhenModal<QInputDialog>([](QInputDialog *d) {
        EXPECT_EQ(d->intMinimum(), 1);
        EXPECT_EQ(d->intMaximum(), 99);
        d->setIntValue(42);
        d->accept();
    });
    EXPECT_TRUE(prompts.InputInteger(QStringLiteral("Copies"), QStringLiteral("Copies:"), number, 1, 99));
    EXPECT_EQ(number, 42);

    int index = 1;
    WhenModal<QInputDialog>([](QInputDialog *d) {
        EXPECT_EQ(d->textValue(), QStringLiteral("b")); // the initial item
        d->setTextValue(QStringLiteral("c"));
        d->accept();
    });
    EXPECT_TRUE(prompts.ChooseItem(QStringLiteral("Pick"), QString(), {"a", "b", "c"}, index));
    EXPECT_EQ(index, 2);
}

TEST(QtPrompts, FileDialogsGiveTheFileAndTheChosenFilter)
{
    zt::RequireWidgetApp();
    TKXQtPrompts prompts;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::vector<TKXFileFilter> filters{{"Label files", "*.eti"}, {"Pictures", "*.png;*.bmp"}};

    // Saving: the name without an extension gets the chosen entry's.
    int filter = 1;
    QString file = dir.path();
    WhenModal<QFileDialog>([](QFileDialog *d) {
        EXPECT_TRUE(d->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(d->nameFilters(), (QStringList{"Label files (*.eti)", "Pictures (*.png *.bmp)"}));
        d->selectFile(QStringLiteral("label"));
        static_cast<QDialog *>(d)->accept();
    });
    EXPECT_TRUE(prompts.SaveFile(QStringLiteral("Save as"), filters, filter, file));
    EXPECT_EQ(file, dir.filePath(QStringLiteral("label.eti")));
    EXPECT_EQ(filter, 1);

    // Opening: the second entry chosen.
    {
        QFile logo(dir.filePath(QStringLiteral("logo.png")));
        ASSERT_TRUE(logo.open(QIODevice::WriteOnly));
    }
    file = dir.path();
    WhenModal<QFileDialog>([&](QFileDialog *d) {
        d->selectNameFilter(QStringLiteral("Pictures (*.png *.bmp)"));
        d->selectFile(dir.filePath(QStringLiteral("logo.png")));
        static_cast<QDialog *>(d)->accept();
    });
    EXPECT_TRUE(prompts.OpenFile(QStringLiteral("Open"), filters, filter, file));
    EXPECT_EQ(file, dir.filePath(QStringLiteral("logo.png")));
    EXPECT_EQ(filter, 2);

    WhenModal<QFileDialog>([](QFileDialog *d) { d->reject(); });
    QString untouched = dir.path();
    EXPECT_FALSE(prompts.OpenFile(QStringLiteral("Open"), filters, filter, untouched));
    EXPECT_EQ(untouched, dir.path());
}

TEST(QtPrompts, ColourChoiceConvertsLabelColours)
{
    zt::RequireWidgetApp();
    // $00BBGGRR: red in the low byte.
    EXPECT_EQ(ToQColor(0x00336699), QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(FromQColor(QColor(0x99, 0x66, 0x33)), 0x00336699u);
    EXPECT_EQ(FromQColor(ToQColor(0xFF0000FF)), 0x000000FFu); // the high byte is no colour

    TKXQtPrompts prompts;
    TKXColor colour = 0x000000FF; // red
    WhenModal<QColorDialog>([](QColorDialog *d) {
        EXPECT_EQ(d->currentColor(), QColor(Qt::red));
        d->setCurrentColor(QColor(0x10, 0x20, 0x30));
        d->accept();
    });
    EXPECT_TRUE(prompts.ChooseColor(colour));
    EXPECT_EQ(colour, 0x00302010u);
}

TEST(QtPromptsCups, PrinterChoiceOffersTheInstalledPrinters)
{
    zt::RequireWidgetApp();
    if (zt::CupsQueue.isEmpty())
        GTEST_SKIP() << "the test queue was not set up";
    TKXQtPrompts prompts;
    const QStringList printers = TKXPrinterPort::PrinterNames();
    ASSERT_TRUE(printers.contains(zt::CupsQueue));
    QString name = zt::CupsQueue;
    WhenModal<QInputDialog>([&](QInputDialog *d) {
        EXPECT_EQ(d->comboBoxItems(), printers);
        EXPECT_EQ(d->textValue(), zt::CupsQueue); // the one given is shown first
        d->accept();
    });
    EXPECT_TRUE(prompts.ChoosePrinter(name));
    EXPECT_EQ(name, zt::CupsQueue);

    WhenModal<QInputDialog>([](QInputDialog *d) { d->reject(); });
    QString kept = QStringLiteral("no such printer");
    EXPECT_FALSE(prompts.ChoosePrinter(kept));
    EXPECT_EQ(kept, QStringLiteral("no such printer"));
}

} // namespace
