#pragma once

#include <cstddef>
#include <string>

// How paths are written on this operating system. One definition per OS
// (platform/linux/PathStyle.cpp, platform/win/PathStyle.cpp), chosen by the build.
namespace ondrel::platform {

// The separator the program puts between components: '/' or '\\'.
char pathSeparator();

// Is c a separator in a path given to us? ('/' on POSIX; '\\' and '/' on Windows.)
bool isPathSeparator(char c);

// Length of the root the path begins with, its separator included: 1 for "/"
// on POSIX; on Windows 3 for "C:\", and for a network path the server and the
// share ("\\server\share\"), also in their "\\?\" forms. 0 for a path
// that has none (a relative one). The long-name walk starts after it.
std::size_t rootLength(const std::string& path);

// File name of the program itself: "Ondrel" on POSIX, "Ondrel.exe" on Windows.
std::string programFileName();

// The name under which a file is stored on the memory card. Windows names are
// already valid there; POSIX names may hold characters a FAT card cannot store.
std::string cardFileName(const std::string& name);

} // namespace ondrel::platform
