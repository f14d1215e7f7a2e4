#include "tests/window/Toolkit.h"

#include "platform/win/ui/WinWindow.h"
#include "platform/win/ui/WinWindowSystem.h"

namespace windowtest {

ondrel::platform::WindowSystem& windowSystem() {
    static ondrel::platform::WinWindowSystem system;
    return system;
}

int layoutDpi(ondrel::platform::Window& window) {
    return dynamic_cast<ondrel::platform::WinWindow&>(window).dpi();
}

void postCloseRequest(ondrel::platform::Window& window) {
    PostMessageW(dynamic_cast<ondrel::platform::WinWindow&>(window).handle(), WM_CLOSE, 0, 0);
}

} // namespace windowtest
