#pragma once

#include "platform/Sleeper.h"

namespace ondrel::platform {

class WinSleeper final : public Sleeper {
public:
    void Sleep(std::uint32_t milliseconds) override;
};

} // namespace ondrel::platform
