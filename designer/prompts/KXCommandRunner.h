// Every command a person starts (a menu entry, a button, a shortcut, a double-click) runs
// through RunCommand: an EKxError or any other exception is shown once through Prompts()
// and goes no further, so none ever reaches Qt's event loop and the window lives on; an
// EKxAbort (the person cancelled) ends the command without a word.
#pragma once

#include <QAction>
#include <QObject>

#include <functional>

namespace kx {

// Runs Command; true when it ran to its end, false when it raised (shown, or an abort).
bool RunCommand(const std::function<void()> &Command);

// Runs Command through RunCommand whenever Action is triggered.
QMetaObject::Connection ConnectCommand(QAction *Action, std::function<void()> Command);

// The same for any signal: ConnectCommand(button, &QPushButton::clicked, [..] { .. }). The
// signal's arguments are not passed on; Sender is the context, so the connection ends with it.
template <class TSender, class TSignal>
QMetaObject::Connection ConnectCommand(TSender *Sender, TSignal Signal, std::function<void()> Command)
{
    return QObject::connect(Sender, Signal, Sender, [Command = std::move(Command)] { RunCommand(Command); });
}

} // namespace kx
