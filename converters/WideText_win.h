#pragma once

#include "platform/win/WideText.h"

#include <windows.h>

#include <string>

namespace ondrel::converters::win {

// The adapters keep every path as UTF-8 and speak UTF-16 only to Win32, with
// the conversion the program itself uses.
using platform::win::toUtf8;
using platform::win::toWide;

// The system's description of a Win32 error code, in UTF-8, one line.
inline std::string describeError(DWORD code) {
    return platform::win::systemMessage(code);
}

// The path of the running program.
inline std::wstring ownPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace ondrel::converters::win
