#pragma once

#include "platform/Services.h"

#include <memory>

namespace ondrel::platform {

// The real operating-system services of this build's OS, owned together. One
// definition per family of services (platform/linux/, platform/win/). Nothing
// here opens a window, so a program that needs none can use them without a
// display.
class NativeServices {
public:
    // argc/argv are what main() got; Windows reads its own command line instead.
    NativeServices(int argc, char** argv);
    ~NativeServices();
    NativeServices(const NativeServices&) = delete;
    NativeServices& operator=(const NativeServices&) = delete;

    Services services();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace ondrel::platform
