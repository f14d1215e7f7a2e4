#include "platform/linux/LinuxDriveList.h"

#include "platform/AnswerLater.h"
#include "platform/linux/LinuxFileSystem.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace ondrel::platform {

namespace {

constexpr std::size_t kLetters = 'Z' - 'D' + 1;

// mountinfo writes space, tab, new line and backslash in paths as \ooo.
std::string decoded(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto isOctal = [&field](std::size_t at) {
            return at < field.size() && field[at] >= '0' && field[at] <= '7';
        };
        if (field[i] == '\\' && isOctal(i + 1) && isOctal(i + 2) && isOctal(i + 3)) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

bool isRemovablePlace(const std::string& mountPoint) {
    for (const std::string base : {"/media", "/run/media", "/mnt"}) {
        if (mountPoint == base || mountPoint.rfind(base + "/", 0) == 0)
            return true;
    }
    return false;
}

} // namespace

std::vector<std::string> removableMountPoints(const std::string& mountinfoText) {
    std::vector<std::string> mountPoints;
    std::istringstream lines(mountinfoText);
    std::string line;
    while (std::getline(lines, line)) {
        // ID, parent ID, major:minor, root, mount point, ...
        std::istringstream fields(line);
        std::string field;
        std::string mountPoint;
        for (int i = 0; i < 5 && fields >> field; ++i)
            mountPoint = i == 4 ? decoded(field) : std::string();
        if (isRemovablePlace(mountPoint))
            mountPoints.push_back(mountPoint);
    }
    std::sort(mountPoints.begin(), mountPoints.end());
    mountPoints.erase(std::unique(mountPoints.begin(), mountPoints.end()), mountPoints.end());
    if (mountPoints.size() > kLetters)
        mountPoints.resize(kLetters);
    return mountPoints;
}

LinuxDriveList::LinuxDriveList(std::string mountTable) : m_mountTable(std::move(mountTable)) {}

std::optional<std::string> LinuxDriveList::DriveRoot(char letter) const {
    if (letter >= 'a' && letter <= 'z')
        letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'D' || letter > 'Z')
        return std::nullopt;
    std::ifstream in(m_mountTable);
    std::ostringstream text;
    text << in.rdbuf();
    const std::vector<std::string> mountPoints = removableMountPoints(text.str());
    const auto index = static_cast<std::size_t>(letter - 'D');
    if (index >= mountPoints.size())
        return std::nullopt;
    return mountPoints[index];
}

std::future<bool> LinuxDriveList::askFolderExists(const std::string& path) const {
    // A file-system object of the thread's own: nothing of this one may be
    // left for a thread that ends long after it, if ever.
    return answerLater([path] { return LinuxFileSystem().FolderExists(path); }, "FolderExists",
                       path);
}

} // namespace ondrel::platform
