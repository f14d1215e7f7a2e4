#include "platform/PathStyle.h"

#include "platform/PathText.h"

#include <cstddef>

namespace ondrel::platform {

char pathSeparator() {
    return '/';
}

bool isPathSeparator(char c) {
    return c == '/';
}

std::size_t rootLength(const std::string& path) {
    return !path.empty() && path.front() == '/' ? 1 : 0;
}

// POSIX opens every name as written.
std::string literalPath(const std::string& path) {
    return path;
}

std::string programFileName() {
    return "Ondrel";
}

namespace {

// Length of the valid UTF-8 sequence that starts at i, 0 when there is none:
// overlong forms, UTF-16 surrogates and values past U+10FFFF have no UTF-16
// form, so a FAT volume cannot store them either.
std::size_t utf8SequenceAt(const std::string& text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t smallest = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        smallest = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - i < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (next & 0x3F);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    if (value < smallest || surrogate || value > 0x10FFFF)
        return 0;
    return length;
}

bool storableOnFat(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte != 0x7F && c != '"' && c != '*' && c != ':' && c != '<' &&
           c != '>' && c != '?' && c != '\\' && c != '|';
}

} // namespace

std::string cardFileName(const std::string& name) {
    // FAT keeps names as UTF-16: every byte that is no part of a valid UTF-8
    // sequence gets a substitute, as the characters a FAT entry cannot hold do.
    // The card is read on Windows too, which cannot open a song named as a
    // device.
    std::string stored;
    stored.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t length = utf8SequenceAt(name, i);
        if (length == 0) {
            stored += '_';
            ++i;
        } else if (length == 1) {
            stored += storableOnFat(name[i]) ? name[i] : '_';
            ++i;
        } else {
            stored.append(name, i, length);
            i += length;
        }
    }
    return withoutDeviceName(stored);
}

std::string localFileName(const std::string& name) {
    return name;
}

} // namespace ondrel::platform
