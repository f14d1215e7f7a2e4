#pragma once

#include <QWidget>

#include <functional>

namespace ondrel::platform {

// The top-level widget of a window: asks the window's handler before any
// close, whether it comes from the close box, the window menu or close().
class QtWindowWidget : public QWidget {
public:
    QtWindowWidget();

    void setCloseHandler(std::function<bool()> handler);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<bool()> m_closeHandler;
};

} // namespace ondrel::platform
