#include "platform/PathStyle.h"

#include "platform/PathText.h"

#include <vector>

namespace ondrel::platform {

char pathSeparator() {
    return '\\';
}

// Win32 accepts both; paths dropped from some tools arrive with forward slashes.
bool isPathSeparator(char c) {
    return c == '\\' || c == '/';
}

namespace {

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// "X:\" at `at`: its length, 0 when there is none.
std::size_t driveRootAt(const std::string& path, std::size_t at) {
    const bool drive = path.size() >= at + 3 && isDriveLetter(path[at]) && path[at + 1] == ':' &&
                       isPathSeparator(path[at + 2]);
    return drive ? 3 : 0;
}

// The end of the component that starts at `at`, its separator included; 0
// when it is empty or no separator follows it.
std::size_t componentEnd(const std::string& path, std::size_t at) {
    std::size_t end = at;
    while (end < path.size() && !isPathSeparator(path[end]))
        ++end;
    return end > at && end < path.size() ? end + 1 : 0;
}

// "server\share\" at `at`: where it ends, 0 when either is missing.
std::size_t shareEnd(const std::string& path, std::size_t at) {
    const std::size_t server = componentEnd(path, at);
    return server == 0 ? 0 : componentEnd(path, server);
}

bool isUncWord(const std::string& path, std::size_t at) {
    return path.size() >= at + 4 && (path[at] == 'U' || path[at] == 'u') &&
           (path[at + 1] == 'N' || path[at + 1] == 'n') &&
           (path[at + 2] == 'C' || path[at + 2] == 'c') && isPathSeparator(path[at + 3]);
}

} // namespace

// The share of a network path is no entry of a folder that could be looked
// up: "\\server\share\" stands as the root, as written.
std::size_t rootLength(const std::string& path) {
    if (const std::size_t drive = driveRootAt(path, 0))
        return drive;
    if (path.size() < 2 || !isPathSeparator(path[0]) || !isPathSeparator(path[1]))
        return 0;
    // "\\?\" and "\\.\" lead to a drive, a share or a volume's own name.
    const bool prefixed =
        path.size() >= 4 && (path[2] == '?' || path[2] == '.') && isPathSeparator(path[3]);
    if (!prefixed)
        return shareEnd(path, 2);
    if (const std::size_t drive = driveRootAt(path, 4))
        return 4 + drive;
    if (isUncWord(path, 4))
        return shareEnd(path, 8);
    return componentEnd(path, 4);
}

namespace {

bool endsInDotOrSpace(const std::string& component) {
    return !component.empty() && (component.back() == '.' || component.back() == ' ');
}

} // namespace

// Win32 takes a last component named as a device ("Aux.mp3") for the device,
// and drops dots and spaces at the end of a component ("song. " opens
// "song"); names like these come from network shares and volumes written
// elsewhere. Such a path goes in the "\\?\" form, which names exactly what is
// written, with "." and ".." resolved first as Win32 resolves them, since that
// form would take them literally. Any other path goes as given.
std::string literalPath(const std::string& path) {
    const bool drive = driveRootAt(path, 0) != 0;
    const bool network = path.size() >= 3 && isPathSeparator(path[0]) && isPathSeparator(path[1]) &&
                         path[2] != '?' && path[2] != '.';
    const std::size_t root = drive || network ? rootLength(path) : 0;
    if (root == 0)
        return path;
    std::vector<std::string> components;
    bool readOtherwise = false;
    std::size_t start = root;
    while (start <= path.size()) {
        std::size_t end = start;
        while (end < path.size() && !isPathSeparator(path[end]))
            ++end;
        const std::string component = path.substr(start, end - start);
        if (component == "..") {
            if (!components.empty())
                components.pop_back();
        } else if (!component.empty() && component != ".") {
            readOtherwise = readOtherwise || endsInDotOrSpace(component);
            components.push_back(component);
        }
        start = end + 1;
    }
    if (!readOtherwise && (components.empty() || !isDeviceName(components.back())))
        return path;
    std::string literal =
        drive ? "\\\\?\\" + path.substr(0, 2) : "\\\\?\\UNC\\" + path.substr(2, root - 3);
    for (const std::string& component : components)
        literal += '\\' + component;
    for (char& c : literal) {
        if (c == '/')
            c = '\\';
    }
    return literal;
}

std::string programFileName() {
    return "Ondrel.exe";
}

// Whatever Windows stores on its own volumes is also storable on the card.
std::string cardFileName(const std::string& name) {
    return localFileName(name);
}

// A song's name comes from a file that may live where Windows rules do not
// reach (a network share, a card written elsewhere), and the name of a device
// would open the device: TEMP\Aux.mp4 always "exists" and cannot be removed.
std::string localFileName(const std::string& name) {
    return withoutDeviceName(name);
}

} // namespace ondrel::platform
