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

// Under the leak checker: fontconfig, reached through Qt's font database, keeps caches for
// the life of the process. Those are the library's, not ours. (Linked wherever
// RequireGuiApp is, which is every test that draws text.)
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
