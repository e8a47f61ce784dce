// The printer chooser: one of the system's printer queues and the number of copies.
//
// The queue shown at opening is found by its name (exactly, else ignoring case, as CUPS
// compares queue names); only settings that carry no name fall back to the stored index,
// and an index outside the list selects nothing. A name that is gone selects nothing
// either: another queue that happens to sit at the old index is not offered in its place.
#pragma once

#include "dialogs/KXOptionDialog.h"

#include <QStringList>

#include <cstdint>

class QComboBox;
class QLabel;

namespace kx::designer {

class TKxSpinEditFloat;

class TFSelPrinter : public TKXOptionDialog {
public:
    static constexpr int32_t MaxCopies = 10000;

    // The system's queues (TKXPrinterPort::PrinterNames), in the system's order.
    explicit TFSelPrinter(const QString &PrinterName, int32_t PrinterIndex, QWidget *Parent = nullptr);
    // The given queues instead.
    TFSelPrinter(const QStringList &Printers, const QString &PrinterName, int32_t PrinterIndex,
                 QWidget *Parent = nullptr);

    // The chosen queue's index in the list when the dialog was accepted, else the one shown
    // at opening; -1 when the typed text names no queue.
    int32_t SelPrinter() const { return FSelPrinter; }
    // That queue's name as the list spells it; empty with SelPrinter -1.
    QString SelPrinterName() const;
    // 1..MaxCopies; 1 until the dialog is accepted.
    int32_t NCopies() const { return FNCopies; }

    // The entry of Printers named Name (exactly, else ignoring case); -1 when none is.
    static int32_t IndexOfPrinter(const QStringList &Printers, const QString &Name);

    QComboBox *CBSPrinters = nullptr;      // owned by the widget tree
    TKxSpinEditFloat *SESCopies = nullptr;
    QLabel *LabPrinter = nullptr;

protected:
    bool TakeResults() override;
    void ShowResults() override;

private:
    QStringList FPrinters;
    int32_t FSelPrinter = -1;
    int32_t FNCopies = 1;
};

} // namespace kx::designer
