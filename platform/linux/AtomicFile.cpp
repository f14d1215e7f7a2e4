#include "platform/linux/AtomicFile.h"

#include "platform/PathText.h"
#include "platform/linux/Errno.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace ondrel::platform {

namespace {

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Makes the rename itself durable; a folder that cannot be synced (some FUSE
// volumes) has done what it can.
void syncFolder(const std::string& folder) {
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        ::fsync(fd.get());
}

// A copy cut short by a card pulled out leaves its temporary file behind,
// where nothing could remove it. The names are ours alone: the next copy to the
// same destination clears them, so a card does not fill up with hidden parts.
void removeLeftovers(const std::string& folder, const std::string& prefix) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    std::vector<std::string> leftovers;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0)
            leftovers.push_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : leftovers)
        ::unlink((folder + "/" + name).c_str());
}

} // namespace

AtomicFile::AtomicFile(const std::string& destination, std::string operation, std::string errorPath,
                       mode_t mode)
    : m_destination(destination), m_folder(folderOf(destination)),
      m_operation(std::move(operation)), m_errorPath(std::move(errorPath)) {
    // Hidden, so that a file manager showing the card does not offer it; short
    // enough for any name limit when the destination's own name is long.
    const std::string name = lastComponent(destination);
    const std::string prefix = name.size() <= 200 ? "." + name + ".ondrel-" : ".ondrel-";
    if (name.size() <= 200)
        removeLeftovers(m_folder, prefix);
    std::string pattern = m_folder + "/" + prefix + "XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0)
        fail(errno);
    m_fd.reset(fd);
    m_temporary.assign(buffer.data());
    // Where the volume has no permission bits (FAT) this fails and does not matter.
    (void)::fchmod(fd, mode);
}

AtomicFile::~AtomicFile() {
    m_fd.reset();
    if (!m_committed && !m_temporary.empty())
        ::unlink(m_temporary.c_str());
}

void AtomicFile::write(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(m_fd.get(), data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void AtomicFile::commit(bool overwrite) {
    if (::fsync(m_fd.get()) != 0)
        fail(errno);
    if (::close(m_fd.release()) != 0)
        fail(errno);
    int result = 0;
    if (overwrite) {
        result = ::rename(m_temporary.c_str(), m_destination.c_str());
    } else {
        result = ::renameat2(AT_FDCWD, m_temporary.c_str(), AT_FDCWD, m_destination.c_str(),
                             RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A volume without the no-replace rename: test first, at a small risk of a race.
            struct stat existing {};
            if (::lstat(m_destination.c_str(), &existing) == 0)
                fail(EEXIST);
            result = ::rename(m_temporary.c_str(), m_destination.c_str());
        }
    }
    if (result != 0)
        fail(errno);
    m_committed = true;
    syncFolder(m_folder);
}

void AtomicFile::fail(int error) const {
    throwErrno(m_operation, m_errorPath, error);
}

} // namespace ondrel::platform
