#pragma once

#include "platform/Window.h"

#include "platform/WinApi_win.h"

#include <vector>

namespace ondrel::platform {

class WinWindow;

// Win32 windows on the calling thread: one window class of the program's own,
// the program's icon, common controls, per-monitor DPI.
class WinWindowSystem final : public WindowSystem {
public:
    WinWindowSystem();
    WinWindowSystem(const WinWindowSystem&) = delete;
    WinWindowSystem& operator=(const WinWindowSystem&) = delete;

    std::unique_ptr<Window> createWindow(const WindowDesign& design) override;
    void processEvents() override;
    int run() override;

    static const wchar_t* className();
    HINSTANCE instance() const { return m_instance; }

    // Kept by the windows: the program's loop ends when the last visible one
    // has closed, as on the other toolkit.
    void remember(WinWindow& window);
    void forget(WinWindow& window);
    void windowClosed();

private:
    // Keyboard navigation first, then the message's own window.
    static void dispatch(MSG& message);

    HINSTANCE m_instance;
    std::vector<WinWindow*> m_windows;
};

} // namespace ondrel::platform
