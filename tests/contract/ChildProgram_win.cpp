// The contract runner doubles as the small console program that the process
// tests start. Started as
//   contract_tests.exe --win-child wait <file> <exit code>
//       waits until <file> exists, then exits with <exit code>;
//   contract_tests.exe --win-child report <file> [anything...]
//       writes what it was started with into <file> and exits with 0;
//   contract_tests.exe --win-child end <file> <exit code>
//       puts a line into <file> through a buffered stream, then ends the
//       program through the platform's ProgramEnd with <exit code>;
// it does its job before the runner's main() and never reaches it.

#include <windows.h>

#include <shellapi.h>

#include "platform/Environment_win.h"
#include "platform/ProgramEnd_win.h"
#include "platform/WinText_win.h"

#include <cstdio>
#include <string>

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

bool runAsChild() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr)
        return false;
    const bool child = count >= 4 && std::wstring(arguments[1]) == L"--win-child";
    if (child) {
        const std::wstring action = arguments[2];
        const std::wstring file = arguments[3];
        UINT exitCode = 0;
        if (action == L"wait") {
            while (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES)
                Sleep(20);
            exitCode = count >= 5 ? static_cast<UINT>(_wtoi(arguments[4])) : 0;
        } else if (action == L"report") {
            report(file);
        } else if (action == L"end") {
            // Still in the stream's buffer when the program is ended.
            std::FILE* out = _wfopen(file.c_str(), L"wb");
            std::fputs("written before the end\n", out);
            const int code = count >= 5 ? _wtoi(arguments[4]) : 0;
            LocalFree(arguments);
            ondrel::platform::WinProgramEnd().EndProgram(code);
        } else {
            exitCode = 2;
        }
        LocalFree(arguments);
        ExitProcess(exitCode);
    }
    LocalFree(arguments);
    return false;
}

[[maybe_unused]] const bool g_child = runAsChild();

} // namespace
