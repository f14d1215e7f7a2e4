#pragma once

#include "platform/EventBoundary.h"
#include "platform/Window.h"
#include "platform/qt/QtWindowWidget.h"

#include <QFont>

#include <memory>
#include <string>
#include <vector>

namespace ondrel::platform {

// A window of the Qt toolkit: a fixed-size top-level widget whose controls
// are Qt widgets placed at their design rectangles.
class QtWindow : public Window {
public:
    // Every handler of the window and its controls runs through the boundary.
    QtWindow(const WindowDesign& design, const QFont& font, EventBoundary& boundary);
    ~QtWindow() override;

    const std::string& objectName() const override { return m_objectName; }
    std::string caption() const override;
    PixelSize clientSize() const override;

    Frame& addFrame(const std::string& objectName, const std::string& caption, Twips at) override;
    Button& addButton(const std::string& objectName, const std::string& caption, Twips at,
                      Frame* container) override;
    CheckBox& addCheckBox(const std::string& objectName, const std::string& caption, Twips at,
                          Frame* container) override;
    OptionButton& addOptionButton(const std::string& objectName, const std::string& caption,
                                  Twips at, Frame* container) override;
    Label& addLabel(const std::string& objectName, const std::string& caption, Twips at,
                    Frame* container, bool wordWrap) override;
    LogBox& addLogBox(const std::string& objectName, const std::string& text, Twips at,
                      Frame* container) override;

    void setTabOrder(const std::vector<Control*>& order) override;
    Control* findControl(const std::string& objectName) override;

    void onCloseRequest(std::function<bool()> handler) override;
    void close() override;

    void showCentred() override;
    void show() override;
    void hide() override;
    bool isVisible() const override;

    void setEnabled(bool enabled) override;
    bool isEnabled() const override;

    void repaintNow() override;

    // The top-level widget; Qt-only tests look at it.
    QWidget& widget() { return *m_widget; }
    // The widget behind a control of this window, or nullptr.
    QWidget* widgetOf(const Control* control) const;

private:
    struct Entry {
        std::unique_ptr<Control> control;
        QWidget* widget;
    };

    QWidget* parentFor(Frame* container) const;
    template <class Adapter, class Widget, class... Extra>
    Adapter& add(const std::string& objectName, Widget* widget, Twips at, Extra&... extra);

    std::string m_objectName;
    EventBoundary& m_boundary;
    std::unique_ptr<QtWindowWidget> m_widget;
    std::vector<Entry> m_controls;
};

} // namespace ondrel::platform
