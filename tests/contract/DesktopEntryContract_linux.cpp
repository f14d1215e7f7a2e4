// The Linux forms of the shortcuts: where each desktop wants "Send To", and the
// desktop entries and service menus that the desktops launch. The entries are
// checked by the desktops' own reader and launcher (desktop-file-validate,
// GLib), not by our reading of them.

#include "platform/PlatformError.h"
#include "platform/linux/DesktopEntry.h"
#include "platform/linux/LinuxShell.h"
#include "platform/linux/SendToPlace.h"
#include "tests/contract/Check.h"
#include "tests/contract/Support_linux.h"
#include "tests/contract/TestFiles.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>

using namespace ondrel::platform;
using namespace std::string_literals;
using contract::TempFolder;

namespace {

// What the desktops see in a folder: names that GLib and KIO take for their
// own, a quote, and letters beyond ASCII.
const std::string kAwkwardName = "it's $HOME & 100% \\back\\ `x` \"q\" caf\xC3\xA9 \xE2\x99\xAA";

// The messages of desktop-file-validate, or nullopt without the tool.
std::optional<std::string> validatorMessages(const TempFolder& temp, const std::string& file) {
    if (contract::runShell("command -v desktop-file-validate >/dev/null") != 0)
        return std::nullopt;
    const std::string out = temp / "validate.out";
    contract::runShell("desktop-file-validate " + contract::shellQuoted(file) + " > " +
                       contract::shellQuoted(out) + " 2>&1");
    return contract::readFile(out);
}

mode_t modeOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return 0;
    return status.st_mode & 07777;
}

// A program that records its working folder and arguments, NUL-separated.
std::string makeRecorder(const std::string& folder) {
    contract::makeFolder(folder);
    const std::string target = contract::joined(folder, "Ondrel");
    contract::writeFile(target,
                        "#!/bin/sh\n{ pwd; printf '%s\\0' \"$@\"; } > \"$ONDREL_RECORD\"\n");
    ::chmod(target.c_str(), 0755);
    return target;
}

Shortcut programShortcut(LinuxShell& shell, const std::string& linkPath,
                         const std::string& folder) {
    Shortcut shortcut = shell.CreateShortcut(linkPath);
    shortcut.WorkingDirectory = folder;
    shortcut.TargetPath = contract::joined(folder, "Ondrel");
    return shortcut;
}

std::string lineOf(const std::string& text, const std::string& key) {
    const std::size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos)
        return "<absent>";
    const std::size_t start = at + key.size() + 2;
    return text.substr(start, text.find('\n', start) - start);
}

struct ChildWatch {
    GPid pid = 0;
};

void rememberChild(GDesktopAppInfo*, GPid pid, gpointer data) {
    static_cast<ChildWatch*>(data)->pid = pid;
}

// Launches an entry as GNOME's desktop and GNOME Files do: the files as URIs,
// through GDesktopAppInfo. Returns the child's pid, 0 on failure (printed).
GPid launchEntry(const std::string& entry, const std::vector<std::string>& files) {
    GDesktopAppInfo* info = g_desktop_app_info_new_from_filename(entry.c_str());
    if (info == nullptr) {
        std::cerr << "GLib does not load " << entry << "\n";
        return 0;
    }
    GList* uris = nullptr;
    for (const std::string& file : files)
        uris = g_list_append(uris, g_filename_to_uri(file.c_str(), nullptr, nullptr));
    ChildWatch watch;
    GError* error = nullptr;
    const gboolean launched =
        g_desktop_app_info_launch_uris_as_manager(info, uris, nullptr, G_SPAWN_DO_NOT_REAP_CHILD,
                                                  nullptr, nullptr, &rememberChild, &watch, &error);
    if (!launched) {
        std::cerr << "GLib does not launch " << entry << ": "
                  << (error != nullptr ? error->message : "?") << "\n";
        g_clear_error(&error);
    }
    g_list_free_full(uris, g_free);
    g_object_unref(info);
    return launched ? watch.pid : 0;
}

// A file manager action's value with its field codes expanded: %F becomes the
// files' full paths, each quoted for the shell, %% a "%", other codes nothing.
std::string expandedAction(const std::string& value, const std::vector<std::string>& files) {
    std::string line;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '%' || i + 1 == value.size()) {
            line += value[i];
            continue;
        }
        const char code = value[++i];
        if (code == '%') {
            line += '%';
        } else if (code == 'F') {
            for (std::size_t k = 0; k < files.size(); ++k) {
                gchar* quoted = g_shell_quote(files[k].c_str());
                line += (k == 0 ? "" : " ") + std::string(quoted);
                g_free(quoted);
            }
        }
    }
    return line;
}

// Runs a file manager action as PCManFM and PCManFM-Qt do: Exec expanded,
// split as a shell would split it, and started in the expanded Path (PCManFM)
// or in the file manager's own working folder (PCManFM-Qt). Returns the
// child's exit status, -1 when it could not start.
int runAction(const std::string& entry, const std::vector<std::string>& files,
              const std::string& fileManagerFolder, bool honoursPath) {
    GKeyFile* keys = g_key_file_new();
    GError* error = nullptr;
    if (!g_key_file_load_from_file(keys, entry.c_str(), G_KEY_FILE_NONE, &error)) {
        std::cerr << "GLib does not read " << entry << ": " << error->message << "\n";
        g_clear_error(&error);
        g_key_file_free(keys);
        return -1;
    }
    gchar* exec = g_key_file_get_string(keys, "X-Action-Profile ondrel", "Exec", nullptr);
    gchar* path = g_key_file_get_string(keys, "X-Action-Profile ondrel", "Path", nullptr);
    g_key_file_free(keys);
    const std::string line = expandedAction(exec != nullptr ? exec : "", files);
    const std::string folder =
        honoursPath && path != nullptr ? expandedAction(path, files) : fileManagerFolder;
    g_free(exec);
    g_free(path);
    gchar** argv = nullptr;
    int status = -1;
    if (g_shell_parse_argv(line.c_str(), nullptr, &argv, &error) &&
        g_spawn_sync(folder.c_str(), argv, nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, nullptr,
                     nullptr, &status, &error)) {
        status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    } else {
        std::cerr << "the action does not start: " << (error ? error->message : "?") << "\n";
        g_clear_error(&error);
    }
    g_strfreev(argv);
    return status;
}

} // namespace

CONTRACT_TEST(send_to_follows_the_current_desktop) {
    struct Case {
        std::optional<std::string> desktop;
        std::string folder;
        std::string fileName;
    };
    const Case cases[] = {
        {std::nullopt, "data/nautilus/scripts", "Ondrel"},
        {""s, "data/nautilus/scripts", "Ondrel"},
        {"GNOME"s, "data/nautilus/scripts", "Ondrel"},
        {"ubuntu:GNOME"s, "data/nautilus/scripts", "Ondrel"},
        {"Budgie:Unknown"s, "data/nautilus/scripts", "Ondrel"},
        {"XFCE"s, "data/Thunar/sendto", "Ondrel.desktop"},
        {"xfce"s, "data/Thunar/sendto", "Ondrel.desktop"},
        {"KDE"s, "data/kio/servicemenus", "Ondrel.desktop"},
        {"plasma:kde"s, "data/kio/servicemenus", "Ondrel.desktop"},
        {"X-Cinnamon"s, "data/nemo/scripts", "Ondrel"},
        {"MATE"s, "config/caja/scripts", "Ondrel"},
        // The first known entry decides, not the last.
        {"LXQt"s, "data/file-manager/actions", "Ondrel.desktop"},
        {"LXDE"s, "data/file-manager/actions", "Ondrel.desktop"},
        {"lxde"s, "data/file-manager/actions", "Ondrel.desktop"},
        {"Unity:MATE:GNOME"s, "config/caja/scripts", "Ondrel"},
        {"KDE:GNOME"s, "data/kio/servicemenus", "Ondrel.desktop"},
        {":XFCE:"s, "data/Thunar/sendto", "Ondrel.desktop"},
    };
    TempFolder temp;
    const contract::ScopedVariable home("HOME", temp / "home");
    const contract::ScopedVariable config("XDG_CONFIG_HOME", temp / "config");
    const contract::ScopedVariable data("XDG_DATA_HOME", temp / "data");
    LinuxShell shell;
    for (const Case& c : cases) {
        const contract::ScopedVariable desktop("XDG_CURRENT_DESKTOP", c.desktop);
        const std::string shown = c.desktop ? *c.desktop : "<unset>";
        const std::string folder = shell.SpecialFolders("SendTo");
        if (folder != temp / c.folder || shell.ShortcutFileName("SendTo") != c.fileName)
            contract::reportFailure(__FILE__, __LINE__,
                                    "XDG_CURRENT_DESKTOP " + shown + ": " + folder + "/" +
                                        shell.ShortcutFileName("SendTo"));
        CHECK(modeOf(folder) != 0);
        // The Desktop keeps its one form whatever the desktop.
        CHECK_EQ(shell.ShortcutFileName("Desktop"), std::string("Ondrel.desktop"));
        const SendToPlace place =
            sendToPlace(c.desktop ? c.desktop->c_str() : nullptr, temp / "data", temp / "config");
        CHECK_EQ(place.folder, temp / c.folder);
        CHECK_EQ(place.fileName, c.fileName);
    }
    CHECK_THROWS(shell.ShortcutFileName("Start Menu"));
}

CONTRACT_TEST(exec_quoting_follows_the_desktop_entry_rules) {
    using desktopentry::execArguments;
    using desktopentry::execQuoted;
    CHECK_EQ(execQuoted("/opt/ondrel/Ondrel"), std::string("\"/opt/ondrel/Ondrel\""));
    CHECK_EQ(execQuoted("/a b/it's"), std::string("\"/a b/it's\""));
    CHECK_EQ(execQuoted("$x`y`\"z\"\\"), std::string("\"\\$x\\`y\\`\\\"z\\\"\\\\\""));
    CHECK_EQ(execQuoted("100%"), std::string("\"100%%\""));

    const std::vector<std::string> awkward = {kAwkwardName, "%", "%%F", " lead", ""};
    for (const std::string& argument : awkward) {
        const auto back = execArguments(execQuoted(argument) + " %F");
        CHECK(back == (std::vector<std::string>{argument, "%F"}));
    }
    CHECK(execArguments("ondrel %F") == (std::vector<std::string>{"ondrel", "%F"}));
    CHECK(execArguments("a%%b  \"c d\"") == (std::vector<std::string>{"a%b", "c d"}));
    CHECK_THROWS(execArguments("\"unfinished"));
    CHECK_THROWS(execArguments("\"a\\b\""));
    CHECK_THROWS(execArguments("a$b"));
    CHECK_THROWS(execArguments("\"%F\""));
    CHECK_THROWS(execArguments("trailing%"));

    // Without a "%" the program stands first, as the desktops expect.
    Shortcut plain;
    plain.FullName = "/home/u/Desktop/Ondrel.desktop";
    plain.WorkingDirectory = "/opt/it's $x";
    plain.TargetPath = "/opt/it's $x/Ondrel";
    const std::string text = desktopentry::entryText(plain, desktopentry::Kind::Application);
    CHECK_EQ(lineOf(text, "Exec"), std::string("\"/opt/it's \\\\$x/Ondrel\" %F"));
    CHECK_EQ(lineOf(text, "TryExec"), plain.TargetPath);
    CHECK_EQ(desktopentry::readEntry(text, plain.FullName).TargetPath, plain.TargetPath);

    using desktopentry::keyFileEscaped;
    using desktopentry::keyFileUnescaped;
    CHECK_EQ(keyFileEscaped(" a\\b\nc\td"), std::string("\\sa\\\\b\\nc\\td"));
    CHECK_EQ(keyFileUnescaped(keyFileEscaped(" a\\b\nc\r\td ")), std::string(" a\\b\nc\r\td "));
    CHECK_THROWS(keyFileUnescaped("a\\qb"));
    CHECK_THROWS(keyFileUnescaped("a\\"));
}

CONTRACT_TEST(desktop_shortcut_is_a_valid_trusted_desktop_entry) {
    TempFolder temp;
    const std::string folder = temp / kAwkwardName;
    const std::string link = temp / "Ondrel.desktop";
    LinuxShell shell;
    shell.Save(programShortcut(shell, link, folder));

    const std::string text = contract::readFile(link);
    CHECK_EQ(text.rfind("[Desktop Entry]\n", 0), std::size_t(0));
    CHECK_EQ(lineOf(text, "Type"), std::string("Application"));
    CHECK_EQ(lineOf(text, "Name"), std::string("Ondrel"));
    CHECK_EQ(lineOf(text, "Terminal"), std::string("false"));
    // Quoted for Exec, then escaped for the key file: every backslash doubles
    // twice. A "%" in the path takes a shell to start it, as GLib could not
    // find the program otherwise.
    CHECK_EQ(lineOf(text, "Exec"),
             "\"/bin/sh\" \"-c\" \"exec \\\\\"\\\\$0\\\\\" \\\\\"\\\\$@\\\\\"\" \"" + temp.path() +
                 "/it's \\\\$HOME & 100%% \\\\\\\\back\\\\\\\\ \\\\`x\\\\` \\\\\"q\\\\\" "
                 "caf\xC3\xA9 \xE2\x99\xAA/Ondrel\" %F");
    CHECK_EQ(lineOf(text, "Path"), desktopentry::keyFileEscaped(folder));
    CHECK_EQ(lineOf(text, "Icon"), desktopentry::keyFileEscaped(folder + "/ondrel.svg"));
    std::string mimeTypes;
    for (const std::string& type : desktopentry::audioMimeTypes())
        mimeTypes += type + ";";
    CHECK_EQ(lineOf(text, "MimeType"), mimeTypes);
    CHECK(mimeTypes.find("audio/mpeg;") != std::string::npos);
    CHECK(mimeTypes.find("audio/x-m4a;") != std::string::npos);
    CHECK_EQ(lineOf(text, "Comment"), std::string("<absent>"));
    CHECK_EQ(modeOf(link), mode_t(0755));
    // Without GLib's metadata store (no GVfs here) the mark fails quietly.
    CHECK(contract::folderEntries(temp.path()) == (std::vector<std::string>{"Ondrel.desktop"}));

    const Shortcut read = shell.ReadShortcut(link);
    CHECK_EQ(read.Description, std::string());
    CHECK_EQ(read.WorkingDirectory, folder);
    CHECK_EQ(read.TargetPath, folder + "/Ondrel");

    if (const auto messages = validatorMessages(temp, link)) {
        CHECK_EQ(*messages, std::string());
    } else {
        contract::skip("desktop-file-validate is missing (package desktop-file-utils)");
    }
}

CONTRACT_TEST(a_path_no_desktop_entry_can_carry_is_an_error_and_no_file) {
    TempFolder temp;
    LinuxShell shell;
    const std::string link = temp / "Ondrel.desktop";
    const std::string before = "[Desktop Entry]\nType=Application\nName=Someone else's\n";
    for (const std::string& folder : {temp / "line\nbreak", temp / "carriage\rreturn",
                                      temp / "tab\there", temp / "not UTF-8 \xE9t\xE9"}) {
        contract::writeFile(link, before);
        try {
            shell.Save(programShortcut(shell, link, folder));
            contract::reportFailure(__FILE__, __LINE__, "saved an entry for " + folder);
        } catch (const PlatformError& error) {
            CHECK_EQ(error.operation(), std::string("Save"));
            CHECK_EQ(error.path(), link);
            CHECK(!error.reason().empty());
        }
        // Whatever stood there stays, and nothing half-written joins it.
        CHECK_EQ(contract::readFile(link), before);
        CHECK(contract::folderEntries(temp.path()) == (std::vector<std::string>{"Ondrel.desktop"}));
    }
    // A script carries any name, line breaks included.
    Shortcut script = programShortcut(shell, temp / "Ondrel", temp / "line\nbreak");
    shell.Save(script);
    CHECK_EQ(shell.ReadShortcut(temp / "Ondrel").WorkingDirectory, temp / "line\nbreak");
}

CONTRACT_TEST(kde_send_to_is_a_service_menu_with_one_action) {
    TempFolder temp;
    const contract::ScopedVariable data("XDG_DATA_HOME", temp / "data");
    const contract::ScopedVariable config("XDG_CONFIG_HOME", temp / "config");
    const contract::ScopedVariable desktop("XDG_CURRENT_DESKTOP", "KDE"s);
    LinuxShell shell;
    const std::string link =
        shell.SpecialFolders("SendTo") + "/" + shell.ShortcutFileName("SendTo");
    const std::string folder = temp / kAwkwardName;
    shell.Save(programShortcut(shell, link, folder));
    CHECK_EQ(modeOf(link), mode_t(0755));

    // Read as KIO reads it: the entry's group names its action, whose group
    // carries the command.
    const std::string text = contract::readFile(link);
    const std::size_t actionAt = text.find("\n[Desktop Action ondrel]\n");
    CHECK(actionAt != std::string::npos);
    const std::string entry = text.substr(0, actionAt + 1);
    const std::string action = text.substr(actionAt);
    CHECK_EQ(entry.rfind("[Desktop Entry]\n", 0), std::size_t(0));
    CHECK_EQ(lineOf(entry, "Type"), std::string("Service"));
    CHECK_EQ(lineOf(entry, "Actions"), std::string("ondrel;"));
    CHECK_EQ(lineOf(entry, "X-KDE-ServiceTypes"), std::string("KonqPopupMenu/Plugin"));
    CHECK(lineOf(entry, "MimeType").find("audio/mpeg;") != std::string::npos);
    CHECK_EQ(desktopentry::keyFileUnescaped(lineOf(entry, "Path")), folder);
    CHECK_EQ(lineOf(action, "Name"), std::string("Ondrel"));
    const auto arguments =
        desktopentry::execArguments(desktopentry::keyFileUnescaped(lineOf(action, "Exec")));
    // The folder's "%" puts a shell first, which then starts the program.
    CHECK(arguments == (std::vector<std::string>{"/bin/sh", "-c", "exec \"$0\" \"$@\"",
                                                 folder + "/Ondrel", "%F"}));
    CHECK_EQ(shell.ReadShortcut(link).TargetPath, folder + "/Ondrel");

    // desktop-file-validate knows only applications: a service's MimeType,
    // Actions and Path are what KDE adds. Everything else must pass.
    if (const auto messages = validatorMessages(temp, link)) {
        std::istringstream lines(*messages);
        std::string message;
        while (std::getline(lines, message)) {
            const bool kdeKey = message.find("but the type is \"Service\" while this key is only "
                                             "valid for type \"Application\"") != std::string::npos;
            if (!kdeKey)
                contract::reportFailure(__FILE__, __LINE__, message);
        }
    } else {
        contract::skip("desktop-file-validate is missing (package desktop-file-utils)");
    }
}

CONTRACT_TEST(xfce_send_to_and_the_desktop_are_launched_by_glib_with_exactly_the_files) {
    TempFolder temp;
    const contract::ScopedVariable home("HOME", temp / "home");
    const contract::ScopedVariable data("XDG_DATA_HOME", temp / "data");
    const contract::ScopedVariable config("XDG_CONFIG_HOME", temp / "config");
    const contract::ScopedVariable desktop("XDG_CURRENT_DESKTOP", "XFCE"s);
    const contract::ScopedVariable record("ONDREL_RECORD", temp / "record");
    const std::string folder = temp / "it's $HOME & 100% \\back\\ caf\xC3\xA9";
    makeRecorder(folder);
    contract::makeFolder(temp / "home");

    LinuxShell shell;
    const std::string sendTo =
        shell.SpecialFolders("SendTo") + "/" + shell.ShortcutFileName("SendTo");
    CHECK_EQ(sendTo, temp / "data/Thunar/sendto/Ondrel.desktop");
    const std::string onDesktop = temp / "home/Ondrel.desktop";
    const std::vector<std::string> files = {
        temp / "music/two words.mp3", temp / "music/it's $1 & 50% \\ \xC3\xA9\xE2\x99\xAA.m4a",
        temp / "music/\"quoted\" `tick`.ogg"};
    for (const std::string& link : {onDesktop, sendTo}) {
        shell.Save(programShortcut(shell, link, folder));
        ::unlink((temp / "record").c_str());
        const GPid pid = launchEntry(link, files);
        CHECK(pid > 0);
        if (pid <= 0)
            continue;
        int status = 0;
        CHECK_EQ(::waitpid(pid, &status, 0), pid);
        CHECK(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        std::string expected = folder + "\n";
        for (const std::string& file : files)
            expected += file + '\0';
        CHECK_EQ(contract::readFile(temp / "record"), expected);
    }
}

CONTRACT_TEST(lxqt_and_lxde_send_to_is_a_file_manager_action_run_with_exactly_the_files) {
    TempFolder temp;
    const contract::ScopedVariable home("HOME", temp / "home");
    const contract::ScopedVariable data("XDG_DATA_HOME", temp / "data");
    const contract::ScopedVariable config("XDG_CONFIG_HOME", temp / "config");
    const contract::ScopedVariable record("ONDREL_RECORD", temp / "record");
    const std::string folder = temp / kAwkwardName;
    makeRecorder(folder);
    contract::makeFolder(temp / "file manager");
    const std::vector<std::string> files = {
        temp / "music/two words.mp3", temp / "music/it's $1 & 50% \\ \xC3\xA9\xE2\x99\xAA.m4a",
        temp / "music/a line\nbreak.flac"};

    for (const char* name : {"LXQt", "LXDE"}) {
        const contract::ScopedVariable desktop("XDG_CURRENT_DESKTOP", std::string(name));
        LinuxShell shell;
        const std::string link =
            shell.SpecialFolders("SendTo") + "/" + shell.ShortcutFileName("SendTo");
        CHECK_EQ(link, temp / "data/file-manager/actions/Ondrel.desktop");
        shell.Save(programShortcut(shell, link, folder));
        const std::string text = contract::readFile(link);
        CHECK_EQ(text.rfind("[Desktop Entry]\nType=Action\nName=Ondrel\n", 0), std::size_t(0));
        CHECK_EQ(lineOf(text, "Profiles"), std::string("ondrel;"));
        const std::string types = lineOf(text, "MimeTypes");
        for (const std::string& type : desktopentry::audioMimeTypes())
            CHECK(types.find(type + ";") != std::string::npos);
        // As PCManFM runs it, in its Path, and as PCManFM-Qt does, from
        // wherever it runs itself: the program starts in its own folder with
        // each file as it was chosen.
        std::string expected = folder + "\n";
        for (const std::string& file : files)
            expected += file + '\0';
        for (const bool honoursPath : {true, false}) {
            ::unlink((temp / "record").c_str());
            CHECK_EQ(runAction(link, files, temp / "file manager", honoursPath), 0);
            CHECK_EQ(contract::readFile(temp / "record"), expected);
        }

        const Shortcut read = shell.ReadShortcut(link);
        CHECK_EQ(read.TargetPath, folder + "/Ondrel");
        CHECK_EQ(read.WorkingDirectory, folder);
        ::unlink(link.c_str());
    }
}

CONTRACT_TEST(send_to_scripts_take_the_bare_names_file_managers_give) {
    TempFolder temp;
    const contract::ScopedVariable home("HOME", temp / "home");
    const contract::ScopedVariable data("XDG_DATA_HOME", temp / "data");
    const contract::ScopedVariable config("XDG_CONFIG_HOME", temp / "config");
    const contract::ScopedVariable record("ONDREL_RECORD", temp / "record");
    const std::string folder = temp / "program's folder";
    makeRecorder(folder);
    // The songs' own folder, where the file manager starts the script.
    const std::string songs = temp / "My Music $x";
    contract::makeFolder(songs + "/album");
    const std::vector<std::string> given = {"two words.mp3", "it's $(touch PWNED) `x` \"q\"\n.m4a",
                                            "album/../album/three.ogg", "-n",
                                            temp / "elsewhere/four.mp3"};
    const std::vector<std::string> chosen = {
        songs + "/two words.mp3", songs + "/it's $(touch PWNED) `x` \"q\"\n.m4a",
        songs + "/album/../album/three.ogg", songs + "/-n", temp / "elsewhere/four.mp3"};

    struct Manager {
        const char* desktop;
        const char* variable;
    };
    for (const Manager manager : {Manager{"GNOME", "NAUTILUS_SCRIPT_SELECTED_FILE_PATHS"},
                                  Manager{"X-Cinnamon", "NEMO_SCRIPT_SELECTED_FILE_PATHS"},
                                  Manager{"MATE", "CAJA_SCRIPT_SELECTED_FILE_PATHS"}}) {
        const contract::ScopedVariable desktop("XDG_CURRENT_DESKTOP", std::string(manager.desktop));
        LinuxShell shell;
        const std::string link =
            shell.SpecialFolders("SendTo") + "/" + shell.ShortcutFileName("SendTo");
        shell.Save(programShortcut(shell, link, folder));

        // As the file managers do: in the folder they show, the bare names as
        // arguments and the full paths, one per line, in their variable.
        std::string command = "cd " + contract::shellQuoted(songs) + " && ";
        std::string lines;
        for (const std::string& path : chosen)
            lines += path + "\n";
        command += std::string(manager.variable) + "=" + contract::shellQuoted(lines) + " " +
                   contract::shellQuoted(link);
        for (const std::string& name : given)
            command += " " + contract::shellQuoted(name);
        ::unlink((temp / "record").c_str());
        CHECK_EQ(contract::runShell(command), 0);
        std::string expected = folder + "\n";
        for (const std::string& path : chosen)
            expected += path + '\0';
        if (contract::readFile(temp / "record") != expected)
            contract::reportFailure(__FILE__, __LINE__,
                                    std::string(manager.desktop) + ": the script passed " +
                                        contract::readFile(temp / "record"));
        CHECK(::access((songs + "/PWNED").c_str(), F_OK) != 0);
        ::unlink(link.c_str());
    }
}

// contract_tests --child save_shortcut LINK FOLDER: saves the program's
// shortcut to FOLDER/Ondrel at LINK, for the script tests.
CONTRACT_CHILD(save_shortcut) {
    if (arguments.size() != 2)
        return 2;
    LinuxShell shell;
    try {
        shell.Save(programShortcut(shell, arguments[0], arguments[1]));
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    return 0;
}

// contract_tests --child save_send_to FOLDER: saves the program's shortcut to
// FOLDER/Ondrel where Send To lives for XDG_CURRENT_DESKTOP; prints its path.
CONTRACT_CHILD(save_send_to) {
    if (arguments.size() != 1)
        return 2;
    LinuxShell shell;
    try {
        const std::string link =
            shell.SpecialFolders("SendTo") + "/" + shell.ShortcutFileName("SendTo");
        shell.Save(programShortcut(shell, link, arguments[0]));
        std::cout << link << std::endl;
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    return 0;
}

// contract_tests --child launch_entry ENTRY FILE...: launches the entry through
// GLib with the files and prints the child's pid without waiting for it.
CONTRACT_CHILD(launch_entry) {
    if (arguments.empty())
        return 2;
    const GPid pid =
        launchEntry(arguments[0], std::vector<std::string>(arguments.begin() + 1, arguments.end()));
    if (pid <= 0)
        return 1;
    std::cout << pid << std::endl;
    return 0;
}
