#pragma once

#include <objbase.h>

namespace ondrel::platform::win {

// Joins this thread to COM for one shell call. A thread that is already in
// COM (the window system's thread usually is) keeps its apartment; each
// successful join is undone when this object goes.
class ComApartment {
public:
    ComApartment() {
        m_result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        if (m_result == RPC_E_CHANGED_MODE)
            m_result = S_FALSE; // usable as it is, but not ours to leave
        else
            m_joined = SUCCEEDED(m_result);
    }
    ~ComApartment() {
        if (m_joined)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    HRESULT result() const { return m_result; }

private:
    HRESULT m_result = E_FAIL;
    bool m_joined = false;
};

} // namespace ondrel::platform::win
