#include "platform/qt/QtControls.h"

namespace ondrel::platform {

QtButton::QtButton(std::string objectName, QPushButton* widget, EventBoundary& boundary)
    : QtControl(std::move(objectName), widget), m_boundary(boundary) {
    // Enter and Return press the focused button, as Space does; outside a
    // dialog that is what auto-default means, and the window has no default
    // button that would take them instead. Escape stays unhandled.
    widget->setDefault(false);
    widget->setAutoDefault(true);
    QObject::connect(widget, &QAbstractButton::clicked, widget,
                     [this] { m_boundary.call(m_handler); });
}

void QtButton::onClick(std::function<void()> handler) {
    m_handler = std::move(handler);
}

QtOptionButton::QtOptionButton(std::string objectName, QRadioButton* widget)
    : QtControl(std::move(objectName), widget) {
    // The option buttons of one container are its only radio buttons, so
    // Qt's sibling exclusivity is the container's.
    widget->setAutoExclusive(true);
}

void QtOptionButton::setChecked(bool checked) {
    QRadioButton* const button = widget();
    if (checked || !button->isChecked()) {
        button->setChecked(checked);
        return;
    }
    // Qt refuses to clear the checked button of an exclusive set; the program
    // may, leaving none of them checked.
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

} // namespace ondrel::platform
