#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include "platform/win/WinEnvironment.h"

#include "platform/PlatformError.h"
#include "platform/win/ProcessIdentity.h"
#include "platform/win/WinText.h"

#include <memory>
#include <vector>

namespace ondrel::platform {

using win::throwError;
using win::throwLastError;
using win::toUtf8;
using win::toWide;

namespace {

const std::string kTempOperation = "PrivateTempFolder";

std::wstring withoutTrailingSeparators(std::wstring path) {
    // "C:\" keeps its separator: without it the text would mean the drive's
    // current folder.
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    return path;
}

std::wstring windowsFolder() {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    const UINT length = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length == 0 || length >= buffer.size())
        return {};
    return std::wstring(buffer.data(), length);
}

// Where the private folder goes: the user's temporary folder, unless the
// system only offers its own Windows folder, which all users share.
std::wstring temporaryBase() {
    std::vector<wchar_t> buffer(MAX_PATH + 2);
    const DWORD length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length > 0 && length < buffer.size()) {
        const std::wstring base = withoutTrailingSeparators(std::wstring(buffer.data(), length));
        if (CompareStringOrdinal(base.c_str(), -1,
                                 withoutTrailingSeparators(windowsFolder()).c_str(), -1,
                                 TRUE) != CSTR_EQUAL)
            return base;
    }
    PWSTR localAppData = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &localAppData)))
        throwError(kTempOperation, "%LOCALAPPDATA%", ERROR_PATH_NOT_FOUND);
    std::wstring base = withoutTrailingSeparators(localAppData) + L"\\Temp";
    CoTaskMemFree(localAppData);
    if (!CreateDirectoryW(base.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        throwLastError(kTempOperation, toUtf8(base));
    return base;
}

bool isSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// The system's full form of a folder part ("sub\", "..\", "D:", or a lone
// separator for the current drive's root), "" when it has none.
std::wstring fullFolder(const std::wstring& folder) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetFullPathNameW(folder.c_str(), static_cast<DWORD>(buffer.size()),
                                              buffer.data(), nullptr);
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(length);
    }
}

struct LocalFreer {
    void operator()(void* memory) const { LocalFree(memory); }
};

// Full control for the user alone, nothing inherited from the parent folder.
std::unique_ptr<void, LocalFreer> ownerOnlyDescriptor(const win::ProcessIdentity& identity) {
    wchar_t* userText = nullptr;
    if (!ConvertSidToStringSidW(const_cast<unsigned char*>(identity.user.data()), &userText))
        throwLastError(kTempOperation, "user SID");
    const std::wstring sddl = L"D:P(A;OICI;FA;;;" + std::wstring(userText) + L")";
    LocalFree(userText);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr))
        throwLastError(kTempOperation, "owner-only access");
    return std::unique_ptr<void, LocalFreer>(descriptor);
}

} // namespace

std::string WinEnvironment::ArgumentText() const {
    const std::wstring commandLine = GetCommandLineW();
    std::size_t start = win::programTokenEnd(commandLine);
    while (start < commandLine.size() &&
           (commandLine[start] == L' ' || commandLine[start] == L'\t'))
        ++start;
    return toUtf8(commandLine.substr(start));
}

std::string WinEnvironment::Variable(const std::string& name) const {
    const std::wstring wideName = toWide(name);
    std::vector<wchar_t> buffer(256);
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetEnvironmentVariableW(wideName.c_str(), buffer.data(),
                                                     static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return toUtf8(std::wstring(buffer.data(), length));
        buffer.resize(length);
    }
}

std::string WinEnvironment::ProgramFolder() const {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            throwLastError("ProgramFolder", "");
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            const std::size_t cut = path.find_last_of(L"\\/");
            return toUtf8(cut == std::wstring::npos ? std::wstring() : path.substr(0, cut));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string WinEnvironment::FullPath(const std::string& path) const {
    const std::wstring wide = toWide(path);
    const bool driveAbsolute = wide.size() >= 3 && wide[1] == L':' && isSeparator(wide[2]);
    const bool network = wide.size() >= 2 && isSeparator(wide[0]) && isSeparator(wide[1]);
    if (wide.empty() || driveAbsolute || network)
        return path;
    // The folder part goes through the system's own rules (a drive's current
    // folder, "..", the current drive's root); the name is kept as written,
    // which the system would turn into a device's ("Aux.mp3") or lose its
    // trailing dots and spaces.
    std::size_t nameStart = wide.find_last_of(L"\\/");
    nameStart = nameStart == std::wstring::npos ? (wide.size() >= 2 && wide[1] == L':' ? 2 : 0)
                                                : nameStart + 1;
    const std::wstring name = wide.substr(nameStart);
    if (name.empty() || name == L"." || name == L"..") {
        const std::wstring full = fullFolder(wide);
        return full.empty() ? path : toUtf8(full);
    }
    std::wstring folder =
        fullFolder(nameStart == 0 ? std::wstring(L".") : wide.substr(0, nameStart));
    if (folder.empty())
        return path;
    if (!isSeparator(folder.back()))
        folder += L'\\';
    return toUtf8(folder + name);
}

std::string WinEnvironment::PrivateTempFolder() const {
    const std::wstring folder = temporaryBase() + L"\\Ondrel";
    const std::string folderText = toUtf8(folder);
    const win::ProcessIdentity identity = win::processIdentity(kTempOperation);

    auto descriptor = ownerOnlyDescriptor(identity);
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), descriptor.get(), FALSE};
    if (!CreateDirectoryW(folder.c_str(), &security) && GetLastError() != ERROR_ALREADY_EXISTS)
        throwLastError(kTempOperation, folderText);

    // What is there now may have been planted by someone else before us.
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        throwLastError(kTempOperation, folderText);
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        throw PlatformError(kTempOperation, folderText, "the folder is a link");
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        throwError(kTempOperation, folderText, ERROR_DIRECTORY);

    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR ownerDescriptor = nullptr;
    const DWORD result =
        GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                              nullptr, nullptr, nullptr, &ownerDescriptor);
    if (result != ERROR_SUCCESS)
        throwError(kTempOperation, folderText, result);
    std::unique_ptr<void, LocalFreer> ownerGuard(ownerDescriptor);
    if (!identity.owns(owner))
        throw PlatformError(kTempOperation, folderText, "the folder belongs to another user");

    // A folder of ours from an earlier run may have taken the wider access
    // of its parent; it is narrowed to the user again.
    // SetFileSecurityW takes the protection flag from the descriptor itself,
    // and unlike SetNamedSecurityInfoW it is also carried out by Wine.
    if (!SetFileSecurityW(folder.c_str(), DACL_SECURITY_INFORMATION, descriptor.get()))
        throwLastError(kTempOperation, folderText);
    return folderText;
}

} // namespace ondrel::platform
