#pragma once

#include "platform/win/ui/WinControl.h"

namespace ondrel::platform {

// BS_AUTOCHECKBOX: the control ticks itself on the user's click.
class WinCheckBox final : public WinControl<CheckBox> {
public:
    using WinControl::WinControl;

    bool isChecked() const override {
        return SendMessageW(handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }

    void setChecked(bool checked) override {
        SendMessageW(handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }

    void click() override {
        if (acceptsInput())
            setChecked(!isChecked());
    }
};

} // namespace ondrel::platform
