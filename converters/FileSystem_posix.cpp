#include "converters/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ondrel::converters {

std::size_t lastSeparator(const std::string& path) {
    return path.rfind('/');
}

std::string sourceProblem(const std::string& path) {
    // Non-blocking, so that a FIFO without a writer does not hold us here;
    // O_NOCTTY, so that a terminal given as the source does not become ours.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return std::strerror(errno);
    struct stat info {};
    const bool examined = ::fstat(descriptor, &info) == 0;
    const int error = errno;
    ::close(descriptor);
    if (!examined)
        return std::strerror(error);
    if (!S_ISREG(info.st_mode))
        return "not a regular file";
    return {};
}

bool sameFile(const std::string& first, const std::string& second) {
    struct stat one {};
    struct stat two {};
    return ::stat(first.c_str(), &one) == 0 && ::stat(second.c_str(), &two) == 0 &&
           one.st_dev == two.st_dev && one.st_ino == two.st_ino;
}

std::string removeFileAt(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return {};
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return std::strerror(errno);
    return {};
}

} // namespace ondrel::converters
