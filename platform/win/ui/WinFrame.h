#pragma once

#include "platform/win/ui/WinControl.h"

namespace ondrel::platform {

// A BS_GROUPBOX that is the parent of its controls, so that their positions
// are relative to it and its option buttons form a group of their own.
class WinFrame final : public WinControl<Frame> {
public:
    using WinControl::WinControl;

    bool takesFocus() const override { return false; }
};

} // namespace ondrel::platform
