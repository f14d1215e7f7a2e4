#pragma once

#include "platform/Controls.h"

namespace ondrel::platform {

// The program's message box on screen: the text, one OK button, no icon,
// "Ondrel" as caption, modal until dismissed.
class QtMessageBox : public MessageBox {
public:
    void show(const std::string& text) override;
};

} // namespace ondrel::platform
