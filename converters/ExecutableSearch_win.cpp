#include "converters/ExecutableSearch.h"

#include "converters/FileSystem.h"
#include "converters/WideText_win.h"

namespace ondrel::converters {

using win::toWide;

namespace {

bool isFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string folderOf(const std::string& path) {
    const std::size_t separator = lastSeparator(path);
    return separator == std::string::npos ? std::string(1, '.') : path.substr(0, separator);
}

} // namespace

ExecutableSearch::ExecutableSearch(std::string searchPath, std::string selfPath)
    : m_searchPath(std::move(searchPath)), m_selfPath(std::move(selfPath)) {}

std::optional<std::string> ExecutableSearch::find(const std::string& name) const {
    std::size_t start = 0;
    while (start <= m_searchPath.size()) {
        std::size_t end = m_searchPath.find(';', start);
        if (end == std::string::npos)
            end = m_searchPath.size();
        std::string folder = m_searchPath.substr(start, end - start);
        start = end + 1;
        // Entries may be quoted, and an empty one names no folder on Windows.
        if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"')
            folder = folder.substr(1, folder.size() - 2);
        if (folder.empty())
            continue;
        const char last = folder.back();
        std::string candidate = last == '\\' || last == '/' ? folder + name : folder + "\\" + name;
        if (isFile(candidate) && !isSelf(candidate))
            return candidate;
    }
    return std::nullopt;
}

// The adapter's own folder holds the adapters under ffmpeg's name: nothing
// there is the real one.
bool ExecutableSearch::isSelf(const std::string& candidate) const {
    return sameFile(candidate, m_selfPath) || sameFile(folderOf(candidate), folderOf(m_selfPath));
}

} // namespace ondrel::converters
