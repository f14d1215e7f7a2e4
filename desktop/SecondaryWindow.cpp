#include "desktop/SecondaryWindow.h"

namespace ondrel {

SecondaryWindow::SecondaryWindow(Owner& owner, platform::WindowSystem& windows,
                                 const platform::WindowDesign& design)
    : m_owner(owner), m_window(windows.createWindow(design)) {
    m_window->onCloseRequest([this] {
        Form_Unload();
        return true;
    });
}

SecondaryWindow::~SecondaryWindow() = default;

void SecondaryWindow::open() {
    Form_Load();
    m_window->show();
}

void SecondaryWindow::Form_Load() {
    m_owner.setEnabled(false);
}

void SecondaryWindow::Form_Unload() {
    m_owner.setEnabled(true);
}

} // namespace ondrel
