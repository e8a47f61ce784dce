// The paragraph and code text dialog: one multi-line text box for the long texts of four
// element kinds - the text of a paragraph and the code of a PDF417, Data Matrix or QR Code
// element.
//
// Every edit of the box is written to the element at once, so the design surface follows
// the typing. The dialog follows the element dialogs' convention: the element's record is
// taken when Ini fills the box, OK keeps the change as one undo step, Cancel, Escape and the
// close box put the record back exactly. Line breaks are CR LF in the element and LF in the
// box, converted at the boundary only: opening and cancelling changes no byte.
//
// PDF417 and Data Matrix codes are Windows-1252: a character that code page lacks is refused
// with a message and the box goes back to the text before it. A Data Matrix or QR Code text
// too long for any symbol is taken without a message per keystroke; the element shows its
// placeholder until the text fits again.
#pragma once

#include "core/KXTypes.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QPlainTextEdit;
class QPushButton;

namespace kx {
class TKXElement;
class TKXElementEdit;
} // namespace kx

namespace kx::designer {

class TKXLab;

class TPropPara : public QDialog {
public:
    // The element kinds the dialog edits.
    enum TKind : int16_t { kNone = 0, kParagraph = 1, kPdf417 = 2, kDataMatrix = 3, kQRCode = 4 };

    explicit TPropPara(QWidget *Parent = nullptr);
    ~TPropPara() override;

    // The dialog's kind for an element, kNone for an element it does not edit.
    static TKind KindOf(const TKXElement &Element);

    // Fills the dialog for Element of Lab and takes the element's record; false (and nothing
    // done) for an element of another kind.
    bool Ini(TKXLab &Lab, TKXElement &Element);
    TKind Kind() const { return FKind; }

    // The box's text as the element holds it (CR LF line breaks).
    QString ResultText() const;

    // The label component's dialog for the four kinds: creates the dialog, fills it, shows it
    // modally; true when the person keeps the change.
    static bool Execute(TKXLab &Lab, TKXElement &Element);
    // Runs the filled dialog modally and answers its result; tests replace it to drive the
    // dialog without a modal loop.
    static std::function<int(TPropPara &Dialog)> OnShowModal;

    // --- The dialog's parts ------------------------------------------------------------------
    QPlainTextEdit *MemText = nullptr;
    QPushButton *ButOK = nullptr;
    QPushButton *ButCancel = nullptr;

private:
    void FillLanguage();
    QString ElementText() const;
    void MemTextChange();
    // Writes a Data Matrix or QR Code text: through the setter when it makes a symbol,
    // otherwise taken as a loaded label would hold it, drawn as the placeholder.
    void WriteMatrixCode(const QString &Value);

    TKXLab *FLab = nullptr;
    TKXElement *FElement = nullptr;
    TKind FKind = kNone;
    std::unique_ptr<TKXElementEdit> FEdit;
    bool FIntro = false;
    QString FOriginal; // the element's text when the dialog opened
    QString FOpened;   // the box's text when the dialog opened
    QString FShown;    // the box's last accepted text
};

// Makes TPropPara the label component's dialog for paragraphs, PDF417, Data Matrix and QR
// Code elements.
void RegisterParagraphDialog();

} // namespace kx::designer
