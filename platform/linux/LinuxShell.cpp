#include "platform/linux/LinuxShell.h"

#include "platform/linux/AtomicFile.h"
#include "platform/linux/DesktopEntry.h"
#include "platform/linux/Errno.h"
#include "platform/linux/SendToPlace.h"
#include "platform/linux/TrustedMark.h"

#include <QStandardPaths>
#include <QString>

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace ondrel::platform {

namespace {

const char kHeader[] = "#!/bin/sh\n# Ondrel shortcut\n";
const char kDescription[] = "# Description: ";
const char kWorkingDirectory[] = "# WorkingDirectory: ";
const char kTargetPath[] = "# TargetPath: ";
// Rotates through the arguments once, putting each back at the end as a full
// path; POSIX sh has no arrays, and this keeps any character of a name.
const char kResolveArguments[] = "for file do\n"
                                 "    case $file in\n"
                                 "    /* | '') ;;\n"
                                 "    *) file=${PWD%/}/$file ;;\n"
                                 "    esac\n"
                                 "    set -- \"$@\" \"$file\"\n"
                                 "    shift\n"
                                 "done\n";

// A value in a comment line stays on that line: a new line in a path must not
// become a line of the script.
std::string escaped(const std::string& value) {
    std::string out;
    for (const char c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string unescaped(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char next = value[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

// Single quotes keep every character literal, spaces, "$", backticks and new
// lines included; a single quote itself is closed, escaped and reopened.
std::string shellQuoted(const std::string& value) {
    std::string out = "'";
    for (const char c : value) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

// Creates the folder and any missing parent.
void createFolders(const std::string& name, const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = slash == std::string::npos ? path : path.substr(0, slash);
        if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
            throwErrno("SpecialFolders", name + ": " + path, errno);
        if (slash == std::string::npos)
            break;
    }
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        throwErrno("SpecialFolders", name + ": " + path, errno);
    if (!S_ISDIR(status.st_mode))
        throwErrno("SpecialFolders", name + ": " + path, ENOTDIR);
}

std::string standardFolder(QStandardPaths::StandardLocation location) {
    return QStandardPaths::writableLocation(location).toStdString();
}

SendToPlace currentSendToPlace() {
    return sendToPlace(std::getenv("XDG_CURRENT_DESKTOP"),
                       standardFolder(QStandardPaths::GenericDataLocation),
                       standardFolder(QStandardPaths::GenericConfigLocation));
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

enum class Form { Script, Application, ServiceMenu, Action };

Form formOf(const std::string& linkPath) {
    if (!endsWith(linkPath, ".desktop"))
        return Form::Script;
    const std::size_t slash = linkPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : linkPath.substr(0, slash);
    if (endsWith(folder, "/kio/servicemenus"))
        return Form::ServiceMenu;
    if (endsWith(folder, "/file-manager/actions"))
        return Form::Action;
    return Form::Application;
}

desktopentry::Kind entryKind(Form form) {
    switch (form) {
    case Form::ServiceMenu:
        return desktopentry::Kind::ServiceMenu;
    case Form::Action:
        return desktopentry::Kind::Action;
    default:
        return desktopentry::Kind::Application;
    }
}

} // namespace

std::string LinuxShell::SpecialFolders(const std::string& name) {
    std::string folder;
    if (name == "Desktop")
        folder = standardFolder(QStandardPaths::DesktopLocation);
    else if (name == "SendTo")
        folder = currentSendToPlace().folder;
    else
        throw PlatformError("SpecialFolders", name, "no such special folder");
    if (folder.empty() || folder.front() != '/')
        throw PlatformError("SpecialFolders", name, "the home folder is unknown");
    createFolders(name, folder);
    return folder;
}

std::string LinuxShell::ShortcutFileName(const std::string& name) {
    if (name == "Desktop")
        return "Ondrel.desktop";
    if (name == "SendTo")
        return currentSendToPlace().fileName;
    throw PlatformError("ShortcutFileName", name, "no such special folder");
}

Shortcut LinuxShell::CreateShortcut(const std::string& linkPath) {
    Shortcut shortcut;
    shortcut.FullName = linkPath;
    return shortcut;
}

std::string LinuxShell::scriptText(const Shortcut& shortcut) {
    std::string text = kHeader;
    text += kDescription + escaped(shortcut.Description) + "\n";
    text += kWorkingDirectory + escaped(shortcut.WorkingDirectory) + "\n";
    text += kTargetPath + escaped(shortcut.TargetPath) + "\n";
    // GNOME Files, Nemo and Caja start a script in the folder they show, with
    // the selected files' bare names: each becomes the full path of the file
    // the user chose before the script changes folders. The arguments, not
    // the file managers' variables, which cannot carry a line break in a name.
    text += kResolveArguments;
    if (!shortcut.WorkingDirectory.empty())
        text += "cd -- " + shellQuoted(shortcut.WorkingDirectory) + " || exit 1\n";
    text += "exec " + shellQuoted(shortcut.TargetPath) + " \"$@\"\n";
    return text;
}

void LinuxShell::Save(const Shortcut& shortcut) {
    if (shortcut.FullName.empty())
        throw PlatformError("Save", shortcut.FullName, "the shortcut has no file name");
    const Form form = formOf(shortcut.FullName);
    // The text is complete before the file is touched: a path no entry can
    // carry leaves whatever was there as it was.
    const std::string text = form == Form::Script
                                 ? scriptText(shortcut)
                                 : desktopentry::entryText(shortcut, entryKind(form));
    // Desktops launch an entry only when it is executable, as a script must be.
    AtomicFile file(shortcut.FullName, "Save", shortcut.FullName, 0755);
    file.write(text.data(), text.size());
    file.commit(true);
    if (form == Form::Application)
        markTrusted(shortcut.FullName, text);
}

Shortcut LinuxShell::ReadShortcut(const std::string& linkPath) {
    std::ifstream in(linkPath, std::ios::binary);
    if (!in)
        throwErrno("ReadShortcut", linkPath, errno != 0 ? errno : ENOENT);
    std::ostringstream content;
    content << in.rdbuf();
    const std::string text = content.str();
    if (text.rfind("[Desktop Entry]\n", 0) == 0)
        return desktopentry::readEntry(text, linkPath);
    if (text.rfind(kHeader, 0) != 0)
        throw PlatformError("ReadShortcut", linkPath, "not an Ondrel shortcut");

    Shortcut shortcut;
    shortcut.FullName = linkPath;
    std::istringstream lines(text);
    std::string line;
    // Only the first line of each property counts: a quoted working folder
    // with a new line in it puts text of its own at the start of a later line.
    bool seen[3] = {false, false, false};
    const auto take = [&line, &seen](int which, const std::string& prefix, std::string& into) {
        if (!seen[which] && line.rfind(prefix, 0) == 0) {
            into = unescaped(line.substr(prefix.size()));
            seen[which] = true;
        }
    };
    while (std::getline(lines, line)) {
        take(0, kDescription, shortcut.Description);
        take(1, kWorkingDirectory, shortcut.WorkingDirectory);
        take(2, kTargetPath, shortcut.TargetPath);
    }
    return shortcut;
}

} // namespace ondrel::platform
