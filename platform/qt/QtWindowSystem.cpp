#include "platform/qt/QtWindowSystem.h"

#include "platform/PlatformError.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtPlatformStart.h"
#include "platform/qt/QtWindow.h"

#include <QApplication>
#include <QColor>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QRectF>

namespace ondrel::platform {

namespace {

char defaultProgramName[] = "Ondrel";

QIcon programIcon() {
    QIcon icon;
    for (int size : QtWindowSystem::kIconSizes)
        icon.addPixmap(QtWindowSystem::drawnIcon(size));
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

QPixmap QtWindowSystem::drawnIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // The shapes of desktop/icons/ondrel.svg, in its 32 x 32 view box.
    painter.scale(size / 32.0, size / 32.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x3a, 0x6e, 0xa5));
    painter.drawRoundedRect(QRectF(2, 2, 28, 28), 5, 5);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(8, 19, 8, 6));
    painter.drawRect(QRectF(14, 7, 2, 15));
    painter.drawRect(QRectF(14, 7, 9, 3));
    return pixmap;
}

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
