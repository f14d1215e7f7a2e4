// The Windows installer as a user meets it, silently: msiexec /i and /x with
// /qn, then what is on the machine afterwards: the program folder in Program
// Files with the download's files, the Start menu entry, the entry in the
// installed programs, the program starting from there, and after the
// uninstall nothing of it, nor the user's shortcuts into the removed folder;
// while the program runs, an uninstall that is refused and changes nothing.
//
// ONDREL_MSI names the installer, ONDREL_MSI_NEWER one of a later version made
// from the same build, ONDREL_VERSION and ONDREL_NEWER_VERSION their versions,
// ONDREL_UNPACKED and ONDREL_UNPACKED_NEWER the zips of the same versions
// unpacked: the files each installer must lay down. Run by .ci/wine-installer-tests.

#include "platform/win/WideText.h"
#include "tests/contract/Check.h"
#include "tests/wine/ShellLinks.h"
#include "tests/wine/WindowDriver.h"

#include <windows.h>

#include <msi.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace shelllinks;
using namespace windowdriver;
using ondrel::platform::win::toUtf8;
using ondrel::platform::win::toWide;

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::wstring variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? toWide(value) : std::wstring();
}

bool sameText(const std::wstring& left, const std::wstring& right) {
    return CompareStringOrdinal(left.c_str(), -1, right.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring knownFolder(const KNOWNFOLDERID& id) {
    wchar_t* path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path)))
        result = path;
    CoTaskMemFree(path);
    return result;
}

std::wstring installFolder() {
    return knownFolder(FOLDERID_ProgramFiles) + L"\\Ondrel";
}

// The Start menu entry, for all users as Windows lays it. Wine's installer
// puts it into the installing user's own Start menu instead; either counts,
// not both.
std::vector<std::wstring> startMenuEntries() {
    std::vector<std::wstring> found;
    for (const KNOWNFOLDERID* folder : {&FOLDERID_CommonPrograms, &FOLDERID_Programs}) {
        const std::wstring entry = knownFolder(*folder) + L"\\Ondrel.lnk";
        if (fileExists(entry))
            found.push_back(entry);
    }
    return found;
}

bool folderExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Every file below the folder, by its path relative to it, sorted.
void collectFiles(const std::wstring& folder, const std::wstring& prefix,
                  std::vector<std::wstring>& files) {
    for (const std::wstring& name : namesIn(folder)) {
        const std::wstring path = folder + L"\\" + name;
        if (folderExists(path))
            collectFiles(path, prefix + name + L"\\", files);
        else
            files.push_back(prefix + name);
    }
}

std::vector<std::wstring> filesBelow(const std::wstring& folder) {
    std::vector<std::wstring> files;
    collectFiles(folder, L"", files);
    std::sort(files.begin(), files.end());
    return files;
}

// --- processes -------------------------------------------------------------------

// Runs the command line and waits for its end; its exit code, or -1.
long run(const std::wstring& commandLine) {
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    // An install of twenty megabytes, on a loaded machine.
    WaitForSingleObject(process.hProcess, 600000);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<long>(code);
}

long msiexec(const std::wstring& action, const std::wstring& package) {
    return run(L"msiexec.exe " + action + L" \"" + package + L"\" /qn");
}

// --- the installed programs' list ----------------------------------------------------

std::wstring registryText(HKEY key, const std::wstring& subKey, const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(key, subKey.c_str(), name, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr,
                     value, &size) != ERROR_SUCCESS)
        return L"(none)";
    return value;
}

struct UninstallEntry {
    std::wstring productCode;
    std::wstring displayVersion;
    std::wstring publisher;
    std::wstring displayIcon;
};

// The entries of the installed programs that are called "Ondrel".
std::vector<UninstallEntry> ondrelEntries() {
    std::vector<UninstallEntry> entries;
    HKEY list = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_64KEY, &list) !=
        ERROR_SUCCESS)
        return entries;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (RegEnumKeyExW(list, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        const std::wstring key = std::wstring(kUninstallKey) + L"\\" + name;
        if (registryText(HKEY_LOCAL_MACHINE, key, L"DisplayName") != L"Ondrel")
            continue;
        entries.push_back({name, registryText(HKEY_LOCAL_MACHINE, key, L"DisplayVersion"),
                           registryText(HKEY_LOCAL_MACHINE, key, L"Publisher"),
                           registryText(HKEY_LOCAL_MACHINE, key, L"DisplayIcon")});
    }
    RegCloseKey(list);
    return entries;
}

// Whatever an earlier, failed test left installed goes first.
void uninstallLeftovers() {
    for (const UninstallEntry& entry : ondrelEntries())
        run(L"msiexec.exe /x " + entry.productCode + L" /qn");
}

// --- what an install leaves ----------------------------------------------------------------

// The program folder holds the files of the version's zip, the same bytes,
// and the uninstall's helper; nothing else.
void checkInstalledFiles(const std::wstring& unpacked) {
    std::vector<std::wstring> expected = filesBelow(unpacked);
    CHECK(expected.size() >= 5);
    expected.push_back(L"uninstall\\uninstall-helper.exe");
    std::sort(expected.begin(), expected.end());
    const std::vector<std::wstring> installed = filesBelow(installFolder());
    CHECK(installed == expected);
    if (installed != expected) {
        std::cout << "  installed:";
        for (const std::wstring& file : installed)
            std::cout << " " << toUtf8(file);
        std::cout << std::endl;
    }
    for (const std::wstring& file : filesBelow(unpacked)) {
        const bool same =
            readFile(installFolder() + L"\\" + file) == readFile(unpacked + L"\\" + file);
        if (!same)
            std::cout << "  differs from the zip's: " << toUtf8(file) << std::endl;
        CHECK(same);
    }
}

// The one entry of the installed programs, of that version; its product code.
std::wstring checkUninstallEntry(const std::wstring& version) {
    const std::vector<UninstallEntry> entries = ondrelEntries();
    CHECK_EQ(entries.size(), std::size_t{1});
    if (entries.size() != 1)
        return {};
    const UninstallEntry& entry = entries.front();
    CHECK_EQ(toUtf8(entry.displayVersion), toUtf8(version));
    CHECK_EQ(toUtf8(entry.publisher), std::string("The Ondrel project"));
    CHECK(sameText(entry.displayIcon, installFolder() + L"\\Ondrel.exe,0"));
    if (!sameText(entry.displayIcon, installFolder() + L"\\Ondrel.exe,0"))
        std::cout << "  DisplayIcon: " << toUtf8(entry.displayIcon) << std::endl;
    CHECK(MsiQueryProductStateW(entry.productCode.c_str()) == INSTALLSTATE_DEFAULT);
    return entry.productCode;
}

void checkStartMenuEntry() {
    const std::vector<std::wstring> entries = startMenuEntries();
    CHECK_EQ(entries.size(), std::size_t{1});
    if (entries.size() != 1)
        return;
    const Shortcut entry = readShortcut(entries.front());
    CHECK(sameText(entry.target, installFolder() + L"\\Ondrel.exe"));
    // Windows Installer names a folder with its closing backslash.
    std::wstring workingFolder = entry.workingFolder;
    if (workingFolder.size() > 3 && workingFolder.back() == L'\\')
        workingFolder.pop_back();
    CHECK(sameText(workingFolder, installFolder()));
    if (!sameText(entry.target, installFolder() + L"\\Ondrel.exe") ||
        !sameText(workingFolder, installFolder()))
        std::cout << "  Start menu entry: '" << toUtf8(entry.target) << "' in '"
                  << toUtf8(entry.workingFolder) << "'" << std::endl;
}

void checkNothingLeft(const std::wstring& productCode) {
    CHECK(!folderExists(installFolder()));
    CHECK(startMenuEntries().empty());
    CHECK(ondrelEntries().empty());
    CHECK(!productCode.empty() &&
          MsiQueryProductStateW(productCode.c_str()) == INSTALLSTATE_UNKNOWN);
}

// The installed Ondrel.exe, started from its folder as the Start menu entry
// starts it, with its main window found.
class InstalledOndrel {
public:
    InstalledOndrel() {
        std::wstring line = L"\"" + installFolder() + L"\\Ondrel.exe\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        CHECK(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             installFolder().c_str(), &startup, &m_process));
        if (m_process.hProcess != nullptr)
            main = waitForWindow(m_process.dwProcessId, L"Ondrel");
        CHECK(main != nullptr);
    }
    ~InstalledOndrel() {
        if (m_process.hProcess == nullptr)
            return;
        if (running())
            TerminateProcess(m_process.hProcess, 1);
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
    }
    InstalledOndrel(const InstalledOndrel&) = delete;
    InstalledOndrel& operator=(const InstalledOndrel&) = delete;

    bool running() const {
        return m_process.hProcess != nullptr &&
               WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
    }

    // The close box: true when the program then ends with exit code 0.
    bool close() {
        if (main == nullptr)
            return false;
        PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
        DWORD code = STILL_ACTIVE;
        return WaitForSingleObject(m_process.hProcess, 120000) == WAIT_OBJECT_0 &&
               GetExitCodeProcess(m_process.hProcess, &code) && code == 0;
    }

    HWND main = nullptr;

private:
    PROCESS_INFORMATION m_process{};
};

// --- tests ---------------------------------------------------------------------------------

struct Packages {
    Packages() {
        msi = variable("ONDREL_MSI");
        newer = variable("ONDREL_MSI_NEWER");
        version = variable("ONDREL_VERSION");
        newerVersion = variable("ONDREL_NEWER_VERSION");
        unpacked = variable("ONDREL_UNPACKED");
        newerUnpacked = variable("ONDREL_UNPACKED_NEWER");
        if (msi.empty() || newer.empty() || version.empty() || newerVersion.empty() ||
            unpacked.empty() || newerUnpacked.empty())
            contract::skip("ONDREL_MSI, ONDREL_MSI_NEWER, their versions and unpacked zips "
                           "must be given");
        uninstallLeftovers();
        CHECK(!folderExists(installFolder()));
        CHECK(ondrelEntries().empty());
    }
    std::wstring msi;
    std::wstring newer;
    std::wstring version;
    std::wstring newerVersion;
    std::wstring unpacked;
    std::wstring newerUnpacked;
};

CONTRACT_TEST(installer_installs_and_uninstalls_silently) {
    Packages packages;
    CHECK_EQ(msiexec(L"/i", packages.msi), 0L);
    checkInstalledFiles(packages.unpacked);
    checkStartMenuEntry();
    const std::wstring productCode = checkUninstallEntry(packages.version);

    // The installed program starts from the Start menu's folder and shows its
    // window; its close box ends it.
    InstalledOndrel ondrel;
    // Started without songs, it says how it is meant to be used.
    CHECK(ondrel.main != nullptr &&
          logOf(ondrel.main).find(L"Please do not execute this software directly.") !=
              std::wstring::npos);
    CHECK(ondrel.close());

    // The user's shortcuts: one into the installed folder, one into an Ondrel
    // unpacked elsewhere, which is not the installer's to remove.
    const std::wstring desktopLink = knownFolder(FOLDERID_Desktop) + L"\\Ondrel.lnk";
    const std::wstring sendToLink = knownFolder(FOLDERID_SendTo) + L"\\Ondrel.lnk";
    const std::wstring elsewhere = packages.unpacked;
    CHECK(writeShortcut(desktopLink, installFolder()));
    CHECK(writeShortcut(sendToLink, elsewhere));

    CHECK_EQ(msiexec(L"/x", packages.msi), 0L);
    checkNothingLeft(productCode);
    CHECK(!fileExists(desktopLink));
    CHECK(fileExists(sendToLink));
    CHECK(sameText(readShortcut(sendToLink).target, elsewhere + L"\\Ondrel.exe"));
    DeleteFileW(sendToLink.c_str());
}

CONTRACT_TEST(installer_newer_version_replaces_the_older) {
    Packages packages;
    CHECK_EQ(msiexec(L"/i", packages.msi), 0L);
    const std::wstring older = checkUninstallEntry(packages.version);
    CHECK_EQ(msiexec(L"/i", packages.newer), 0L);
    const std::wstring newer = checkUninstallEntry(packages.newerVersion);
    CHECK(!sameText(older, newer));
    CHECK(MsiQueryProductStateW(older.c_str()) == INSTALLSTATE_UNKNOWN);
    checkInstalledFiles(packages.newerUnpacked);
    checkStartMenuEntry();

    // The older one over the newer is refused, and the newer stays.
    CHECK(msiexec(L"/i", packages.msi) != 0L);
    checkUninstallEntry(packages.newerVersion);
    checkInstalledFiles(packages.newerUnpacked);

    // Shortcuts into the folder go with it however their target is spelt:
    // here once in 8.3 names.
    const std::wstring desktopLink = knownFolder(FOLDERID_Desktop) + L"\\Ondrel.lnk";
    const std::wstring sendToLink = knownFolder(FOLDERID_SendTo) + L"\\Ondrel.lnk";
    wchar_t shortName[MAX_PATH] = {};
    CHECK(GetShortPathNameW(installFolder().c_str(), shortName, MAX_PATH) > 0);
    CHECK(!sameText(shortName, installFolder()));
    CHECK(writeShortcut(desktopLink, shortName));
    CHECK(writeShortcut(sendToLink, installFolder()));

    CHECK_EQ(msiexec(L"/x", packages.newer), 0L);
    checkNothingLeft(newer);
    CHECK(!fileExists(desktopLink));
    CHECK(!fileExists(sendToLink));
}

} // namespace

// Uninstalled while the installed Ondrel runs: its open files would be left
// behind and the uninstall still report success. It is refused instead, with
// an error code, and everything stays as it was; once Ondrel is closed the
// uninstall goes through.
CONTRACT_TEST(installer_refuses_to_uninstall_while_ondrel_runs) {
    Packages packages;
    CHECK_EQ(msiexec(L"/i", packages.msi), 0L);
    const std::wstring productCode = checkUninstallEntry(packages.version);
    InstalledOndrel ondrel;

    // Windows Installer ends a failed removal with 1603; Wine's with 1627.
    const long refused = msiexec(L"/x", packages.msi);
    CHECK(refused == 1603L || refused == 1627L);
    checkInstalledFiles(packages.unpacked);
    checkStartMenuEntry();
    checkUninstallEntry(packages.version);
    CHECK(ondrel.running());

    CHECK(ondrel.close());
    CHECK_EQ(msiexec(L"/x", packages.msi), 0L);
    checkNothingLeft(productCode);
}
