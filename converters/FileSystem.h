#pragma once

#include <cstddef>
#include <string>

namespace ondrel::converters {

// The few file questions an adapter asks, answered by the OS's own rules:
// which characters separate folders, what counts as the same file, what a
// source may be. Paths are UTF-8 on every system.

// The position of the last folder separator in path, npos when there is none.
std::size_t lastSeparator(const std::string& path);

// Empty when path can be read as a source: an existing regular file (links
// followed). Otherwise why not. Never blocks: a FIFO or a device is only
// looked at, not read.
std::string sourceProblem(const std::string& path);

// True when both paths name one existing file, however they are spelled.
bool sameFile(const std::string& first, const std::string& second);

// Removes a file standing at path; a folder or nothing there is left alone.
// Empty on success, otherwise the system's reason.
std::string removeFileAt(const std::string& path);

} // namespace ondrel::converters
