#pragma once

#include "desktop/SecondaryWindow.h"
#include "platform/Controls.h"

#include <string>

namespace ondrel {

// The About window. Loaded anew at every opening; closing hides it until the
// next opening replaces it.
class Form2 : public SecondaryWindow {
public:
    Form2(Owner& main, platform::WindowSystem& windows);

    // The fixed text the window shows, the same at every opening.
    static std::string aboutText();

    platform::Label* Label1 = nullptr;
    platform::Button* Command1 = nullptr;

    void Command1_Click();
};

} // namespace ondrel
