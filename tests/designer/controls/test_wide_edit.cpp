// The Unicode line edit: Text and OnChange, AddChar at the caret, selection replaced by typing
// and pasting, whole surrogate pairs for the caret and Backspace, input-method text, the
// clipboard, and the keys that do nothing.
#include "EditorFixture.h"

#include "controls/KXWideEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace kx::designer;

namespace {

struct WideEditFixture : ::testing::Test {
    void SetUp() override
    {
        zt::RequireWidgetApp();
        hostOwner = std::make_unique<QWidget>();
        QWidget &host = *hostOwner;
        host.resize(300, 60);
        edit = new TKXWideEdit(&host);
        host.show();
        host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
        edit->setFocus();
        edit->OnChange = [this] { ++changes; };
    }
    std::unique_ptr<QWidget> hostOwner;
    TKXWideEdit *edit = nullptr;
    int changes = 0;
};

const QString Astral = QString::fromUcs4(U"\U0001F600"); // an emoji: one surrogate pair

} // namespace

TEST_F(WideEditFixture, SettingTextPutsTheCaretAtTheEndAndTellsOnce)
{
    edit->SetText(QStringLiteral("Grüße €"));
    EXPECT_EQ(edit->Text(), QStringLiteral("Grüße €"));
    EXPECT_EQ(edit->cursorPosition(), 7);
    EXPECT_EQ(changes, 1);
    edit->SetText(QStringLiteral("Grüße €"));
    EXPECT_EQ(changes, 2) << "the same text set again is still a change for the dialog";
}

TEST_F(WideEditFixture, AddCharTypesAtTheCaretOverTheSelection)
{
    edit->SetText(QStringLiteral("abcd"));
    edit->setCursorPosition(2);
    edit->AddChar(U'Ж');
    EXPECT_EQ(edit->Text(), QStringLiteral("abЖcd"));
    edit->setSelection(0, 2);
    edit->AddChar(U'\U0001F600');
    EXPECT_EQ(edit->Text(), Astral + QStringLiteral("Жcd"));
    edit->AddChar(0xD800); // a lone surrogate is no character
    EXPECT_EQ(edit->Text(), Astral + QStringLiteral("Жcd"));
}

TEST_F(WideEditFixture, TypingAndPastingReplaceTheSelection)
{
    edit->SetText(QStringLiteral("hello"));
    edit->setSelection(1, 2);
    QTest::keyClicks(edit, QStringLiteral("a"));
    EXPECT_EQ(edit->Text(), QStringLiteral("halo"));

    QApplication::clipboard()->setText(QStringLiteral("ΩΩ"));
    edit->setSelection(0, 2);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->Text(), QStringLiteral("ΩΩlo"));
    EXPECT_EQ(edit->cursorPosition(), 2) << "the caret after the pasted text";
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), QStringLiteral("Ωlo")) << "no stale selection deletes other characters";
}

TEST_F(WideEditFixture, SurrogatePairsMoveAndDeleteAsOneCharacter)
{
    edit->SetText(QStringLiteral("a") + Astral + QStringLiteral("b"));
    ASSERT_EQ(edit->cursorPosition(), 4);
    QTest::keyClick(edit, Qt::Key_Left);
    QTest::keyClick(edit, Qt::Key_Left);
    EXPECT_EQ(edit->cursorPosition(), 1) << "Left passes the pair whole";
    QTest::keyClick(edit, Qt::Key_Right);
    EXPECT_EQ(edit->cursorPosition(), 3);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), QStringLiteral("ab"));
}

TEST_F(WideEditFixture, InputMethodAndNonLatinKeysArriveIntact)
{
    edit->SetText(QString());
    // Keys of a non-Latin layout carry their text (QTest's key clicks take Latin-1 only).
    for (const QString &ch : {QStringLiteral("日"), QStringLiteral("本")}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, ch);
        QApplication::sendEvent(edit, &press);
    }
    QInputMethodEvent commit;
    commit.setCommitString(Astral + QStringLiteral("ю"));
    QApplication::sendEvent(edit, &commit);
    EXPECT_EQ(edit->Text(), QStringLiteral("日本") + Astral + QStringLiteral("ю"));
    EXPECT_GE(changes, 2);
}

TEST_F(WideEditFixture, DoubleClickSelectsAllAndBackspaceEmpties)
{
    edit->SetText(QStringLiteral("two words"));
    changes = 0;
    QTest::mouseDClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(10, edit->height() / 2));
    EXPECT_EQ(edit->selectedText(), QStringLiteral("two words"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_TRUE(edit->Text().isEmpty());
    EXPECT_EQ(changes, 1);
}

TEST_F(WideEditFixture, CopyWithoutSelectionKeepsTheClipboardAndSomeKeysDoNothing)
{
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    edit->SetText(QStringLiteral("abc"));
    edit->setCursorPosition(1);
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
    changes = 0;
    for (Qt::Key k : {Qt::Key_Delete, Qt::Key_Home, Qt::Key_End, Qt::Key_Up, Qt::Key_PageDown})
        QTest::keyClick(edit, k);
    EXPECT_EQ(edit->Text(), QStringLiteral("abc"));
    EXPECT_EQ(edit->cursorPosition(), 1);
    EXPECT_EQ(changes, 0);
}

TEST_F(WideEditFixture, GainingTheFocusSelectsAll)
{
    auto *other = new QLineEdit(hostOwner.get());
    other->show();
    edit->SetText(QStringLiteral("focus"));
    other->setFocus();
    edit->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit->selectedText(), QStringLiteral("focus"));
}
