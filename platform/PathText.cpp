#include "platform/PathText.h"

#include "platform/PathStyle.h"

#include <array>
#include <cstddef>
#include <string_view>

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

namespace {

// Where Windows looks for a device's name: up to the first dot, spaces before
// it dropped.
std::size_t deviceWordLength(const std::string& name) {
    std::size_t end = name.find('.');
    if (end == std::string::npos)
        end = name.size();
    while (end > 0 && name[end - 1] == ' ')
        --end;
    return end;
}

bool sameLetters(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != upper[i])
            return false;
    }
    return true;
}

// A port's number: a digit, or a superscript one, two or three (UTF-8), which
// Windows takes for the digit.
bool isPortNumber(std::string_view number) {
    if (number.size() == 1)
        return number[0] >= '0' && number[0] <= '9';
    return number == "\xC2\xB9" || number == "\xC2\xB2" || number == "\xC2\xB3";
}

} // namespace

bool isDeviceName(const std::string& name) {
    const std::string_view word(name.data(), deviceWordLength(name));
    static constexpr std::array<std::string_view, 4> kDevices{"CON", "PRN", "AUX", "NUL"};
    for (const std::string_view device : kDevices) {
        if (sameLetters(word, device))
            return true;
    }
    if (word.size() < 4)
        return false;
    const std::string_view port = word.substr(0, 3);
    return (sameLetters(port, "COM") || sameLetters(port, "LPT")) && isPortNumber(word.substr(3));
}

std::string withoutDeviceName(const std::string& name) {
    if (!isDeviceName(name))
        return name;
    std::size_t dot = name.find('.');
    if (dot == std::string::npos)
        dot = name.size();
    return name.substr(0, dot) + "_" + name.substr(dot);
}

} // namespace ondrel::platform
