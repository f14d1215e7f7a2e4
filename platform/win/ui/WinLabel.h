#pragma once

#include "platform/win/ui/WinControl.h"

namespace ondrel::platform {

// A STATIC without prefix handling: an ampersand in a file name is shown as
// it is.
class WinLabel final : public WinControl<Label> {
public:
    using WinControl::WinControl;

    bool takesFocus() const override { return false; }
};

} // namespace ondrel::platform
