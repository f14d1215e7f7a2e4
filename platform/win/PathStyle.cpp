#include "platform/PathStyle.h"

namespace ondrel::platform {

char pathSeparator() {
    return '\\';
}

// Win32 accepts both; paths dropped from some tools arrive with forward slashes.
bool isPathSeparator(char c) {
    return c == '\\' || c == '/';
}

std::size_t rootLength() {
    return 3;
}

std::string programFileName() {
    return "Ondrel.exe";
}

// Whatever Windows stores on its own volumes is also storable on the card.
std::string cardFileName(const std::string& name) {
    return name;
}

} // namespace ondrel::platform
