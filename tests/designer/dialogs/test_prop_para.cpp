// The paragraph and code text dialog on its real widgets: typing written to the element at
// once for each of the four kinds, one undo step when kept, the element byte for byte as it
// was after Cancel, Escape or the close box, line breaks converted at the boundary only,
// Windows-1252 codes refusing what they cannot carry, and codes too long for a symbol shown
// as the placeholder without a message per keystroke.
#include "EditorFixture.h"
#include "FakeDesignerServices.h"
#include "ScriptedPrompts.h"

#include "component/KXLab.h"
#include "dialogs/KXPropPara.h"
#include "document/KXUndo.h"
#include "elements/KXMatrixCodes.h"
#include "elements/KXParagraph.h"
#include "elements/KXPdf417.h"
#include "elements/KXShapes.h"
#include "stream/KXStream.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace kx;
using namespace kx::designer;

namespace {

TBytesArray Record(const TKXElement &E)
{
    TKXStreamWriter w;
    E.SaveToStream(w);
    return w.TakeBytes();
}

struct TKindCase {
    const char *Name;
    TPropPara::TKind Kind;
    const char *Title;
    std::function<TKXElement *(TKXLab &)> Make;
    std::function<QString(const TKXElement &)> Text;
    std::function<void(TKXElement &, const QString &)> SetText;
};

template <class T>
TKXElement *Make(TKXLab &Lab)
{
    T *e = Lab.NewElement<T>();
    e->SetP1(500, 500);
    return e;
}

const TKindCase Kinds[] = {
    {"paragraph", TPropPara::kParagraph, "Paragraph Properties",
     [](TKXLab &L) {
         TKXElement *e = Make<TKXParagraph>(L);
         e->SetP2(4000, 3000);
         return e;
     },
     [](const TKXElement &E) { return static_cast<const TKXParagraph &>(E).Text(); },
     [](TKXElement &E, const QString &T) { static_cast<TKXParagraph &>(E).SetText(T); }},
    {"PDF417", TPropPara::kPdf417, "PDF417 Properties", &Make<TKXPdf417>,
     [](const TKXElement &E) { return static_cast<const TKXPdf417 &>(E).Code(); },
     [](TKXElement &E, const QString &T) { static_cast<TKXPdf417 &>(E).SetCode(T); }},
    {"Data Matrix", TPropPara::kDataMatrix, "DataMatrix Properties", &Make<TKXDataMatrix>,
     [](const TKXElement &E) { return static_cast<const TKXDataMatrix &>(E).Code(); },
     [](TKXElement &E, const QString &T) { static_cast<TKXDataMatrix &>(E).SetCode(T); }},
    {"QR Code", TPropPara::kQRCode, "QR Properties", &Make<TKXQRCode>,
     [](const TKXElement &E) { return static_cast<const TKXQRCode &>(E).Code(); },
     [](TKXElement &E, const QString &T) { static_cast<TKXQRCode &>(E).SetCode(T); }},
};

class ParagraphDialog : public ::testing::Test {
protected:
    ParagraphDialog()
    {
        zt::RequireWidgetApp();
        lab.NewLabel();
        lab.SetUIServices(&ui);
    }
    ~ParagraphDialog() override
    {
        dialog.reset();
        lab.SetUIServices(nullptr);
    }
    // A new element of the case's kind holding Text, as a loaded label would.
    TKXElement *Holding(const TKindCase &C, const QString &Text)
    {
        dialog.reset();
        lab.SetUnReIni(0);
        TKXElement *e = C.Make(lab);
        C.SetText(*e, Text);
        lab.SetUnReIni(1);
        lab.ClearUndoRedo();
        lab.SetModified(false);
        return e;
    }
    void Open(TKXElement &E)
    {
        dialog.reset();
        dialog = std::make_unique<TPropPara>();
        ASSERT_TRUE(dialog->Ini(lab, E));
        dialog->show();
        dialog->MemText->setFocus();
    }
    void TypeAtEnd(const QString &Keys)
    {
        dialog->MemText->moveCursor(QTextCursor::End);
        Type(Keys);
    }
    // Key presses carrying each character's text, as a keyboard layout sends them.
    void Type(const QString &Keys)
    {
        for (qsizetype i = 0; i < Keys.size(); ++i) {
            const qsizetype n = Keys.at(i).isHighSurrogate() ? 2 : 1;
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, Keys.mid(i, n));
            QApplication::sendEvent(dialog->MemText, &press);
            i += n - 1;
        }
    }

    zt::FakeUIServices ui;
    TKXLab lab;
    std::unique_ptr<TPropPara> dialog;
};

TEST_F(ParagraphDialog, TypingChangesEachKindAtOnceAndOKIsOneUndoStep)
{
    for (const TKindCase &c : Kinds) {
        SCOPED_TRACE(c.Name);
        TKXElement *e = Holding(c, QStringLiteral("AB12\r\ncd"));
        const TBytesArray before = Record(*e);
        Open(*e);
        EXPECT_EQ(dialog->Kind(), c.Kind);
        EXPECT_EQ(dialog->windowTitle(), c.Title);
        EXPECT_EQ(dialog->MemText->toPlainText(), "AB12\ncd");
        EXPECT_EQ(Record(*e), before); // filling the box changes nothing
        EXPECT_FALSE(lab.Modified());

        TypeAtEnd(QStringLiteral("x"));
        EXPECT_EQ(c.Text(*e), "AB12\r\ncdx");
        QTest::keyClick(dialog->MemText, Qt::Key_Return);
        QTest::keyClick(dialog->MemText, Qt::Key_Return);
        TypeAtEnd(QStringLiteral("9"));
        EXPECT_EQ(c.Text(*e), "AB12\r\ncdx\r\n\r\n9"); // a typed blank line survives as CR LF
        EXPECT_EQ(dialog->ResultText(), "AB12\r\ncdx\r\n\r\n9");
        EXPECT_EQ(lab.UndoCount(), 0); // nothing recorded while the dialog runs

        dialog->ButOK->click();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(lab.UndoCount(), 1);
        EXPECT_TRUE(lab.Modified());
        lab.UndoRedo(TKXURAction::urUndo);
        EXPECT_EQ(Record(*lab.ElementBySerial(e->Serial())), before);
        EXPECT_TRUE(ui.Messages.empty());
    }
}

TEST_F(ParagraphDialog, CancelEscapeAndTheCloseBoxLeaveTheElementByteForByte)
{
    const struct {
        const char *Name;
        std::function<void(TPropPara &)> Close;
    } ends[] = {
        {"Cancel", [](TPropPara &d) { d.ButCancel->click(); }},
        {"Escape", [](TPropPara &d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"the close box", [](TPropPara &d) { d.close(); }},
        {"no end at all", [](TPropPara &) {}},
    };
    // Line breaks of every sort: CR LF, a lone CR and a lone LF must all come back as they were.
    const QString text = QStringLiteral("one\r\ntwo\rthree\nfour\r\n");
    for (const TKindCase &c : Kinds) {
        for (const auto &end : ends) {
            SCOPED_TRACE(std::string(c.Name) + ", " + end.Name);
            TKXElement *e = Holding(c, text);
            const TBytesArray before = Record(*e);
            Open(*e);
            TypeAtEnd(QStringLiteral("zz"));
            EXPECT_NE(Record(*e), before);
            end.Close(*dialog);
            dialog.reset();
            EXPECT_EQ(Record(*e), before);
            EXPECT_EQ(c.Text(*e), text);
            EXPECT_EQ(lab.UndoCount(), 0);
            EXPECT_FALSE(lab.Modified());
        }
        // Opened and kept without a keystroke: nothing changes, nothing is recorded.
        TKXElement *e = Holding(c, text);
        const TBytesArray before = Record(*e);
        Open(*e);
        dialog->ButOK->click();
        EXPECT_EQ(Record(*e), before);
        EXPECT_EQ(lab.UndoCount(), 0);
        EXPECT_FALSE(lab.Modified());
    }
}

TEST_F(ParagraphDialog, WindowsCodesRefuseCharactersTheCodePageLacksWithAMessage)
{
    const QString astral = QString::fromUcs4(U"\U0001F600");
    const QString omega = QString::fromUtf8("\xCE\xA9");
    for (const TKindCase &c : Kinds) {
        SCOPED_TRACE(c.Name);
        const bool ansi = c.Kind == TPropPara::kPdf417 || c.Kind == TPropPara::kDataMatrix;
        TKXElement *e = Holding(c, QStringLiteral("AB"));
        Open(*e);
        zt::TKXScriptedPrompts prompts;
        TypeAtEnd(QString::fromUtf8("\xE2\x82\xAC\xC3\xA9")); // euro sign and e acute are Windows-1252
        EXPECT_EQ(c.Text(*e), QString::fromUtf8("AB\xE2\x82\xAC\xC3\xA9"));
        dialog->MemText->moveCursor(QTextCursor::Start);
        Type(omega);
        // An input method's commit, as non-Latin and astral text arrives.
        QInputMethodEvent commit;
        commit.setCommitString(astral);
        QApplication::sendEvent(dialog->MemText, &commit);
        if (ansi) {
            EXPECT_EQ(prompts.Count(zt::TPromptKind::ShowError), 2);
            EXPECT_TRUE(prompts.Errors().value(0).contains(omega));
            EXPECT_EQ(c.Text(*e), QString::fromUtf8("AB\xE2\x82\xAC\xC3\xA9"));
            EXPECT_EQ(dialog->MemText->toPlainText(), QString::fromUtf8("AB\xE2\x82\xAC\xC3\xA9"));
            EXPECT_EQ(dialog->MemText->textCursor().position(), 0); // where the refused input began
        } else {
            EXPECT_EQ(prompts.Count(zt::TPromptKind::ShowError), 0);
            EXPECT_EQ(c.Text(*e), omega + astral + QString::fromUtf8("AB\xE2\x82\xAC\xC3\xA9"));
        }
        dialog->ButCancel->click();
    }
}

TEST_F(ParagraphDialog, ACodeTooLongForAnySymbolShowsThePlaceholderWithoutAMessagePerKeystroke)
{
    // 4,000 small letters fit no PDF417 (at most 928 codewords), Data Matrix (1,556 bytes) or
    // QR Code (2,953 bytes; capitals would take the denser alphanumeric mode).
    const QString tooLong(4000, QLatin1Char('a'));
    for (const TKindCase &c : Kinds) {
        if (c.Kind == TPropPara::kParagraph)
            continue;
        SCOPED_TRACE(c.Name);
        const auto showsSymbol = [&c](const TKXElement &E) {
            return c.Kind == TPropPara::kPdf417 ? static_cast<const TKXPdf417 &>(E).HasSymbol()
                                                : static_cast<const TKXMatrixCode &>(E).Encoded();
        };
        ui.Messages.clear();
        TKXElement *e = Holding(c, QStringLiteral("fits"));
        const TBytesArray before = Record(*e);
        Open(*e);
        dialog->MemText->setPlainText(tooLong);
        TypeAtEnd(QStringLiteral("bcd"));
        EXPECT_EQ(c.Text(*e), tooLong + "bcd");
        EXPECT_FALSE(showsSymbol(*e));
        EXPECT_TRUE(ui.Messages.empty());
        // Back to a text that fits: the symbol returns.
        dialog->MemText->setPlainText(QStringLiteral("short again"));
        EXPECT_TRUE(showsSymbol(*e));
        EXPECT_EQ(c.Text(*e), "short again");
        dialog->MemText->setPlainText(tooLong);
        dialog->ButCancel->click();
        EXPECT_EQ(Record(*e), before);
        EXPECT_TRUE(showsSymbol(*e));
        EXPECT_TRUE(ui.Messages.empty());
    }
}

TEST_F(ParagraphDialog, TextsComeFromTheTranslationFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("es.ini");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[dialogs]\nKxQRPro=Propiedades QR\nKxCancel=Cancelar\n");
    f.close();
    lab.SetIniTranslate(file);
    Open(*Holding(Kinds[3], "x"));
    EXPECT_EQ(dialog->windowTitle(), "Propiedades QR");
    EXPECT_EQ(dialog->ButCancel->text(), "Cancelar");
    EXPECT_EQ(dialog->ButOK->text(), "OK");
    Open(*Holding(Kinds[0], "x"));
    EXPECT_EQ(dialog->windowTitle(), "Paragraph Properties"); // a missing key is English
}

TEST_F(ParagraphDialog, OpensForItsFourKindsOnly)
{
    TKXElement *other = lab.NewElement<TKXRect>();
    TPropPara d;
    EXPECT_FALSE(d.Ini(lab, *other));
    EXPECT_EQ(d.Kind(), TPropPara::kNone);
}

// The label component opens the dialog for a selected paragraph or code.
TEST_F(ParagraphDialog, FromTheLabelComponentKeptOrCancelled)
{
    RegisterParagraphDialog();
    for (const TKindCase &c : Kinds) {
        SCOPED_TRACE(c.Name);
        TKXElement *e = Holding(c, QStringLiteral("12"));
        lab.SetSelected(e);
        const TBytesArray before = Record(*e);
        for (const bool keep : {false, true}) {
            int shown = 0;
            TPropPara::OnShowModal = [&](TPropPara &D) {
                ++shown;
                D.show();
                D.MemText->moveCursor(QTextCursor::End);
                QTest::keyClicks(D.MemText, QStringLiteral("34"));
                (keep ? D.ButOK : D.ButCancel)->click();
                return D.result();
            };
            lab.ShowElementProp();
            EXPECT_EQ(shown, 1);
            EXPECT_EQ(c.Text(*e), keep ? "1234" : "12");
            EXPECT_EQ(lab.UndoCount(), keep ? 1 : 0);
            EXPECT_EQ(lab.Modified(), keep);
        }
        lab.UndoRedo(TKXURAction::urUndo);
        EXPECT_EQ(Record(*lab.ElementBySerial(e->Serial())), before);
    }
    for (const TKXEle kind : {TKXEle::deParagraph, TKXEle::dePdf417, TKXEle::deDataMatrix, TKXEle::deQRCode})
        TKXLab::SetElementDialog(kind, nullptr);
    TPropPara::OnShowModal = [](TPropPara &D) { return D.exec(); };
}

} // namespace
