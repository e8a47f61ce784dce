// Ending a modal dialog the ways a person can, through real events and without exec(): the
// OK or Cancel button (found by the object names ButOK and ButCancel), Enter or Escape in
// the focused field, or the window's close box.
#pragma once

#include <QDialog>

#include <ostream>

namespace zt {

enum class DialogEnd { OkButton, EnterKey, CancelButton, EscapeKey, CloseBox };
std::ostream &operator<<(std::ostream &Out, DialogEnd End);

// Opens Dialog (window-modal, not blocking) when it is not shown, ends it as End says and
// answers its result (QDialog::Accepted or Rejected); -1 when it is still open.
int EndDialog(QDialog &Dialog, DialogEnd End);

} // namespace zt
