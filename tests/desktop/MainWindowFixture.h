#pragma once

#include "app/Form1.h"
#include "desktop/Form2.h"
#include "desktop/Form3.h"
#include "tests/support/TestRig.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QPushButton>
#include <QWidget>

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
        form1 = std::make_unique<Form1>(rig.services(), rig.messageBox);
        form1->Form_Load();
        form1->show();
    }

    ~MainWindowFixture() {
        // The secondary windows refer to the main window: none may outlive it.
        flushDeletes();
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<Form2*>(widget) != nullptr || qobject_cast<Form3*>(widget) != nullptr)
                delete widget;
        }
    }

    MainWindowFixture(const MainWindowFixture&) = delete;
    MainWindowFixture& operator=(const MainWindowFixture&) = delete;

    // Presses a main-window button; returns the window of that kind that the
    // press put on screen, or nullptr when none appeared.
    template <class Window> Window* openThrough(QPushButton* button) {
        const QWidgetList before = QApplication::topLevelWidgets();
        button->click();
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<Window*>(widget);
            if (window != nullptr && !before.contains(widget) && window->isVisible())
                return window;
        }
        return nullptr;
    }

    Form2* openAbout() { return openThrough<Form2>(form1->Command2); }
    Form3* openSetting() { return openThrough<Form3>(form1->Command3); }

    // Windows that closed themselves are deleted once the event loop gets to it.
    static void flushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TestRig rig;
    std::string song;
    std::unique_ptr<Form1> form1;
};

} // namespace ondrel::test
