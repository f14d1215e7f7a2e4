#pragma once

#include <stdexcept>
#include <string>

namespace ondrel::platform {

// A failed operating-system call. Carries what was attempted, on which path(s),
// and the system's own description, so the message box can name all three.
class PlatformError : public std::runtime_error {
public:
    PlatformError(std::string operation, std::string path, std::string reason);

    const std::string& operation() const { return m_operation; }
    const std::string& path() const { return m_path; }
    const std::string& reason() const { return m_reason; }

private:
    std::string m_operation;
    std::string m_path;
    std::string m_reason;
};

} // namespace ondrel::platform
