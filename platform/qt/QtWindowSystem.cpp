#include "platform/qt/QtWindowSystem.h"

#include "platform/PlatformError.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtWindow.h"

#include <QApplication>
#include <QIcon>

namespace ondrel::platform {

namespace {

char defaultProgramName[] = "Ondrel";

// The picture shared with the Windows build and the desktop entries, embedded
// as a Qt resource in every size drawn for it.
QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/ondrel/ondrel-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace

QtWindowSystem::QtWindowSystem(const char* programName)
    : m_programName(programName != nullptr ? programName : defaultProgramName),
      m_messageBox(std::make_unique<QtMessageBox>(*this)), m_boundary(*m_messageBox) {}

void QtWindowSystem::ensureApplication() {
    if (QCoreApplication::instance() == nullptr) {
        m_argv[0] = const_cast<char*>(m_programName);
        m_application = std::make_unique<QApplication>(m_argc, m_argv);
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
