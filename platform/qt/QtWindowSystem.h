#pragma once

#include "platform/EventBoundary.h"
#include "platform/Window.h"

#include <QFont>
#include <QPixmap>

#include <memory>

class QApplication;

namespace ondrel::platform {

class QtMessageBox;

// The Qt Widgets toolkit. Makes the application object when a window or box
// is first needed, unless one exists already (a Qt test's), and gives it the
// program's icon. Until then nothing needs a display, so the other services
// can be used without one.
class QtWindowSystem : public WindowSystem {
public:
    // programName is argv[0]; Qt sees nothing else of the command line, so a
    // file named like one of its options ("-style", "-reverse") stays a file.
    explicit QtWindowSystem(const char* programName);
    ~QtWindowSystem() override;
    QtWindowSystem(const QtWindowSystem&) = delete;
    QtWindowSystem& operator=(const QtWindowSystem&) = delete;

    std::unique_ptr<Window> createWindow(const WindowDesign& design) override;
    void processEvents() override;
    int run() override;
    void onUncaughtFailure(std::function<void(const std::exception&)> road) override;

    // The program's message box, drawn by this toolkit.
    MessageBox& messageBox();

    // Makes sure Qt's application object exists; throws PlatformError when
    // the process already has one that cannot show widgets.
    void ensureApplication();

    // The face every control draws with.
    static QFont windowFont();

    // The program's icon, the picture of desktop/icons/ondrel.svg (a note on
    // a card) that the Windows build and the desktop entries show from its
    // renderings, drawn from its four shapes at the size given. The windows
    // carry kIconSizes, what a title bar, a task bar and a window switcher
    // take from the window itself; menus and larger views take the installed
    // renderings through the desktop entry. Every size carried is made at
    // start-up and sent to the X server with the window: read from the six
    // PNG renderings they made the one-file launch a third slower, drawn
    // they cost what the one size drawn before them did.
    static QPixmap drawnIcon(int size);
    static constexpr int kIconSizes[] = {16, 32, 48};

private:
    const char* m_programName;
    int m_argc = 1;
    char* m_argv[2] = {nullptr, nullptr};
    std::unique_ptr<QApplication> m_application;
    std::unique_ptr<QtMessageBox> m_messageBox;
    EventBoundary m_boundary;
};

} // namespace ondrel::platform
