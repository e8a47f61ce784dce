#include "component/KXLab.h"

#include "core/KXCodec1252.h"
#include "core/KXError.h"
#include "core/KXIniFile.h"
#include "dialogs/KXDialogEdit.h"
#include "elements/KXImage.h"
#include "elements/KXText.h"
#include "platform/KXPrinterPort.h"
#include "preview/KXPreviewWindow.h"
#include "prompts/KXPrompts.h"

#include <QApplication>
#include <QFileInfo>
#include <QWidget>

#include <map>

namespace kx::designer {

namespace {

std::map<TKXEle, TKXLab::TKXElementDialog> &ElementDialogs()
{
    static std::map<TKXEle, TKXLab::TKXElementDialog> dialogs;
    return dialogs;
}

TKXLab::TKXLabelDialog &LabelDialog()
{
    static TKXLab::TKXLabelDialog dialog;
    return dialog;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Printing and preview

void TKXLab::CheckPrinterIndex(int32_t PrinterIndex) const
{
    if (PrinterIndex < 0)
        return;
    if (PrinterIndex >= TKXPrinterPort::PrinterNames().size())
        throw EKxError("PRINTER NOT FOUND : " + std::to_string(PrinterIndex));
}

void TKXLab::Print(int32_t PrinterIndex, TKXPrintKind PrintKind)
{
    CheckPrinterIndex(PrinterIndex);
    AskQuestions();
    PrintLabels(PrinterIndex, PrintKind);
}

void TKXLab::PrintOn(const QString &PrinterName)
{
    const QString found = TKXPrinterPort::FindPrinter(PrinterName);
    const int32_t index = found.isEmpty() ? -1 : int32_t(TKXPrinterPort::PrinterNames().indexOf(found));
    if (index < 0)
        throw EKxError("PRINTER NOT FOUND : " + PrinterName.toStdString());
    Print(index);
}

void TKXLab::Preview(int32_t PrinterIndex)
{
    CheckPrinterIndex(PrinterIndex);
    if (PrinterIndex >= 0)
        Printer().SelectPrinter(TKXPrinterPort::PrinterNames().at(PrinterIndex));
    Preview();
}

void TKXLab::Preview()
{
    AskQuestions();
    BuildOnDemandPreview();
    TKxPrw window(QApplication::activeWindow());
    window.Ini(*this);
    if (OnShowPreview)
        OnShowPreview(window);
    else
        window.exec();
}

void TKXLab::AskQuestions()
{
    const QString caption = DialogText("KxInputText", QStringLiteral("WRITE ANSWER TO QUESTION"));
    int32_t pos = 1;
    // From the back of the stacking order (the list's last entry) to the front.
    for (int32_t i = ElementCount(); i >= 1; --i) {
        auto *ask = dynamic_cast<TKXAskText *>(GetElement(i));
        if (!ask)
            continue;
        QString answer = ask->Answer();
        if (!Prompts().InputText(caption, ask->Question(), answer))
            answer = ask->Answer(); // a cancelled question keeps the answer it had
        ask->SetAnswer(answer);
        if (OnAskText) {
            WideString text = answer.toStdU16String();
            OnAskText(this, pos, WideToAnsi(ask->ID().toStdU16String()), text);
            ask->SetAnswer(QString::fromStdU16String(text));
        }
        ++pos;
    }
}

// ---------------------------------------------------------------------------------------
// Dialogs

void TKXLab::SetElementDialog(TKXEle Kind, TKXElementDialog Dialog)
{
    if (Dialog)
        ElementDialogs()[Kind] = std::move(Dialog);
    else
        ElementDialogs().erase(Kind);
}

bool TKXLab::HasElementDialog(TKXEle Kind) { return ElementDialogs().count(Kind) != 0; }

void TKXLab::SetLabelPropertiesDialog(TKXLabelDialog Dialog) { LabelDialog() = std::move(Dialog); }

void TKXLab::ShowProp(int Page)
{
    if (LabelDialog())
        LabelDialog()(*this, Page);
    FocusEditor();
}

void TKXLab::ShowElementProp()
{
    TKXElement *element = Selected();
    if (!element)
        return;
    if (auto *image = dynamic_cast<TKXImage *>(element)) {
        // The picture chooser changes nothing until a file is chosen; the new file is one
        // undo step like any other change of the picture.
        const QString file = ChoosePicture();
        if (!file.isEmpty()) {
            image->SetFileImage(file);
            if (Editor())
                Editor()->UpdateEditor(true);
        }
        FocusEditor();
        return;
    }
    const auto dialog = ElementDialogs().find(element->ElementType());
    if (dialog == ElementDialogs().end())
        return;
    {
        // The dialog changes the element as it runs, with recording off; kept, the changes
        // are one undo step; cancelled or failed, the element is put back as it was.
        TKXElementEdit edit(*this, {element});
        if (dialog->second(*this, *element))
            edit.Keep();
        else
            edit.Restore();
    }
    if (Editor())
        Editor()->UpdateEditor(true);
    FocusEditor();
}

void TKXLab::FocusEditor()
{
    if (auto *widget = dynamic_cast<QWidget *>(Editor()))
        widget->setFocus();
}

// ---------------------------------------------------------------------------------------
// Texts

QString TKXLab::DialogText(const char *Key, const QString &English) const
{
    const QString file = IniTranslate();
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return English;
    try {
        const TKXIniFile ini(file.toStdString());
        const std::string english = English.toStdString();
        return QString::fromStdString(ini.ReadString("dialogs", Key, english));
    } catch (const EKxError &) {
        return English; // an unreadable translation is as good as none
    }
}

} // namespace kx::designer
