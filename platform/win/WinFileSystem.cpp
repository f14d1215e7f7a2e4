#include <windows.h>
// windows.h maps these names onto its A/W functions; here they are our own.
#undef CopyFile
#undef DeleteFile

#include "platform/win/WinFileSystem.h"

#include "platform/PathStyle.h"
#include "platform/PathText.h"
#include "platform/PlatformError.h"
#include "platform/win/CriticalErrorGuard.h"
#include "platform/win/WinText.h"

#include <atomic>
#include <vector>

namespace ondrel::platform {

using win::throwError;
using win::throwLastError;
using win::toUtf8;
using win::toWide;

namespace {

// "C:song.mp3" names song.mp3 in drive C's current folder: the drive prefix
// is no part of the name.
std::string withoutDrivePrefix(const std::string& path) {
    const bool drivePrefix =
        path.size() >= 2 && path[1] == ':' && (path.size() == 2 || !isPathSeparator(path[2]));
    return drivePrefix ? path.substr(2) : path;
}

bool endsInDotOrSpace(const std::string& component) {
    return !component.empty() && (component.back() == '.' || component.back() == ' ');
}

// The path as Win32 is to read it. Win32 takes a last component named as a
// device ("Aux.mp3") for the device, and drops dots and spaces at the end of
// a component ("song. " opens "song"); names like these come from network
// shares and volumes written elsewhere. Such a path goes in the "\\?\" form,
// which names exactly what is written, with "." and ".." resolved first as
// Win32 resolves them, since that form would take them literally. Any other
// path goes as given.
std::wstring systemPath(const std::string& path) {
    const bool drive = path.size() >= 3 && path[1] == ':' && isPathSeparator(path[2]);
    const bool network = path.size() >= 3 && isPathSeparator(path[0]) && isPathSeparator(path[1]) &&
                         path[2] != '?' && path[2] != '.';
    const std::size_t root = drive || network ? rootLength(path) : 0;
    if (root == 0)
        return toWide(path);
    std::vector<std::string> components;
    bool readOtherwise = false;
    std::size_t start = root;
    while (start <= path.size()) {
        std::size_t end = start;
        while (end < path.size() && !isPathSeparator(path[end]))
            ++end;
        const std::string component = path.substr(start, end - start);
        if (component == "..") {
            if (!components.empty())
                components.pop_back();
        } else if (!component.empty() && component != ".") {
            readOtherwise = readOtherwise || endsInDotOrSpace(component);
            components.push_back(component);
        }
        start = end + 1;
    }
    if (!readOtherwise && (components.empty() || !isDeviceName(components.back())))
        return toWide(path);
    std::string literal =
        drive ? "\\\\?\\" + path.substr(0, 2) : "\\\\?\\UNC\\" + path.substr(2, root - 3);
    for (const std::string& component : components)
        literal += '\\' + component;
    for (char& c : literal) {
        if (c == '/')
            c = '\\';
    }
    return toWide(literal);
}

DWORD attributesOf(const std::string& path) {
    if (path.empty())
        return INVALID_FILE_ATTRIBUTES;
    const win::CriticalErrorGuard guard;
    return GetFileAttributesW(systemPath(path).c_str());
}

// Closes a kernel handle on every way out.
struct HandleCloser {
    HANDLE handle = INVALID_HANDLE_VALUE;
    ~HandleCloser() {
        if (handle != INVALID_HANDLE_VALUE && handle != nullptr)
            ::CloseHandle(handle);
    }
};

// A fresh name beside the destination: the rename over it then stays inside
// one volume and so is atomic. The name is short, so that it fits wherever
// the destination's own name fits.
HANDLE createTemporaryBeside(const std::wstring& destination, std::wstring& temporaryPath) {
    static std::atomic<unsigned> counter{0};
    std::wstring folder;
    const std::size_t cut = destination.find_last_of(L"\\/");
    if (cut != std::wstring::npos)
        folder = destination.substr(0, cut + 1);
    else if (destination.size() >= 2 && destination[1] == L':')
        folder = destination.substr(0, 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = folder + L"~ondrel-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(counter++) + L".tmp";
        HANDLE file = CreateFileW(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return file;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}

} // namespace

bool WinFileSystem::FolderExists(const std::string& path) const {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void WinFileSystem::CreateFolder(const std::string& path) {
    const win::CriticalErrorGuard guard;
    if (!CreateDirectoryW(systemPath(path).c_str(), nullptr))
        throwLastError("CreateFolder", path);
}

bool WinFileSystem::FileExists(const std::string& path) const {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string WinFileSystem::GetExtensionName(const std::string& path) const {
    return extensionNameOf(withoutDrivePrefix(path));
}

std::string WinFileSystem::GetBaseName(const std::string& path) const {
    return baseNameOf(withoutDrivePrefix(path));
}

void WinFileSystem::CopyFile(const std::string& source, const std::string& destination,
                             bool overwrite) {
    const std::string both = source + " -> " + destination;
    const win::CriticalErrorGuard guard;
    const std::wstring wideDestination = systemPath(destination);
    const DWORD existing = GetFileAttributesW(wideDestination.c_str());
    if (!overwrite && existing != INVALID_FILE_ATTRIBUTES)
        throwError("CopyFile", both, ERROR_FILE_EXISTS);
    // Windows refuses to rename over a read-only file, some file systems
    // under Wine do not; refusing first keeps the answer the same everywhere.
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0)
        throwError("CopyFile", both, ERROR_ACCESS_DENIED);

    HandleCloser input{CreateFileW(systemPath(source).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)};
    if (input.handle == INVALID_HANDLE_VALUE)
        throwLastError("CopyFile", both);

    std::wstring temporaryPath;
    HandleCloser output{createTemporaryBeside(wideDestination, temporaryPath)};
    if (output.handle == INVALID_HANDLE_VALUE)
        throwLastError("CopyFile", both);

    // From here on every failure takes the temporary file away again, so an
    // older destination is all that is left.
    auto fail = [&](DWORD code) {
        ::CloseHandle(output.handle);
        output.handle = INVALID_HANDLE_VALUE;
        DeleteFileW(temporaryPath.c_str());
        throwError("CopyFile", both, code);
    };

    std::vector<char> buffer(1 << 20);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(input.handle, buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                      nullptr))
            fail(GetLastError());
        if (got == 0)
            break;
        DWORD offset = 0;
        while (offset < got) {
            DWORD written = 0;
            if (!WriteFile(output.handle, buffer.data() + offset, got - offset, &written, nullptr))
                fail(GetLastError());
            if (written == 0)
                fail(ERROR_WRITE_FAULT);
            offset += written;
        }
    }
    // Keep the source's modification time, as the system's own copy does.
    FILETIME modified;
    if (GetFileTime(input.handle, nullptr, nullptr, &modified))
        SetFileTime(output.handle, nullptr, nullptr, &modified);
    if (!FlushFileBuffers(output.handle))
        fail(GetLastError());
    ::CloseHandle(output.handle);
    output.handle = INVALID_HANDLE_VALUE;
    SetFileAttributesW(temporaryPath.c_str(), FILE_ATTRIBUTE_ARCHIVE);

    if (!MoveFileExW(temporaryPath.c_str(), wideDestination.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = GetLastError();
        DeleteFileW(temporaryPath.c_str());
        throwError("CopyFile", both, code);
    }
}

void WinFileSystem::DeleteFile(const std::string& path, bool force) {
    const win::CriticalErrorGuard guard;
    const std::wstring widePath = systemPath(path);
    const DWORD attributes = GetFileAttributesW(widePath.c_str());
    const bool clearReadOnly = force && attributes != INVALID_FILE_ATTRIBUTES &&
                               (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                               (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (clearReadOnly)
        SetFileAttributesW(widePath.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    if (!DeleteFileW(widePath.c_str())) {
        const DWORD code = GetLastError();
        // A file that stays should stay as it was.
        if (clearReadOnly)
            SetFileAttributesW(widePath.c_str(), attributes);
        throwError("DeleteFile", path, code);
    }
}

std::string WinFileSystem::LookupEntryName(const std::string& path) {
    // A path that ends in a separator names no entry of its folder.
    const std::string text = withoutDrivePrefix(path);
    const std::size_t nameStart = text.find_last_of("\\/");
    const std::string name = text.substr(nameStart == std::string::npos ? 0 : nameStart + 1);
    // FindFirstFile would take these as wildcards and answer with some other
    // entry's name; no stored name can contain them.
    if (name.empty() || name.find_first_of("*?<>\"") != std::string::npos)
        return {};
    const win::CriticalErrorGuard guard;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW(systemPath(path).c_str(), FindExInfoStandard, &found,
                                     FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return {};
    FindClose(search);
    return toUtf8(found.cFileName);
}

void WinFileSystem::RemoveStaleFile(const std::string& path) {
    const win::CriticalErrorGuard guard;
    const std::wstring widePath = systemPath(path);
    const DWORD attributes = GetFileAttributesW(widePath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return;
        throwError("RemoveStaleFile", path, code);
    }
    BOOL removed;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        // A link to a folder goes away as a folder entry; its target stays.
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
            throwError("RemoveStaleFile", path, ERROR_DIRECTORY);
        removed = RemoveDirectoryW(widePath.c_str());
    } else {
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
            SetFileAttributesW(widePath.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
        removed = DeleteFileW(widePath.c_str());
    }
    if (!removed) {
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND)
            throwError("RemoveStaleFile", path, code);
    }
}

} // namespace ondrel::platform
