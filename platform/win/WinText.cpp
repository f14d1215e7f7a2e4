#include "platform/win/WinText.h"

#include "platform/PlatformError.h"

#include <windows.h>

namespace ondrel::platform::win {

void throwLastError(const std::string& operation, const std::string& path) {
    throwError(operation, path, GetLastError());
}

void throwError(const std::string& operation, const std::string& path, unsigned long code) {
    throw PlatformError(operation, path, systemMessage(code));
}

std::size_t programTokenEnd(const std::wstring& commandLine) {
    bool quoted = false;
    std::size_t i = 0;
    for (; i < commandLine.size(); ++i) {
        const wchar_t c = commandLine[i];
        if (c == L'"')
            quoted = !quoted;
        else if (!quoted && (c == L' ' || c == L'\t'))
            break;
    }
    return i;
}

} // namespace ondrel::platform::win
