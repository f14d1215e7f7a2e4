#include "desktop/Form2.h"

namespace ondrel {

namespace {

const platform::WindowDesign kDesign{"Form2", "About this software.", 8430, 3315, false};

} // namespace

Form2::Form2(Owner& main, platform::WindowSystem& windows)
    : SecondaryWindow(main, windows, kDesign) {
    platform::Window& w = window();
    Label1 = &w.addLabel("Label1", aboutText(), {120, 0, 8175, 2655}, nullptr, true);
    Command1 = &w.addButton("Command1", "Close", {3240, 2640, 1695, 495});
    w.setTabOrder({Command1});
    // The only control that takes the focus, so it has it on opening. It is
    // no default button: Space, Enter and Return press it because it has the
    // focus, and Escape presses nothing.
    Command1->setFocus();

    Command1->onClick([this] { Command1_Click(); });
}

std::string Form2::aboutText() {
    return "Version 3.1.1\r\n"
           "Thank you for using my application. Ondrel turns your music files "
           "into files that the DS handheld can play and copies them onto its "
           "memory card, or onto your Desktop if you prefer. Drop the files on "
           "the Desktop icon or send them to Ondrel with a right click, press "
           "START! and let it work through the list.\r\n"
           "\r\n"
           "Author: the Ondrel project. Contact: through the project's issue "
           "tracker.";
}

void Form2::Command1_Click() {
    window().close();
}

} // namespace ondrel
