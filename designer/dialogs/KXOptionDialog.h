// The frame of the small option dialogs: a body for the fields above a row with OK and
// Cancel. The caller creates the dialog, shows it modally and reads its results when the
// answer is OK.
//
// The results change only when the dialog is accepted: TakeResults copies the fields into
// them, and may refuse (the dialog then stays open). Every other end - the Cancel button,
// Escape, the window's close box - runs the same path: the fields are put back from the
// results (ShowResults), so the results are as they were when the dialog opened and a
// dialog shown again shows them.
#pragma once

#include <QDialog>

class QPushButton;
class QVBoxLayout;

namespace kx::designer {

class TKXOptionDialog : public QDialog {
public:
    explicit TKXOptionDialog(QWidget *Parent = nullptr);

    QPushButton *ButOK() const { return FButOK; }
    QPushButton *ButCancel() const { return FButCancel; }

    // Accepted: TakeResults, and the dialog ends only when it agrees. Any other result:
    // ShowResults, then the dialog ends.
    void done(int Result) override;

protected:
    // Where a dialog puts its fields (above the buttons).
    QVBoxLayout *Body() const { return FBody; }
    // The fields into the results; false keeps the dialog open.
    virtual bool TakeResults() = 0;
    // The results into the fields.
    virtual void ShowResults() = 0;

private:
    QVBoxLayout *FBody = nullptr;     // owned by the widget tree, as are the buttons
    QPushButton *FButOK = nullptr;
    QPushButton *FButCancel = nullptr;
};

} // namespace kx::designer
