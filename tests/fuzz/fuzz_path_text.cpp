// The path-text helpers behind GetBaseName and GetExtensionName, and the name
// a file gets on the card. Input: a path.

#include "platform/PathStyle.h"
#include "platform/PathText.h"
#include "platform/linux/LinuxFileSystem.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

using ondrel::fuzz::require;
namespace platform = ondrel::platform;

namespace {

// A name from a file system that allows any byte but "/" and NUL reaches the
// card as it is, while FAT stores UTF-16. Until bytes that are not UTF-8 are
// replaced on the way, only names that are UTF-8 already are checked for it;
// set to true once they are.
constexpr bool kCardNamesAreUtf8 = true;

bool storableOnFat(const std::string& name) {
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F ||
            std::string_view("\"*:<>?\\|/").find(c) != std::string_view::npos)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = ondrel::fuzz::bytes(data, size);

    const std::string last = platform::lastComponent(path);
    require(last.find('/') == std::string::npos, "the last component holds no separator");
    std::string trimmed = path;
    while (!trimmed.empty() && trimmed.back() == '/')
        trimmed.pop_back();
    require(trimmed.size() >= last.size() &&
                trimmed.compare(trimmed.size() - last.size(), last.size(), last) == 0,
            "the last component ends the path, separators at the end aside");
    require(trimmed.size() == last.size() || trimmed[trimmed.size() - last.size() - 1] == '/',
            "the last component is a whole component");
    require(platform::lastComponent(path + "/") == last, "a separator at the end changes nothing");

    const platform::LinuxFileSystem fileSystem;
    const std::string base = fileSystem.GetBaseName(path);
    const std::string extension = fileSystem.GetExtensionName(path);
    require(base == platform::baseNameOf(path) && extension == platform::extensionNameOf(path),
            "the file system's names are the path helpers'");
    require(extension.find('.') == std::string::npos, "an extension holds no dot");
    if (last.find('.') == std::string::npos)
        require(base == last && extension.empty(), "without a dot the base name is the component");
    else
        require(base + "." + extension == last, "base name, dot and extension make the component");

    const std::string card = platform::cardFileName(last);
    require(storableOnFat(card), "a card name holds only what FAT stores");
    require(card.empty() == last.empty(), "a card name is empty only for an empty name");
    require(platform::cardFileName(card) == card, "a card name is its own card name");
    require(!platform::isDeviceName(card), "a card name is no name Windows takes for a device");
    const bool utf8 = ondrel::fuzz::isUtf8(last);
    if (utf8 && storableOnFat(last))
        require(card == platform::withoutDeviceName(last),
                "a name FAT can store is kept as it is, a device's with its underscore");
    if (kCardNamesAreUtf8 || utf8)
        require(ondrel::fuzz::isUtf8(card), "a card name is UTF-8");
    return 0;
}
