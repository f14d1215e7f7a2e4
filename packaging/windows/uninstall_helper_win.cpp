// uninstall-helper.exe, run by the installer when Ondrel is uninstalled:
//
// uninstall-helper.exe in-use "<installation folder>" <UI level>
//   Before anything is removed. An Ondrel still running from the folder (or
//   its converter) keeps its files open: Windows would leave them behind,
//   Wine would leave the whole folder, and the uninstall would still report
//   success. So the uninstall is refused while one runs, with the installer's
//   UI level telling whether a message may be shown (2: silent, none).
//   0: nothing of the folder runs; 1: something does (the uninstall stops
//   and leaves everything as it was); 2: no folder given.
//
// uninstall-helper.exe shortcuts "<installation folder>"
//   As the user who uninstalls. "Setting" made Ondrel.lnk on that user's
//   Desktop and in their SendTo folder; once the folder is gone they would
//   point at nothing. Each is deleted when its target lies inside the folder
//   being removed. One that points elsewhere (an Ondrel unpacked from the
//   zip, say) is that copy's and stays. The installer ignores the exit code:
//   a shortcut left behind must not stop an uninstall. 0: done; 2: no folder
//   given.

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

namespace {

// A path as Windows itself spells it: absolute, "." and ".." gone, long
// names for short ones where the file still exists.
std::wstring normalized(const std::wstring& path) {
    std::vector<wchar_t> full(32768);
    DWORD length =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size())
        return path;
    std::wstring result(full.data(), length);
    std::vector<wchar_t> longName(32768);
    length = GetLongPathNameW(result.c_str(), longName.data(), static_cast<DWORD>(longName.size()));
    if (length != 0 && length < longName.size())
        result.assign(longName.data(), length);
    while (result.size() > 3 && (result.back() == L'\\' || result.back() == L'/'))
        result.pop_back();
    return result;
}

bool sameText(const std::wstring& left, const std::wstring& right) {
    return CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

// File names on Windows compare without regard to case.
bool isInside(const std::wstring& path, const std::wstring& folder) {
    if (path.size() <= folder.size() + 1)
        return false;
    const wchar_t separator = path[folder.size()];
    return (separator == L'\\' || separator == L'/') &&
           sameText(path.substr(0, folder.size()), folder);
}

std::wstring knownFolder(const KNOWNFOLDERID& id) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)))
        result = path;
    CoTaskMemFree(path);
    return result;
}

std::wstring shortcutTarget(const std::wstring& linkPath) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return {};
    std::wstring target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::vector<wchar_t> buffer(32768, L'\0');
        // Not resolved: the target may be gone already, and resolving would
        // go looking for it.
        if (SUCCEEDED(file->Load(linkPath.c_str(), STGM_READ)) &&
            SUCCEEDED(link->GetPath(buffer.data(), static_cast<int>(buffer.size()), nullptr, 0)))
            target = buffer.data();
        file->Release();
    }
    link->Release();
    return target;
}

// Whether a process other than this one runs a program from inside the folder.
bool runsFromInside(const std::wstring& folder) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    bool found = false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
         more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId())
            continue;
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (process == nullptr)
            continue;
        std::vector<wchar_t> image(32768, L'\0');
        DWORD length = static_cast<DWORD>(image.size());
        if (QueryFullProcessImageNameW(process, 0, image.data(), &length))
            found = isInside(normalized(std::wstring(image.data(), length)), folder);
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return found;
}

int refuseWhileInUse(const std::wstring& folder, const std::wstring& uiLevel) {
    if (!runsFromInside(folder))
        return 0;
    // 2 is INSTALLUILEVEL_NONE: msiexec /qn, where nobody could answer.
    if (uiLevel != L"2")
        MessageBoxW(nullptr,
                    L"Ondrel is running. Close Ondrel, then uninstall it again.\n\n"
                    L"Nothing has been removed.",
                    L"Ondrel", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
    return 1;
}

int removeShortcuts(const std::wstring& folder) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 0;
    for (const KNOWNFOLDERID* id : {&FOLDERID_Desktop, &FOLDERID_SendTo}) {
        const std::wstring place = knownFolder(*id);
        if (place.empty())
            continue;
        const std::wstring linkPath = place + L"\\Ondrel.lnk";
        if (GetFileAttributesW(linkPath.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;
        const std::wstring target = shortcutTarget(linkPath);
        if (!target.empty() && isInside(normalized(target), folder))
            DeleteFileW(linkPath.c_str());
    }
    CoUninitialize();
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3 || argv[2][0] == L'\0')
        return 2;
    const std::wstring duty = argv[1];
    const std::wstring folder = normalized(argv[2]);
    if (duty == L"in-use")
        return refuseWhileInUse(folder, argc > 3 ? argv[3] : L"");
    if (duty == L"shortcuts")
        return removeShortcuts(folder);
    return 2;
}
