// The text edit dialog: a one-line Unicode text, typed or built by clicking characters of
// the text's font in a map of 16 columns by 7 rows, 112 characters a page, pages 0 to 16
// (codes 0 to 1903). The cell under the mouse is shown enlarged beside the edit.
//
// Two modes:
// - editor mode (IniEditor): the dialog changes nothing outside itself; the opener reads
//   ResultText after OK;
// - inspector mode (IniInspector, or IniElement for one element): every change of the text
//   is written at once to the property of the edited elements. The dialog follows the
//   element dialogs' convention: OK keeps the change as one undo step, Cancel, Escape and the
//   close box put every element back exactly, each with its own text.
//
// Cells that show no character are empty and ignore clicks: control characters (below 32 and
// 127 to 159), which a one-line text must not hold, and characters the font lacks.
#pragma once

#include <QDialog>
#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QFrame;
class QPushButton;
class QScrollBar;
class QWidget;

namespace kx {
class TKXCustomLab;
class TKXElement;
class TKXElementEdit;
} // namespace kx

namespace kx::designer {

class TKXCustomInspector;
class TKXLab;
class TKXWideEdit;

class TKxEdText : public QDialog {
public:
    explicit TKxEdText(QWidget *Parent = nullptr);
    ~TKxEdText() override;

    // Editor mode: the text PropVal in the font FontName; Lab (may be null) gives the
    // dialog's texts.
    void IniEditor(const QString &PropVal, const QString &FontName, TKXLab *Lab);
    // Inspector mode: the text property PropName of the inspector's selection, in the font
    // of its first selected element (Arial for an element without one).
    void IniInspector(const QString &PropName, TKXCustomInspector &Inspector);
    // Inspector mode for one element of Lab.
    void IniElement(TKXLab &Lab, TKXElement &Element, const QString &PropName);

    // The edit's text.
    QString ResultText() const;
    // 1 = editor mode, 2 = inspector mode, 0 before either.
    int Kind() const { return FKind; }

    // The label component's dialog for text elements: the element's Text in inspector mode;
    // true when the person keeps the change.
    static bool Execute(TKXLab &Lab, TKXElement &Element);
    // Runs the filled dialog modally; tests replace it to drive the dialog without a loop.
    static std::function<int(TKxEdText &Dialog)> OnShowModal;

    static constexpr int32_t Rows = 7;
    static constexpr int32_t Columns = 16;
    static constexpr int32_t PageChars = Rows * Columns; // 112
    static constexpr int32_t LastPage = 16;
    // The code of cell (Row, Column) on Page; -1 outside the map or for a control character.
    static int32_t CellCode(int32_t Page, int32_t Row, int32_t Column);
    // The code the map shows there: CellCode, and -1 too when the map's font lacks it.
    int32_t ShownCode(int32_t Page, int32_t Row, int32_t Column) const;

    int32_t CharWidth() const { return FCharWidth; }
    int32_t CharHeight() const { return FCharHeight; }
    // The character last shown in the preview, -1 for none.
    int32_t PreviewCode() const { return FPreviewCode; }
    // The map and the preview as shown.
    const QImage &BackBuffer() const { return FBackBuffer; }
    const QImage &BackBuffSym() const { return FBackBuffSym; }
    // How often the preview was drawn.
    int PreviewDrawings() const { return FPreviewDrawings; }

    // --- The dialog's parts ------------------------------------------------------------------
    QFrame *PanData = nullptr;
    TKXWideEdit *EdText = nullptr;
    QWidget *PBSym = nullptr;       // the preview
    QWidget *PaintBoxSym = nullptr; // the character map
    QScrollBar *SBar = nullptr;     // the page
    QFrame *PanBottom = nullptr;
    QPushButton *ButOK = nullptr;
    QPushButton *ButCancel = nullptr;

private:
    void Prepare(const QString &Text, const QString &FontName, TKXCustomLab *Lab);
    void FillLanguage(TKXCustomLab *Lab);
    void DrawChars();
    void Hover(QPoint P);
    void Click(QPoint P);
    void TextChanged();

    int FKind = 0;
    bool FIntro = true;
    QString FFontName;
    QString FPropName;
    std::vector<TKXElement *> FElements; // inspector mode: the edited elements
    TKXCustomInspector *FInspector = nullptr; // shows the edited property; may be null
    std::unique_ptr<TKXElementEdit> FEdit;
    QImage FBackBuffer, FBackBuffSym;
    std::vector<bool> FHasGlyph; // of the map's codes 0 .. 1903 in the map's font
    int32_t FCharWidth = 0, FCharHeight = 0;
    int32_t FOldPosX = -1, FOldPosY = -1;
    int32_t FPreviewCode = -1;
    int FPreviewDrawings = 0;
    bool FDrawing = false;
};

// Makes TKxEdText the label component's dialog for text elements.
void RegisterTextDialog();

} // namespace kx::designer
