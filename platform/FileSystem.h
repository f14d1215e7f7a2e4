#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace ondrel::platform {

// The file operations the program needs, with the scripting runtime's
// semantics, and the few it needs besides to work in folders it shares with
// other users and other running Ondrels. Those that change something throw
// PlatformError on failure; the others never fail.
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

    // Whether both paths name one existing file, links and ".." resolved by the
    // system: device and inode, or on Windows volume and file index.
    virtual bool sameFile(const std::string& first, const std::string& second) const = 0;

    // Whether the path names a file this user made: a regular file, no link,
    // with no other name, that belongs to the user. In a shared temporary
    // folder another user's file under the same name never passes.
    virtual bool isOwnFile(const std::string& path) const = 0;

    // Makes an empty file under the first of candidate(1), candidate(2) ...
    // candidate(count) that names nothing at the moment it is made, so that
    // the name is this process's own: nothing that stood anywhere is replaced,
    // and nothing else can take the name meanwhile. All candidates lie in one
    // folder. Returns the path made; "" when every candidate is taken. Throws
    // when the folder takes no file.
    virtual std::string createFreeFile(const std::function<std::string(int)>& candidate,
                                       int count) = 0;

    // The size of a file that isOwnFile; 0 for anything else.
    virtual std::uint64_t ownFileSize(const std::string& path) const = 0;

    // Removes the file when it isOwnFile and empty (a name made by
    // createFreeFile that nothing was written under); anything else stays.
    // Never fails.
    virtual void removeEmptyOwnFile(const std::string& path) = 0;

    // Up to length bytes of the file from offset on: fewer at its end, ""
    // past it, or when it cannot be read as a regular file. Never fails.
    virtual std::string readFileBytes(const std::string& path, std::uint64_t offset,
                                      std::size_t length) const = 0;

    // CopyFile with overwrite from a file that must be isOwnFile, judged on
    // the file opened, so that nothing can be put in its place in between.
    // False, with nothing read or written, when it is not such a file.
    virtual bool copyOwnFile(const std::string& source, const std::string& destination) = 0;

    // Copies an isOwnFile without ever replacing anything: the copy takes the
    // first of candidate(1), candidate(2) ... candidate(count) that names
    // nothing at the moment it is renamed there. All candidates lie in one
    // folder. Returns the path taken; "" when the source is not such a file or
    // every candidate is taken.
    virtual std::string copyOwnFileToFreeName(const std::string& source,
                                              const std::function<std::string(int)>& candidate,
                                              int count) = 0;

    // CopyFile with overwrite from a file given by the user. False, with
    // nothing written, when the source cannot be read as a regular file (gone,
    // a folder, a FIFO or a device, which are never waited on, a read error);
    // failures on the destination's side throw as CopyFile's.
    virtual bool copyReadableFile(const std::string& source, const std::string& destination) = 0;

    // "" when the path is a folder of the volume whose root is given, reached
    // without a link: its last component no link, its device the root's.
    // Otherwise why not. Never fails.
    virtual std::string folderOnVolumeProblem(const std::string& path,
                                              const std::string& root) const = 0;

    // "" when the path is a full path of a folder this user can make files in;
    // otherwise why not. Never fails.
    virtual std::string temporaryFolderProblem(const std::string& path) const = 0;
};

} // namespace ondrel::platform
