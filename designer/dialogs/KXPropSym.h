// The symbol properties dialog: what a symbol element shows, either one character of its
// font, picked from pages of 240 characters (16 columns by 15 rows), or one of the 64
// built-in pictograms, drawn by the symbol element's own routine.
//
// Every click is applied to the symbol at once. The dialog follows the element dialogs'
// convention: the symbol's record is taken when Ini fills the dialog, OK keeps the change as
// one undo step, Cancel, Escape and the close box put the record back exactly.
//
// Character codes are 16-bit: pages run from 0 to 273, the last page's cells past code
// 65535 are empty, and so are the cells of surrogate code units (D800-DFFF), which are no
// characters on their own; empty cells ignore clicks.
#pragma once

#include "core/KXTypes.h"

#include <QDialog>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QScrollBar;
class QSpinBox;
class QTabWidget;
class QWidget;

namespace kx {
class TKXElement;
class TKXElementEdit;
class TKXSymbol;
} // namespace kx

namespace kx::designer {

class TKXLab;

class TPropSym : public QDialog {
public:
    explicit TPropSym(QWidget *Parent = nullptr);
    ~TPropSym() override;

    // Fills the dialog for Sym, an element of Lab, and takes the symbol's record; the mark
    // colour comes from Lab's editor (the editor's default when it has none).
    void Ini(TKXLab &Lab, TKXSymbol &Sym);

    // The label component's dialog for symbols: creates the dialog, fills it, shows it
    // modally; true when the person keeps the change.
    static bool Execute(TKXLab &Lab, TKXElement &Element);
    // Runs the filled dialog modally and answers its result; tests replace it to drive the
    // dialog without a modal loop.
    static std::function<int(TPropSym &Dialog)> OnShowModal;

    // Character codes: of cell (Row, Column) on Page, or -1 for an empty cell (past 65535 or
    // a surrogate code unit).
    static int32_t CellCode(int32_t Page, int32_t Row, int32_t Column);

    static constexpr int32_t Columns = 16; // character grid
    static constexpr int32_t Rows = 15;
    static constexpr int32_t PageChars = Columns * Rows;
    static constexpr int32_t LastPage = 0xFFFF / PageChars; // 273
    static constexpr int32_t Pictograms = 64;
    static constexpr int32_t CellSide = 80; // pictogram cell, with a gap of 10 before it
    static constexpr int32_t CellPitch = 90;

    // --- The dialog's parts ------------------------------------------------------------------
    QTabWidget *TabPagesSym = nullptr;
    QWidget *PaintBoxSym = nullptr; // the character grid
    QWidget *PaintBoxNum = nullptr; // the pictogram grid
    QScrollBar *SBar = nullptr;     // the pictogram screens
    QPushButton *ButOK = nullptr;
    QPushButton *ButCancel = nullptr;
    QLabel *LabPage = nullptr;
    QSpinBox *SEPage = nullptr;

    // Geometry of the grids.
    int32_t CharWidth() const { return FCharWidth; }
    int32_t CharHeight() const { return FCharHeight; }
    int32_t ColsSym() const { return FColsSym; }
    int32_t RowsSym() const { return FRowsSym; }
    int32_t SymPage() const { return FSymPage; }
    // Where pictogram cell (Row, Column) of a screen lies in PaintBoxNum.
    static QRect PictogramCell(int32_t Row, int32_t Column);
    // Sizes the pictogram grid to PaintBoxNum: cells per screen and the screens of the scroll
    // bar, which is hidden when no cell fits.
    void LayoutNumbers();

    // The image shown by the grid of the current page, hover marks included.
    const QImage &BackBuffer() const { return FBackBuffer; }

private:
    void FillLanguage();
    void ShowPageLabel();
    void DrawChars();
    void DrawNumbers();
    void ShowBuffer();
    void HoverChars(QPoint P);
    void HoverNumbers(QPoint P);
    void ClickChars(QPoint P);
    void ClickNumbers(QPoint P);
    void TabChanged(int Index);
    QColor MarkColor() const;

    TKXLab *FLab = nullptr;
    TKXSymbol *FSymbol = nullptr;
    std::unique_ptr<TKXElementEdit> FEdit;
    bool FIntro = false;
    QImage FBackBuffer; // the grid shown, with hover marks
    QImage FGrid;       // the grid without hover marks
    int32_t FCharWidth = 0, FCharHeight = 0;
    int32_t FRow = -1, FColumn = -1; // the symbol's character on the page shown
    int32_t FOldPosX = -1, FOldPosY = -1;
    bool FDrawing = false;
    int32_t FColsSym = 0, FRowsSym = 0, FSymPage = 0;
};

// Makes TPropSym the label component's dialog for symbol elements.
void RegisterSymbolDialog();

} // namespace kx::designer
