#pragma once

#include "platform/DriveList.h"

namespace ondrel::platform {

// On Windows a drive letter is its own root: "E:" stands for drive E.
class WinDriveList final : public DriveList {
public:
    std::optional<std::string> DriveRoot(char letter) const override;
};

} // namespace ondrel::platform
