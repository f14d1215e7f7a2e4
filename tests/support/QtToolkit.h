#pragma once

// The Qt widgets behind the windows, for the checks that only the Qt toolkit
// can answer: fonts that fit, window flags, the focus chain, real key presses.

#include "platform/Window.h"
#include "platform/qt/QtWindow.h"

#include <QString>
#include <QWidget>

#include <string>

namespace ondrel::test {

inline QWidget* qtWidget(platform::Window& window) {
    return &static_cast<platform::QtWindow&>(window).widget();
}

template <class Widget = QWidget>
Widget* qtWidget(platform::Window& window, const platform::Control* control) {
    return static_cast<Widget*>(static_cast<platform::QtWindow&>(window).widgetOf(control));
}

inline QString q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace ondrel::test
