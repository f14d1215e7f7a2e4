#pragma once

#include "platform/Shell.h"

namespace ondrel::platform {

// Special folders from the shell's known-folder list and real .lnk shortcut
// files through IShellLinkW.
class WinShell final : public Shell {
public:
    std::string SpecialFolders(const std::string& name) override;
    std::string ShortcutFileName(const std::string& name) override;
    Shortcut CreateShortcut(const std::string& linkPath) override;
    void Save(const Shortcut& shortcut) override;
    Shortcut ReadShortcut(const std::string& linkPath) override;
};

} // namespace ondrel::platform
