#pragma once

#include "platform/win/WideText.h"

#include <cstddef>
#include <string>

// Errors and command lines at the Win32 boundary.
namespace ondrel::platform::win {

// Throws PlatformError for GetLastError() of the call that just failed.
[[noreturn]] void throwLastError(const std::string& operation, const std::string& path);
[[noreturn]] void throwError(const std::string& operation, const std::string& path,
                             unsigned long code);

// Where the program's first token ends in a Windows command line, by the rules
// the C runtime uses for argv[0]: quotes toggle, the first space or tab outside
// them ends it. Returns the index just past the token.
std::size_t programTokenEnd(const std::wstring& commandLine);

} // namespace ondrel::platform::win
