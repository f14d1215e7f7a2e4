#include "platform/win/WinDriveList.h"

#include "platform/AnswerLater.h"
#include "platform/win/WinFileSystem.h"

namespace ondrel::platform {

// Whether a medium is in the drive is left to FolderExists, which answers
// false for an empty or missing drive without asking the user for a disk.
std::optional<std::string> WinDriveList::DriveRoot(char letter) const {
    if (letter < 'D' || letter > 'Z')
        return std::nullopt;
    return std::string{letter, ':'};
}

std::future<bool> WinDriveList::askFolderExists(const std::string& path) const {
    // A file-system object of the thread's own: it holds no state.
    return answerLater([path] { return WinFileSystem().FolderExists(path); }, "FolderExists", path);
}

} // namespace ondrel::platform
