#include "prompts/KXCommandRunner.h"

#include "core/KXError.h"
#include "prompts/KXPrompts.h"

#include <exception>

namespace kx {

namespace {

// Showing the error must not raise either: whatever it throws is dropped.
void Show(const QString &Text)
{
    try {
        Prompts().ShowError(Text);
    } catch (...) {
        qWarning("An error could not be shown: %s", qUtf8Printable(Text));
    }
}

} // namespace

bool RunCommand(const std::function<void()> &Command)
{
    try {
        if (Command)
            Command();
        return true;
    } catch (const EKxAbort &) {
        // The person cancelled: nothing to say.
    } catch (const std::exception &e) {
        Show(QString::fromUtf8(e.what()));
    } catch (...) {
        Show(QStringLiteral("Unexpected error"));
    }
    return false;
}

QMetaObject::Connection ConnectCommand(QAction *Action, std::function<void()> Command)
{
    return QObject::connect(Action, &QAction::triggered, Action,
                            [Command = std::move(Command)] { RunCommand(Command); });
}

} // namespace kx
