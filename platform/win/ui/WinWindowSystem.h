#pragma once

#include "platform/EventBoundary.h"
#include "platform/Window.h"
#include "platform/win/ui/WinMessageBox.h"

#include "platform/win/ui/WinApi.h"

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
    void onUncaughtFailure(std::function<void(const std::exception&)> road) override;

    // The program's message box.
    MessageBox& messageBox() { return m_messageBox; }
    // Every handler of the windows and their controls runs through it.
    EventBoundary& boundary() { return m_boundary; }

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
    WinMessageBox m_messageBox;
    EventBoundary m_boundary{m_messageBox};
};

} // namespace ondrel::platform
