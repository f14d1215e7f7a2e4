#include "platform/qt/QtWindow.h"

#include "platform/qt/QtControls.h"
#include "platform/qt/QtText.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace ondrel::platform {

namespace {

// The design's unit: 15 twips to the pixel at 96 dpi. Qt lays out in
// device-independent pixels, which are those.
int pixels(int twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

QRect pixelRect(Twips at) {
    return QRect(pixels(at.left), pixels(at.top), pixels(at.width), pixels(at.height));
}

} // namespace

QtWindow::QtWindow(const WindowDesign& design, const QFont& font, EventBoundary& boundary)
    : m_objectName(design.objectName), m_boundary(boundary),
      m_widget(std::make_unique<QtWindowWidget>()) {
    m_widget->setObjectName(toQString(design.objectName));
    m_widget->setWindowTitle(toQString(design.caption));
    // A fixed layout: a title bar with the window menu and a close box,
    // nothing to resize or maximise.
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (design.minimizeBox)
        flags |= Qt::WindowMinimizeButtonHint;
    m_widget->setWindowFlags(flags);
    m_widget->setFixedSize(pixels(design.clientWidthTwips), pixels(design.clientHeightTwips));
    m_widget->setFont(font);
}

QtWindow::~QtWindow() = default;

std::string QtWindow::caption() const {
    return toStdString(m_widget->windowTitle());
}

PixelSize QtWindow::clientSize() const {
    return PixelSize{m_widget->width(), m_widget->height()};
}

QWidget* QtWindow::parentFor(Frame* container) const {
    if (container == nullptr)
        return m_widget.get();
    QWidget* const frame = widgetOf(container);
    return frame != nullptr ? frame : m_widget.get();
}

QWidget* QtWindow::widgetOf(const Control* control) const {
    for (const Entry& entry : m_controls) {
        if (entry.control.get() == control)
            return entry.widget;
    }
    return nullptr;
}

template <class Adapter, class Widget, class... Extra>
Adapter& QtWindow::add(const std::string& objectName, Widget* widget, Twips at, Extra&... extra) {
    widget->setGeometry(pixelRect(at));
    // Created after the window was shown, it would otherwise stay hidden.
    widget->show();
    auto adapter = std::make_unique<Adapter>(objectName, widget, extra...);
    Adapter& result = *adapter;
    m_controls.push_back(Entry{std::move(adapter), widget});
    return result;
}

Frame& QtWindow::addFrame(const std::string& objectName, const std::string& caption, Twips at) {
    return add<QtFrame>(objectName, new QGroupBox(toQString(caption), m_widget.get()), at);
}

Button& QtWindow::addButton(const std::string& objectName, const std::string& caption, Twips at,
                            Frame* container) {
    return add<QtButton>(objectName, new QPushButton(toQString(caption), parentFor(container)), at,
                         m_boundary);
}

CheckBox& QtWindow::addCheckBox(const std::string& objectName, const std::string& caption, Twips at,
                                Frame* container) {
    return add<QtCheckBox>(objectName, new QCheckBox(toQString(caption), parentFor(container)), at);
}

OptionButton& QtWindow::addOptionButton(const std::string& objectName, const std::string& caption,
                                        Twips at, Frame* container) {
    return add<QtOptionButton>(objectName,
                               new QRadioButton(toQString(caption), parentFor(container)), at);
}

Label& QtWindow::addLabel(const std::string& objectName, const std::string& caption, Twips at,
                          Frame* container, bool wordWrap) {
    auto* label = new QLabel(parentFor(container));
    // A file name is never markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(toQString(caption));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(wordWrap);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->setFocusPolicy(Qt::NoFocus);
    return add<QtLabel>(objectName, label, at);
}

LogBox& QtWindow::addLogBox(const std::string& objectName, const std::string& text, Twips at,
                            Frame* container) {
    auto* box = new QtLogBoxWidget(parentFor(container));
    box->setText(toQString(text));
    return add<QtLogBox>(objectName, box, at);
}

void QtWindow::setTabOrder(const std::vector<Control*>& order) {
    std::vector<QWidget*> chain;
    for (Control* control : order) {
        if (QWidget* const widget = widgetOf(control))
            chain.push_back(widget);
    }
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    // A control left out of the order still takes the focus by a click.
    for (const Entry& entry : m_controls) {
        QWidget* const widget = entry.widget;
        const bool listed = std::find(chain.begin(), chain.end(), widget) != chain.end();
        if (!listed && (widget->focusPolicy() & Qt::TabFocus) != 0)
            widget->setFocusPolicy(Qt::ClickFocus);
    }
}

Control* QtWindow::findControl(const std::string& objectName) {
    for (const Entry& entry : m_controls) {
        if (entry.control->objectName() == objectName)
            return entry.control.get();
    }
    return nullptr;
}

void QtWindow::onCloseRequest(std::function<bool()> handler) {
    if (!handler) {
        m_widget->setCloseHandler({});
        return;
    }
    m_widget->setCloseHandler(
        [this, handler = std::move(handler)] { return m_boundary.callCloseHandler(handler); });
}

void QtWindow::close() {
    m_widget->close();
}

void QtWindow::showCentred() {
    QScreen* const screen = m_widget->screen();
    if (screen != nullptr) {
        m_widget->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter,
                                                  m_widget->size(), screen->availableGeometry()));
    }
    m_widget->show();
}

void QtWindow::show() {
    m_widget->show();
}

void QtWindow::hide() {
    m_widget->hide();
}

bool QtWindow::isVisible() const {
    return m_widget->isVisible();
}

void QtWindow::setEnabled(bool enabled) {
    m_widget->setEnabled(enabled);
}

bool QtWindow::isEnabled() const {
    return m_widget->isEnabled();
}

void QtWindow::repaintNow() {
    m_widget->repaint();
}

} // namespace ondrel::platform
