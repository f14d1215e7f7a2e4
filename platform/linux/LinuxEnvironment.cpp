#include "platform/linux/LinuxEnvironment.h"

#include "platform/CommandLine.h"
#include "platform/linux/HomeFolder.h"
#include "platform/linux/PrivateTempFolder.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <vector>

namespace ondrel::platform {

namespace {

std::string currentFolder() {
    std::vector<char> buffer(PATH_MAX);
    if (::getcwd(buffer.data(), buffer.size()) != nullptr)
        return buffer.data();
    // The folder was removed under us; the shell's idea of it is the best left.
    const char* pwd = std::getenv("PWD");
    return pwd != nullptr && pwd[0] == '/' ? pwd : "/";
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return currentFolder();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The running executable itself, not the name it was started under nor the
// current folder: the converters and shortcuts are found beside it.
std::string executableFolder(const char* argv0) {
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), PATH_MAX);
    if (length > 0)
        return folderOf(std::string(buffer.data(), static_cast<std::size_t>(length)));
    if (argv0 != nullptr && ::realpath(argv0, buffer.data()) != nullptr)
        return folderOf(buffer.data());
    return currentFolder();
}

} // namespace

LinuxEnvironment::LinuxEnvironment(int argc, char** argv)
    : m_programFolder(executableFolder(argc > 0 ? argv[0] : nullptr)) {
    settleHomeFolder();
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    m_argumentText = arguments.empty() ? std::string() : joinArguments(arguments, currentFolder());
}

std::string LinuxEnvironment::Variable(const std::string& name) const {
    const char* value = std::getenv(name.c_str());
    return value == nullptr ? std::string() : std::string(value);
}

std::string LinuxEnvironment::FullPath(const std::string& path) const {
    if (path.empty() || path.front() == '/')
        return path;
    const std::string folder = currentFolder();
    return (folder == "/" ? folder : folder + "/") + path;
}

std::string LinuxEnvironment::PrivateTempFolder() const {
    return privateTempFolder();
}

} // namespace ondrel::platform
