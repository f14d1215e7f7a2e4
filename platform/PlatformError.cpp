#include "platform/PlatformError.h"

namespace ondrel::platform {

namespace {
std::string describe(const std::string& operation, const std::string& path,
                     const std::string& reason) {
    return operation + " \"" + path + "\": " + reason;
}
} // namespace

PlatformError::PlatformError(std::string operation, std::string path, std::string reason)
    : std::runtime_error(describe(operation, path, reason)), m_operation(std::move(operation)),
      m_path(std::move(path)), m_reason(std::move(reason)) {}

} // namespace ondrel::platform
