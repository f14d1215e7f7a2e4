#include "app/LongFilename.h"

#include "platform/FileSystem.h"
#include "platform/PathStyle.h"

#include <cstddef>

namespace ondrel {

namespace {

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool beginsWithRoot(const std::string& path) {
    const std::size_t root = platform::rootLength();
    if (path.size() < root || !platform::isPathSeparator(path[root - 1]))
        return false;
    // A drive root is a letter and a colon before the separator.
    return root == 1 || (root == 3 && isDriveLetter(path[0]) && path[1] == ':');
}

} // namespace

LongFilename::LongFilename(platform::FileSystem& fileSystem) : m_fileSystem(fileSystem) {}

std::string LongFilename::of(const std::string& sShortName) const {
    if (!beginsWithRoot(sShortName))
        return "";
    const char separator = platform::pathSeparator();
    const std::size_t root = platform::rootLength();
    // The separator added at the end makes the last component end like the others.
    const std::string s = sShortName + separator;
    std::string longForm;
    for (std::size_t p = root; p < s.size(); ++p) {
        if (!platform::isPathSeparator(s[p]))
            continue;
        const bool last = p + 1 == s.size();
        const std::string name =
            last ? m_fileSystem.LookupEntryName(sShortName) : lookUpFolder(s.substr(0, p));
        if (name.empty())
            return "";
        longForm += separator;
        longForm += name;
    }
    // The drive ("C:") stays as given; on a system with a bare "/" root it is empty.
    return s.substr(0, root - 1) + longForm;
}

std::string LongFilename::lookUpFolder(const std::string& path) const {
    const auto known = m_folderNames.find(path);
    if (known != m_folderNames.end())
        return known->second;
    std::string name = m_fileSystem.LookupEntryName(path);
    m_folderNames.emplace(path, name);
    return name;
}

} // namespace ondrel
