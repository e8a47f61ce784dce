// A widget application for the benchmarks that show widgets: made once, on the offscreen
// platform unless the environment names another.
#pragma once

#include <QApplication>

#include <cstdlib>

inline void RequireBenchApp()
{
    if (QCoreApplication::instance())
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench";
    static char *argv[] = {name, nullptr};
    static QApplication *app = new QApplication(argc, argv);
    (void)app;
}
