#include "dialogs/KXSelPrinter.h"

#include "controls/KXSpinEditFloat.h"
#include "dialogs/KXDialogTexts.h"
#include "platform/KXPrinterPort.h"

#include <QComboBox>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace kx::designer {

namespace {
constexpr int MaxPrinterText = 400; // characters the printer box takes
}

TFSelPrinter::TFSelPrinter(const QString &PrinterName, int32_t PrinterIndex, QWidget *Parent)
    : TFSelPrinter(TKXPrinterPort::PrinterNames(), PrinterName, PrinterIndex, Parent)
{
}

TFSelPrinter::TFSelPrinter(const QStringList &Printers, const QString &PrinterName, int32_t PrinterIndex,
                           QWidget *Parent)
    : TKXOptionDialog(Parent), FPrinters(Printers)
{
    setWindowTitle(DialogText("KXTfoselprint"));
    LabPrinter = new QLabel(DialogText("KXTprprinter"), this);
    CBSPrinters = new QComboBox(this);
    CBSPrinters->setObjectName(QStringLiteral("CBSPrinters"));
    CBSPrinters->setEditable(true);
    CBSPrinters->setInsertPolicy(QComboBox::NoInsert);
    CBSPrinters->lineEdit()->setMaxLength(MaxPrinterText);
    CBSPrinters->addItems(FPrinters);
    // The list drops down with the entries that start with what is typed.
    CBSPrinters->completer()->setCompletionMode(QCompleter::PopupCompletion);
    CBSPrinters->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    LabPrinter->setBuddy(CBSPrinters);

    SESCopies = new TKxSpinEditFloat(this);
    SESCopies->setObjectName(QStringLiteral("SESCopies"));
    SESCopies->SetDigits(0);
    SESCopies->SetIncrement(1);
    SESCopies->SetMinValue(1);
    SESCopies->SetMaxValue(MaxCopies);
    SESCopies->setToolTip(DialogText("KXTprhintcopies"));

    Body()->addWidget(LabPrinter);
    Body()->addWidget(CBSPrinters);
    Body()->addWidget(SESCopies);

    FSelPrinter = IndexOfPrinter(FPrinters, PrinterName);
    if (PrinterName.isEmpty() && PrinterIndex >= 0 && PrinterIndex < FPrinters.size())
        FSelPrinter = PrinterIndex;
    ShowResults();
}

int32_t TFSelPrinter::IndexOfPrinter(const QStringList &Printers, const QString &Name)
{
    if (Name.isEmpty())
        return -1;
    if (const qsizetype exact = Printers.indexOf(Name); exact >= 0)
        return int32_t(exact);
    for (qsizetype i = 0; i < Printers.size(); ++i)
        if (Printers[i].compare(Name, Qt::CaseInsensitive) == 0)
            return int32_t(i);
    return -1;
}

QString TFSelPrinter::SelPrinterName() const
{
    return FSelPrinter >= 0 ? FPrinters[FSelPrinter] : QString();
}

bool TFSelPrinter::TakeResults()
{
    FSelPrinter = IndexOfPrinter(FPrinters, CBSPrinters->currentText());
    // A text that is no number counts as one copy; others are held to 1..MaxCopies.
    long double copies = 1;
    if (!SESCopies->TryValue(copies))
        copies = 1;
    FNCopies = int32_t(std::clamp<long double>(copies + 0.5L, 1, MaxCopies));
    return true;
}

void TFSelPrinter::ShowResults()
{
    CBSPrinters->setCurrentIndex(FSelPrinter);
    if (FSelPrinter < 0)
        CBSPrinters->setEditText(QString());
    SESCopies->SetAsInteger(FNCopies);
}

} // namespace kx::designer
