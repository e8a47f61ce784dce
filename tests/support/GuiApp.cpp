#include "GuiApp.h"

#include <QGuiApplication>

#include <cstdlib>

namespace zt {

void RequireGuiApp()
{
    if (QCoreApplication::instance())
        return;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "zantor-tests";
    static char *argv[] = {name, nullptr};
    // Kept for the whole process; reachable, so leak checkers stay quiet.
    static QGuiApplication *app = new QGuiApplication(argc, argv);
    (void)app;
}

} // namespace zt
