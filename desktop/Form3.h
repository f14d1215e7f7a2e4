#pragma once

#include "desktop/SecondaryWindow.h"
#include "platform/Controls.h"
#include "platform/Services.h"

#include <string>

namespace ondrel {

// The Setting window: creates or removes the Desktop and SendTo shortcuts.
// Loaded anew at every opening; closing hides it until the next opening
// replaces it.
class Form3 : public SecondaryWindow {
public:
    Form3(Owner& main, platform::WindowSystem& windows, platform::Services services);

    // Disables the main window and looks up both shortcuts. Throws
    // PlatformError when a special folder cannot be read.
    void Form_Load() override;

    std::string ExePath;
    std::string DesktopDir;
    std::string DesktopLink;
    bool HadDesktopLink = false;
    std::string SendToDir;
    std::string SendToLink;
    bool HadSendToLink = false;

    platform::Frame* Frame1 = nullptr;
    platform::OptionButton* Option1 = nullptr;
    platform::OptionButton* Option2 = nullptr;
    platform::Button* Command1 = nullptr;
    platform::Frame* Frame2 = nullptr;
    platform::OptionButton* Option3 = nullptr;
    platform::OptionButton* Option4 = nullptr;

    void Command1_Click();

private:
    // Creates or deletes one shortcut, judged by what was found at load only.
    void applyPair(platform::Shell& shell, bool createSelected, bool deleteSelected,
                   bool existedAtLoad, const std::string& linkPath);
    void createShortcut(platform::Shell& shell, const std::string& linkPath);

    platform::Services m_services;
};

} // namespace ondrel
