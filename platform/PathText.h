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

} // namespace ondrel::platform
