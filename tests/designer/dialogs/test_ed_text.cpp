// The text edit dialog on its real widgets: the character map's pages, empty cells for
// control characters and characters the font lacks, clicks at the caret, the hover preview,
// editor mode that touches nothing, and inspector mode that writes every change at once and
// keeps it as one undo step or puts each element's own text back.
#include "DialogEnds.h"
#include "EditorFixture.h"
#include "FakeDesignerServices.h"

#include "component/KXLab.h"
#include "controls/KXWideEdit.h"
#include "dialogs/KXEdText.h"
#include "document/KXUndo.h"
#include "elements/KXText.h"
#include "inspector/KXInspectorComponent.h"

#include <QFile>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace kx;
using namespace kx::designer;

namespace {

// Codes of the map: Armenian capital ayb (1329, page 11, row 6, column 1) is in DejaVu Sans
// and not in Liberation Sans.
constexpr int32_t Ayb = 0x531;

bool CellBlank(const QImage &Map, const TKxEdText &D, int Row, int Column)
{
    // Inside the cell, away from its grid lines.
    for (int y = Row * D.CharHeight() + 2; y < (Row + 1) * D.CharHeight() - 1; ++y)
        for (int x = Column * D.CharWidth() + 2; x < (Column + 1) * D.CharWidth() - 1; ++x)
            if ((Map.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                return false;
    return true;
}

QPoint CellCentre(const TKxEdText &D, int Row, int Column)
{
    return {Column * D.CharWidth() + D.CharWidth() / 2, Row * D.CharHeight() + D.CharHeight() / 2};
}

class TextDialog : public ::testing::Test {
protected:
    TextDialog()
    {
        lab.NewLabel();
        lab.SetUnReIni(0);
        a = lab.NewElement<TKXText>();
        a->SetText(QStringLiteral("alpha"));
        a->SetFontName(QStringLiteral("DejaVu Sans"));
        b = lab.NewElement<TKXText>();
        b->SetText(QString::fromUtf8("βeta"));
        lab.SetUnReIni(1);
        lab.ClearUndoRedo();
        lab.SetModified(false);
        ed = std::make_unique<zt::FakeDesignerServices>(lab);
        insp.LinkEditor(ed.get());
    }
    ~TextDialog() override { dialog.reset(); }

    void OpenEditor(const QString &Text, const QString &Font)
    {
        dialog = std::make_unique<TKxEdText>();
        dialog->IniEditor(Text, Font, &lab);
        dialog->show();
    }
    void OpenInspector()
    {
        ed->ClearSelection();
        ed->AddToSelection(a);
        ed->AddToSelection(b);
        dialog = std::make_unique<TKxEdText>();
        dialog->IniInspector(QStringLiteral("Text"), insp);
        dialog->show();
    }
    void ClickCell(int Page, int Row, int Column)
    {
        dialog->SBar->setValue(Page);
        QTest::mouseClick(dialog->PaintBoxSym, Qt::LeftButton, {}, CellCentre(*dialog, Row, Column));
    }

    bool App = (zt::RequireWidgetApp(), true); // before any widget
    TKXLab lab;
    TKXText *a = nullptr;
    TKXText *b = nullptr;
    std::unique_ptr<zt::FakeDesignerServices> ed;
    TKXInspector insp;
    std::unique_ptr<TKxEdText> dialog;
};

TEST_F(TextDialog, PagesHold112ConsecutiveCodesAndControlCellsAreEmpty)
{
    OpenEditor(QString(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(dialog->SBar->minimum(), 0);
    EXPECT_EQ(dialog->SBar->maximum(), 16);
    EXPECT_EQ(dialog->CharWidth(), 25);
    EXPECT_EQ(dialog->CharHeight(), 25);
    const struct {
        int Page, Row, Column, Code;
    } cases[] = {
        {0, 0, 0, -1},   {0, 1, 15, -1},    {0, 2, 0, 32},   {0, 4, 1, 65},    {1, 0, 0, 112},
        {1, 0, 14, 126}, {1, 0, 15, -1},    {1, 2, 15, -1},  {1, 3, 0, 160},   {11, 6, 1, Ayb},
        {16, 0, 0, 1792}, {16, 6, 15, 1903}, {17, 0, 0, -1},  {2, -1, 0, -1},   {2, 0, 16, -1},
        {2, 7, 0, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.Page << " " << c.Row << " " << c.Column);
        EXPECT_EQ(TKxEdText::CellCode(c.Page, c.Row, c.Column), c.Code);
    }
    // 127 to 159 are control characters: page 1 rows 1 and 2 (128..159) hold nothing.
    for (int r = 1; r <= 2; ++r)
        for (int c = 0; c < 16; ++c)
            EXPECT_EQ(TKxEdText::CellCode(1, r, c), -1);
    // Drawn: page 0 shows 'A' and nothing in the control rows; clicks on them are inert.
    EXPECT_TRUE(CellBlank(dialog->BackBuffer(), *dialog, 0, 5));
    EXPECT_TRUE(CellBlank(dialog->BackBuffer(), *dialog, 1, 9));
    EXPECT_FALSE(CellBlank(dialog->BackBuffer(), *dialog, 4, 1));
    ClickCell(0, 0, 9);  // tab
    ClickCell(0, 0, 10); // line feed
    ClickCell(1, 0, 15); // 127
    ClickCell(1, 1, 0);  // 128
    EXPECT_EQ(dialog->ResultText(), QString());
    // Each page draws its own codes: page 16 differs from page 15.
    dialog->SBar->setValue(15);
    const QImage p15 = dialog->BackBuffer();
    dialog->SBar->setValue(16);
    EXPECT_NE(p15, dialog->BackBuffer());
}

TEST_F(TextDialog, CharactersTheFontLacksAreEmptyInertCells)
{
    OpenEditor(QString(), QStringLiteral("DejaVu Sans"));
    dialog->SBar->setValue(11);
    EXPECT_EQ(dialog->ShownCode(11, 6, 1), Ayb);
    EXPECT_FALSE(CellBlank(dialog->BackBuffer(), *dialog, 6, 1));
    ClickCell(11, 6, 1);
    EXPECT_EQ(dialog->ResultText(), QString(QChar(char16_t(Ayb))));

    OpenEditor(QString(), QStringLiteral("Liberation Sans"));
    dialog->SBar->setValue(11);
    EXPECT_EQ(dialog->ShownCode(11, 6, 1), -1);
    EXPECT_TRUE(CellBlank(dialog->BackBuffer(), *dialog, 6, 1));
    ClickCell(11, 6, 1);
    EXPECT_EQ(dialog->ResultText(), QString());
    // Latin letters are in both.
    EXPECT_EQ(dialog->ShownCode(0, 4, 1), 65);
}

TEST_F(TextDialog, AClickInsertsAtTheCaretInFrontOfTheSelectionWhichStays)
{
    OpenEditor(QStringLiteral("abcdef"), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(dialog->EdText->cursorPosition(), 6); // caret at the end
    ClickCell(0, 4, 1);                              // 'A'
    EXPECT_EQ(dialog->ResultText(), "abcdefA");
    dialog->EdText->setCursorPosition(2);
    ClickCell(0, 4, 2); // 'B'
    EXPECT_EQ(dialog->ResultText(), "abBcdefA");
    EXPECT_EQ(dialog->EdText->cursorPosition(), 3);
    dialog->EdText->setSelection(4, 2); // "de"
    ClickCell(0, 5, 10);                // 'Z'
    EXPECT_EQ(dialog->ResultText(), "abBcZdefA");
    EXPECT_EQ(dialog->EdText->cursorPosition(), 5);
    // Right of and below the map: no cell.
    QTest::mouseClick(dialog->PaintBoxSym, Qt::LeftButton, {}, QPoint(16 * 25 - 1, 7 * 25 + 2));
    EXPECT_EQ(dialog->ResultText(), "abBcZdefA");
}

TEST_F(TextDialog, EditorModeChangesNothingOutsideTheDialog)
{
    OpenEditor(a->Text(), a->FontName());
    EXPECT_EQ(dialog->Kind(), 1);
    ClickCell(0, 4, 1);
    QTest::keyClicks(dialog->EdText, "xy");
    EXPECT_EQ(dialog->ResultText(), "alphaAxy");
    for (const zt::DialogEnd end : {zt::DialogEnd::OkButton, zt::DialogEnd::CancelButton}) {
        EXPECT_EQ(zt::EndDialog(*dialog, end), end == zt::DialogEnd::OkButton ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(a->Text(), "alpha");
        EXPECT_EQ(lab.UndoCount(), 0);
        EXPECT_FALSE(lab.Modified());
    }
    EXPECT_EQ(dialog->ResultText(), "alphaAxy");
}

TEST_F(TextDialog, HoverShowsTheCellInThePreviewAndAMoveWithinACellRedrawsNothing)
{
    OpenEditor(QString(), QStringLiteral("DejaVu Sans"));
    const QImage before = dialog->BackBuffSym();
    QTest::mouseMove(dialog->PaintBoxSym, CellCentre(*dialog, 4, 1));
    EXPECT_EQ(dialog->PreviewCode(), 65);
    EXPECT_EQ(dialog->PreviewDrawings(), 1);
    const QImage letterA = dialog->BackBuffSym();
    EXPECT_NE(letterA, before);
    EXPECT_EQ(zt::Rgb(letterA, 22, 3), 0xC0DCC0u); // the preview's fill
    QTest::mouseMove(dialog->PaintBoxSym, CellCentre(*dialog, 4, 1) + QPoint(3, 4));
    EXPECT_EQ(dialog->PreviewDrawings(), 1);
    QTest::mouseMove(dialog->PaintBoxSym, CellCentre(*dialog, 4, 2));
    EXPECT_EQ(dialog->PreviewCode(), 66);
    EXPECT_EQ(dialog->PreviewDrawings(), 2);
    EXPECT_NE(dialog->BackBuffSym(), letterA);
    // An empty cell shows the empty box.
    QTest::mouseMove(dialog->PaintBoxSym, CellCentre(*dialog, 0, 3));
    EXPECT_EQ(dialog->PreviewCode(), -1);
}

TEST_F(TextDialog, InspectorModeWritesEveryChangeAtOnceToEachSelectedElement)
{
    OpenInspector();
    EXPECT_EQ(dialog->Kind(), 2);
    EXPECT_EQ(dialog->ResultText(), "alpha"); // the first selected element's text
    EXPECT_EQ(dialog->EdText->font().family(), "DejaVu Sans");
    EXPECT_EQ(b->Text(), QString::fromUtf8("βeta")); // filling the dialog writes nothing
    insp.Inspect();
    ClickCell(0, 4, 1);
    EXPECT_EQ(a->Text(), "alphaA");
    EXPECT_EQ(b->Text(), "alphaA");
    const int row = insp.FindProp(QStringLiteral("Text"));
    ASSERT_GE(row, 0);
    EXPECT_EQ(insp.Props()[size_t(row)].Valor.toString(), "alphaA"); // the inspector shows it
    // Typed non-Latin and astral characters, by keys and by an input method, arrive intact.
    for (const QString &key : {QString::fromUtf8("Ω"), QString::fromUtf8("ж")})
        QTest::sendKeyEvent(QTest::Click, dialog->EdText, Qt::Key_unknown, key, Qt::NoModifier);
    QInputMethodEvent im;
    im.setCommitString(QString::fromUtf8("\xF0\x9F\x98\x80")); // U+1F600
    QCoreApplication::sendEvent(dialog->EdText, &im);
    const QString typed = QString::fromUtf8("alphaAΩж\xF0\x9F\x98\x80");
    EXPECT_EQ(a->Text(), typed);
    EXPECT_EQ(b->Text(), typed);
}

TEST_F(TextDialog, InspectorModeCancelPutsEachElementsOwnTextBack)
{
    for (const zt::DialogEnd end :
         {zt::DialogEnd::CancelButton, zt::DialogEnd::EscapeKey, zt::DialogEnd::CloseBox}) {
        SCOPED_TRACE(end);
        OpenInspector();
        ClickCell(0, 4, 1);
        QTest::keyClicks(dialog->EdText, "q");
        ASSERT_EQ(b->Text(), "alphaAq");
        EXPECT_EQ(zt::EndDialog(*dialog, end), QDialog::Rejected);
        EXPECT_EQ(a->Text(), "alpha");
        EXPECT_EQ(b->Text(), QString::fromUtf8("βeta"));
        EXPECT_EQ(lab.UndoCount(), 0);
        EXPECT_FALSE(lab.Modified());
    }
    // A dialog that goes without being closed keeps nothing either.
    OpenInspector();
    ClickCell(0, 4, 1);
    dialog.reset();
    EXPECT_EQ(b->Text(), QString::fromUtf8("βeta"));
    EXPECT_EQ(lab.UndoCount(), 0);
}

TEST_F(TextDialog, InspectorModeOkIsOneUndoStep)
{
    OpenInspector();
    ClickCell(0, 4, 1);
    QTest::keyClicks(dialog->EdText, "12");
    EXPECT_EQ(zt::EndDialog(*dialog, zt::DialogEnd::OkButton), QDialog::Accepted);
    EXPECT_EQ(a->Text(), "alphaA12");
    EXPECT_EQ(b->Text(), "alphaA12");
    ASSERT_EQ(lab.UndoCount(), 1);
    EXPECT_TRUE(lab.Modified());
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(a->Text(), "alpha");
    EXPECT_EQ(b->Text(), QString::fromUtf8("βeta"));
}

TEST_F(TextDialog, TextsComeFromTheTranslationFile)
{
    OpenEditor(QString(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(dialog->windowTitle(), "Editing text");
    QTemporaryDir dir;
    const QString file = dir.filePath("fr.ini");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[dialogs]\nKxEdText=Texte \xC3\xA0 \xC3\xA9" "diter\nKxCancel=Annuler\n");
    f.close();
    lab.SetIniTranslate(file);
    OpenEditor(QString(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Texte à éditer"));
    EXPECT_EQ(dialog->ButCancel->text(), "Annuler");
    EXPECT_EQ(dialog->ButOK->text(), "OK");
}

// The label component opens the dialog for a selected text element.
class TextDialogOpened : public TextDialog {
protected:
    TextDialogOpened()
    {
        RegisterTextDialog();
        lab.SetSelected(a);
    }
    ~TextDialogOpened() override
    {
        TKXLab::SetElementDialog(TKXEle::deText, nullptr);
        TKxEdText::OnShowModal = [](TKxEdText &D) { return D.exec(); };
    }
};

TEST_F(TextDialogOpened, FromTheLabelComponentKeptOrCancelled)
{
    ASSERT_TRUE(TKXLab::HasElementDialog(TKXEle::deText));
    for (const bool keep : {false, true}) {
        SCOPED_TRACE(keep);
        int shown = 0;
        TKxEdText::OnShowModal = [&](TKxEdText &D) {
            ++shown;
            EXPECT_EQ(D.ResultText(), "alpha");
            QTest::mouseClick(D.PaintBoxSym, Qt::LeftButton, {}, CellCentre(D, 4, 1));
            EXPECT_EQ(a->Text(), "alphaA"); // at once
            return zt::EndDialog(D, keep ? zt::DialogEnd::OkButton : zt::DialogEnd::CancelButton);
        };
        lab.ShowElementProp();
        EXPECT_EQ(shown, 1);
        EXPECT_EQ(a->Text(), keep ? "alphaA" : "alpha");
        EXPECT_EQ(b->Text(), QString::fromUtf8("βeta"));
        EXPECT_EQ(lab.UndoCount(), keep ? 1 : 0);
        EXPECT_EQ(lab.Modified(), keep);
    }
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(a->Text(), "alpha");
    EXPECT_EQ(lab.UndoCount(), 0);
}

} // namespace
