#include "platform/win/ui/WinDpi.h"

namespace ondrel::platform::win {

namespace {

// Taller than the system's 9 points: the design was drawn for a large face,
// and 13 pixels at 96 dpi fill its boxes without cutting a caption.
constexpr int kFontPixelsAtDesignDpi = 13;

template <typename Function> Function user32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using SetProcessDpiAwarenessContextFunction = BOOL(WINAPI*)(HANDLE);

int screenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : kDesignDpi;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesignDpi;
}

} // namespace

void becomeDpiAware() {
    static const auto setContext =
        user32Function<SetProcessDpiAwarenessContextFunction>("SetProcessDpiAwarenessContext");
    // Per-monitor version 2, as the manifest asks: fails harmlessly when the
    // manifest has set it already.
    if (setContext != nullptr)
        setContext(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)));
}

int dpiOf(HWND window) {
    static const auto forWindow = user32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (forWindow != nullptr && window != nullptr) {
        const UINT dpi = forWindow(window);
        if (dpi > 0)
            return static_cast<int>(dpi);
    }
    return screenDpi();
}

SIZE outerSize(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) {
    static const auto adjustForDpi =
        user32Function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, clientWidth, clientHeight};
    if (adjustForDpi != nullptr)
        adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi));
    else
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

int twipsToPixels(int twips, int dpi) {
    return MulDiv(twips, dpi, kTwipsPerInch);
}

HFONT createControlFont(int dpi) {
    static const auto metricsForDpi =
        user32Function<SystemParametersInfoForDpiFunction>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    BOOL found = FALSE;
    if (metricsForDpi != nullptr)
        found = metricsForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                              static_cast<UINT>(dpi));
    if (!found)
        found = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW font{};
    if (found)
        font = metrics.lfMessageFont;
    else
        lstrcpynW(font.lfFaceName, L"Segoe UI", LF_FACESIZE);
    font.lfHeight = -MulDiv(kFontPixelsAtDesignDpi, dpi, kDesignDpi);
    font.lfWidth = 0;
    font.lfWeight = FW_NORMAL;
    font.lfItalic = FALSE;
    font.lfUnderline = FALSE;
    font.lfStrikeOut = FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    return CreateFontIndirectW(&font);
}

} // namespace ondrel::platform::win
