#pragma once

#include <optional>
#include <string>

namespace ondrel::converters {

// Finds a program by name along a PATH-style list, the way a shell would,
// but never answers with the running executable itself: an adapter that is
// reachable under the name it searches for must not end up starting itself.
class ExecutableSearch {
public:
    // searchPath: the value of PATH; selfPath: a path of the running executable
    // (compared by file identity, so links to it are recognised too).
    ExecutableSearch(std::string searchPath, std::string selfPath);

    std::optional<std::string> find(const std::string& name) const;

private:
    bool isSelf(const std::string& candidate) const;

    std::string m_searchPath;
    std::string m_selfPath;
};

} // namespace ondrel::converters
