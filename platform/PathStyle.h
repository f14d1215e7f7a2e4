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

// The path spelled so that the system opens exactly the file it names: on
// Windows, a path whose last component is a device's name ("Aux.mp3") or
// whose components end in a dot or a space goes in its "\\?\" form, "." and
// ".." resolved first; any other path, and every path on POSIX, as given.
std::string literalPath(const std::string& path);

// File name of the program itself: "Ondrel" on POSIX, "Ondrel.exe" on Windows.
std::string programFileName();

// The name under which a file is stored on the memory card: what a FAT card
// cannot store, or what Windows would take for a device there, gets a
// substitute. Windows names are valid FAT names already; POSIX names may hold
// characters FAT has no place for.
std::string cardFileName(const std::string& name);

// The name under which a file the program makes in this system's own folders
// (the temporary folder, the Desktop) is stored: on Windows, a name it would
// take for a device gets a substitute ("Aux.mp4" becomes "Aux_.mp4"); POSIX
// stores any name.
std::string localFileName(const std::string& name);

} // namespace ondrel::platform
