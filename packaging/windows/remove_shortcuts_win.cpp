// remove-shortcuts.exe "<installation folder>"
//
// Run by the installer when Ondrel is uninstalled, as the user who
// uninstalls it. "Setting" made Ondrel.lnk on that user's Desktop and in
// their SendTo folder; once the folder is gone they would point at nothing.
// Each is deleted when its target lies inside the folder being removed. One
// that points elsewhere (an Ondrel unpacked from the zip, say) is that copy's
// and stays.
//
// The installer ignores the exit code: a shortcut left behind must not stop
// an uninstall. 0: done; 1: no folder given.

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

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

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 || argv[1][0] == L'\0')
        return 1;
    const std::wstring folder = normalized(argv[1]);

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
