#pragma once

#include <string>

namespace ondrel {

namespace platform {
class FileSystem;
}

// The long form of an absolute path: every component spelled as it is stored
// in its folder, found by one directory look-up per component.
class LongFilename {
public:
    explicit LongFilename(platform::FileSystem& fileSystem);

    // "" when a component cannot be found, or when the path does not begin
    // with this system's root ("/" or a drive such as "C:\"), since a
    // relative path gives the look-ups nothing to start from.
    std::string of(const std::string& sShortName) const;

private:
    platform::FileSystem& m_fileSystem;
};

} // namespace ondrel
