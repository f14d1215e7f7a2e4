#pragma once

#include <string>

namespace ondrel::platform {

// A shortcut object bound to its file; nothing is written until Save.
struct Shortcut {
    std::string FullName; // path of the shortcut file
    std::string Description;
    std::string WorkingDirectory;
    std::string TargetPath;
};

// The desktop shell: special folders and shortcut files. Throws PlatformError.
class Shell {
public:
    virtual ~Shell() = default;

    // Full path of the current user's "Desktop" or "SendTo" folder.
    virtual std::string SpecialFolders(const std::string& name) = 0;
    // The name of the program's shortcut file in that folder, in the form the
    // desktop in use understands: "Ondrel.lnk" on Windows, a desktop entry or
    // a script on Linux. What the user sees is "Ondrel" either way.
    virtual std::string ShortcutFileName(const std::string& name) = 0;
    // A shortcut object bound to linkPath, with empty properties.
    virtual Shortcut CreateShortcut(const std::string& linkPath) = 0;
    // Writes the shortcut file, creating it or replacing a file already there;
    // its form follows from its path as ShortcutFileName gave it.
    virtual void Save(const Shortcut& shortcut) = 0;
    // Reads a shortcut file back (its three properties).
    virtual Shortcut ReadShortcut(const std::string& linkPath) = 0;
};

} // namespace ondrel::platform
