#pragma once

#include <windows.h>

namespace ondrel::platform::win {

// While it lives, a drive without a medium answers "not ready" instead of
// raising the system's "insert a disk" dialog. Only this thread is affected,
// and the previous mode comes back on every way out.
class CriticalErrorGuard {
public:
    CriticalErrorGuard() { m_active = SetThreadErrorMode(m_wanted, &m_previous) != FALSE; }
    ~CriticalErrorGuard() {
        if (m_active)
            SetThreadErrorMode(m_previous, nullptr);
    }
    CriticalErrorGuard(const CriticalErrorGuard&) = delete;
    CriticalErrorGuard& operator=(const CriticalErrorGuard&) = delete;

private:
    static constexpr DWORD m_wanted = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
    DWORD m_previous = 0;
    bool m_active = false;
};

} // namespace ondrel::platform::win
