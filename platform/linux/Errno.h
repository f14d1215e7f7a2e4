#pragma once

#include "platform/PlatformError.h"

#include <string>
#include <system_error>

namespace ondrel::platform {

// The system's own description of an errno value, as the message box shows it.
inline std::string errnoText(int error) {
    return std::generic_category().message(error);
}

[[noreturn]] inline void throwErrno(const std::string& operation, const std::string& path,
                                    int error) {
    throw PlatformError(operation, path, errnoText(error));
}

} // namespace ondrel::platform
