#include "converters/FileSystem.h"

#include "converters/WideText_win.h"

namespace ondrel::converters {

using win::describeError;
using win::toWide;

namespace {

// A handle for asking about the file, not for reading it; folders open too.
HANDLE openForQuestions(const std::string& path) {
    return CreateFileW(toWide(path).c_str(), FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

} // namespace

std::size_t lastSeparator(const std::string& path) {
    return path.find_last_of("\\/");
}

std::string sourceProblem(const std::string& path) {
    // Opening never waits: a named pipe without a free instance fails at
    // once, and devices answer GetFileType without being read.
    const HANDLE file = CreateFileW(
        toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return describeError(GetLastError());
    std::string problem;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK)
        problem = "not a regular file";
    else if (!GetFileInformationByHandle(file, &info))
        problem = describeError(GetLastError());
    else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        problem = "not a regular file";
    CloseHandle(file);
    return problem;
}

bool sameFile(const std::string& first, const std::string& second) {
    const HANDLE one = openForQuestions(first);
    if (one == INVALID_HANDLE_VALUE)
        return false;
    const HANDLE two = openForQuestions(second);
    if (two == INVALID_HANDLE_VALUE) {
        CloseHandle(one);
        return false;
    }
    BY_HANDLE_FILE_INFORMATION a{};
    BY_HANDLE_FILE_INFORMATION b{};
    const bool same = GetFileInformationByHandle(one, &a) && GetFileInformationByHandle(two, &b) &&
                      a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
                      a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
    CloseHandle(two);
    CloseHandle(one);
    return same;
}

std::string removeFileAt(const std::string& path) {
    const std::wstring wide = toWide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {};
    // A read-only file is still an older result that must not pass for ours.
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!DeleteFileW(wide.c_str())) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            return describeError(error);
    }
    return {};
}

} // namespace ondrel::converters
