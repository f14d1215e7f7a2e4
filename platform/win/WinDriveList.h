#pragma once

#include "platform/DriveList.h"

namespace ondrel::platform {

// On Windows a drive letter is its own root: "E:" stands for drive E.
class WinDriveList final : public DriveList {
public:
    std::optional<std::string> DriveRoot(char letter) const override;
    // A mapped network drive whose server is gone keeps the question for
    // the network's time-outs, a minute or more.
    std::future<bool> askFolderExists(const std::string& path) const override;
};

} // namespace ondrel::platform
