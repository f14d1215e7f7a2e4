#include "converters/FfmpegSearch.h"

#include "converters/ExecutableSearch.h"

namespace ondrel::converters {

std::optional<std::string> findFfmpeg(const std::string& searchPath) {
    return ExecutableSearch(searchPath, "/proc/self/exe").find("ffmpeg");
}

std::string ffmpegMissingMessage() {
    return "no ffmpeg program found on PATH; install ffmpeg to convert";
}

} // namespace ondrel::converters
