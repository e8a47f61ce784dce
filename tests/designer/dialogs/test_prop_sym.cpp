// The symbol properties dialog on its real widgets: the pictogram grid drawn by the symbol's
// own routine, the screen and page a symbol opens on, clicks that change the symbol at once,
// empty cells and the strip below the grids, one undo step when kept and the symbol exactly
// as it was after Cancel, Escape or the close box.
#include "EditorFixture.h"

#include "component/KXLab.h"
#include "dialogs/KXPropSym.h"
#include "document/KXUndo.h"
#include "elements/KXSymbol.h"
#include "platform/KXQtCanvas.h"
#include "stream/KXStream.h"

#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace kx;
using namespace kx::designer;

namespace {

const QColor Mark(0x33, 0x8E, 0xFF); // the editor's default mark colour, $FF8E33
const QColor Silver(0xC0, 0xC0, 0xC0);

// Pixels where two images of one size differ.
int DifferentPixels(const QImage &A, const QImage &B)
{
    int n = 0;
    for (int y = 0; y < A.height(); ++y)
        for (int x = 0; x < A.width(); ++x)
            n += A.pixel(x, y) != B.pixel(x, y);
    return n;
}

TBytesArray Record(const TKXElement &E)
{
    TKXStreamWriter w;
    E.SaveToStream(w);
    return w.TakeBytes();
}

class SymbolDialog : public ::testing::Test {
protected:
    SymbolDialog()
    {
        zt::RequireWidgetApp();
        lab.NewLabel();
        lab.SetUnReIni(0);
        sym = lab.NewElement<TKXSymbol>();
        sym->SetP1(500, 500);
        sym->SetCharacter(u'A');
        lab.SetUnReIni(1);
        lab.ClearUndoRedo();
        lab.SetModified(false);
    }
    // Sets the symbol without recording, as a loaded label would hold it.
    void Shows(int32_t Number, char16_t Character = u'A')
    {
        dialog.reset(); // an unsettled dialog puts its symbol back as it goes
        lab.SetUnReIni(0);
        sym->SetCharacter(Character);
        if (Number != 0)
            sym->SetNumber(Number);
        lab.SetUnReIni(1);
        lab.ClearUndoRedo();
        lab.SetModified(false);
    }
    void Open()
    {
        dialog.reset();
        dialog = std::make_unique<TPropSym>();
        dialog->Ini(lab, *sym);
        dialog->show();
    }
    void ClickPictogram(int Row, int Column)
    {
        QTest::mouseClick(dialog->PaintBoxNum, Qt::LeftButton, {}, TPropSym::PictogramCell(Row, Column).center());
    }
    void ClickChar(int Row, int Column)
    {
        const QPoint p(Column * dialog->CharWidth() + dialog->CharWidth() / 2,
                       Row * dialog->CharHeight() + dialog->CharHeight() / 2);
        QTest::mouseClick(dialog->PaintBoxSym, Qt::LeftButton, {}, p);
    }

    TKXLab lab;
    TKXSymbol *sym = nullptr;
    std::unique_ptr<TPropSym> dialog;
};

TEST_F(SymbolDialog, PictogramCellsAreTheSymbolsOwnDrawingAndTheSymbolsOneIsMarked)
{
    Shows(18);
    Open();
    ASSERT_EQ(dialog->TabPagesSym->currentIndex(), 1);
    ASSERT_EQ(dialog->SymPage(), 16);
    ASSERT_EQ(dialog->SBar->value(), 1); // pictograms 17 to 32
    const QImage &shown = dialog->BackBuffer();
    ASSERT_EQ(shown.size(), dialog->PaintBoxNum->size());

    // The same pictograms drawn by the element's routine on a white image of their own.
    QImage reference(shown.size(), QImage::Format_RGB32);
    reference.fill(Qt::white);
    {
        QPainter p(&reference);
        TKXQtCanvas canvas(p, TKXMapping{});
        for (int n = 17; n <= 32; ++n) {
            const QRect cell = TPropSym::PictogramCell((n - 17) / 4, (n - 17) % 4);
            sym->DrawSymbolNumber(canvas, cell.x(), cell.y(), 80, n, clBlack, clWhite, 0x3A3A3A, false, false);
        }
    }
    for (int n = 17; n <= 32; ++n) {
        SCOPED_TRACE(n);
        const QRect cell = TPropSym::PictogramCell((n - 17) / 4, (n - 17) % 4);
        const QImage want = reference.copy(cell), got = shown.copy(cell);
        EXPECT_EQ(DifferentPixels(got, want), 0);
        // Every pictogram draws something.
        bool inked = false;
        for (int y = 0; y < want.height() && !inked; ++y)
            for (int x = 0; x < want.width() && !inked; ++x)
                inked = want.pixelColor(x, y) != QColor(Qt::white);
        EXPECT_TRUE(inked);
        // The frame two pixels out: the symbol's pictogram in the mark colour.
        EXPECT_EQ(shown.pixelColor(cell.left() - 2, cell.center().y()), n == 18 ? Mark : Silver);
    }
    // Neighbouring pictograms differ.
    EXPECT_GT(DifferentPixels(shown.copy(TPropSym::PictogramCell(0, 0)), shown.copy(TPropSym::PictogramCell(0, 1))), 0);
}

TEST_F(SymbolDialog, APictogramOpensOnTheScreenThatHoldsIt)
{
    const struct {
        int32_t Number, Screen;
    } cases[] = {{1, 0}, {16, 0}, {17, 1}, {32, 1}, {33, 2}, {64, 3}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Number);
        Shows(c.Number);
        Open();
        EXPECT_EQ(dialog->SBar->value(), c.Screen);
        EXPECT_FALSE(dialog->SEPage->isVisible());
        EXPECT_FALSE(dialog->LabPage->isVisible());
    }
    // Four screens, and nothing past the last one.
    EXPECT_EQ(dialog->SBar->minimum(), 0);
    EXPECT_EQ(dialog->SBar->maximum(), 3);
    dialog->SBar->setValue(4);
    EXPECT_EQ(dialog->SBar->value(), 3);
}

TEST_F(SymbolDialog, ClicksChangeTheSymbolAtOnceAndTheLastClickDecidesItsKind)
{
    Open();
    EXPECT_EQ(dialog->TabPagesSym->currentIndex(), 0);
    EXPECT_EQ(dialog->SEPage->value(), 0);
    EXPECT_EQ(dialog->LabPage->text(), "[0-240]   PAGE: ");
    // 'A' (65) lies in row 4, column 1: its cell is filled with the mark colour.
    EXPECT_EQ(dialog->BackBuffer().pixelColor(dialog->CharWidth() + 2, 4 * dialog->CharHeight() + 2), Mark);
    EXPECT_EQ(dialog->BackBuffer().pixelColor(2 * dialog->CharWidth() + 2, 4 * dialog->CharHeight() + 2),
              QColor(Qt::white));

    ClickChar(3, 0); // '0'
    EXPECT_EQ(sym->Character(), u'0');
    EXPECT_EQ(sym->Number(), 0);

    // Switching to the pictograms alone changes nothing.
    dialog->TabPagesSym->setCurrentIndex(1);
    EXPECT_EQ(sym->Number(), 0);
    EXPECT_EQ(sym->Character(), u'0');
    ClickPictogram(1, 2);
    EXPECT_EQ(sym->Number(), 7);
    dialog->SBar->setValue(3);
    ClickPictogram(3, 3);
    EXPECT_EQ(sym->Number(), 64);
    // The gap before a cell belongs to it; the strip below the last row is no cell.
    QTest::mouseClick(dialog->PaintBoxNum, Qt::LeftButton, {}, QPoint(92, 5));
    EXPECT_EQ(sym->Number(), 50);
    QTest::mouseClick(dialog->PaintBoxNum, Qt::LeftButton, {}, QPoint(50, 363));
    EXPECT_EQ(sym->Number(), 50);

    // Back to the characters, another page: the character and its page.
    dialog->TabPagesSym->setCurrentIndex(0);
    EXPECT_EQ(sym->Number(), 50);
    dialog->SEPage->setValue(1);
    EXPECT_EQ(dialog->LabPage->text(), "[240-480]   PAGE: ");
    ClickChar(0, 2);
    EXPECT_EQ(sym->Character(), char16_t(242));
    EXPECT_EQ(sym->Number(), 0);
    EXPECT_EQ(sym->StartChar(), 1u);
    QTest::mouseClick(dialog->PaintBoxSym, Qt::LeftButton, {}, QPoint(30, 15 * dialog->CharHeight() + 2));
    EXPECT_EQ(sym->Character(), char16_t(242));
    // Nothing of this was recorded yet.
    EXPECT_EQ(lab.UndoCount(), 0);
}

TEST_F(SymbolDialog, CodesStopAt65535AndSurrogateCellsAreEmpty)
{
    const struct {
        int32_t Page, Row, Column, Code;
    } cases[] = {
        {0, 0, 0, 0},          {1, 14, 15, 479},     {273, 0, 15, 0xFFFF}, {273, 1, 0, -1},
        {274, 0, 0, -1},       {230, 6, 0, -1},      {230, 5, 15, 0xD7FF}, {238, 14, 0, 0xE000},
        {0, 15, 0, -1},        {0, 0, 16, -1},       {-1, 0, 0, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Page * 1000 + c.Row * 20 + c.Column);
        EXPECT_EQ(TPropSym::CellCode(c.Page, c.Row, c.Column), c.Code);
    }

    Open();
    EXPECT_EQ(dialog->SEPage->maximum(), 273);
    dialog->SEPage->setValue(273);
    EXPECT_EQ(dialog->LabPage->text(), "[65520-65760]   PAGE: ");
    ClickChar(0, 15);
    EXPECT_EQ(sym->Character(), char16_t(0xFFFF));
    EXPECT_EQ(sym->StartChar(), 273u);
    ClickChar(1, 0); // past 65535
    EXPECT_EQ(sym->Character(), char16_t(0xFFFF));
    dialog->SEPage->setValue(230);
    ClickChar(6, 3); // a surrogate code unit
    EXPECT_EQ(sym->Character(), char16_t(0xFFFF));
    ClickChar(5, 15);
    EXPECT_EQ(sym->Character(), char16_t(0xD7FF));
}

TEST_F(SymbolDialog, AStoredPageOutOfRangeOpensOnTheLastPage)
{
    sym->SetStartChar(5000);
    Open();
    EXPECT_EQ(dialog->SEPage->value(), 273);
    EXPECT_EQ(dialog->LabPage->text(), "[65520-65760]   PAGE: ");
}

TEST_F(SymbolDialog, OkKeepsTheClicksAsOneUndoStep)
{
    const TBytesArray before = Record(*sym);
    Open();
    ClickChar(3, 1);
    dialog->TabPagesSym->setCurrentIndex(1);
    ClickPictogram(0, 3);
    ClickPictogram(2, 0);
    dialog->ButOK->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(sym->Number(), 9);
    ASSERT_EQ(lab.UndoCount(), 1);
    EXPECT_TRUE(lab.Modified());
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(Record(*sym), before);
}

TEST_F(SymbolDialog, CancelEscapeAndTheCloseBoxPutTheSymbolBackExactly)
{
    Shows(5);
    const TBytesArray before = Record(*sym);
    const struct {
        const char *Name;
        std::function<void(TPropSym &)> Close;
    } cases[] = {
        {"Cancel", [](TPropSym &d) { d.ButCancel->click(); }},
        {"Escape", [](TPropSym &d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"the close box", [](TPropSym &d) { d.close(); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        Open();
        ClickPictogram(3, 1);
        EXPECT_EQ(sym->Number(), 14);
        dialog->TabPagesSym->setCurrentIndex(0);
        dialog->SEPage->setValue(2);
        ClickChar(2, 2);
        EXPECT_EQ(sym->Number(), 0);
        c.Close(*dialog);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(Record(*sym), before);
        EXPECT_EQ(sym->Number(), 5);
        EXPECT_EQ(lab.UndoCount(), 0);
        EXPECT_FALSE(lab.Modified());
    }
    // A dialog that goes without being closed keeps nothing either.
    Open();
    ClickPictogram(0, 0);
    EXPECT_EQ(sym->Number(), 1);
    dialog.reset();
    EXPECT_EQ(Record(*sym), before);
    EXPECT_EQ(lab.UndoCount(), 0);
    EXPECT_FALSE(lab.Modified());
}

TEST_F(SymbolDialog, HoverMarksTheCellUnderTheMouseOnly)
{
    Open();
    const QImage clean = dialog->BackBuffer();
    // A magnifier of three cells by three in red, moved inside the box at the corner.
    QTest::mouseMove(dialog->PaintBoxSym, QPoint(5, 5));
    const QImage magnified = dialog->BackBuffer();
    std::vector<int> red;
    for (int x = 0; x < magnified.width(); ++x)
        if (magnified.pixelColor(x, 30) == QColor(Qt::red))
            red.push_back(x);
    ASSERT_GE(red.size(), 2u);
    EXPECT_LE(red.front(), 2);
    EXPECT_GE(red.back(), 3 * dialog->CharWidth() - 1);
    EXPECT_LE(red.back(), 3 * dialog->CharWidth() + 2);
    for (int x = 3 * dialog->CharWidth() + 3; x < magnified.width(); ++x)
        ASSERT_EQ(magnified.pixelColor(x, 30), clean.pixelColor(x, 30)) << x;
    // Leaving the cell for another takes the first magnifier away.
    QTest::mouseMove(dialog->PaintBoxSym, QPoint(10 * dialog->CharWidth() + 3, 8 * dialog->CharHeight() + 3));
    EXPECT_EQ(dialog->BackBuffer().pixelColor(red.front(), 30), clean.pixelColor(red.front(), 30));
    EXPECT_EQ(sym->Character(), u'A'); // hovering chooses nothing

    dialog->TabPagesSym->setCurrentIndex(1);
    const QImage grid = dialog->BackBuffer();
    const QRect cell = TPropSym::PictogramCell(1, 1);
    QTest::mouseMove(dialog->PaintBoxNum, cell.center());
    EXPECT_EQ(dialog->BackBuffer().pixelColor(cell.left() - 2, cell.center().y()), QColor(Qt::red));
    EXPECT_EQ(DifferentPixels(dialog->BackBuffer().copy(cell), grid.copy(cell)), 0);
    EXPECT_EQ(dialog->BackBuffer().pixelColor(TPropSym::PictogramCell(0, 0).left() - 2, 40), Silver);
    EXPECT_EQ(sym->Number(), 0);
}

TEST_F(SymbolDialog, AGridTooSmallForOnePictogramShowsNoScreens)
{
    Shows(20);
    dialog = std::make_unique<TPropSym>();
    dialog->PaintBoxNum->setFixedSize(60, 60);
    dialog->LayoutNumbers();
    EXPECT_EQ(dialog->SymPage(), 0);
    dialog->Ini(lab, *sym); // no screen to divide by
    dialog->show();
    EXPECT_FALSE(dialog->SBar->isVisible());
    QTest::mouseClick(dialog->PaintBoxNum, Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(sym->Number(), 20);
}

TEST_F(SymbolDialog, TextsComeFromTheTranslationFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("fr.ini");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[dialogs]\nKxSymbolPro=Propri\xC3\xA9t\xC3\xA9s du symbole\nKxCarac=Caract\xC3\xA8re\nKxCancel=Annuler\n");
    f.close();
    lab.SetIniTranslate(file);
    Open();
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Propriétés du symbole"));
    EXPECT_EQ(dialog->TabPagesSym->tabText(0), QString::fromUtf8("Caractère"));
    EXPECT_EQ(dialog->TabPagesSym->tabText(1), "Predefined");
    EXPECT_EQ(dialog->ButCancel->text(), "Annuler");
    EXPECT_EQ(dialog->ButOK->text(), "OK");
}

// The label component opens the dialog for a selected symbol.
class SymbolDialogOpened : public SymbolDialog {
protected:
    SymbolDialogOpened()
    {
        RegisterSymbolDialog();
        lab.SetSelected(sym);
    }
    ~SymbolDialogOpened() override
    {
        TKXLab::SetElementDialog(TKXEle::deSymbol, nullptr);
        TPropSym::OnShowModal = [](TPropSym &D) { return D.exec(); };
    }
};

TEST_F(SymbolDialogOpened, FromTheLabelComponentKeptOrCancelled)
{
    ASSERT_TRUE(TKXLab::HasElementDialog(TKXEle::deSymbol));
    const TBytesArray before = Record(*sym);
    for (const bool keep : {false, true}) {
        SCOPED_TRACE(keep);
        int shown = 0;
        TPropSym::OnShowModal = [&](TPropSym &D) {
            ++shown;
            D.show();
            D.TabPagesSym->setCurrentIndex(1);
            QTest::mouseClick(D.PaintBoxNum, Qt::LeftButton, {}, TPropSym::PictogramCell(0, 1).center());
            (keep ? D.ButOK : D.ButCancel)->click();
            return D.result();
        };
        lab.ShowElementProp();
        EXPECT_EQ(shown, 1);
        EXPECT_EQ(sym->Number(), keep ? 2 : 0);
        EXPECT_EQ(lab.UndoCount(), keep ? 1 : 0);
        EXPECT_EQ(lab.Modified(), keep);
        if (!keep) {
            EXPECT_EQ(Record(*sym), before);
        }
    }
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(Record(*sym), before);
    EXPECT_EQ(lab.UndoCount(), 0);
}

} // namespace
