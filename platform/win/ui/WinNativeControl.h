#pragma once

#include "platform/Controls.h"

#include "platform/win/ui/WinApi.h"

namespace ondrel::platform {

// What the window needs of each of its controls, whatever their kind: the
// native handle, the design rectangle to lay it out again when the DPI
// changes, and the notifications the control sends its parent.
class WinNativeControl {
public:
    virtual ~WinNativeControl() = default;

    virtual HWND handle() const = 0;
    virtual Control& control() = 0;
    // Moves the control to its design rectangle at that DPI.
    virtual void place(int dpi) = 0;
    // A notification code of WM_COMMAND (BN_CLICKED, EN_CHANGE, ...).
    virtual void notify(WORD code) = 0;
    // True for the kinds that Tab can give the focus to.
    virtual bool takesFocus() const = 0;
};

} // namespace ondrel::platform
