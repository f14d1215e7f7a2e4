#include "platform/qt/QtWindowWidget.h"

#include <QCloseEvent>

namespace ondrel::platform {

QtWindowWidget::QtWindowWidget() : QWidget(nullptr) {}

void QtWindowWidget::setCloseHandler(std::function<bool()> handler) {
    m_closeHandler = std::move(handler);
}

void QtWindowWidget::closeEvent(QCloseEvent* event) {
    if (!m_closeHandler || m_closeHandler())
        event->accept();
    else
        event->ignore();
}

} // namespace ondrel::platform
