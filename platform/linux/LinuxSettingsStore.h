#pragma once

#include "platform/SettingsStore.h"

#include <string>

namespace ondrel::platform {

// One INI file per application in the user's config folder
// ($XDG_CONFIG_HOME/<application>.ini); sections are its groups.
class LinuxSettingsStore : public SettingsStore {
public:
    std::string read(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& defaultValue) const override;
    void write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override;

    // Where the application's values are stored; the config folder is read at each call.
    static std::string filePath(const std::string& application);
};

} // namespace ondrel::platform
