#pragma once

// Helpers of the POSIX-only contract tests.

#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace contract {

// Sets (or, with nullopt, unsets) an environment variable for one test.
class ScopedVariable {
public:
    ScopedVariable(std::string name, const std::optional<std::string>& value)
        : m_name(std::move(name)) {
        if (const char* old = std::getenv(m_name.c_str()))
            m_old = old;
        set(value);
    }
    ~ScopedVariable() { set(m_old); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void set(const std::optional<std::string>& value) {
        if (value)
            ::setenv(m_name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }

    std::string m_name;
    std::optional<std::string> m_old;
};

inline bool runningAsRoot() {
    return ::geteuid() == 0;
}

// Runs a command through /bin/sh; its exit status, or -1.
int runShell(const std::string& command);

// Single-quotes a value for /bin/sh.
std::string shellQuoted(const std::string& value);

} // namespace contract
