#pragma once

#include "platform/Controls.h"
#include "platform/Window.h"

#include <memory>

namespace ondrel::platform {

// The window toolkit of this build's OS and its message box: Qt Widgets on
// Linux, Win32 on Windows. One definition per toolkit (platform/qt/,
// platform/win/ui/). Nothing of the toolkit is started before a window or a
// box is first needed.
class NativeToolkit {
public:
    // programName is argv[0]; the toolkit sees nothing else of the command
    // line, so a file named like one of its options stays a file.
    explicit NativeToolkit(const char* programName);
    ~NativeToolkit();
    NativeToolkit(const NativeToolkit&) = delete;
    NativeToolkit& operator=(const NativeToolkit&) = delete;

    WindowSystem& windows();
    MessageBox& messageBox();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace ondrel::platform
