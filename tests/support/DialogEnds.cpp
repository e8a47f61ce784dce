#include "DialogEnds.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPushButton>
#include <QTest>

namespace zt {

std::ostream &operator<<(std::ostream &Out, DialogEnd End)
{
    switch (End) {
    case DialogEnd::OkButton: return Out << "OkButton";
    case DialogEnd::EnterKey: return Out << "EnterKey";
    case DialogEnd::CancelButton: return Out << "CancelButton";
    case DialogEnd::EscapeKey: return Out << "EscapeKey";
    case DialogEnd::CloseBox: return Out << "CloseBox";
    }
    return Out;
}

int EndDialog(QDialog &Dialog, DialogEnd End)
{
    if (!Dialog.isVisible()) {
        Dialog.open();
        Dialog.activateWindow();
        QCoreApplication::processEvents();
    }
    switch (End) {
    case DialogEnd::OkButton:
    case DialogEnd::CancelButton: {
        auto *button = Dialog.findChild<QPushButton *>(End == DialogEnd::OkButton ? "ButOK" : "ButCancel");
        if (!button)
            return -1;
        QTest::mouseClick(button, Qt::LeftButton);
        break;
    }
    case DialogEnd::EnterKey:
    case DialogEnd::EscapeKey: {
        QWidget *target = Dialog.focusWidget() ? Dialog.focusWidget() : &Dialog;
        QTest::keyClick(target, End == DialogEnd::EnterKey ? Qt::Key_Return : Qt::Key_Escape);
        break;
    }
    case DialogEnd::CloseBox: {
        // What the window manager's close box sends.
        QCloseEvent close;
        QCoreApplication::sendEvent(&Dialog, &close);
        break;
    }
    }
    QCoreApplication::processEvents();
    return Dialog.isVisible() ? -1 : Dialog.result();
}

} // namespace zt
