#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>

#include "platform/win/WinShell.h"

#include "platform/PlatformError.h"
#include "platform/win/ComApartment.h"
#include "platform/win/ComRef.h"
#include "platform/win/WinText.h"

#include <vector>

namespace ondrel::platform {

using win::toUtf8;
using win::toWide;

namespace {

void check(HRESULT result, const char* operation, const std::string& path) {
    if (FAILED(result))
        win::throwError(operation, path, static_cast<unsigned long>(result));
}

// A shell link object that has joined COM for as long as it lives. Members
// go in reverse order, so both interfaces are released before the apartment
// is left.
struct ShellLink {
    win::ComApartment apartment;
    win::ComRef<IShellLinkW> link;
    win::ComRef<IPersistFile> file;

    ShellLink(const char* operation, const std::string& path) {
        check(apartment.result(), operation, path);
        check(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                               link.out()),
              operation, path);
        check(link->QueryInterface(IID_IPersistFile, file.out()), operation, path);
    }
};

} // namespace

std::string WinShell::SpecialFolders(const std::string& name) {
    const KNOWNFOLDERID* id = nullptr;
    if (name == "Desktop")
        id = &FOLDERID_Desktop;
    else if (name == "SendTo")
        id = &FOLDERID_SendTo;
    else
        throw PlatformError("SpecialFolders", name, "no such special folder");
    PWSTR path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(*id, KF_FLAG_CREATE, nullptr, &path);
    if (FAILED(result)) {
        CoTaskMemFree(path);
        win::throwError("SpecialFolders", name, static_cast<unsigned long>(result));
    }
    std::string folder = toUtf8(path);
    CoTaskMemFree(path);
    return folder;
}

std::string WinShell::ShortcutFileName(const std::string& name) {
    if (name != "Desktop" && name != "SendTo")
        throw PlatformError("ShortcutFileName", name, "no such special folder");
    return "Ondrel.lnk";
}

Shortcut WinShell::CreateShortcut(const std::string& linkPath) {
    Shortcut shortcut;
    shortcut.FullName = linkPath;
    return shortcut;
}

void WinShell::Save(const Shortcut& shortcut) {
    const std::string& path = shortcut.FullName;
    ShellLink shell("Save", path);
    check(shell.link->SetDescription(toWide(shortcut.Description).c_str()), "Save", path);
    check(shell.link->SetWorkingDirectory(toWide(shortcut.WorkingDirectory).c_str()), "Save", path);
    check(shell.link->SetPath(toWide(shortcut.TargetPath).c_str()), "Save", path);
    check(shell.file->Save(toWide(path).c_str(), TRUE), "Save", path);
}

Shortcut WinShell::ReadShortcut(const std::string& linkPath) {
    ShellLink shell("ReadShortcut", linkPath);
    check(shell.file->Load(toWide(linkPath).c_str(), STGM_READ), "ReadShortcut", linkPath);

    // Long paths fit: the shell itself stores at most this much per field.
    std::vector<wchar_t> buffer(32768);
    const int capacity = static_cast<int>(buffer.size());
    Shortcut shortcut;
    shortcut.FullName = linkPath;
    buffer[0] = L'\0';
    check(shell.link->GetPath(buffer.data(), capacity, nullptr, SLGP_RAWPATH), "ReadShortcut",
          linkPath);
    shortcut.TargetPath = toUtf8(buffer.data());
    buffer[0] = L'\0';
    check(shell.link->GetWorkingDirectory(buffer.data(), capacity), "ReadShortcut", linkPath);
    shortcut.WorkingDirectory = toUtf8(buffer.data());
    buffer[0] = L'\0';
    check(shell.link->GetDescription(buffer.data(), capacity), "ReadShortcut", linkPath);
    shortcut.Description = toUtf8(buffer.data());
    return shortcut;
}

} // namespace ondrel::platform
