#include "dialogs/KXModal.h"

#include "dialogs/KXEdName.h"
#include "dialogs/KXSelPrinter.h"
#include "dialogs/KXSelUnits.h"

#include <QDialog>
#include <QGuiApplication>

namespace kx::designer {

namespace {
TKXModalRunner &Installed()
{
    static TKXModalRunner Runner;
    return Runner;
}
} // namespace

int RunModal(QDialog &Dialog)
{
    if (Installed())
        return Installed()(Dialog);
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        qWarning("Unanswered dialog \"%s\"", qUtf8Printable(Dialog.windowTitle()));
        Dialog.reject();
        return QDialog::Rejected;
    }
    return Dialog.exec();
}

TKXModalScope::TKXModalScope(TKXModalRunner Runner) : FPrevious(std::move(Installed()))
{
    Installed() = std::move(Runner);
}

TKXModalScope::~TKXModalScope()
{
    Installed() = std::move(FPrevious);
}

bool ChooseUnits(TKXUnits &Units, QWidget *Parent)
{
    TFSelUnits dlg(Parent);
    dlg.Iniciar(Units);
    if (RunModal(dlg) != QDialog::Accepted)
        return false;
    Units = dlg.SelUnits();
    return true;
}

bool AskName(int16_t Kind, QString &Name, QWidget *Parent)
{
    TFEdName dlg(Parent);
    dlg.Iniciar(Kind, Name);
    if (RunModal(dlg) != QDialog::Accepted)
        return false;
    Name = dlg.NName();
    return true;
}

bool ChoosePrinterAndCopies(QString &PrinterName, int32_t &PrinterIndex, int32_t &Copies, QWidget *Parent)
{
    TFSelPrinter dlg(PrinterName, PrinterIndex, Parent);
    if (RunModal(dlg) != QDialog::Accepted)
        return false;
    PrinterIndex = dlg.SelPrinter();
    PrinterName = dlg.SelPrinterName();
    Copies = dlg.NCopies();
    return true;
}

} // namespace kx::designer
