#pragma once

#include "platform/DriveList.h"

#include <string>
#include <vector>

namespace ondrel::platform {

// The mount points that stand for drive letters D to Z, in that order, from the
// text of /proc/self/mountinfo: volumes mounted at or below /media, /run/media
// or /mnt (where desktops and people mount memory cards), each once, sorted by
// mount point, at most 23.
std::vector<std::string> removableMountPoints(const std::string& mountinfoText);

// The letters D to Z over the removable mount points, read afresh at each call
// because cards come and go while the program runs.
class LinuxDriveList : public DriveList {
public:
    explicit LinuxDriveList(std::string mountTable = "/proc/self/mountinfo");
    std::optional<std::string> DriveRoot(char letter) const override;
    std::future<bool> askFolderExists(const std::string& path) const override;

private:
    std::string m_mountTable;
};

} // namespace ondrel::platform
