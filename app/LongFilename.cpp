#include "app/LongFilename.h"

#include "platform/FileSystem.h"
#include "platform/PathStyle.h"

#include <cstddef>

namespace ondrel {

LongFilename::LongFilename(platform::FileSystem& fileSystem) : m_fileSystem(fileSystem) {}

std::string LongFilename::of(const std::string& sShortName) const {
    const char separator = platform::pathSeparator();
    // The separator added at the end makes the last component end like the
    // others, and a network share given alone a root.
    const std::string s = sShortName + separator;
    const std::size_t root = platform::rootLength(s);
    if (root == 0)
        return "";
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
    // The root ("C:", "\\server\share") stays as given; on a system with a
    // bare "/" root it is empty.
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
