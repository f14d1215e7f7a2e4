// Stands in for ffmpeg.exe and kdh.exe in the end-to-end tests. Appends its
// command line, exactly as it was given, to "converter-calls.txt" beside
// itself and writes its process id to "converter-pid.txt"; then, by the
// source's name: "never" waits for ever, "fail" writes nothing, anything else
// writes the output file.
#include "platform/win/WideText.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

using ondrel::platform::win::toUtf8;

std::wstring folderOfThisProgram() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\'));
}

bool write(const std::wstring& path, const std::string& bytes, bool append) {
    HANDLE file = CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

// The double-quoted pieces of the line: the program, the source, the output.
std::vector<std::wstring> quotedPieces(const std::wstring& line) {
    std::vector<std::wstring> pieces;
    std::size_t at = 0;
    for (;;) {
        const std::size_t open = line.find(L'"', at);
        if (open == std::wstring::npos)
            break;
        const std::size_t close = line.find(L'"', open + 1);
        if (close == std::wstring::npos)
            break;
        pieces.push_back(line.substr(open + 1, close - open - 1));
        at = close + 1;
    }
    return pieces;
}

} // namespace

int main() {
    const std::wstring line = GetCommandLineW();
    const std::wstring folder = folderOfThisProgram();
    if (!write(folder + L"\\converter-calls.txt", toUtf8(line) + "\n", true))
        return 3;
    if (!write(folder + L"\\converter-pid.txt", std::to_string(GetCurrentProcessId()), false))
        return 3;
    const std::vector<std::wstring> pieces = quotedPieces(line);
    if (pieces.size() != 3)
        return 2;
    const std::wstring& source = pieces[1];
    if (source.find(L"never") != std::wstring::npos) {
        for (;;)
            Sleep(INFINITE);
    }
    if (source.find(L"fail") != std::wstring::npos)
        return 1;
    return write(pieces[2], "converted: " + toUtf8(source), false) ? 0 : 4;
}
