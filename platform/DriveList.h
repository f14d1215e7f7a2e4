#pragma once

#include <future>
#include <optional>
#include <string>

namespace ondrel::platform {

// Which volume a drive letter stands for. The root is what precedes the
// separator in "L:\private\ds": "L:" on Windows, the mount point on POSIX.
class DriveList {
public:
    virtual ~DriveList() = default;
    // nullopt when the letter stands for no volume.
    virtual std::optional<std::string> DriveRoot(char letter) const = 0;

    // FileSystem::FolderExists of a path on one of the volumes, asked on a
    // thread of its own: a network or FUSE volume whose server stopped
    // answering holds every question about it, and the thread that asked,
    // until the server comes back, which may be never. The answer is ready at
    // once from a volume that works; the caller decides how long to wait for
    // it and may give up. Throws PlatformError when no thread can be made.
    virtual std::future<bool> askFolderExists(const std::string& path) const = 0;
};

} // namespace ondrel::platform
