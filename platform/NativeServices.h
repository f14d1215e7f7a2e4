#pragma once

#include "platform/Controls.h"
#include "platform/Services.h"
#include "platform/Window.h"

#include <memory>

namespace ondrel::platform {

// The real operating-system services of this build's OS, owned together.
// One definition per OS (NativeServices_posix.cpp, NativeServices_win.cpp).
class NativeServices {
public:
    // argc/argv are what main() got; Windows reads its own command line instead.
    NativeServices(int argc, char** argv);
    ~NativeServices();
    NativeServices(const NativeServices&) = delete;
    NativeServices& operator=(const NativeServices&) = delete;

    Services services();
    // The window toolkit of this OS and its message box.
    WindowSystem& windows();
    MessageBox& messageBox();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace ondrel::platform
