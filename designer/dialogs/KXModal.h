// Running a modal dialog. Windows run their dialogs through RunModal, never through exec()
// directly, so a test installs a runner (TKXModalScope) that gets the dialog, works its
// fields with real events and ends it - and no test waits in a modal loop. Without an
// installed runner the dialog's exec() runs; on the offscreen platform, where nobody can
// answer, the dialog is rejected at once (as a closed window is) and a warning is logged.
//
// The small option dialogs' callers: each opens its dialog with the current values and, on
// OK, hands back the chosen ones; any other end leaves the arguments untouched.
#pragma once

#include "core/KXTypes.h"

#include <QString>

#include <cstdint>
#include <functional>

class QDialog;
class QWidget;

namespace kx::designer {

// Gets the dialog ready to be shown and answers its result (QDialog::Accepted or Rejected).
using TKXModalRunner = std::function<int(QDialog &Dialog)>;

int RunModal(QDialog &Dialog);

// Installs Runner for its lifetime and then puts the previous one back.
class TKXModalScope {
public:
    explicit TKXModalScope(TKXModalRunner Runner);
    ~TKXModalScope();
    TKXModalScope(const TKXModalScope &) = delete;
    TKXModalScope &operator=(const TKXModalScope &) = delete;

private:
    TKXModalRunner FPrevious;
};

// The units of a label.
bool ChooseUnits(TKXUnits &Units, QWidget *Parent = nullptr);
// A name; Kind titles the prompt (TFEdName::TitleOfKind), Name is proposed and answered.
bool AskName(int16_t Kind, QString &Name, QWidget *Parent = nullptr);
// A printer queue and copies: PrinterName and PrinterIndex (the stored settings) choose the
// queue shown; on OK they become the chosen queue's name and index (-1 and empty when the
// typed text names none) and Copies the chosen count.
bool ChoosePrinterAndCopies(QString &PrinterName, int32_t &PrinterIndex, int32_t &Copies,
                            QWidget *Parent = nullptr);

} // namespace kx::designer
