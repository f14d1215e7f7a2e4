#include "platform/win/ui/WinWindowSystem.h"

#include "platform/win/WinText.h"
#include "platform/win/ui/WinDpi.h"
#include "platform/win/ui/WinWindow.h"

#include <commctrl.h>

#include <algorithm>

namespace ondrel::platform {

namespace {

// The resource id of the program's icon in Ondrel.rc.
constexpr int kIconResource = 1;

HICON programIcon(HINSTANCE instance, int sizeMetric) {
    const int size = GetSystemMetrics(sizeMetric);
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                         size, size, LR_DEFAULTCOLOR | LR_SHARED));
}

} // namespace

WinWindowSystem::WinWindowSystem() : m_instance(GetModuleHandleW(nullptr)) {
    win::becomeDpiAware();
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    // Already registered by an earlier window system of this process: the
    // class is the same.
    if (GetClassInfoExW(m_instance, className(), &windowClass))
        return;
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.hInstance = m_instance;
    windowClass.hIcon = programIcon(m_instance, SM_CXICON);
    windowClass.hIconSm = programIcon(m_instance, SM_CXSMICON);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = className();
    windowClass.lpfnWndProc = WinWindow::procedure();
    if (RegisterClassExW(&windowClass) == 0)
        win::throwLastError("RegisterClassExW", "OndrelWindow");
}

const wchar_t* WinWindowSystem::className() {
    return L"OndrelWindow";
}

std::unique_ptr<Window> WinWindowSystem::createWindow(const WindowDesign& design) {
    return std::make_unique<WinWindow>(*this, design);
}

void WinWindowSystem::dispatch(MSG& message) {
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (WinWindow* window = WinWindow::fromHandle(root)) {
        if (window->takeKey(message))
            return;
        if (IsDialogMessageW(root, &message))
            return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void WinWindowSystem::processEvents() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // For the loop in run() to see.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        dispatch(message);
    }
}

int WinWindowSystem::run() {
    MSG message{};
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(message.wParam);
        if (got == -1)
            win::throwLastError("GetMessageW", "");
        dispatch(message);
    }
}

void WinWindowSystem::onUncaughtFailure(std::function<void(const std::exception&)> road) {
    m_boundary.setFailureRoad(std::move(road));
}

void WinWindowSystem::remember(WinWindow& window) {
    m_windows.push_back(&window);
}

void WinWindowSystem::forget(WinWindow& window) {
    m_windows.erase(std::remove(m_windows.begin(), m_windows.end(), &window), m_windows.end());
}

void WinWindowSystem::windowClosed() {
    const bool anyVisible =
        std::any_of(m_windows.begin(), m_windows.end(),
                    [](const WinWindow* window) { return window->isVisible(); });
    if (!anyVisible)
        PostQuitMessage(0);
}

} // namespace ondrel::platform
