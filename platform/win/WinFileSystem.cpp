#include <windows.h>
// windows.h maps these names onto its A/W functions; here they are our own.
#undef CopyFile
#undef DeleteFile

#include "platform/win/WinFileSystem.h"

#include "platform/PathStyle.h"
#include "platform/PathText.h"
#include "platform/PlatformError.h"
#include "platform/win/CriticalErrorGuard.h"
#include "platform/win/ProcessIdentity.h"
#include "platform/win/WinText.h"

#include <aclapi.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cwchar>
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

// The path as Win32 is to read it (see literalPath).
std::wstring systemPath(const std::string& path) {
    return toWide(literalPath(path));
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

// Refused before anything is written: Windows refuses to rename over a
// read-only file, some file systems under Wine do not; refusing first keeps
// the answer the same everywhere.
void refuseReadOnly(const std::wstring& destination, const std::string& both) {
    const DWORD existing = GetFileAttributesW(destination.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0)
        throwError("CopyFile", both, ERROR_ACCESS_DENIED);
}

// Copies all of input into a fresh temporary file beside destination, flushed
// and closed, its path in temporaryPath. False, with nothing left behind and
// the error in readError, when reading failed; failed writes throw.
bool writeBeside(HANDLE input, const std::wstring& destination, const std::string& both,
                 std::wstring& temporaryPath, DWORD& readError) {
    HandleCloser output{createTemporaryBeside(destination, temporaryPath)};
    if (output.handle == INVALID_HANDLE_VALUE)
        throwLastError("CopyFile", both);

    // From here on every failure takes the temporary file away again, so an
    // older destination is all that is left.
    auto discard = [&] {
        ::CloseHandle(output.handle);
        output.handle = INVALID_HANDLE_VALUE;
        DeleteFileW(temporaryPath.c_str());
    };
    auto fail = [&](DWORD code) {
        discard();
        throwError("CopyFile", both, code);
    };

    std::vector<char> buffer(1 << 20);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(input, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            readError = GetLastError();
            discard();
            return false;
        }
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
    if (GetFileTime(input, nullptr, nullptr, &modified))
        SetFileTime(output.handle, nullptr, nullptr, &modified);
    if (!FlushFileBuffers(output.handle))
        fail(GetLastError());
    ::CloseHandle(output.handle);
    output.handle = INVALID_HANDLE_VALUE;
    SetFileAttributesW(temporaryPath.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    return true;
}

// Renames the finished temporary file over the destination.
void replaceWith(const std::wstring& temporaryPath, const std::wstring& destination,
                 const std::string& both) {
    if (!MoveFileExW(temporaryPath.c_str(), destination.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = GetLastError();
        DeleteFileW(temporaryPath.c_str());
        throwError("CopyFile", both, code);
    }
}

// What the system knows of the entry at path: a link itself, not its target,
// unless followLinks. False when it cannot be opened.
bool entryInformation(const std::string& path, bool followLinks, BY_HANDLE_FILE_INFORMATION& info) {
    if (path.empty())
        return false;
    const win::CriticalErrorGuard guard;
    const DWORD flags =
        FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    HandleCloser entry{CreateFileW(systemPath(path).c_str(), 0,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, flags, nullptr)};
    return entry.handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(entry.handle, &info);
}

// Whether the entry open as file belongs to this user, or to the group Windows
// makes the owner of what an elevated user creates. A volume that keeps no
// owners (FAT) cannot tell, and its files count as the user's. The handle
// needs READ_CONTROL.
bool ownedByUser(HANDLE file) {
    DWORD flags = 0;
    if (GetVolumeInformationByHandleW(file, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
        (flags & FILE_PERSISTENT_ACLS) == 0)
        return true;
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                        nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    bool own = owner == nullptr;
    try {
        own = own || win::processIdentity("isOwnFile").owns(owner);
    } catch (const PlatformError&) {
    }
    LocalFree(descriptor);
    return own;
}

// A file of this user's made here: a regular file (no folder, no link) with
// no other name, that is the user's. Judged on an open handle with READ_CONTROL.
bool isOwnHandle(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileInformationByHandle(file, &info) &&
           (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
               0 &&
           info.nNumberOfLinks <= 1 && ownedByUser(file);
}

// Opens the file at path for reading when it is isOwnHandle, not following a
// link; INVALID_HANDLE_VALUE otherwise.
HANDLE openOwnFile(const std::string& path) {
    HANDLE file = CreateFileW(systemPath(path).c_str(), GENERIC_READ | READ_CONTROL,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file != INVALID_HANDLE_VALUE && !isOwnHandle(file)) {
        ::CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

// "X:\..." or "\\server\share\...": a path that names one place whatever
// the current drive and folder.
bool isFullPath(const std::string& path) {
    const bool drive = path.size() >= 3 && path[1] == ':' && isPathSeparator(path[2]);
    const bool network = path.size() >= 2 && isPathSeparator(path[0]) && isPathSeparator(path[1]);
    return drive || network;
}

// The folder a drive root stands for: "E:" alone would be the drive's current folder.
std::string rootFolder(const std::string& root) {
    return !root.empty() && root.back() == ':' ? root + "\\" : root;
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
    if (!overwrite && GetFileAttributesW(wideDestination.c_str()) != INVALID_FILE_ATTRIBUTES)
        throwError("CopyFile", both, ERROR_FILE_EXISTS);
    refuseReadOnly(wideDestination, both);

    HandleCloser input{CreateFileW(systemPath(source).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)};
    if (input.handle == INVALID_HANDLE_VALUE)
        throwLastError("CopyFile", both);
    std::wstring temporaryPath;
    DWORD readError = 0;
    if (!writeBeside(input.handle, wideDestination, both, temporaryPath, readError))
        throwError("CopyFile", both, readError);
    replaceWith(temporaryPath, wideDestination, both);
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

bool WinFileSystem::sameFile(const std::string& first, const std::string& second) const {
    BY_HANDLE_FILE_INFORMATION one;
    BY_HANDLE_FILE_INFORMATION two;
    return entryInformation(first, true, one) && entryInformation(second, true, two) &&
           one.dwVolumeSerialNumber == two.dwVolumeSerialNumber &&
           one.nFileIndexHigh == two.nFileIndexHigh && one.nFileIndexLow == two.nFileIndexLow;
}

bool WinFileSystem::isOwnFile(const std::string& path) const {
    if (path.empty())
        return false;
    const win::CriticalErrorGuard guard;
    HandleCloser file{CreateFileW(systemPath(path).c_str(), READ_CONTROL,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)};
    return file.handle != INVALID_HANDLE_VALUE && isOwnHandle(file.handle);
}

std::string WinFileSystem::createFreeFile(const std::function<std::string(int)>& candidate,
                                          int count) {
    const win::CriticalErrorGuard guard;
    for (int n = 1; n <= count; ++n) {
        const std::string path = candidate(n);
        const std::wstring widePath = systemPath(path);
        // CREATE_NEW fails on any entry of that name, a link included.
        HANDLE file = CreateFileW(widePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
            return path;
        }
        const DWORD code = GetLastError();
        // A folder of that name answers "access denied".
        const bool taken = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS ||
                           (code == ERROR_ACCESS_DENIED &&
                            GetFileAttributesW(widePath.c_str()) != INVALID_FILE_ATTRIBUTES);
        if (!taken)
            throwError("CreateFreeFile", path, code);
    }
    return {};
}

std::uint64_t WinFileSystem::ownFileSize(const std::string& path) const {
    if (path.empty())
        return 0;
    const win::CriticalErrorGuard guard;
    HandleCloser file{CreateFileW(systemPath(path).c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)};
    LARGE_INTEGER size;
    if (file.handle == INVALID_HANDLE_VALUE || !isOwnHandle(file.handle) ||
        !GetFileSizeEx(file.handle, &size))
        return 0;
    return static_cast<std::uint64_t>(size.QuadPart);
}

void WinFileSystem::removeEmptyOwnFile(const std::string& path) {
    if (path.empty())
        return;
    const win::CriticalErrorGuard guard;
    // Judged and removed through one handle: nothing can take its place in between.
    HandleCloser file{CreateFileW(systemPath(path).c_str(),
                                  READ_CONTROL | FILE_READ_ATTRIBUTES | DELETE, 0, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)};
    LARGE_INTEGER size;
    if (file.handle == INVALID_HANDLE_VALUE || !isOwnHandle(file.handle) ||
        !GetFileSizeEx(file.handle, &size) || size.QuadPart != 0)
        return;
    // Its one member's name is also a macro of windows.h.
    FILE_DISPOSITION_INFO disposition{TRUE};
    SetFileInformationByHandle(file.handle, FileDispositionInfo, &disposition, sizeof disposition);
}

std::string WinFileSystem::readFileBytes(const std::string& path, std::uint64_t offset,
                                         std::size_t length) const {
    const win::CriticalErrorGuard guard;
    HandleCloser file{CreateFileW(systemPath(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr)};
    LARGE_INTEGER size;
    // A pipe or a device is no file to look into, and may never answer.
    if (file.handle == INVALID_HANDLE_VALUE || GetFileType(file.handle) != FILE_TYPE_DISK ||
        !GetFileSizeEx(file.handle, &size) || offset >= static_cast<std::uint64_t>(size.QuadPart))
        return {};
    const std::uint64_t left = static_cast<std::uint64_t>(size.QuadPart) - offset;
    std::string bytes(static_cast<std::size_t>(std::min<std::uint64_t>(length, left)), '\0');
    LARGE_INTEGER start;
    start.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file.handle, start, nullptr, FILE_BEGIN))
        return {};
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD count = 0;
        if (!ReadFile(file.handle, bytes.data() + done, chunk, &count, nullptr) || count == 0)
            break;
        done += count;
    }
    bytes.resize(done);
    return bytes;
}

bool WinFileSystem::copyOwnFile(const std::string& source, const std::string& destination) {
    const std::string both = source + " -> " + destination;
    const win::CriticalErrorGuard guard;
    HandleCloser input{openOwnFile(source)};
    if (input.handle == INVALID_HANDLE_VALUE)
        return false;
    const std::wstring wideDestination = systemPath(destination);
    refuseReadOnly(wideDestination, both);
    std::wstring temporaryPath;
    DWORD readError = 0;
    if (!writeBeside(input.handle, wideDestination, both, temporaryPath, readError))
        throwError("CopyFile", both, readError);
    replaceWith(temporaryPath, wideDestination, both);
    return true;
}

std::string WinFileSystem::copyOwnFileToFreeName(const std::string& source,
                                                 const std::function<std::string(int)>& candidate,
                                                 int count) {
    const win::CriticalErrorGuard guard;
    HandleCloser input{openOwnFile(source)};
    if (input.handle == INVALID_HANDLE_VALUE || count < 1)
        return {};
    const std::string first = candidate(1);
    const std::string both = source + " -> " + first;
    std::wstring temporaryPath;
    DWORD readError = 0;
    if (!writeBeside(input.handle, systemPath(first), both, temporaryPath, readError))
        throwError("CopyFile", both, readError);
    // A rename without MOVEFILE_REPLACE_EXISTING fails on a name that is
    // taken, at the moment it is made: nothing there is ever replaced.
    for (int n = 1; n <= count; ++n) {
        const std::string path = n == 1 ? first : candidate(n);
        if (MoveFileExW(temporaryPath.c_str(), systemPath(path).c_str(), MOVEFILE_WRITE_THROUGH))
            return path;
        const DWORD code = GetLastError();
        if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS) {
            DeleteFileW(temporaryPath.c_str());
            throwError("CopyFile", source + " -> " + path, code);
        }
    }
    DeleteFileW(temporaryPath.c_str());
    return {};
}

bool WinFileSystem::copyReadableFile(const std::string& source, const std::string& destination) {
    const std::string both = source + " -> " + destination;
    const win::CriticalErrorGuard guard;
    HandleCloser input{CreateFileW(systemPath(source).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)};
    // A pipe or a device (NUL, COM1) is no file to copy, and may never end.
    if (input.handle == INVALID_HANDLE_VALUE || GetFileType(input.handle) != FILE_TYPE_DISK)
        return false;
    const std::wstring wideDestination = systemPath(destination);
    refuseReadOnly(wideDestination, both);
    std::wstring temporaryPath;
    DWORD readError = 0;
    if (!writeBeside(input.handle, wideDestination, both, temporaryPath, readError))
        return false;
    replaceWith(temporaryPath, wideDestination, both);
    return true;
}

std::string WinFileSystem::folderOnVolumeProblem(const std::string& path,
                                                 const std::string& root) const {
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return win::systemMessage(path.empty() ? ERROR_PATH_NOT_FOUND : GetLastError());
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return "Is a link (a junction or a symbolic link)";
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return win::systemMessage(ERROR_DIRECTORY);
    BY_HANDLE_FILE_INFORMATION folder;
    BY_HANDLE_FILE_INFORMATION volume;
    if (!entryInformation(path, false, folder))
        return win::systemMessage(GetLastError());
    if (!entryInformation(rootFolder(root), true, volume))
        return win::systemMessage(GetLastError());
    if (folder.dwVolumeSerialNumber != volume.dwVolumeSerialNumber)
        return "Lies on another volume than " + root;
    return {};
}

std::string WinFileSystem::temporaryFolderProblem(const std::string& path) const {
    if (!isFullPath(path))
        return "Not a full path";
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return win::systemMessage(GetLastError());
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return win::systemMessage(ERROR_DIRECTORY);
    // Whether a file can be made there is known only by making one; it goes
    // with its handle.
    const win::CriticalErrorGuard guard;
    std::wstring probe = systemPath(path);
    if (!isPathSeparator(path.back()))
        probe += L'\\';
    probe += L"~ondrel-" + std::to_wstring(GetCurrentProcessId()) + L"-probe.tmp";
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return win::systemMessage(GetLastError());
    ::CloseHandle(file);
    return {};
}

} // namespace ondrel::platform
