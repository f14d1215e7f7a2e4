#pragma once

#include "platform/Window.h"

#include <QFont>

#include <memory>

class QApplication;

namespace ondrel::platform {

// The Qt Widgets toolkit. Makes the application object unless one exists
// already (a Qt test's), and gives it the program's icon.
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

    // The face every control draws with.
    static QFont windowFont();

private:
    int m_argc = 1;
    char* m_argv[2] = {nullptr, nullptr};
    std::unique_ptr<QApplication> m_application;
};

} // namespace ondrel::platform
