#include "platform/qt/QtWindowSystem.h"

#include "platform/PlatformError.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtPlatformStart.h"
#include "platform/qt/QtWindow.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>

namespace ondrel::platform {

namespace {

char defaultProgramName[] = "Ondrel";

// The picture shared with the Windows build and the desktop entries, in the
// sizes a title bar, a task bar and a window switcher draw from the window
// itself, at one and two pixels per point. Every size is decoded at start-up
// and sent to the X server with the window, so the large ones, which menus
// and switchers take from the installed icon theme through the desktop
// entry, are left out. Read as PNG and nothing else: otherwise Qt loads
// every image plugin to ask whether it reads the file better, which costs more
// than the rest of the icon.
QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QImageReader reader(QStringLiteral(":/ondrel/ondrel-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

} // namespace

QtWindowSystem::QtWindowSystem(const char* programName)
    : m_programName(programName != nullptr ? programName : defaultProgramName),
      m_messageBox(std::make_unique<QtMessageBox>(*this)), m_boundary(*m_messageBox) {}

void QtWindowSystem::ensureApplication() {
    if (QCoreApplication::instance() == nullptr) {
        m_argv[0] = const_cast<char*>(m_programName);
        {
            // Without a display the program ends here, with a line that says so.
            const QtPlatformStart watch;
            m_application = std::make_unique<QApplication>(m_argc, m_argv);
        }
        QApplication::setWindowIcon(programIcon());
        return;
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        throw PlatformError("createWindow", "", "Qt's application object cannot show windows");
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(programIcon());
}

QtWindowSystem::~QtWindowSystem() = default;

QFont QtWindowSystem::windowFont() {
    // The design's bitmap face exists only on Japanese Windows; this one is on
    // every desktop we build for, and at this size every caption fits its
    // control's fixed rectangle. Pixels rather than points: the layout is in
    // pixels and must not grow with the screen's dots per inch.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

std::unique_ptr<Window> QtWindowSystem::createWindow(const WindowDesign& design) {
    ensureApplication();
    return std::make_unique<QtWindow>(design, windowFont(), m_boundary);
}

void QtWindowSystem::processEvents() {
    ensureApplication();
    QCoreApplication::processEvents();
}

int QtWindowSystem::run() {
    ensureApplication();
    return QApplication::exec();
}

void QtWindowSystem::onUncaughtFailure(std::function<void(const std::exception&)> road) {
    m_boundary.setFailureRoad(std::move(road));
}

MessageBox& QtWindowSystem::messageBox() {
    return *m_messageBox;
}

} // namespace ondrel::platform
