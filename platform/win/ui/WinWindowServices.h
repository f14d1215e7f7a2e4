#pragma once

#include "platform/win/ui/WinApi.h"

#include "platform/EventBoundary.h"

#include <string>

namespace ondrel::platform {

class WinNativeControl;

// What a control asks of the window it lies in.
class WinWindowServices {
public:
    virtual ~WinWindowServices() = default;

    // Gives the control the focus now if the window is active, else when it
    // next becomes active.
    virtual void focusControl(HWND control) = 0;
    // The window's focus control: the one with the focus while the window is
    // active, the one that gets it back when the window is not.
    virtual bool isFocusControl(HWND control) const = 0;
    // Moves the focus to the next control Tab would reach.
    virtual void moveFocusAwayFrom(HWND control) = 0;
    virtual void setToolTip(HWND control, const std::string& text) = 0;
    // Clears the other option buttons of the option's container.
    virtual void clearOtherOptions(const WinNativeControl& option) = 0;
    // Where the control's handlers run.
    virtual EventBoundary& boundary() = 0;
};

} // namespace ondrel::platform
