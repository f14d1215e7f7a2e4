#include "platform/linux/AtomicFile.h"

#include "platform/PathText.h"
#include "platform/linux/Errno.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace ondrel::platform {

namespace {

// Attempts at a temporary name before giving up: a clash needs another
// process's clean-up to take the new file in the moment between its creation
// and its lock, which does not happen twice in a row by chance.
constexpr int kNameAttempts = 20;

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

// Whether the name still stands for the open file: a clean-up may have taken
// it away, or put nothing, between the creation and the lock.
bool stillNamed(const std::string& path, int fd) {
    struct stat named {};
    struct stat open {};
    return ::lstat(path.c_str(), &named) == 0 && ::fstat(fd, &open) == 0 &&
           named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

enum class Lock { Taken, HeldElsewhere, NotOffered };

// Takes the lock of a temporary file. Held elsewhere, the file is another
// process's copy in progress. A volume that offers no locks tells nothing.
Lock lockFile(int fd) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return Lock::Taken;
    return errno == EWOULDBLOCK ? Lock::HeldElsewhere : Lock::NotOffered;
}

// A copy cut short by a card pulled out leaves its temporary file behind,
// where nothing could remove it. The names are ours alone: the next copy to the
// same destination clears them, so a card does not fill up with hidden parts.
// A part another running Ondrel still writes is locked, and stays, as does one
// we cannot tell about.
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
    for (const std::string& name : leftovers) {
        const std::string path = folder + "/" + name;
        FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!fd.valid() || lockFile(fd.get()) != Lock::Taken || !stillNamed(path, fd.get()))
            continue;
        // Removed while locked: its writer, if it just made it, sees the name gone.
        ::unlink(path.c_str());
    }
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
    const std::string pattern = m_folder + "/" + prefix + "XXXXXX";
    for (int attempt = 0; !m_fd.valid(); ++attempt) {
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        FileDescriptor fd(::mkostemp(buffer.data(), O_CLOEXEC));
        if (!fd.valid())
            fail(errno);
        // A clean-up that opened the new file before we locked it may have
        // taken it away: then it is no longer under its name.
        const bool ours =
            lockFile(fd.get()) != Lock::HeldElsewhere && stillNamed(buffer.data(), fd.get());
        if (!ours) {
            if (attempt + 1 == kNameAttempts)
                fail(EEXIST);
            continue;
        }
        m_fd.reset(fd.release());
        m_temporary.assign(buffer.data());
    }
    // Where the volume has no permission bits (FAT) this fails and does not matter.
    (void)::fchmod(m_fd.get(), mode);
}

AtomicFile::~AtomicFile() {
    // Removed while still locked, so that no clean-up sees it half gone.
    if (!m_committed && !m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_fd.reset();
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

void AtomicFile::flush() {
    if (m_flushed)
        return;
    if (::fsync(m_fd.get()) != 0)
        fail(errno);
    m_flushed = true;
}

void AtomicFile::commit(bool overwrite) {
    if (!overwrite) {
        if (!commitWithoutReplacing(m_destination))
            fail(EEXIST);
        return;
    }
    flush();
    // Renamed while still locked: a clean-up between the unlock and the rename
    // would take the whole copy away.
    if (::rename(m_temporary.c_str(), m_destination.c_str()) != 0)
        fail(errno);
    settle();
}

bool AtomicFile::commitWithoutReplacing(const std::string& path) {
    flush();
    if (::renameat2(AT_FDCWD, m_temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST)
            return false;
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            fail(errno);
        // A volume without the no-replace rename (FAT through FUSE, for one):
        // the name is first made ours by creating it, which fails when it is
        // taken, and only our own empty file is then replaced.
        FileDescriptor reserved(
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!reserved.valid()) {
            if (errno == EEXIST)
                return false;
            fail(errno);
        }
        reserved.reset();
        if (::rename(m_temporary.c_str(), path.c_str()) != 0) {
            const int error = errno;
            ::unlink(path.c_str());
            fail(error);
        }
    }
    settle();
    return true;
}

void AtomicFile::settle() {
    m_committed = true;
    // The data was flushed before the rename; what closing reports now could
    // not undo it.
    m_fd.reset();
    syncFolder(m_folder);
}

void AtomicFile::fail(int error) const {
    throwErrno(m_operation, m_errorPath, error);
}

} // namespace ondrel::platform
