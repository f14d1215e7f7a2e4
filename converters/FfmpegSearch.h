#pragma once

#include <optional>
#include <string>

namespace ondrel::converters {

// The real ffmpeg for an adapter, never the adapter itself. On Linux it is
// the system's, found along searchPath (PATH); on Windows first the one
// unpacked beside the adapter (ffmpeg\bin\ffmpeg.exe in its folder), then one
// on PATH outside the adapter's folder.
std::optional<std::string> findFfmpeg(const std::string& searchPath);

// What to tell a user when findFfmpeg found none: the places looked in.
std::string ffmpegMissingMessage();

} // namespace ondrel::converters
