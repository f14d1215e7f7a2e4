#pragma once

#include <string>
#include <unordered_map>

namespace ondrel {

namespace platform {
class FileSystem;
}

// The long form of an absolute path: every component spelled as it is stored
// in its folder, found by one directory look-up per component.
//
// One object remembers the folders it has looked up, so that a list of files
// from the same folder costs one look-up per file, not one per component;
// use one object only for as long as the folders cannot change under it.
class LongFilename {
public:
    explicit LongFilename(platform::FileSystem& fileSystem);

    // "" when a component cannot be found, or when the path does not begin
    // with a root of this system ("/", a drive such as "C:\", a network
    // share "\\server\share"), since a relative path gives the look-ups
    // nothing to start from. The root stays as written.
    std::string of(const std::string& sShortName) const;

private:
    std::string lookUpFolder(const std::string& path) const;

    platform::FileSystem& m_fileSystem;
    mutable std::unordered_map<std::string, std::string> m_folderNames;
};

} // namespace ondrel
