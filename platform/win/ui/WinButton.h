#pragma once

#include "platform/win/ui/WinControl.h"

#include <functional>

namespace ondrel::platform {

class WinButton final : public WinControl<Button> {
public:
    using WinControl::WinControl;

    void onClick(std::function<void()> handler) override { m_onClick = std::move(handler); }

    void click() override {
        if (acceptsInput())
            window().boundary().call(m_onClick);
    }

    void notify(WORD code) override {
        if (code == BN_CLICKED)
            window().boundary().call(m_onClick);
    }

private:
    std::function<void()> m_onClick;
};

} // namespace ondrel::platform
