#include "platform/PathStyle.h"

namespace ondrel::platform {

char pathSeparator() {
    return '/';
}

bool isPathSeparator(char c) {
    return c == '/';
}

std::size_t rootLength() {
    return 1;
}

std::string programFileName() {
    return "Ondrel";
}

std::string cardFileName(const std::string& name) {
    std::string stored = name;
    for (char& c : stored) {
        const auto byte = static_cast<unsigned char>(c);
        // What a FAT directory entry cannot hold; bytes of UTF-8 sequences are >= 0x80 and stay.
        const bool unstorable = byte < 0x20 || byte == 0x7F || c == '"' || c == '*' || c == ':' ||
                                c == '<' || c == '>' || c == '?' || c == '\\' || c == '|';
        if (unstorable)
            c = '_';
    }
    return stored;
}

} // namespace ondrel::platform
