#pragma once

#include "platform/Sleeper.h"

namespace ondrel::platform {

// Sleeps the whole time, also when a signal interrupts the sleep.
class LinuxSleeper : public Sleeper {
public:
    void Sleep(std::uint32_t milliseconds) override;
};

} // namespace ondrel::platform
