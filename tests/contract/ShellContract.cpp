// Special folders and shortcut files.

#include "platform/FileSystem.h"
#include "platform/PlatformError.h"
#include "platform/Shell.h"
#include "tests/contract/Check.h"
#include "tests/contract/TestFiles.h"

using namespace ondrel::platform;
using contract::TempFolder;

CONTRACT_TEST(special_folders_exist_once_asked_for) {
    auto native = contract::nativeServices();
    Services services = native.services();
    const std::string desktop = services.shell.SpecialFolders("Desktop");
    const std::string sendTo = services.shell.SpecialFolders("SendTo");
    CHECK(services.fileSystem.FolderExists(desktop));
    CHECK(services.fileSystem.FolderExists(sendTo));
    CHECK(desktop != sendTo);
    CHECK_THROWS(services.shell.SpecialFolders("Start Menu of nobody"));
}

// The Setting window appends these names to the folders: plain file names that
// the user sees as "Ondrel".
CONTRACT_TEST(shortcut_file_names_are_plain_names_of_ondrel) {
    auto native = contract::nativeServices();
    Services services = native.services();
    for (const char* folder : {"Desktop", "SendTo"}) {
        const std::string name = services.shell.ShortcutFileName(folder);
        CHECK_EQ(name.rfind("Ondrel", 0), std::size_t(0));
        CHECK(name.find('/') == std::string::npos && name.find('\\') == std::string::npos);
    }
    CHECK_THROWS(services.shell.ShortcutFileName("Start Menu of nobody"));
}

CONTRACT_TEST(a_shortcut_is_written_only_by_save_and_reads_back) {
    auto native = contract::nativeServices();
    Services services = native.services();
    TempFolder temp;
    const std::string path = temp / "Ondrel.lnk";

    Shortcut shortcut = services.shell.CreateShortcut(path);
    CHECK_EQ(shortcut.FullName, path);
    CHECK_EQ(shortcut.Description, std::string());
    CHECK_EQ(shortcut.WorkingDirectory, std::string());
    CHECK_EQ(shortcut.TargetPath, std::string());
    CHECK(!services.fileSystem.FileExists(path));

    // Characters that a shell or a file format could take for its own.
    const std::string folder = temp / "It's $HOME `x` (1) & 100% #caf\xC3\xA9";
    shortcut.WorkingDirectory = folder;
    shortcut.TargetPath = contract::joined(folder, "Ondrel");
    services.shell.Save(shortcut);
    CHECK(services.fileSystem.FileExists(path));

    const Shortcut read = services.shell.ReadShortcut(path);
    CHECK_EQ(read.Description, std::string());
    CHECK_EQ(read.WorkingDirectory, folder);
    CHECK_EQ(read.TargetPath, contract::joined(folder, "Ondrel"));
}

CONTRACT_TEST(saving_replaces_a_shortcut_and_delete_removes_it) {
    auto native = contract::nativeServices();
    Services services = native.services();
    TempFolder temp;
    const std::string path = temp / "Ondrel.lnk";
    Shortcut first = services.shell.CreateShortcut(path);
    first.WorkingDirectory = temp.path();
    first.TargetPath = temp / "old";
    services.shell.Save(first);

    Shortcut second = services.shell.CreateShortcut(path);
    second.Description = "newer";
    second.WorkingDirectory = temp.path();
    second.TargetPath = temp / "new";
    services.shell.Save(second);
    const Shortcut read = services.shell.ReadShortcut(path);
    CHECK_EQ(read.Description, std::string("newer"));
    CHECK_EQ(read.TargetPath, temp / "new");
    CHECK(contract::folderEntries(temp.path()) == std::vector<std::string>{"Ondrel.lnk"});

    services.fileSystem.DeleteFile(path, true);
    CHECK(!services.fileSystem.FileExists(path));
    CHECK_THROWS(services.shell.ReadShortcut(path));
    CHECK_THROWS(services.fileSystem.DeleteFile(path, true));
}

CONTRACT_TEST(a_shortcut_that_cannot_be_saved_is_an_error) {
    auto native = contract::nativeServices();
    Services services = native.services();
    TempFolder temp;
    Shortcut shortcut =
        services.shell.CreateShortcut(contract::joined(temp / "no folder", "Ondrel.lnk"));
    shortcut.TargetPath = temp / "Ondrel";
    try {
        services.shell.Save(shortcut);
        contract::reportFailure(__FILE__, __LINE__, "saved into a missing folder");
    } catch (const PlatformError& error) {
        CHECK_EQ(error.operation(), std::string("Save"));
        CHECK_EQ(error.path(), shortcut.FullName);
    }
}
