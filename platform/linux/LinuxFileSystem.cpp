#include "platform/linux/LinuxFileSystem.h"

#include "platform/PathText.h"
#include "platform/linux/AtomicFile.h"
#include "platform/linux/Errno.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

namespace ondrel::platform {

namespace {

// Folders remembered by LookupEntryName; a launch looks in a handful, this only
// bounds a long run.
constexpr std::size_t kMaxRememberedFolders = 64;

bool statPath(const std::string& path, struct stat& status) {
    return !path.empty() && ::stat(path.c_str(), &status) == 0;
}

bool isReadOnly(const struct stat& status) {
    return !S_ISLNK(status.st_mode) && (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

std::vector<std::string> storedNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return names;
    while (const dirent* entry = ::readdir(dir))
        names.emplace_back(entry->d_name);
    ::closedir(dir);
    return names;
}

// Every FUSE volume reports this one type to statfs; which file system the
// daemon serves only the mount table tells.
constexpr unsigned long kFuseMagic = 0x65735546UL;

std::string mountTable() {
    std::ifstream in("/proc/self/mountinfo");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool sameEntry(const std::string& path, dev_t device, ino_t inode) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && status.st_dev == device && status.st_ino == inode;
}

// What a file made by this user here looks like: a regular file (no link),
// with no other name that someone could have given it, that is the user's.
bool isOwn(const struct stat& status) {
    return S_ISREG(status.st_mode) && status.st_uid == ::geteuid() && status.st_nlink <= 1;
}

// A descriptor of the file at path when it is isOwn, judged on the file opened;
// -1 otherwise. A link at path is not followed, a FIFO not waited on.
int openOwnFile(const std::string& path, struct stat& status) {
    FileDescriptor fd(
        ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid() || ::fstat(fd.get(), &status) != 0 || !isOwn(status))
        return -1;
    ::fcntl(fd.get(), F_SETFL, 0);
    return fd.release();
}

// Pours what is left to read of a descriptor into the file; the errno of a
// failed read, 0 when everything was read. Failed writes throw.
int pour(int in, AtomicFile& out) {
    std::vector<char> buffer(1 << 18);
    for (;;) {
        const ssize_t count = ::read(in, buffer.data(), buffer.size());
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (count == 0)
            return 0;
        out.write(buffer.data(), static_cast<std::size_t>(count));
    }
}

} // namespace

bool LinuxFileSystem::FolderExists(const std::string& path) const {
    struct stat status {};
    return statPath(path, status) && S_ISDIR(status.st_mode);
}

void LinuxFileSystem::CreateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) != 0)
        throwErrno("CreateFolder", path, errno);
}

bool LinuxFileSystem::FileExists(const std::string& path) const {
    struct stat status {};
    return statPath(path, status) && !S_ISDIR(status.st_mode);
}

std::string LinuxFileSystem::GetExtensionName(const std::string& path) const {
    return extensionNameOf(path);
}

std::string LinuxFileSystem::GetBaseName(const std::string& path) const {
    return baseNameOf(path);
}

void LinuxFileSystem::CopyFile(const std::string& source, const std::string& destination,
                               bool overwrite) {
    const std::string paths = source + " -> " + destination;
    struct stat existing {};
    if (!overwrite && ::lstat(destination.c_str(), &existing) == 0)
        throwErrno("CopyFile", paths, EEXIST);

    // Non-blocking only so that a FIFO named as source cannot hang the open.
    FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!in.valid())
        throwErrno("CopyFile", paths, errno);
    struct stat status {};
    if (::fstat(in.get(), &status) != 0)
        throwErrno("CopyFile", paths, errno);
    if (S_ISDIR(status.st_mode))
        throwErrno("CopyFile", paths, EISDIR);
    if (!S_ISREG(status.st_mode))
        throw PlatformError("CopyFile", paths, "not a regular file");
    ::fcntl(in.get(), F_SETFL, 0);

    AtomicFile out(destination, "CopyFile", paths, status.st_mode & 0777);
    if (const int error = pour(in.get(), out))
        throwErrno("CopyFile", paths, error);
    out.commit(overwrite);
}

void LinuxFileSystem::DeleteFile(const std::string& path, bool force) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        throwErrno("DeleteFile", path, errno);
    if (S_ISDIR(status.st_mode))
        throwErrno("DeleteFile", path, EISDIR);
    // POSIX lets anyone with a writable folder unlink a read-only file; without
    // force, keep the scripting runtime's refusal.
    if (!force && isReadOnly(status))
        throwErrno("DeleteFile", path, EACCES);
    if (::unlink(path.c_str()) != 0)
        throwErrno("DeleteFile", path, errno);
}

std::string LinuxFileSystem::LookupEntryName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty())
        return std::string();
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0)
        return std::string();
    if (name == "." || name == "..")
        return name;
    const std::string folderPath = slash == std::string::npos ? std::string(".")
                                   : slash == 0               ? std::string("/")
                                                              : path.substr(0, slash);
    Folder& folder = folderInfo(folderPath, entry.st_dev);
    // On a case-sensitive volume the entry was found under exactly this spelling,
    // so this spelling is the stored one: no scan needed.
    if (!folder.caseInsensitive)
        return name;
    return storedSpelling(folderPath, folder, name, entry.st_dev, entry.st_ino);
}

bool LinuxFileSystem::sameFile(const std::string& first, const std::string& second) const {
    struct stat one {};
    struct stat two {};
    return statPath(first, one) && statPath(second, two) && one.st_dev == two.st_dev &&
           one.st_ino == two.st_ino;
}

bool LinuxFileSystem::isOwnFile(const std::string& path) const {
    struct stat status {};
    return !path.empty() && ::lstat(path.c_str(), &status) == 0 && isOwn(status);
}

std::string LinuxFileSystem::createFreeFile(const std::function<std::string(int)>& candidate,
                                            int count) {
    for (int n = 1; n <= count; ++n) {
        const std::string path = candidate(n);
        // O_EXCL fails on any entry of that name, a dangling link included.
        FileDescriptor fd(::open(path.c_str(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC,
                                 S_IRUSR | S_IWUSR));
        if (fd.valid())
            return path;
        if (errno != EEXIST)
            throwErrno("CreateFreeFile", path, errno);
    }
    return {};
}

std::uint64_t LinuxFileSystem::ownFileSize(const std::string& path) const {
    struct stat status {};
    if (path.empty() || ::lstat(path.c_str(), &status) != 0 || !isOwn(status))
        return 0;
    return static_cast<std::uint64_t>(status.st_size);
}

void LinuxFileSystem::removeEmptyOwnFile(const std::string& path) {
    struct stat status {};
    if (!path.empty() && ::lstat(path.c_str(), &status) == 0 && isOwn(status) &&
        status.st_size == 0)
        ::unlink(path.c_str());
}

std::string LinuxFileSystem::readFileBytes(const std::string& path, std::uint64_t offset,
                                           std::size_t length) const {
    // Non-blocking only so that a FIFO cannot hang the open.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    if (!fd.valid() || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        offset >= static_cast<std::uint64_t>(status.st_size))
        return {};
    const std::uint64_t left = static_cast<std::uint64_t>(status.st_size) - offset;
    std::string bytes(static_cast<std::size_t>(std::min<std::uint64_t>(length, left)), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::pread(fd.get(), bytes.data() + done, bytes.size() - done,
                                      static_cast<off_t>(offset + done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        done += static_cast<std::size_t>(count);
    }
    bytes.resize(done);
    return bytes;
}

bool LinuxFileSystem::copyOwnFile(const std::string& source, const std::string& destination) {
    const std::string paths = source + " -> " + destination;
    struct stat status {};
    FileDescriptor in(openOwnFile(source, status));
    if (!in.valid())
        return false;
    AtomicFile out(destination, "CopyFile", paths, status.st_mode & 0777);
    if (const int error = pour(in.get(), out))
        throwErrno("CopyFile", paths, error);
    out.commit(true);
    return true;
}

std::string LinuxFileSystem::copyOwnFileToFreeName(const std::string& source,
                                                   const std::function<std::string(int)>& candidate,
                                                   int count) {
    struct stat status {};
    FileDescriptor in(openOwnFile(source, status));
    if (!in.valid() || count < 1)
        return {};
    const std::string first = candidate(1);
    const std::string paths = source + " -> " + first;
    // Written once; only the name it finally takes is looked for.
    AtomicFile out(first, "CopyFile", paths, status.st_mode & 0777);
    if (const int error = pour(in.get(), out))
        throwErrno("CopyFile", paths, error);
    for (int n = 1; n <= count; ++n) {
        const std::string path = n == 1 ? first : candidate(n);
        if (out.commitWithoutReplacing(path))
            return path;
    }
    return {};
}

bool LinuxFileSystem::copyReadableFile(const std::string& source, const std::string& destination) {
    const std::string paths = source + " -> " + destination;
    // Non-blocking only so that a FIFO cannot hang the open; it is then
    // refused, as anything else that is not a regular file.
    FileDescriptor in(::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    if (!in.valid() || ::fstat(in.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    ::fcntl(in.get(), F_SETFL, 0);
    AtomicFile out(destination, "CopyFile", paths, status.st_mode & 0777);
    // A source that cannot be read to its end leaves nothing behind.
    if (pour(in.get(), out) != 0)
        return false;
    out.commit(true);
    return true;
}

std::string LinuxFileSystem::folderOnVolumeProblem(const std::string& path,
                                                   const std::string& root) const {
    struct stat entry {};
    if (path.empty() || ::lstat(path.c_str(), &entry) != 0)
        return errnoText(path.empty() ? ENOENT : errno);
    if (S_ISLNK(entry.st_mode))
        return "Is a symbolic link";
    if (!S_ISDIR(entry.st_mode))
        return errnoText(ENOTDIR);
    struct stat volume {};
    if (!statPath(root, volume))
        return errnoText(root.empty() ? ENOENT : errno);
    if (entry.st_dev != volume.st_dev)
        return "Lies on another volume than " + root;
    return {};
}

std::string LinuxFileSystem::temporaryFolderProblem(const std::string& path) const {
    if (path.empty() || path.front() != '/')
        return "Not a full path";
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return errnoText(errno);
    if (!S_ISDIR(status.st_mode))
        return errnoText(ENOTDIR);
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return errnoText(errno);
    return {};
}

bool LinuxFileSystem::isCaseInsensitiveFolder(const std::string& folder) {
    struct statfs volume {};
    if (::statfs(folder.c_str(), &volume) != 0)
        return false;
    const auto type = static_cast<unsigned long>(volume.f_type);
    if (type == kFuseMagic) {
        struct stat status {};
        return ::stat(folder.c_str(), &status) == 0 &&
               isCaseInsensitiveVolumeType(volumeTypeOf(mountTable(), status.st_dev));
    }
    switch (type) {
    case 0x4d44UL:     // FAT (msdos, vfat)
    case 0x2011BAB0UL: // exFAT
    case 0x5346544eUL: // NTFS (ntfs)
    case 0x7366746eUL: // NTFS (ntfs3)
    case 0xFF534D42UL: // CIFS
    case 0xFE534D42UL: // SMB2
    case 0x4244UL:     // HFS
    case 0x482bUL:     // HFS+
        return true;
    default:
        break;
    }
    // ext4, f2fs and tmpfs fold case per folder, marked by a flag.
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    int flags = 0;
    return fd.valid() && ::ioctl(fd.get(), FS_IOC_GETFLAGS, &flags) == 0 &&
           (flags & 0x40000000) != 0; // FS_CASEFOLD_FL
}

bool LinuxFileSystem::isCaseInsensitiveVolumeType(const std::string& type) {
    // A FUSE type is "fuse.<daemon>" ("fuseblk.<daemon>" for some); fuseblk
    // alone is a daemon on a block device, in practice ntfs-3g or exFAT.
    std::string_view name = type;
    for (const std::string_view prefix : {"fuseblk.", "fuse."}) {
        if (name.substr(0, prefix.size()) == prefix) {
            name.remove_prefix(prefix.size());
            break;
        }
    }
    static constexpr std::string_view kNames[] = {
        "vfat",       "msdos", "fat",   "umsdos",  "fusefat",    "exfat",
        "exfat-fuse", "ntfs",  "ntfs3", "ntfs-3g", "lowntfs-3g", "fuseblk",
        "cifs",       "smb3",  "smbfs", "hfs",     "hfsplus"};
    for (const std::string_view known : kNames) {
        if (name == known)
            return true;
    }
    return false;
}

std::string LinuxFileSystem::volumeTypeOf(const std::string& mountInfo, dev_t device) {
    // One mount per line: "id parent major:minor root point options [tags] - type source ...".
    // A later line for the same device is a mount over an earlier one.
    const std::string wanted = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    std::string found;
    std::istringstream lines(mountInfo);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string id, parent, numbers;
        if (!(fields >> id >> parent >> numbers) || numbers != wanted)
            continue;
        const std::size_t separator = line.find(" - ");
        if (separator == std::string::npos)
            continue;
        std::istringstream tail(line.substr(separator + 3));
        std::string type;
        if (tail >> type)
            found = type;
    }
    return found;
}

LinuxFileSystem::Folder& LinuxFileSystem::folderInfo(const std::string& folderPath,
                                                     dev_t entryDevice) {
    // A folder's entries share its volume (a mount point aside, whose device
    // then differs and is checked anew), and whether a folder folds case does
    // not change while it holds entries. So a look-up costs one lstat, which
    // matters when a launch looks up every component of 32767 paths.
    const auto found = m_folders.find(folderPath);
    if (found != m_folders.end() && found->second.device == entryDevice)
        return found->second;
    if (found == m_folders.end() && m_folders.size() >= kMaxRememberedFolders)
        m_folders.clear();
    Folder& folder = m_folders[folderPath];
    folder.device = entryDevice;
    folder.caseInsensitive = isCaseInsensitiveFolder(folderPath);
    folder.index.reset();
    return folder;
}

std::string LinuxFileSystem::storedSpelling(const std::string& folderPath, Folder& folder,
                                            const std::string& name, dev_t device, ino_t inode) {
    const std::string prefix = folderPath == "/" ? folderPath : folderPath + "/";
    const auto find = [&]() -> std::optional<std::string> {
        for (const std::string& stored : folder.index->candidates(name)) {
            if (stored == name || sameEntry(prefix + stored, device, inode))
                return stored;
        }
        return std::nullopt;
    };
    // An index older than the entry misses it; one fresh scan then settles it.
    if (folder.index) {
        if (auto stored = find())
            return *stored;
    }
    folder.index = std::make_unique<FoldedNameIndex>(storedNames(folderPath));
    if (auto stored = find())
        return *stored;
    // Some FUSE volumes (fusefat) number each spelling of a name as an inode
    // of its own, so the entry is not known by its inode there. The volume
    // ignores case and the entry exists: a single stored name that folds
    // alike is the one.
    const std::vector<std::string>& candidates = folder.index->candidates(name);
    if (candidates.size() == 1)
        return candidates.front();
    // The entry exists, but the volume folds names differently than we do.
    return name;
}

} // namespace ondrel::platform
