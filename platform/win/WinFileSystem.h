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
    void RemoveStaleFile(const std::string& path) override;
};

} // namespace ondrel::platform
