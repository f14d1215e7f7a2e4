#pragma once

#include "platform/FileSystem.h"
#include "platform/linux/FoldedNameIndex.h"

#include <sys/types.h>

#include <map>
#include <memory>
#include <string>

namespace ondrel::platform {

// The file operations on a POSIX file system.
class LinuxFileSystem : public FileSystem {
public:
    bool FolderExists(const std::string& path) const override;
    void CreateFolder(const std::string& path) override;
    bool FileExists(const std::string& path) const override;
    std::string GetExtensionName(const std::string& path) const override;
    std::string GetBaseName(const std::string& path) const override;
    void CopyFile(const std::string& source, const std::string& destination,
                  bool overwrite) override;
    void DeleteFile(const std::string& path, bool force) override;
    std::string LookupEntryName(const std::string& path) override;
    bool sameFile(const std::string& first, const std::string& second) const override;
    bool isOwnFile(const std::string& path) const override;
    std::string createFreeFile(const std::function<std::string(int)>& candidate,
                               int count) override;
    std::uint64_t ownFileSize(const std::string& path) const override;
    void removeEmptyOwnFile(const std::string& path) override;
    std::string readFileBytes(const std::string& path, std::uint64_t offset,
                              std::size_t length) const override;
    bool copyOwnFile(const std::string& source, const std::string& destination) override;
    std::string copyOwnFileToFreeName(const std::string& source,
                                      const std::function<std::string(int)>& candidate,
                                      int count) override;
    bool copyReadableFile(const std::string& source, const std::string& destination) override;
    std::string folderOnVolumeProblem(const std::string& path,
                                      const std::string& root) const override;
    std::string temporaryFolderProblem(const std::string& path) const override;

    // True when the volume holding the folder compares names without regard to
    // case: FAT, exFAT, NTFS, SMB and HFS volumes, whether the kernel or a FUSE
    // daemon serves them, and folders with the casefold flag.
    static bool isCaseInsensitiveFolder(const std::string& folder);

    // Whether a file-system type as the mount table names it ("vfat",
    // "fuse.fusefat", "fuseblk", ...) compares names without regard to case.
    static bool isCaseInsensitiveVolumeType(const std::string& type);

    // The file-system type that a mount table in the form of
    // /proc/self/mountinfo gives the volume of this device; "" when none.
    static std::string volumeTypeOf(const std::string& mountInfo, dev_t device);

private:
    // What is known of one folder that names were looked up in.
    struct Folder {
        dev_t device = 0; // of the entries last looked up in it
        bool caseInsensitive = false;
        std::unique_ptr<FoldedNameIndex> index; // built at the first look-up that needs it
    };

    Folder& folderInfo(const std::string& folderPath, dev_t entryDevice);
    std::string storedSpelling(const std::string& folderPath, Folder& folder,
                               const std::string& name, dev_t device, ino_t inode);

    std::map<std::string, Folder> m_folders;
};

} // namespace ondrel::platform
