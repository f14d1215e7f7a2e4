#pragma once

#include "platform/Shell.h"

#include <string>

namespace ondrel::platform {

// The desktop's folders and shortcut files on a freedesktop.org desktop. A
// shortcut is a small shell script: run with files, it starts the target in the
// working folder with exactly those files, and its comment lines keep the three
// properties so that it can be read back.
class PosixShell : public Shell {
public:
    // "Desktop": the XDG desktop folder. "SendTo": the file manager's scripts
    // folder ($XDG_DATA_HOME/nautilus/scripts), whose programs get the selected
    // files as arguments from the right-click menu. Both are created when missing.
    std::string SpecialFolders(const std::string& name) override;
    Shortcut CreateShortcut(const std::string& linkPath) override;
    void Save(const Shortcut& shortcut) override;
    Shortcut ReadShortcut(const std::string& linkPath) override;

    // The file's text for a shortcut.
    static std::string scriptText(const Shortcut& shortcut);
};

} // namespace ondrel::platform
