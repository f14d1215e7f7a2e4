#include "platform/NativeToolkit.h"

#include "platform/qt/QtWindowSystem.h"

namespace ondrel::platform {

struct NativeToolkit::Impl {
    explicit Impl(const char* programName) : windows(programName) {}

    // It may own Qt's application object, which every window and box needs.
    QtWindowSystem windows;
};

NativeToolkit::NativeToolkit(const char* programName)
    : m_impl(std::make_unique<Impl>(programName)) {}

NativeToolkit::~NativeToolkit() = default;

WindowSystem& NativeToolkit::windows() {
    return m_impl->windows;
}

MessageBox& NativeToolkit::messageBox() {
    return m_impl->windows.messageBox();
}

} // namespace ondrel::platform
