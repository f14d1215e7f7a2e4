#include "tests/window/Toolkit.h"

#include "platform/qt/QtWindow.h"
#include "platform/qt/QtWindowSystem.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QWidget>
#include <QWindow>

#include <cstdlib>

namespace windowtest {

namespace {

ondrel::platform::QtWindowSystem* makeSystem() {
    // Headless whatever the caller's environment holds.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return new ondrel::platform::QtWindowSystem("window_contract_tests");
}

} // namespace

ondrel::platform::WindowSystem& windowSystem() {
    // Never destroyed: the application object must outlive every window, and
    // the run ends with the process.
    static ondrel::platform::QtWindowSystem* const system = makeSystem();
    return *system;
}

// Qt lays out in device-independent pixels: the design's 96 dpi.
int layoutDpi(ondrel::platform::Window&) {
    return 96;
}

// To the window system's window, as the close box's request comes: the
// widget's own close handling then decides and hides it.
void postCloseRequest(ondrel::platform::Window& window) {
    QWidget& widget = dynamic_cast<ondrel::platform::QtWindow&>(window).widget();
    QObject* receiver = widget.windowHandle();
    if (receiver == nullptr)
        receiver = &widget;
    QCoreApplication::postEvent(receiver, new QCloseEvent);
}

} // namespace windowtest
