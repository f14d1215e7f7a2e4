#include "platform/PathText.h"

#include "platform/PathStyle.h"

namespace ondrel::platform {

std::string lastComponent(const std::string& path) {
    std::size_t end = path.size();
    while (end > 0 && isPathSeparator(path[end - 1]))
        --end;
    std::size_t begin = end;
    while (begin > 0 && !isPathSeparator(path[begin - 1]))
        --begin;
    return path.substr(begin, end - begin);
}

std::string baseNameOf(const std::string& path) {
    const std::string name = lastComponent(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string extensionNameOf(const std::string& path) {
    const std::string name = lastComponent(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

} // namespace ondrel::platform
