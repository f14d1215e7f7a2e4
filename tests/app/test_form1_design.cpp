// The main window as designed: controls, their places and captions, the tab
// order, and a font under which every caption can be read.

#include "app/Form1.h"
#include "platform/qt/QtLogBoxWidget.h"
#include "tests/support/QtToolkit.h"
#include "tests/support/TestRig.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>

using namespace Qt::StringLiterals;
using ondrel::Form1;
using ondrel::test::q;
using ondrel::test::qtWidget;

namespace {

QString captionOf(const QWidget* widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (const auto* frame = qobject_cast<const QGroupBox*>(widget))
        return frame->title();
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (const auto* log = dynamic_cast<const ondrel::platform::QtLogBoxWidget*>(widget))
        return log->text();
    return QString();
}

} // namespace

class TestForm1Design : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void placesEveryControl_data();
    void placesEveryControl();
    void everyCaptionFits();
    void isAFixedWindowWithItsTexts();
    void hidesTheCurrentFileLabelBeneathTheLog();
    void tabsInTheDesignOrder();
    void opensCentredWithTheMainButtonFocused();
};

void TestForm1Design::placesEveryControl_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");

    // Pixels are the design's twips divided by 15.
    QTest::newRow("Frame1") << u"Frame1"_s << u"Form1"_s << QRect(8, 8, 425, 145)
                            << u"File to transfer"_s;
    QTest::newRow("Text1") << u"Text1"_s << u"Frame1"_s << QRect(8, 24, 409, 113) << u"Text1"_s;
    QTest::newRow("Label1") << u"Label1"_s << u"Frame1"_s << QRect(8, 24, 409, 113) << QString();
    QTest::newRow("Frame2") << u"Frame2"_s << u"Form1"_s << QRect(8, 152, 425, 73) << u"Message"_s;
    QTest::newRow("Label2") << u"Label2"_s << u"Frame2"_s << QRect(8, 24, 409, 41) << QString();
    QTest::newRow("Check1") << u"Check1"_s << u"Form1"_s << QRect(16, 232, 409, 48)
                            << u"Do not transfer to DS, output file(s) to the Desktop."_s;
    QTest::newRow("Check2") << u"Check2"_s << u"Form1"_s << QRect(16, 280, 417, 41)
                            << u"KDH mode."_s;
    QTest::newRow("Command1") << u"Command1"_s << u"Form1"_s << QRect(8, 336, 129, 57)
                              << u"START!"_s;
    QTest::newRow("Command3") << u"Command3"_s << u"Form1"_s << QRect(144, 360, 73, 33)
                              << u"Setting"_s;
    QTest::newRow("Command2") << u"Command2"_s << u"Form1"_s << QRect(224, 360, 209, 33)
                              << u"About this software"_s;
}

void TestForm1Design::placesEveryControl() {
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);

    ondrel::test::TestRig rig;
    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    ondrel::platform::Control* const control = form.window().findControl(name.toStdString());
    QVERIFY(control != nullptr);
    QCOMPARE(q(control->objectName()), name);
    const ondrel::platform::PixelRect rect = control->geometry();
    QCOMPARE(QRect(rect.left, rect.top, rect.width, rect.height), geometry);
    QCOMPARE(q(control->text()), caption);
    QVERIFY(control->isEnabled());

    // The widget behind it, as Qt sees it.
    auto* const widget = qtWidget(form.window())->findChild<QWidget*>(name);
    QVERIFY(widget != nullptr);
    QCOMPARE(widget, qtWidget(form.window(), control));
    QCOMPARE(widget->parentWidget()->objectName(), container);
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(captionOf(widget), caption);
    QVERIFY(widget->isEnabled());
}

void TestForm1Design::everyCaptionFits() {
    ondrel::test::TestRig rig;
    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    ondrel::platform::Window& window = form.window();
    const QStyle* const style = qtWidget(window)->style();

    for (ondrel::platform::Control* control : {form.Command1, form.Command2, form.Command3}) {
        auto* const button = qtWidget<QPushButton>(window, control);
        const QFontMetrics metrics(button->font());
        const int room = button->width() - 2 * style->pixelMetric(QStyle::PM_ButtonMargin);
        QVERIFY2(metrics.horizontalAdvance(button->text()) <= room,
                 qPrintable(button->objectName()));
        QVERIFY(metrics.height() <= button->height());
    }
    for (ondrel::platform::Control* control : {form.Check1, form.Check2}) {
        auto* const check = qtWidget<QCheckBox>(window, control);
        const QFontMetrics metrics(check->font());
        const int room = check->width() - style->pixelMetric(QStyle::PM_IndicatorWidth) -
                         style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
        QVERIFY2(metrics.horizontalAdvance(check->text()) <= room, qPrintable(check->objectName()));
        QVERIFY(metrics.height() <= check->height());
    }
    for (ondrel::platform::Control* control : {form.Frame1, form.Frame2}) {
        auto* const frame = qtWidget<QGroupBox>(window, control);
        const QFontMetrics metrics(frame->font());
        QVERIFY(metrics.horizontalAdvance(frame->title()) < frame->width());
        // The title sits above the controls inside the frame.
        QVERIFY(metrics.height() <= 24);
    }
    // Two status lines fit the status label.
    auto* const label2 = qtWidget<QLabel>(window, form.Label2);
    QVERIFY(2 * QFontMetrics(label2->font()).lineSpacing() <= label2->height());
}

void TestForm1Design::isAFixedWindowWithItsTexts() {
    ondrel::test::TestRig rig;
    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    ondrel::platform::Window& window = form.window();
    QCOMPARE(q(window.objectName()), u"Form1"_s);
    QCOMPARE(q(window.caption()), u"Ondrel"_s);
    QCOMPARE(window.clientSize().width, 446);
    QCOMPARE(window.clientSize().height, 406);
    QWidget* const widget = qtWidget(window);
    QCOMPARE(widget->objectName(), u"Form1"_s);
    QCOMPARE(widget->size(), QSize(446, 406));
    QCOMPARE(widget->minimumSize(), widget->maximumSize());
    QVERIFY(!(widget->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(widget->windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(qtWidget(window, form.Check2)->toolTip(),
             u"Please check if you use Windows Media Player. Do not check if you use iTunes. "
             "If you cannot transfer properly, check/uncheck this and try again."_s);
    QVERIFY(!form.Check1->isChecked());
    QVERIFY(!form.Check2->isChecked());
    QVERIFY(form.Label1->text().empty());
    QVERIFY(form.Label2->text().empty());
    auto* const text1 = qtWidget<ondrel::platform::QtLogBoxWidget>(window, form.Text1);
    QVERIFY(!text1->isReadOnly());
    QCOMPARE(text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    // The program's icon, from the picture shared with the other builds.
    QVERIFY(!widget->windowIcon().isNull());
    QVERIFY(widget->windowIcon().availableSizes().contains(QSize(32, 32)));
}

void TestForm1Design::hidesTheCurrentFileLabelBeneathTheLog() {
    ondrel::test::TestRig rig;
    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    ondrel::platform::Window& window = form.window();
    QWidget* const label1 = qtWidget(window, form.Label1);
    QWidget* const text1 = qtWidget(window, form.Text1);
    // Siblings stack in child order: a later one lies above an earlier one.
    const QObjectList stack = qtWidget(window, form.Frame1)->children();
    QVERIFY(stack.indexOf(label1) < stack.indexOf(text1));
    QCOMPARE(label1->geometry(), text1->geometry());
}

void TestForm1Design::tabsInTheDesignOrder() {
    ondrel::test::TestRig rig;
    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    QWidget* const top = qtWidget(form.window());
    QWidget* const first = qtWidget(form.window(), form.Command1);
    QStringList order;
    QWidget* widget = first;
    do {
        if (widget->window() == top && (widget->focusPolicy() & Qt::TabFocus))
            order.append(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != first);
    QCOMPARE(order, (QStringList{u"Command1"_s, u"Command2"_s, u"Command3"_s, u"Text1"_s,
                                 u"Check1"_s, u"Check2"_s}));
}

void TestForm1Design::opensCentredWithTheMainButtonFocused() {
    ondrel::test::TestRig rig;
    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    form.showCentred();
    QWidget* const widget = qtWidget(form.window());
    QVERIFY(QTest::qWaitForWindowExposed(widget));
    QCOMPARE(widget->focusWidget(), qtWidget(form.window(), form.Command1));
    QVERIFY(form.Command1->hasFocus());
    const QRect screen = widget->screen()->availableGeometry();
    QVERIFY(qAbs(widget->geometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(widget->geometry().center().y() - screen.center().y()) <= 1);
}

QTEST_MAIN(TestForm1Design)
#include "test_form1_design.moc"
