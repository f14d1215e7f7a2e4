#pragma once

#include "app/Form1.h"
#include "desktop/Form2.h"
#include "desktop/Form3.h"
#include "tests/support/QtToolkit.h"
#include "tests/support/TestRig.h"

#include <memory>
#include <string>

namespace ondrel::test {

// The main window as the program shows it after a start with one real music
// file, so that its main button reads "START!", on a private temporary home.
// The About and Setting windows are opened through its buttons, the way the
// user opens them.
class MainWindowFixture {
public:
    MainWindowFixture() {
        song = rig.writeFile("music/song.mp3", "not really music");
        rig.environment.argumentText = song;
        form1 = std::make_unique<Form1>(rig.services(), rig.windows(), rig.messageBox);
        form1->Form_Load();
        form1->window().show();
    }

    MainWindowFixture(const MainWindowFixture&) = delete;
    MainWindowFixture& operator=(const MainWindowFixture&) = delete;

    // Presses a main-window button; returns the window of that kind that the
    // press put on screen, new at this opening, or nullptr when none appeared.
    template <class Window>
    Window* openThrough(platform::Button* button, Window* (Form1::*latest)()) {
        Window* const before = (form1.get()->*latest)();
        button->click();
        Window* const opened = (form1.get()->*latest)();
        if (opened == nullptr || opened == before || !opened->window().isVisible())
            return nullptr;
        return opened;
    }

    Form2* openAbout() { return openThrough(form1->Command2, &Form1::about); }
    Form3* openSetting() { return openThrough(form1->Command3, &Form1::setting); }

    TestRig rig;
    std::string song;
    std::unique_ptr<Form1> form1;
};

} // namespace ondrel::test
