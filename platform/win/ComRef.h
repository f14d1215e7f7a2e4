#pragma once

#include <unknwn.h>

namespace ondrel::platform::win {

// Owns one reference to a COM object and releases it on every way out.
template <typename Interface> class ComRef {
public:
    ComRef() = default;
    ~ComRef() { reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    Interface* operator->() const { return m_object; }
    Interface* get() const { return m_object; }
    // For the out parameter of CoCreateInstance and QueryInterface.
    void** out() {
        reset();
        return reinterpret_cast<void**>(&m_object);
    }
    void reset() {
        if (m_object) {
            m_object->Release();
            m_object = nullptr;
        }
    }

private:
    Interface* m_object = nullptr;
};

} // namespace ondrel::platform::win
