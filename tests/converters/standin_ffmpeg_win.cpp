// Stands in for FFmpeg in the Windows adapter tests. It notes how it was
// started in the file named by STANDIN_LOG (UTF-8, one "key=value" per line:
// its process id, what its standard input is, the command line, then each
// argument as the C runtime split it), and then does what STANDIN_MODE says
// to the last argument (without its "file:"):
//   write    (or unset) writes a result, exits 0
//   nothing  exits 0 without writing
//   fail     writes half a result, exits 3
//   hang     writes half a result, creates <log>.hanging, never ends

#include "platform/win/WideText.h"

#include <windows.h>

#include <string>

namespace {

using ondrel::platform::win::toUtf8;

std::wstring variable(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
    return length > 0 && length < 32768 ? std::wstring(buffer, length) : std::wstring();
}

void writeFile(const std::wstring& path, const std::string& content) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

std::string describeInput() {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE)
        return "none";
    switch (GetFileType(input)) {
    case FILE_TYPE_CHAR:
        return "char";
    case FILE_TYPE_PIPE:
        return "pipe";
    case FILE_TYPE_DISK:
        return "disk";
    default:
        return "unknown";
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring log = variable(L"STANDIN_LOG");
    std::string record = "pid=" + std::to_string(GetCurrentProcessId()) + "\n";
    record += "stdin=" + describeInput() + "\n";
    record += "commandline=" + toUtf8(GetCommandLineW()) + "\n";
    for (int index = 0; index < argc; ++index)
        record += "arg=" + toUtf8(argv[index]) + "\n";
    if (!log.empty())
        writeFile(log, record);

    std::wstring output = argc > 1 ? argv[argc - 1] : L"";
    if (output.rfind(L"file:", 0) == 0)
        output = output.substr(5);
    const std::wstring mode = variable(L"STANDIN_MODE");
    if (mode == L"nothing")
        return 0;
    if (mode == L"fail") {
        writeFile(output, "half a res");
        return 3;
    }
    if (mode == L"hang") {
        writeFile(output, "half a res");
        writeFile(log + L".hanging", "");
        Sleep(INFINITE);
    }
    writeFile(output, "converted by the stand-in");
    return 0;
}
