#pragma once

#include <string>

// Text at the Win32 boundary: the program speaks UTF-8, the W functions
// UTF-16. The one conversion of every Windows program of the project: Ondrel,
// its converters and their tests.
namespace ondrel::platform::win {

std::wstring toWide(const std::string& text);
std::string toUtf8(const std::wstring& text);
std::string toUtf8(const wchar_t* text);

// The system's own description of an error code (a Win32 error or an
// HRESULT), without the trailing line break FormatMessage adds.
std::string systemMessage(unsigned long code);

} // namespace ondrel::platform::win
