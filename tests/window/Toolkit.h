#pragma once

#include "platform/Window.h"

// The window toolkit of this build, as the window contract tests see it. One
// definition per OS: Toolkit_qt.cpp (Qt, offscreen), Toolkit_win.cpp
// (Win32).
namespace windowtest {

// The toolkit the tests share: one per run, as in the program.
ondrel::platform::WindowSystem& windowSystem();

// The DPI the toolkit lays the window out at: a design rectangle becomes
// twips * dpi / 1440 pixels.
int layoutDpi(ondrel::platform::Window& window);

// Queues a close request as the window system does for the close box; it is
// handled by the next processEvents().
void postCloseRequest(ondrel::platform::Window& window);

} // namespace windowtest
