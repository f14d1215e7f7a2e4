#include "platform/NativeToolkit.h"

#include "platform/win/ui/WinWindowSystem.h"

namespace ondrel::platform {

struct NativeToolkit::Impl {
    // Made when first asked for: becoming DPI aware and registering the
    // window class change the whole process, and a box shown before any
    // window needs neither.
    std::unique_ptr<WinWindowSystem> windows;
    WinMessageBox messageBox;
};

// Windows hands the program its own name and command line.
NativeToolkit::NativeToolkit(const char*) : m_impl(std::make_unique<Impl>()) {}

NativeToolkit::~NativeToolkit() = default;

WindowSystem& NativeToolkit::windows() {
    if (!m_impl->windows)
        m_impl->windows = std::make_unique<WinWindowSystem>();
    return *m_impl->windows;
}

MessageBox& NativeToolkit::messageBox() {
    return m_impl->messageBox;
}

} // namespace ondrel::platform
