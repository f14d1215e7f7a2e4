#pragma once

#include "platform/Controls.h"
#include "platform/Window.h"

#include <memory>
#include <string>

namespace ondrel {

class Form1;

namespace platform {
class Shell;
}

// The Setting window: creates or removes the Desktop and SendTo shortcuts.
// Loaded anew at every opening; closing hides it until the next opening
// replaces it.
class Form3 {
public:
    explicit Form3(Form1& main);
    ~Form3();
    Form3(const Form3&) = delete;
    Form3& operator=(const Form3&) = delete;

    // Disables the main window and looks up both shortcuts; the opener calls
    // it before show(). Throws PlatformError when a special folder cannot be read.
    void Form_Load();
    // Shows the window where the window system puts new windows.
    void show();

    platform::Window& window() { return *m_window; }

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
    void Form_Unload();
    // Creates or deletes one shortcut, judged by what was found at load only.
    void applyPair(platform::Shell& shell, bool createSelected, bool deleteSelected,
                   bool existedAtLoad, const std::string& linkPath);
    void createShortcut(platform::Shell& shell, const std::string& linkPath);

    Form1& m_main;
    std::unique_ptr<platform::Window> m_window;
};

} // namespace ondrel
