// Child modes of the contract runner for the Windows process tests, started
// as "contract_tests.exe --child <mode> <arguments>":
//   win_wait <file> <exit code>   waits until <file> exists, then exits;
//   win_report <file> [...]       writes what it was started with into <file>;
//   win_end <file> <exit code>    puts a line into <file> through a buffered
//                                 stream, then ends through ProgramEnd.

#include <windows.h>

#include <share.h>
#include <shellapi.h>

#include "tests/contract/Check.h"

#include "platform/win/WinEnvironment.h"
#include "platform/win/WinProgramEnd.h"
#include "platform/win/WinText.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using ondrel::platform::win::toUtf8;

std::string describeStandardInput() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE)
        return "none";
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode))
        return "console"; // reading would wait for a user
    switch (GetFileType(input)) {
    case FILE_TYPE_PIPE:
        return "pipe";
    case FILE_TYPE_DISK:
        return "disk";
    case FILE_TYPE_CHAR: {
        char byte = 0;
        DWORD got = 0;
        const BOOL read = ReadFile(input, &byte, 1, &got, nullptr);
        return read && got == 0 ? "char-eof" : "char-data";
    }
    default:
        return "unknown";
    }
}

void report(const std::wstring& file) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const ondrel::platform::WinEnvironment environment;
    std::string text;
    text += "showWindow=" + std::to_string(startup.wShowWindow) + "\n";
    text +=
        "useShowWindow=" + std::to_string((startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? 1 : 0) +
        "\n";
    text += "stdin=" + describeStandardInput() + "\n";
    text += "arguments=" + environment.ArgumentText() + "\n";
    text += "programFolder=" + environment.ProgramFolder() + "\n";
    HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(out);
}

// The child's own arguments, after "--child <mode>", read from the wide
// command line: argv holds them in the ANSI code page, which cannot carry
// every name a path may have.
std::vector<std::wstring> childArguments() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> result;
    for (int i = 3; arguments != nullptr && i < count; ++i)
        result.emplace_back(arguments[i]);
    LocalFree(arguments);
    return result;
}

int exitCodeArgument(const std::vector<std::wstring>& arguments, std::size_t index) {
    return index < arguments.size() ? _wtoi(arguments[index].c_str()) : 0;
}

} // namespace

CONTRACT_CHILD(win_wait) {
    (void)arguments; // narrow copies; the wide ones are read below
    const auto wide = childArguments();
    if (wide.empty())
        return 2;
    while (GetFileAttributesW(wide[0].c_str()) == INVALID_FILE_ATTRIBUTES)
        Sleep(20);
    return exitCodeArgument(wide, 1);
}

CONTRACT_CHILD(win_report) {
    (void)arguments; // narrow copies; the wide ones are read below
    const auto wide = childArguments();
    if (wide.empty())
        return 2;
    report(wide[0]);
    return 0;
}

CONTRACT_CHILD(win_end) {
    (void)arguments; // narrow copies; the wide ones are read below
    const auto wide = childArguments();
    if (wide.empty())
        return 2;
    // Still in the stream's buffer when the program is ended.
    std::FILE* out = _wfsopen(wide[0].c_str(), L"wb", _SH_DENYNO);
    std::fputs("written before the end\n", out);
    ondrel::platform::WinProgramEnd().EndProgram(exitCodeArgument(wide, 1));
}
