#pragma once

#include "platform/Controls.h"

namespace ondrel::platform {

// MessageBoxW with one OK button, no icon, "Ondrel" as its caption; every
// window of the program waits while it is open.
class WinMessageBox final : public MessageBox {
public:
    void show(const std::string& text) override;
};

} // namespace ondrel::platform
