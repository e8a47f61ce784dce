// What every element dialog follows: the snapshot taken when it opens, one undo step when the
// change is kept, the snapshot back on Cancel and on an exception, recording as it was; line
// breaks converted only at the editor's boundary; "ANSI" texts refused with a message when
// Windows-1252 cannot carry them.
#include "EditorFixture.h"
#include "ScriptedPrompts.h"
#include "TestElements.h"

#include "core/KXError.h"
#include "dialogs/KXDialogEdit.h"
#include "document/KXUndo.h"
#include "stream/KXStream.h"

#include <QDialog>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace kx;
using zt::TestBox;
using zt::TestText;

namespace {

TBytesArray Record(const TKXElement &E)
{
    TKXStreamWriter w;
    E.SaveToStream(w);
    return w.TakeBytes();
}

struct DialogEdit : ::testing::Test {
    DialogEdit()
    {
        zt::RequireWidgetApp();
        lab.SetUnReIni(0);
        a = lab.NewElement<TestBox>();
        a->SetPoints({100, 100}, {500, 400});
        a->SetColor(clBlack);
        b = lab.NewElement<TestText>();
        b->SetPoints({700, 200}, {700, 200});
        b->SetID(QStringLiteral("Line one\r\nLine two"));
        lab.SetUnReIni(1);
        lab.ClearUndoRedo();
        lab.SetModified(false);
    }
    TKXUndo &History() { return dynamic_cast<TKXUndo &>(*lab.UndoRecorder()); }

    zt::TestKinds kinds;
    TKXCustomLab lab;
    TestBox *a = nullptr;
    TestText *b = nullptr;
};

TEST_F(DialogEdit, KeptChangeIsExactlyOneUndoStep)
{
    const TBytesArray beforeA = Record(*a), beforeB = Record(*b);
    {
        TKXElementEdit edit(lab, {a, b});
        // The dialog's live changes, several to the same element, record nothing.
        a->SetColor(clRed);
        a->SetColor(0x00FF00);
        b->SetID(QStringLiteral("Changed"));
        EXPECT_EQ(lab.UndoCount(), 0);
        EXPECT_TRUE(edit.Changed());
        EXPECT_TRUE(edit.Keep());
    }
    ASSERT_EQ(lab.UndoCount(), 1);
    EXPECT_EQ(History().UndoList().back().Count, 2);
    EXPECT_TRUE(lab.Modified());
    EXPECT_EQ(lab.ElementsAfected(), 1);
    // The one step goes back to the states when the dialog opened.
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(Record(*a), beforeA);
    EXPECT_EQ(Record(*b), beforeB);
    EXPECT_EQ(lab.UndoCount(), 0);
}

TEST_F(DialogEdit, OnlyChangedElementsAreRecorded)
{
    TKXElementEdit edit(lab, {a, b, a}); // an element named twice is taken once
    a->SetColor(clRed);
    EXPECT_TRUE(edit.Keep());
    ASSERT_EQ(lab.UndoCount(), 1);
    EXPECT_EQ(History().UndoList().back().Count, 1);
}

TEST_F(DialogEdit, KeepWithoutAChangeRecordsNothingAndLeavesTheLabelUnmodified)
{
    {
        TKXElementEdit edit(lab, {a, b});
        // The text goes into an editor and comes back untouched.
        const QString shown = ModelToEditor(b->ID());
        b->SetID(EditorToModel(shown, b->ID()));
        EXPECT_FALSE(edit.Changed());
        EXPECT_FALSE(edit.Keep());
    }
    EXPECT_EQ(lab.UndoCount(), 0);
    EXPECT_FALSE(lab.Modified());
    EXPECT_EQ(b->ID(), QStringLiteral("Line one\r\nLine two"));
}

TEST_F(DialogEdit, CancelPutsTheSnapshotBackAndRecordsNothing)
{
    const TBytesArray beforeA = Record(*a), beforeB = Record(*b);
    {
        TKXElementEdit edit(lab, {a, b});
        a->SetColor(clRed);
        a->SetPoints({0, 0}, {900, 900});
        b->SetID(QStringLiteral("typed"));
        lab.SetModified(true);
        edit.Restore();
        EXPECT_FALSE(edit.Keep()); // the dialog is closed
    }
    EXPECT_EQ(Record(*a), beforeA);
    EXPECT_EQ(Record(*b), beforeB);
    EXPECT_EQ(a->GetRect(), (TRect{100, 100, 500, 400}));
    EXPECT_EQ(lab.UndoCount(), 0);
    EXPECT_FALSE(lab.Modified());
    EXPECT_EQ(lab.ElementsAfected(), 1);
}

TEST_F(DialogEdit, AnExceptionRestoresAndLeavesRecordingAsItWas)
{
    // Recording as the dialog found it: on (1), or off inside a change recorded elsewhere.
    for (const int32_t stepSize : {1, 0}) {
        SCOPED_TRACE(stepSize);
        const TBytesArray before = Record(*a);
        lab.SetUnReIni(stepSize);
        try {
            TKXElementEdit edit(lab, {a});
            a->SetColor(clRed);
            throw std::runtime_error("the dialog failed");
        } catch (const std::runtime_error &) {
        }
        EXPECT_EQ(Record(*a), before);
        EXPECT_EQ(lab.ElementsAfected(), stepSize);
        EXPECT_EQ(lab.UndoCount(), 0);
        EXPECT_FALSE(lab.Modified());
    }
    lab.SetUnReIni(1);
    // And a later change records as before.
    a->SetColor(clRed);
    EXPECT_EQ(lab.UndoCount(), 1);
}

TEST_F(DialogEdit, KeptInsideAnUnrecordedChangeRecordsNothing)
{
    lab.SetUnReIni(0);
    {
        TKXElementEdit edit(lab, {a});
        a->SetColor(clRed);
        EXPECT_TRUE(edit.Keep());
    }
    EXPECT_EQ(lab.UndoCount(), 0);
    EXPECT_EQ(lab.ElementsAfected(), 0);
    EXPECT_TRUE(lab.Modified());
    EXPECT_EQ(a->Color(), clRed);
}

TEST_F(DialogEdit, ADeletedElementIsPassedOver)
{
    TKXElementEdit edit(lab, {a, b});
    b->SetID(QStringLiteral("changed"));
    lab.RemoveElement(a, false, false);
    EXPECT_TRUE(edit.Keep());
    ASSERT_EQ(lab.UndoCount(), 1);
    EXPECT_EQ(History().UndoList().back().Count, 1);
}

TEST_F(DialogEdit, OnlyAnAcceptedDialogKeepsItsChange)
{
    struct Case {
        const char *name;
        std::function<void(QDialog &)> close;
        bool kept;
    } cases[] = {
        {"OK", [](QDialog &d) { d.accept(); }, true},
        {"Cancel", [](QDialog &d) { d.reject(); }, false},
        {"Escape", [](QDialog &d) { QTest::keyClick(&d, Qt::Key_Escape); }, false},
        {"the close box", [](QDialog &d) { d.close(); }, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        lab.ClearUndoRedo();
        lab.SetModified(false);
        const TColor before = a->Color();
        const TColor wanted = before == clRed ? clBlack : clRed;
        {
            QDialog dialog;
            TKXElementEdit edit(lab, {a});
            ConnectElementEdit(dialog, edit);
            dialog.show();
            a->SetColor(wanted);
            c.close(dialog);
            EXPECT_FALSE(dialog.isVisible());
            // Settled when the dialog closes, not later.
            EXPECT_EQ(a->Color(), c.kept ? wanted : before);
            EXPECT_EQ(lab.UndoCount(), c.kept ? 1 : 0);
        }
        EXPECT_EQ(a->Color(), c.kept ? wanted : before);
        EXPECT_EQ(lab.UndoCount(), c.kept ? 1 : 0);
        EXPECT_EQ(lab.Modified(), c.kept);
    }
}

// ---------------------------------------------------------------------------------------
// Texts

TEST(DialogTexts, LineBreaksChangeOnlyAtTheEditorsBoundary)
{
    struct Case {
        QString model, editor, back; // model -> editor, editor -> model
    } cases[] = {
        {"one\r\ntwo", "one\ntwo", "one\r\ntwo"},
        {"a\r\n\r\nb\r\n", "a\n\nb\n", "a\r\n\r\nb\r\n"},
        {"no break", "no break", "no break"},
        {"", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.model.toStdString());
        EXPECT_EQ(ModelToEditor(c.model), c.editor);
        EXPECT_EQ(EditorToModel(c.editor), c.back);
    }
    // Whatever an editor gives: a pasted CR LF, Qt's paragraph and line separators.
    EXPECT_EQ(EditorToModel(QStringLiteral("a\r\nb\u2029c\u2028d\ne")), QStringLiteral("a\r\nb\r\nc\r\nd\r\ne"));
    // A text the editor shows unchanged comes back as it was, even with a lone CR or LF.
    for (const QString &original : {QStringLiteral("a\rb"), QStringLiteral("a\nb\r\nc"), QStringLiteral("x")})
        EXPECT_EQ(EditorToModel(ModelToEditor(original), original), original);
    EXPECT_EQ(EditorToModel(QStringLiteral("a\nb!"), QStringLiteral("a\nb")), QStringLiteral("a\r\nb!"));
}

TEST(DialogTexts, AnsiTextsAreRefusedWithAMessageNeverReplaced)
{
    zt::RequireWidgetApp();
    struct Case {
        QString text;
        QString refused; // empty: accepted
    } cases[] = {
        {QStringLiteral("Caf\u00E9 \u20AC 5 \u2020 \u0178"), {}}, // all in Windows-1252
        {QStringLiteral("Price \u20AC5 \u03A9"), QStringLiteral("\u03A9")},
        {QStringLiteral("ok \U0001F600 then \u4E2D"), QStringLiteral("\U0001F600")},
        {QStringLiteral("\u0081"), {}}, // an undefined byte of the code page keeps its value
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        zt::TKXScriptedPrompts prompts;
        EXPECT_EQ(FirstNonAnsi(c.text), c.refused);
        EXPECT_EQ(CheckAnsi(c.text, QStringLiteral("Text")), c.refused.isEmpty());
        if (c.refused.isEmpty()) {
            prompts.ExpectMessages(0);
            EXPECT_EQ(FromAnsi(ToAnsi(c.text)), c.text);
        } else {
            ASSERT_EQ(prompts.Errors().size(), 1);
            EXPECT_TRUE(prompts.Errors()[0].contains(c.refused)) << prompts.Errors()[0].toStdString();
            EXPECT_TRUE(prompts.Errors()[0].contains(QStringLiteral("\"Text\"")));
            EXPECT_THROW(ToAnsi(c.text), EKxError);
        }
    }
    // Windows-1252, not the local encoding (UTF-8 here).
    EXPECT_EQ(ToAnsi(QStringLiteral("\u20AC\u00E9")), std::string("\x80\xE9"));
    EXPECT_EQ(FromAnsi("\x80\xE9"), QStringLiteral("\u20AC\u00E9"));
}

} // namespace
