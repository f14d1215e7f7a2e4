#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ondrel {

// The files the program was started with, in command-line order.
struct LaunchFileList {
    static constexpr int kSlots = 65537;
    static constexpr int kMaxFiles = 32767;

    std::vector<std::string> SourcePaths = std::vector<std::string>(kSlots);
    std::vector<std::string> DisplayNames = std::vector<std::string>(kSlots);
    std::int16_t FileCount = 0;
};

} // namespace ondrel
