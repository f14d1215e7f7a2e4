#include "converters/ExecutableSearch.h"

#include <sys/stat.h>
#include <unistd.h>

namespace ondrel::converters {

ExecutableSearch::ExecutableSearch(std::string searchPath, std::string selfPath)
    : m_searchPath(std::move(searchPath)), m_selfPath(std::move(selfPath)) {}

std::optional<std::string> ExecutableSearch::find(const std::string& name) const {
    std::size_t start = 0;
    while (start <= m_searchPath.size()) {
        std::size_t end = m_searchPath.find(':', start);
        if (end == std::string::npos)
            end = m_searchPath.size();
        // An empty entry means the current folder, as for the shell. Built
        // without assignments: GCC 12 at -O2 warns falsely (-Wrestrict) on them here.
        std::string candidate =
            end > start ? m_searchPath.substr(start, end - start) : std::string(1, '.');
        candidate.append(1, '/').append(name);
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0 && !isSelf(candidate))
            return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

bool ExecutableSearch::isSelf(const std::string& candidate) const {
    struct stat self {};
    struct stat other {};
    if (::stat(m_selfPath.c_str(), &self) != 0 || ::stat(candidate.c_str(), &other) != 0)
        return false;
    return self.st_dev == other.st_dev && self.st_ino == other.st_ino;
}

} // namespace ondrel::converters
