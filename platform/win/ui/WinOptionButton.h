#pragma once

#include "platform/win/ui/WinControl.h"

namespace ondrel::platform {

// BS_AUTORADIOBUTTON. The control clears the others of its group on a click;
// the program's own changes clear them here, since BM_SETCHECK does not.
class WinOptionButton final : public WinControl<OptionButton> {
public:
    using WinControl::WinControl;

    bool isChecked() const override {
        return SendMessageW(handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }

    void setChecked(bool checked) override {
        SendMessageW(handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        if (checked)
            window().clearOtherOptions(*this);
    }

    void click() override {
        if (acceptsInput())
            setChecked(true);
    }

    void notify(WORD code) override {
        if (code == BN_CLICKED && isChecked())
            window().clearOtherOptions(*this);
    }
};

} // namespace ondrel::platform
