#pragma once

#include <string>

namespace ondrel::platform {

// Per-user string values addressed by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored value, or defaultValue when nothing is stored.
    virtual std::string read(const std::string& application, const std::string& section,
                             const std::string& key, const std::string& defaultValue) const = 0;
    // Stores the value for the current user, on disk before it returns.
    virtual void write(const std::string& application, const std::string& section,
                       const std::string& key, const std::string& value) = 0;
};

} // namespace ondrel::platform
