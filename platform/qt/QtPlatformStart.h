#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <vector>

namespace ondrel::platform {

// Watches Qt's application object being made. Qt reports a display it cannot
// open by printing its own lines ("Reinstalling the application may fix this
// problem") and aborting with a core dump; while this object lives, that
// becomes one line naming the display on standard error and exit status 1.
// What Qt says meanwhile is held back, and passed on once the object is made.
class QtPlatformStart {
public:
    QtPlatformStart();
    ~QtPlatformStart();
    QtPlatformStart(const QtPlatformStart&) = delete;
    QtPlatformStart& operator=(const QtPlatformStart&) = delete;

    // The line for a window system that could not be reached, from the
    // variables that chose it; empty values count as unset.
    static QString noDisplayLine(const QByteArray& display, const QByteArray& waylandDisplay,
                                 const QByteArray& platform);

private:
    struct Held {
        QtMsgType type;
        QByteArray category;
        QString text;
    };

    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text);

    QtMessageHandler m_previous;
    std::vector<Held> m_held;
};

} // namespace ondrel::platform
