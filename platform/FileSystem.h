#pragma once

#include <string>

namespace ondrel::platform {

// The file operations the program needs, with the scripting runtime's
// semantics. The three that change something throw PlatformError on failure;
// the others never fail.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // True exactly when a folder of that path exists; false for a missing
    // path, a file, a missing drive or a drive without a medium.
    virtual bool FolderExists(const std::string& path) const = 0;
    // Creates one folder whose parent exists.
    virtual void CreateFolder(const std::string& path) = 0;
    // True exactly when a file of that path exists; a folder does not count.
    virtual bool FileExists(const std::string& path) const = 0;
    // Text after the last dot of the last component, "" without a dot.
    virtual std::string GetExtensionName(const std::string& path) const = 0;
    // Last component without its last dot and what follows it.
    virtual std::string GetBaseName(const std::string& path) const = 0;
    // Always replaces atomically: a temporary file beside the destination is
    // written, flushed to the device and renamed over it, so a failed copy
    // leaves no partial file and an older destination intact.
    virtual void CopyFile(const std::string& source, const std::string& destination,
                          bool overwrite) = 0;
    // Deletes a file; with force also a read-only one. A missing file is an error.
    virtual void DeleteFile(const std::string& path, bool force) = 0;

    // The name under which the entry that the path's last component designates
    // is stored in its directory (normal, hidden, system file or directory):
    // on a case-insensitive volume the stored spelling. "" when it is missing.
    virtual std::string LookupEntryName(const std::string& path) = 0;

    // Removes a file left from an earlier run (a link itself, not its target).
    // Nothing to remove is no error; a removal that fails throws.
    virtual void RemoveStaleFile(const std::string& path) = 0;
};

} // namespace ondrel::platform
