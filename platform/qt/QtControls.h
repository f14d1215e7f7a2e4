#pragma once

#include "platform/Controls.h"
#include "platform/EventBoundary.h"
#include "platform/qt/QtLogBoxWidget.h"
#include "platform/qt/QtText.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <functional>
#include <string>

namespace ondrel::platform {

// A control's text: a frame's is its title.
inline QString textOf(const QAbstractButton* widget) {
    return widget->text();
}
inline QString textOf(const QLabel* widget) {
    return widget->text();
}
inline QString textOf(const QGroupBox* widget) {
    return widget->title();
}
inline QString textOf(const QtLogBoxWidget* widget) {
    return widget->text();
}
inline void setTextOf(QAbstractButton* widget, const QString& text) {
    widget->setText(text);
}
inline void setTextOf(QLabel* widget, const QString& text) {
    widget->setText(text);
}
inline void setTextOf(QGroupBox* widget, const QString& text) {
    widget->setTitle(text);
}
inline void setTextOf(QtLogBoxWidget* widget, const QString& text) {
    widget->setText(text);
}

// What every Qt control shares: the widget, owned by its Qt parent, and the
// design name it was made with.
template <class Interface, class Widget> class QtControl : public Interface {
public:
    QtControl(std::string objectName, Widget* widget)
        : m_objectName(std::move(objectName)), m_widget(widget) {
        m_widget->setObjectName(toQString(m_objectName));
    }

    const std::string& objectName() const override { return m_objectName; }

    std::string text() const override { return toStdString(textOf(m_widget)); }
    void setText(const std::string& text) override { setTextOf(m_widget, toQString(text)); }

    // The control's own state: a disabled window leaves it as it was.
    bool isEnabled() const override { return m_widget->isEnabledTo(m_widget->window()); }
    void setEnabled(bool enabled) override { m_widget->setEnabled(enabled); }

    // The control that holds its window's focus, whether or not the window is
    // the active one at this moment.
    bool hasFocus() const override { return m_widget->window()->focusWidget() == m_widget; }
    void setFocus() override { m_widget->setFocus(Qt::OtherFocusReason); }

    void setToolTip(const std::string& text) override { m_widget->setToolTip(toQString(text)); }

    PixelRect geometry() const override {
        const QRect rect = m_widget->geometry();
        return PixelRect{rect.left(), rect.top(), rect.width(), rect.height()};
    }

    void repaintNow() override { m_widget->repaint(); }

    Widget* widget() const { return m_widget; }

private:
    std::string m_objectName;
    Widget* m_widget;
};

class QtButton : public QtControl<Button, QPushButton> {
public:
    QtButton(std::string objectName, QPushButton* widget, EventBoundary& boundary);
    void onClick(std::function<void()> handler) override;
    // QAbstractButton::click() does nothing while the button or its window is disabled.
    void click() override { widget()->click(); }

private:
    EventBoundary& m_boundary;
    std::function<void()> m_handler;
};

class QtCheckBox : public QtControl<CheckBox, QCheckBox> {
public:
    using QtControl::QtControl;
    bool isChecked() const override { return widget()->checkState() != Qt::Unchecked; }
    void setChecked(bool checked) override { widget()->setChecked(checked); }
    void click() override { widget()->click(); }
};

class QtOptionButton : public QtControl<OptionButton, QRadioButton> {
public:
    QtOptionButton(std::string objectName, QRadioButton* widget);
    bool isChecked() const override { return widget()->isChecked(); }
    void setChecked(bool checked) override;
    void click() override { widget()->click(); }
};

class QtFrame : public QtControl<Frame, QGroupBox> {
public:
    using QtControl::QtControl;
};

class QtLabel : public QtControl<Label, QLabel> {
public:
    using QtControl::QtControl;
};

class QtLogBox : public QtControl<LogBox, QtLogBoxWidget> {
public:
    using QtControl::QtControl;
    void append(const std::string& piece) override { widget()->append(toQString(piece)); }
    std::size_t textLength() const override {
        return static_cast<std::size_t>(widget()->text().size());
    }
    std::size_t selectionStart() const override {
        return static_cast<std::size_t>(widget()->selectionStart());
    }
    void setSelectionStart(std::size_t position) override {
        widget()->setSelectionStart(static_cast<qsizetype>(position));
    }
};

} // namespace ondrel::platform
