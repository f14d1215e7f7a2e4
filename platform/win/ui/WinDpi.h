#pragma once

#include "platform/win/ui/WinApi.h"

// Per-monitor DPI at the Win32 boundary. The calls that know a window's own
// DPI exist from Windows 10 1607 on; on older systems the screen's DPI stands
// in for every window.
namespace ondrel::platform::win {

inline constexpr int kDesignDpi = 96;
inline constexpr int kTwipsPerInch = 1440;

// Asks for per-monitor awareness when the manifest has not already done so.
void becomeDpiAware();

int dpiOf(HWND window);

// The outer size of a window whose client area is clientWidth x clientHeight
// at that DPI.
SIZE outerSize(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);

// Twips to pixels at a DPI: 15 twips to the pixel at 96 dpi.
int twipsToPixels(int twips, int dpi);

// The controls' font at a DPI: the face of the system's message font at a
// size every caption of the design fits in.
HFONT createControlFont(int dpi);

} // namespace ondrel::platform::win
