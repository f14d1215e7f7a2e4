#pragma once

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
};

} // namespace ondrel::platform
