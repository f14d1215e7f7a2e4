// The program's icon on Qt: drawn from the shapes of desktop/icons/ondrel.svg,
// it must stay the picture that the PNG renderings show, and every window
// carries it in the sizes the window system takes from the window.

#include "platform/qt/QtWindowSystem.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QTest>

#include <algorithm>
#include <cstdlib>

using ondrel::platform::QtWindowSystem;

namespace {

QImage premultiplied(const QImage& image) {
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

int channelDifference(QRgb a, QRgb b) {
    int worst = 0;
    for (int shift : {0, 8, 16, 24})
        worst = std::max(worst, std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)));
    return worst;
}

} // namespace

class TestWindowIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theDrawingIsThePictureOfTheRenderings();
    void windowsCarryTheDrawnSizes();
};

// At the largest rendering two rasterisers differ only along the edges: a
// changed colour, a moved or missing shape shows in the average over blocks of
// 16 x 16 pixels, where edges wash out.
void TestWindowIcon::theDrawingIsThePictureOfTheRenderings() {
    const QImage rendering(QStringLiteral(ONDREL_SOURCE_DIR "/desktop/icons/ondrel-256.png"));
    QVERIFY(!rendering.isNull());
    const QImage drawn = premultiplied(QtWindowSystem::drawnIcon(256).toImage());
    QCOMPARE(drawn.size(), rendering.size());

    const QImage renderedBlocks =
        premultiplied(rendering).scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage drawnBlocks =
        drawn.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const int difference =
                channelDifference(renderedBlocks.pixel(x, y), drawnBlocks.pixel(x, y));
            QVERIFY2(
                difference <= 16,
                qPrintable(
                    QStringLiteral("block %1, %2 differs by %3").arg(x).arg(y).arg(difference)));
        }
    }
}

void TestWindowIcon::windowsCarryTheDrawnSizes() {
    QApplication::setWindowIcon(QIcon());
    QtWindowSystem windows("test_qt_window_icon");
    windows.ensureApplication();

    const QIcon icon = QApplication::windowIcon();
    QList<QSize> expected;
    for (int size : QtWindowSystem::kIconSizes)
        expected.append(QSize(size, size));
    QCOMPARE(icon.availableSizes(), expected);
    for (int size : QtWindowSystem::kIconSizes) {
        const QImage carried = premultiplied(icon.pixmap(QSize(size, size)).toImage());
        QCOMPARE(carried, premultiplied(QtWindowSystem::drawnIcon(size).toImage()));
    }
}

QTEST_MAIN(TestWindowIcon)
#include "test_qt_window_icon.moc"
