// The check that decides whether an .m4a goes to the card as it is reads
// whatever a file holds: any bytes must be answered without a crash, without
// reading outside what it asked for, and without asking for more than a song
// could hold. A file that passes is whole: cut short, it passes no longer.

#include "tests/fuzz/FuzzCheck.h"
#include "transfer/Mp4SoundCheck.h"

using ondrel::fuzz::require;

namespace {

// 64 MB of movie header, and one header of a box at a time.
constexpr std::size_t kLargestAsk = (64u << 20) + 16;

bool check(const std::string& file) {
    return ondrel::holdsAacInMp4([&file](std::uint64_t offset, std::size_t length) {
        require(length <= kLargestAsk, "never asks for more than a movie header may hold");
        if (offset >= file.size())
            return std::string();
        return file.substr(static_cast<std::size_t>(offset), length);
    });
}

// Whether the last top-level box of a file that passed is sized "to the end
// of the file", the one box that stays whole when the file is cut.
bool lastBoxRunsToTheEnd(const std::string& file) {
    const auto at = [&file](std::size_t i) {
        return static_cast<unsigned char>(file[i]);
    };
    std::size_t offset = 0;
    while (offset + 8 <= file.size()) {
        std::uint64_t size = std::uint64_t{at(offset)} << 24 | at(offset + 1) << 16 |
                             at(offset + 2) << 8 | at(offset + 3);
        if (size == 0)
            return true;
        if (size == 1) {
            size = 0;
            for (std::size_t i = 8; i < 16; ++i)
                size = size << 8 | at(offset + i);
        }
        offset += static_cast<std::size_t>(size);
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file = ondrel::fuzz::bytes(data, size);
    if (!check(file))
        return 0;
    require(check(file), "the same bytes get the same answer");
    const std::string cut = file.substr(0, file.size() - 1);
    require(lastBoxRunsToTheEnd(file) || !check(cut),
            "a file cut short is no song to pass through");
    return 0;
}
