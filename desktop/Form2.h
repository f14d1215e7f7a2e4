#pragma once

#include "platform/Controls.h"
#include "platform/Window.h"

#include <memory>
#include <string>

namespace ondrel {

class Form1;

// The About window. Loaded anew at every opening; closing hides it until the
// next opening replaces it.
class Form2 {
public:
    explicit Form2(Form1& main);
    ~Form2();
    Form2(const Form2&) = delete;
    Form2& operator=(const Form2&) = delete;

    // Disables the main window; the opener calls it before show().
    void Form_Load();
    // Shows the window where the window system puts new windows.
    void show();

    // The fixed text the window shows, the same at every opening.
    static std::string aboutText();

    platform::Window& window() { return *m_window; }

    platform::Label* Label1 = nullptr;
    platform::Button* Command1 = nullptr;

    void Command1_Click();

private:
    void Form_Unload();

    Form1& m_main;
    std::unique_ptr<platform::Window> m_window;
};

} // namespace ondrel
