#pragma once

#include <windows.h>

#include "platform/FileClaim.h"

namespace ondrel::platform {

// A claim held as a named mutex of the session, owned by this process: it is
// released with this object, or by the system when the process ends, however
// that ends (an abandoned mutex is free for the next one to take).
class WinFileClaim final : public FileClaim {
public:
    // nullptr: a claim that holds nothing, where none can be had.
    explicit WinFileClaim(HANDLE mutex) : m_mutex(mutex) {}
    ~WinFileClaim() override {
        if (m_mutex == nullptr)
            return;
        ReleaseMutex(m_mutex);
        CloseHandle(m_mutex);
    }
    WinFileClaim(const WinFileClaim&) = delete;
    WinFileClaim& operator=(const WinFileClaim&) = delete;

private:
    HANDLE m_mutex;
};

} // namespace ondrel::platform
