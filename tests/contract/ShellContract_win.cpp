#include <windows.h>
#undef DeleteFile

#include "tests/contract/Check.h"
#include "tests/contract/ScratchFolder_win.h"

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/NativeServices.h"
#include "platform/PlatformError.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/win/WinText.h"

using contract::win::ScratchFolder;
using ondrel::platform::NativeServices;
using ondrel::platform::PlatformError;
using ondrel::platform::win::toUtf8;
using ondrel::platform::win::toWide;

namespace {

// The stored value as the registry itself has it, "<absent>" otherwise.
std::string registryValue(const std::wstring& key, const std::wstring& name) {
    wchar_t buffer[256];
    DWORD bytes = sizeof buffer;
    DWORD type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY, &type, buffer,
                     &bytes) != ERROR_SUCCESS)
        return "<absent>";
    if (type != REG_SZ)
        return "<not REG_SZ>";
    return toUtf8(buffer);
}

} // namespace

CONTRACT_TEST(win_settings_live_in_the_current_users_registry) {
    const std::string application = "Ondrel contract " + std::to_string(GetCurrentProcessId());
    const std::wstring applicationKey = L"Software\\" + toWide(application);
    {
        NativeServices native(0, nullptr);
        auto& settings = native.services().settings;
        CHECK_EQ(settings.read(application, "Done", "Kdh", ""), std::string());
        CHECK_EQ(settings.read(application, "Done", "Kdh", "1"), std::string("1"));
        settings.write(application, "Done", "Kdh", "2");
        CHECK_EQ(settings.read(application, "Done", "Kdh", ""), std::string("2"));
        CHECK_EQ(registryValue(applicationKey + L"\\Done", L"Kdh"), std::string("2"));
        // Other keys and sections stay unset.
        CHECK_EQ(settings.read(application, "Done", "Other", "d"), std::string("d"));
        CHECK_EQ(settings.read(application, "Other", "Kdh", "d"), std::string("d"));
        settings.write(application, "Done", "Text", "\u00c4 long value with spaces \u266a");
    }
    {
        // A later run sees what an earlier one stored, and may replace it.
        NativeServices native(0, nullptr);
        auto& settings = native.services().settings;
        CHECK_EQ(settings.read(application, "Done", "Kdh", ""), std::string("2"));
        CHECK_EQ(settings.read(application, "Done", "Text", ""),
                 std::string("\u00c4 long value with spaces \u266a"));
        settings.write(application, "Done", "Kdh", "1");
        CHECK_EQ(settings.read(application, "Done", "Kdh", ""), std::string("1"));
        // A value of another type is no stored text.
        const DWORD number = 2;
        RegSetKeyValueW(HKEY_CURRENT_USER, (applicationKey + L"\\Done").c_str(), L"Number",
                        REG_DWORD, &number, sizeof number);
        CHECK_EQ(settings.read(application, "Done", "Number", "d"), std::string("d"));
    }
    CHECK_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, applicationKey.c_str()), LSTATUS{ERROR_SUCCESS});
    HKEY gone = nullptr;
    CHECK(RegOpenKeyExW(HKEY_CURRENT_USER, applicationKey.c_str(), 0, KEY_READ, &gone) !=
          ERROR_SUCCESS);
}

CONTRACT_TEST(win_special_folders_are_the_users_own) {
    NativeServices native(0, nullptr);
    auto services = native.services();
    const std::string desktop = services.shell.SpecialFolders("Desktop");
    const std::string sendTo = services.shell.SpecialFolders("SendTo");
    CHECK(services.fileSystem.FolderExists(desktop));
    CHECK(services.fileSystem.FolderExists(sendTo));
    CHECK(desktop != sendTo);
    CHECK(desktop.size() > 3 && desktop[1] == ':' && desktop.back() != '\\');
    CHECK(sendTo.size() > 3 && sendTo[1] == ':' && sendTo.back() != '\\');
    CHECK_EQ(services.fileSystem.LookupEntryName(sendTo), std::string("SendTo"));
    CHECK_THROWS(services.shell.SpecialFolders("Favorites"));
    CHECK_THROWS(services.shell.SpecialFolders("desktop "));
    // Explorer shows a shell link by its name without ".lnk".
    CHECK_EQ(services.shell.ShortcutFileName("Desktop"), std::string("Ondrel.lnk"));
    CHECK_EQ(services.shell.ShortcutFileName("SendTo"), std::string("Ondrel.lnk"));
}

// The shortcut the Setting window makes: a real .lnk that the shell opens.
CONTRACT_TEST(win_shortcut_saved_read_back_and_deleted) {
    NativeServices native(0, nullptr);
    auto services = native.services();
    ScratchFolder scratch;
    const std::string link = scratch / "Ondrel.lnk";
    const std::string folder = services.environment.ProgramFolder();
    const std::string target = folder + "\\contract_tests.exe";

    auto shortcut = services.shell.CreateShortcut(link);
    CHECK_EQ(shortcut.FullName, link);
    CHECK_EQ(shortcut.Description, std::string());
    CHECK_EQ(shortcut.WorkingDirectory, std::string());
    CHECK_EQ(shortcut.TargetPath, std::string());
    CHECK(!services.fileSystem.FileExists(link));

    shortcut.Description = "";
    shortcut.WorkingDirectory = folder;
    shortcut.TargetPath = target;
    services.shell.Save(shortcut);
    CHECK(services.fileSystem.FileExists(link));
    // A shell link file starts with its header size, 0x4C, and the link CLSID.
    const std::string content = ScratchFolder::readFile(link);
    CHECK(content.size() > 20 && content.compare(0, 4, std::string("L\0\0\0", 4)) == 0 &&
          static_cast<unsigned char>(content[4]) == 0x01 && content[5] == 0x14);

    const auto read = services.shell.ReadShortcut(link);
    CHECK_EQ(read.FullName, link);
    CHECK_EQ(read.Description, std::string());
    CHECK_EQ(read.WorkingDirectory, folder);
    CHECK_EQ(read.TargetPath, target);

    // Save replaces a file that is already there.
    shortcut.WorkingDirectory = scratch.path();
    services.shell.Save(shortcut);
    CHECK_EQ(services.shell.ReadShortcut(link).WorkingDirectory, scratch.path());
    CHECK_EQ(scratch.entryCount(), std::size_t{1});

    SetFileAttributesW(toWide(link).c_str(), FILE_ATTRIBUTE_READONLY);
    services.fileSystem.DeleteFile(link, true);
    CHECK(!services.fileSystem.FileExists(link));
    CHECK_THROWS(services.fileSystem.DeleteFile(link, true));
}

// A program started under another file name still links to Ondrel.exe in its
// folder, which then need not exist.
CONTRACT_TEST(win_shortcut_to_a_target_that_does_not_exist_yet) {
    NativeServices native(0, nullptr);
    auto& shell = native.services().shell;
    ScratchFolder scratch;
    auto shortcut = shell.CreateShortcut(scratch / "Ondrel.lnk");
    shortcut.WorkingDirectory = scratch.path();
    shortcut.TargetPath = scratch / "Ondrel.exe";
    shell.Save(shortcut);
    const auto read = shell.ReadShortcut(shortcut.FullName);
    CHECK_EQ(read.TargetPath, shortcut.TargetPath);
    CHECK_EQ(read.WorkingDirectory, scratch.path());
}

CONTRACT_TEST(win_shortcut_errors_name_the_file) {
    NativeServices native(0, nullptr);
    auto& shell = native.services().shell;
    ScratchFolder scratch;
    auto shortcut = shell.CreateShortcut(scratch / "missing folder\\Ondrel.lnk");
    shortcut.TargetPath = scratch / "Ondrel.exe";
    try {
        shell.Save(shortcut);
        CHECK(!"a shortcut in a missing folder cannot be saved");
    } catch (const PlatformError& error) {
        CHECK_EQ(error.operation(), std::string("Save"));
        CHECK_EQ(error.path(), shortcut.FullName);
    }
    const std::string notALink = scratch / "plain.lnk";
    ScratchFolder::writeFile(notALink, "plain text, no shortcut");
    CHECK_THROWS(shell.ReadShortcut(notALink));
    CHECK_THROWS(shell.ReadShortcut(scratch / "absent.lnk"));
}
