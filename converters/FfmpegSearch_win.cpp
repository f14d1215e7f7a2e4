#include "converters/FfmpegSearch.h"

#include "converters/ExecutableSearch.h"
#include "converters/FileSystem.h"
#include "converters/WideText_win.h"

namespace ondrel::converters {

namespace {

std::string ownFolder() {
    const std::string self = win::toUtf8(win::ownPath());
    const std::size_t separator = lastSeparator(self);
    return separator == std::string::npos ? std::string(1, '.') : self.substr(0, separator);
}

// Where Ondrel's download carries FFmpeg, and where the usual Windows builds
// of FFmpeg land when unpacked beside us and their folder is renamed "ffmpeg".
std::string bundledFfmpeg() {
    return ownFolder() + "\\ffmpeg\\bin\\ffmpeg.exe";
}

} // namespace

std::optional<std::string> findFfmpeg(const std::string& searchPath) {
    const std::string self = win::toUtf8(win::ownPath());
    const std::string bundled = bundledFfmpeg();
    const DWORD attributes = GetFileAttributesW(win::toWide(bundled).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        !sameFile(bundled, self))
        return bundled;
    return ExecutableSearch(searchPath, self).find("ffmpeg.exe");
}

std::string ffmpegMissingMessage() {
    return "no FFmpeg found: neither " + bundledFfmpeg() +
           " nor ffmpeg.exe on PATH; Ondrel's download carries it there: install Ondrel "
           "again or unpack its zip again";
}

} // namespace ondrel::converters
