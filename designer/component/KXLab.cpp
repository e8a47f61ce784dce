#include "component/KXLab.h"

#include "core/KXCodec1252.h"
#include "core/KXError.h"
#include "elements/KXImage.h"
#include "elements/KXText.h"
#include "platform/KXPrinterPort.h"
#include "preview/KXPreviewWindow.h"

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
    (void)Key;
    return English;
}

} // namespace kx::designer
