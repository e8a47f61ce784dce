// Fonts, images and printers need a QGuiApplication; tests that draw call this first
// (CTest runs them on the offscreen platform).
#pragma once

namespace zt {

// Creates the process's QGuiApplication once; later calls do nothing.
void RequireGuiApp();

} // namespace zt
