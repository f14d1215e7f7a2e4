#include "platform/qt/QtPlatformStart.h"

#include <unistd.h>

#include <cstdio>

namespace ondrel::platform {

namespace {

// Qt's handler is a plain function; it finds the watch through this while one
// exists. Only the thread that makes the application object gets here.
QtPlatformStart* g_watch = nullptr;

QString quoted(const QByteArray& value) {
    return QLatin1Char('"') + QString::fromLocal8Bit(value) + QLatin1Char('"');
}

} // namespace

QtPlatformStart::QtPlatformStart() : m_previous(qInstallMessageHandler(&QtPlatformStart::handle)) {
    g_watch = this;
}

QtPlatformStart::~QtPlatformStart() {
    qInstallMessageHandler(m_previous);
    g_watch = nullptr;
    for (const Held& held : m_held) {
        const QMessageLogContext context(
            nullptr, 0, nullptr, held.category.isEmpty() ? nullptr : held.category.constData());
        m_previous(held.type, context, held.text);
    }
}

QString QtPlatformStart::noDisplayLine(const QByteArray& display, const QByteArray& waylandDisplay,
                                       const QByteArray& platform) {
    QString line = QStringLiteral("Ondrel: ");
    if (display.isEmpty() && waylandDisplay.isEmpty()) {
        line += QStringLiteral("no display to open the window on (DISPLAY is not set)");
    } else {
        line += QStringLiteral("cannot open the window on the ");
        if (!waylandDisplay.isEmpty())
            line += QStringLiteral("Wayland display ") + quoted(waylandDisplay);
        if (!waylandDisplay.isEmpty() && !display.isEmpty())
            line += QStringLiteral(" nor on the ");
        if (!display.isEmpty())
            line += QStringLiteral("X display ") + quoted(display);
    }
    if (!platform.isEmpty())
        line += QStringLiteral(" through QT_QPA_PLATFORM ") + quoted(platform);
    return line + QLatin1Char('.');
}

void QtPlatformStart::handle(QtMsgType type, const QMessageLogContext& context,
                             const QString& text) {
    if (type != QtFatalMsg) {
        g_watch->m_held.push_back({type, QByteArray(context.category), text});
        return;
    }
    // The only fatal end while the application object is made is a window
    // system that cannot be started; nothing of the program has run yet.
    const QString line =
        noDisplayLine(qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"), qgetenv("QT_QPA_PLATFORM"));
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(nullptr);
    ::_exit(1);
}

} // namespace ondrel::platform
