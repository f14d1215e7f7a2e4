#pragma once

#include "platform/Shell.h"

#include <string>

namespace ondrel::platform {

// The desktop's folders and shortcut files on a freedesktop.org desktop. A
// shortcut takes the form its place asks for:
//  - "Ondrel.desktop" in a kio/servicemenus folder: a KDE service menu;
//  - any other "*.desktop" file: a desktop entry that launches the target with
//    the files dropped on it or sent to it, marked trusted where GLib keeps
//    metadata;
//  - anything else: a small shell script that starts the target in the working
//    folder with exactly the files it is given.
// Each keeps the three properties so that it can be read back.
class LinuxShell : public Shell {
public:
    // "Desktop": the XDG desktop folder. "SendTo": the folder of the file
    // manager that XDG_CURRENT_DESKTOP names (see SendToPlace.h). Both
    // are created when missing.
    std::string SpecialFolders(const std::string& name) override;
    // "Ondrel.desktop" for the Desktop; for SendTo the name its file manager
    // wants.
    std::string ShortcutFileName(const std::string& name) override;
    Shortcut CreateShortcut(const std::string& linkPath) override;
    void Save(const Shortcut& shortcut) override;
    Shortcut ReadShortcut(const std::string& linkPath) override;

    // The file's text for a shortcut.
    static std::string scriptText(const Shortcut& shortcut);
};

} // namespace ondrel::platform
