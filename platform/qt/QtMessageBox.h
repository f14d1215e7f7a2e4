#pragma once

#include "platform/Controls.h"
#include "platform/qt/QtWindowSystem.h"

namespace ondrel::platform {

// The program's message box on screen: the text, one OK button, no icon,
// "Ondrel" as caption, modal until dismissed.
class QtMessageBox : public MessageBox {
public:
    explicit QtMessageBox(QtWindowSystem& windows) : m_windows(windows) {}
    void show(const std::string& text) override;

private:
    QtWindowSystem& m_windows;
};

} // namespace ondrel::platform
