#pragma once

#include <string>

// Text at the Win32 boundary: the program speaks UTF-8, the W functions UTF-16.
namespace ondrel::platform::win {

std::wstring toWide(const std::string& text);
std::string toUtf8(const std::wstring& text);
std::string toUtf8(const wchar_t* text);

// The system's own description of an error code (a Win32 error or an
// HRESULT), without the trailing line break FormatMessage adds.
std::string systemMessage(unsigned long code);

// Throws PlatformError for GetLastError() of the call that just failed.
[[noreturn]] void throwLastError(const std::string& operation, const std::string& path);
[[noreturn]] void throwError(const std::string& operation, const std::string& path,
                             unsigned long code);

// Where the program's first token ends in a Windows command line, by the rules
// the C runtime uses for argv[0]: quotes toggle, the first space or tab outside
// them ends it. Returns the index just past the token.
std::size_t programTokenEnd(const std::wstring& commandLine);

} // namespace ondrel::platform::win
