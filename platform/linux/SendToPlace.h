#pragma once

#include <string>

namespace ondrel::platform {

// Where "Send To" lives on a freedesktop.org desktop: each file manager has
// its own folder and form, and XDG_CURRENT_DESKTOP tells which one the user
// has.
struct SendToPlace {
    std::string folder;   // created by the shell when missing
    std::string fileName; // the shortcut's name inside it
};

// currentDesktop is XDG_CURRENT_DESKTOP (nullptr when unset): a colon list
// whose first known entry, in any case, decides. GNOME Files' scripts folder
// serves an unknown or missing desktop, as GNOME is the most common.
//   GNOME       dataHome/nautilus/scripts/Ondrel          a script
//   XFCE        dataHome/Thunar/sendto/Ondrel.desktop     a desktop entry
//   KDE         dataHome/kio/servicemenus/Ondrel.desktop  a service menu
//   X-Cinnamon  dataHome/nemo/scripts/Ondrel              a script
//   MATE        configHome/caja/scripts/Ondrel            a script
//   LXQt, LXDE  dataHome/file-manager/actions/Ondrel.desktop  a file manager action
SendToPlace sendToPlace(const char* currentDesktop, const std::string& dataHome,
                        const std::string& configHome);

} // namespace ondrel::platform
