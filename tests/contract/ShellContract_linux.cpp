// Shortcuts on POSIX are shell scripts: they must run their target with exactly
// the files given, and nothing in a recorded path may ever run.

#include "platform/FileSystem.h"
#include "platform/PathStyle.h"
#include "platform/Processes.h"
#include "platform/linux/LinuxShell.h"
#include "tests/contract/Check.h"
#include "tests/contract/Support_linux.h"
#include "tests/contract/TestFiles.h"

#include <sys/stat.h>

using namespace ondrel::platform;
using namespace std::string_literals;
using contract::TempFolder;

CONTRACT_TEST(special_folders_follow_the_xdg_folders) {
    TempFolder temp;
    const contract::ScopedVariable home("HOME", temp / "home");
    const contract::ScopedVariable config("XDG_CONFIG_HOME", temp / "config");
    const contract::ScopedVariable data("XDG_DATA_HOME", temp / "data");
    const contract::ScopedVariable desktop("XDG_CURRENT_DESKTOP", std::nullopt);
    contract::makeFolder(temp / "config");
    contract::writeFile(temp / "config/user-dirs.dirs",
                        "XDG_DESKTOP_DIR=\"$HOME/Schreib tisch\"\n");
    LinuxShell shell;
    CHECK_EQ(shell.SpecialFolders("Desktop"), temp / "home/Schreib tisch");
    CHECK_EQ(shell.SpecialFolders("SendTo"), temp / "data/nautilus/scripts");
    struct stat status {};
    CHECK(::stat((temp / "home/Schreib tisch").c_str(), &status) == 0 && S_ISDIR(status.st_mode));
    CHECK(::stat((temp / "data/nautilus/scripts").c_str(), &status) == 0 &&
          S_ISDIR(status.st_mode));

    const contract::ScopedVariable blocked("XDG_DATA_HOME", temp / "blocked");
    contract::makeFolder(temp / "blocked");
    contract::writeFile(temp / "blocked/nautilus", "a file where a folder belongs");
    CHECK_THROWS(shell.SpecialFolders("SendTo"));
}

CONTRACT_TEST(a_saved_shortcut_runs_its_target_with_exactly_the_files_given) {
    auto native = contract::nativeServices();
    Services services = native.services();
    TempFolder temp;
    // Everything a shell could take for its own, a new line included.
    // Each would create the file that ONDREL_PWNED names, were it ever run.
    const contract::ScopedVariable pwned("ONDREL_PWNED", temp / "PWNED");
    const std::string folder =
        temp / "it's \"$(touch \"$ONDREL_PWNED\")\" `touch \"$ONDREL_PWNED\"` $HOME;\nline";
    contract::makeFolder(folder);
    const std::string target = contract::joined(folder, "record 'me'");
    contract::writeFile(target,
                        "#!/bin/sh\n{ pwd; printf '%s\\0' \"$@\"; } > \"$ONDREL_RECORD\"\n");
    ::chmod(target.c_str(), 0755);

    LinuxShell shell;
    Shortcut shortcut = shell.CreateShortcut(temp / "Ondrel.lnk");
    shortcut.Description = "x\nexec touch \"$ONDREL_PWNED\"";
    shortcut.WorkingDirectory = folder;
    shortcut.TargetPath = target;
    shell.Save(shortcut);

    struct stat status {};
    ::stat((temp / "Ondrel.lnk").c_str(), &status);
    CHECK_EQ(status.st_mode & 07777, mode_t(0755));
    CHECK_EQ(contract::readFile(temp / "Ondrel.lnk").rfind("#!/bin/sh\n", 0), std::size_t(0));
    const Shortcut read = shell.ReadShortcut(temp / "Ondrel.lnk");
    CHECK_EQ(read.Description, shortcut.Description);
    CHECK_EQ(read.WorkingDirectory, folder);
    CHECK_EQ(read.TargetPath, target);

    const contract::ScopedVariable record("ONDREL_RECORD", temp / "record");
    const std::int32_t id = services.processes.StartProcess(
        "\"" + (temp / "Ondrel.lnk") + "\" \"/music/two words.mp3\" \"/music/q\\\"$x`y`.mp3\"",
        kMinimizedNoFocus);
    const ProcessHandle handle = services.processes.OpenProcess(kSynchronize, false, id);
    CHECK_EQ(contract::waitForEnd(services.processes, handle), kWaitObject0);
    services.processes.CloseHandle(handle);

    CHECK_EQ(contract::readFile(temp / "record"),
             folder + "\n" + "/music/two words.mp3\0/music/q\"$x`y`.mp3\0"s);
    CHECK(!services.fileSystem.FileExists(temp / "PWNED"));
}

CONTRACT_TEST(a_working_folder_with_a_new_line_reads_back_unchanged) {
    TempFolder temp;
    LinuxShell shell;
    Shortcut shortcut = shell.CreateShortcut(temp / "Ondrel");
    shortcut.Description = "Ondrel";
    // Quoted in the script, the new line starts a line that looks like a property.
    shortcut.WorkingDirectory = "/opt/a\n# TargetPath: /bin/other";
    shortcut.TargetPath = "/opt/a/Ondrel";
    shell.Save(shortcut);
    const Shortcut read = shell.ReadShortcut(temp / "Ondrel");
    CHECK_EQ(read.WorkingDirectory, shortcut.WorkingDirectory);
    CHECK_EQ(read.TargetPath, shortcut.TargetPath);
}

CONTRACT_TEST(a_file_that_is_no_shortcut_is_not_read_as_one) {
    LinuxShell shell;
    TempFolder temp;
    contract::writeFile(temp / "Ondrel.lnk", "#!/bin/sh\nexec rm -rf /\n");
    CHECK_THROWS(shell.ReadShortcut(temp / "Ondrel.lnk"));
}
