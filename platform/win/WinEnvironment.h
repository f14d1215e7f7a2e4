#pragma once

#include "platform/Environment.h"

namespace ondrel::platform {

// What Windows tells the process about itself: its own command line, its
// environment block and the module it was loaded from.
class WinEnvironment final : public Environment {
public:
    std::string ArgumentText() const override;
    std::string Variable(const std::string& name) const override;
    std::string ProgramFolder() const override;
    std::string FullPath(const std::string& path) const override;
    std::string PrivateTempFolder() const override;
};

} // namespace ondrel::platform
