#include <windows.h>

#include "platform/win/WinSleeper.h"

namespace ondrel::platform {

void WinSleeper::Sleep(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

} // namespace ondrel::platform
