// The label document as a ready-to-use component: printing and previewing with the
// questions of prompted texts, the property dialog of the selected element, the label
// properties dialog.
//
// Questions and messages go through the prompts seam. The element dialogs and the label
// properties dialog are plugged in by their own code (SetElementDialog,
// SetLabelPropertiesDialog); a kind without a dialog opens nothing.
#pragma once

#include "document/KXBaseLab.h"

#include <QString>

#include <functional>

namespace kx::designer {

class TKxPrw;

class TKXLab : public TKXCustomLab {
public:
    // --- Printing and preview ------------------------------------------------------------
    // Asks the prompted texts, then prints the whole run. PrinterIndex >= 0 picks that queue
    // of the system's list for this run; -1 keeps the printer selected. An index that names
    // no queue throws EKxError before anything is asked.
    void Print(int32_t PrinterIndex, TKXPrintKind PrintKind);
    void Print(int32_t PrinterIndex) { Print(PrinterIndex, TKXPrintKind::pkDriver); }
    void Print() { Print(-1, TKXPrintKind::pkDriver); }
    // Print on the queue called PrinterName; throws EKxError when there is none.
    void PrintOn(const QString &PrinterName);
    // PrinterIndex >= 0 selects that queue first (an index naming none throws); then the
    // questions, the preview pages and the preview window, shown modally.
    void Preview(int32_t PrinterIndex);
    void Preview();
    // The prompted texts, from the back of the stacking order to the front: each answer
    // asked with the last one offered, OnAskText may replace it. A cancelled question keeps
    // the answer it had.
    void AskQuestions();

    // Runs the bound preview window modally; tests replace it to drive the window.
    std::function<void(TKxPrw &Window)> OnShowPreview;

    // --- Dialogs -----------------------------------------------------------------------------
    // Opens the dialog that fits the selected element. Every change a dialog makes is one undo
    // step when kept; a cancelled dialog leaves the element and the label's modified state as
    // they were.
    void ShowElementProp() override;
    // The label properties dialog on page 0 (sizes), 1 (printing), 2 (background) or 3 (data).
    void ShowProp(int Page);

    // A dialog for one element kind: edits Element in place while it runs and answers true
    // when the person keeps the changes.
    using TKXElementDialog = std::function<bool(TKXLab &Lab, TKXElement &Element)>;
    static void SetElementDialog(TKXEle Kind, TKXElementDialog Dialog);
    static bool HasElementDialog(TKXEle Kind);
    using TKXLabelDialog = std::function<void(TKXLab &Lab, int Page)>;
    static void SetLabelPropertiesDialog(TKXLabelDialog Dialog);

    // --- Texts -------------------------------------------------------------------------------
    // Key of the "dialogs" section of the label's translation file (IniTranslate), or English
    // when the file or the key is missing.
    QString DialogText(const char *Key, const QString &English) const;

private:
    void CheckPrinterIndex(int32_t PrinterIndex) const;
    void FocusEditor();
};

} // namespace kx::designer
