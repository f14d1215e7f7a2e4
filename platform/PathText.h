#pragma once

#include <string>

// Path arithmetic on the text alone, with this OS's separators; nothing here
// touches the file system.
namespace ondrel::platform {

// The last component: the text after the last separator, separators at the
// end ignored ("/a/b/" gives "b", "/" gives "").
std::string lastComponent(const std::string& path);

// The last component without its last dot and what follows it.
std::string baseNameOf(const std::string& path);

// The text after the last dot of the last component, "" when it has no dot.
std::string extensionNameOf(const std::string& path);

// Whether Windows takes a file of this name for a device: CON, PRN, AUX, NUL,
// COM0 to COM9, LPT0 to LPT9, and COM and LPT followed by a superscript 1, 2
// or 3, in any case, alone or before a dot, spaces before the dot ignored
// ("aux.mp4", "Nul.tar.gz", "COM1 .mp4"). Opening such a name opens the device.
bool isDeviceName(const std::string& name);

// A name Windows stores as a file: a device's name gets "_" before its first
// dot ("Aux.mp4" becomes "Aux_.mp4"); any other name stays as it is.
std::string withoutDeviceName(const std::string& name);

} // namespace ondrel::platform
