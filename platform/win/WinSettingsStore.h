#pragma once

#include "platform/SettingsStore.h"

namespace ondrel::platform {

// Values under HKEY_CURRENT_USER\Software\<application>\<section>, one REG_SZ
// value per key.
class WinSettingsStore final : public SettingsStore {
public:
    std::string read(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& defaultValue) const override;
    void write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override;
};

} // namespace ondrel::platform
