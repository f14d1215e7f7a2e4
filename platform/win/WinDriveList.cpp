#include "platform/win/WinDriveList.h"

namespace ondrel::platform {

// Whether a medium is in the drive is left to FolderExists, which answers
// false for an empty or missing drive without asking the user for a disk.
std::optional<std::string> WinDriveList::DriveRoot(char letter) const {
    if (letter < 'D' || letter > 'Z')
        return std::nullopt;
    return std::string{letter, ':'};
}

} // namespace ondrel::platform
