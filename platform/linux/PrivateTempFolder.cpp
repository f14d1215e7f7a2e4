#include "platform/linux/PrivateTempFolder.h"

#include "platform/linux/Errno.h"
#include "platform/linux/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace ondrel::platform {

namespace {

std::string systemTempFolder() {
    std::string folder;
    if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir != nullptr && tmpdir[0] == '/')
        folder = tmpdir;
    else
        folder = "/tmp";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

} // namespace

std::string privateTempFolder() {
    const std::string base = systemTempFolder();
    const std::string folder =
        (base == "/" ? base : base + "/") + "ondrel-" + std::to_string(::geteuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        throwErrno("PrivateTempFolder", folder, errno);
    // Checked through a descriptor of the folder itself, so that what is checked
    // is what is used: another user may have planted a link or a folder of theirs
    // at this predictable name in a shared /tmp.
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid()) {
        if (errno == ELOOP)
            throw PlatformError("PrivateTempFolder", folder, "is a symbolic link");
        throwErrno("PrivateTempFolder", folder, errno);
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        throwErrno("PrivateTempFolder", folder, errno);
    if (status.st_uid != ::geteuid())
        throw PlatformError("PrivateTempFolder", folder, "belongs to another user");
    if ((status.st_mode & 0077) != 0 && ::fchmod(fd.get(), 0700) != 0)
        throwErrno("PrivateTempFolder", folder, errno);
    return folder;
}

} // namespace ondrel::platform
