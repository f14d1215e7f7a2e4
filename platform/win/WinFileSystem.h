#pragma once

#include "platform/FileSystem.h"

namespace ondrel::platform {

// The file operations on Win32's own calls. Paths are UTF-8 and may use '\'
// or '/' as separators.
class WinFileSystem final : public FileSystem {
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
};

} // namespace ondrel::platform
