// The main window as designed: controls, their places and captions, the tab
// order, and a font under which every caption can be read.

#include "app/Form1.h"
#include "app/LogBox.h"
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

namespace {

QString captionOf(const QWidget* widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (const auto* frame = qobject_cast<const QGroupBox*>(widget))
        return frame->title();
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (const auto* log = qobject_cast<const ondrel::LogBox*>(widget))
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
    Form1 form(rig.services(), rig.messageBox);
    auto* const control = form.findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(captionOf(control), caption);
    QVERIFY(control->isEnabled());
}

void TestForm1Design::everyCaptionFits() {
    ondrel::test::TestRig rig;
    Form1 form(rig.services(), rig.messageBox);
    const QStyle* const style = form.style();

    for (QPushButton* button : {form.Command1, form.Command2, form.Command3}) {
        const QFontMetrics metrics(button->font());
        const int room = button->width() - 2 * style->pixelMetric(QStyle::PM_ButtonMargin);
        QVERIFY2(metrics.horizontalAdvance(button->text()) <= room,
                 qPrintable(button->objectName()));
        QVERIFY(metrics.height() <= button->height());
    }
    for (QCheckBox* check : {form.Check1, form.Check2}) {
        const QFontMetrics metrics(check->font());
        const int room = check->width() - style->pixelMetric(QStyle::PM_IndicatorWidth) -
                         style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
        QVERIFY2(metrics.horizontalAdvance(check->text()) <= room, qPrintable(check->objectName()));
        QVERIFY(metrics.height() <= check->height());
    }
    for (QGroupBox* frame : {form.Frame1, form.Frame2}) {
        const QFontMetrics metrics(frame->font());
        QVERIFY(metrics.horizontalAdvance(frame->title()) < frame->width());
        // The title sits above the controls inside the frame.
        QVERIFY(metrics.height() <= 24);
    }
    // Two status lines fit the status label.
    QVERIFY(2 * QFontMetrics(form.Label2->font()).lineSpacing() <= form.Label2->height());
}

void TestForm1Design::isAFixedWindowWithItsTexts() {
    ondrel::test::TestRig rig;
    Form1 form(rig.services(), rig.messageBox);
    QCOMPARE(form.objectName(), u"Form1"_s);
    QCOMPARE(form.windowTitle(), u"Ondrel"_s);
    QCOMPARE(form.size(), QSize(446, 406));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(form.Check2->toolTip(),
             u"Please check if you use Windows Media Player. Do not check if you use iTunes. "
             "If you cannot transfer properly, check/uncheck this and try again."_s);
    QVERIFY(!form.Check1->isChecked());
    QVERIFY(!form.Check2->isChecked());
    QVERIFY(form.Label1->text().isEmpty());
    QVERIFY(form.Label2->text().isEmpty());
    QVERIFY(!form.Text1->isReadOnly());
    QCOMPARE(form.Text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

void TestForm1Design::hidesTheCurrentFileLabelBeneathTheLog() {
    ondrel::test::TestRig rig;
    Form1 form(rig.services(), rig.messageBox);
    // Siblings stack in child order: a later one lies above an earlier one.
    const QObjectList stack = form.Frame1->children();
    QVERIFY(stack.indexOf(form.Label1) < stack.indexOf(form.Text1));
    QCOMPARE(form.Label1->geometry(), form.Text1->geometry());
}

void TestForm1Design::tabsInTheDesignOrder() {
    ondrel::test::TestRig rig;
    Form1 form(rig.services(), rig.messageBox);
    QStringList order;
    QWidget* widget = form.Command1;
    do {
        if (widget->window() == &form && (widget->focusPolicy() & Qt::TabFocus))
            order.append(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != form.Command1);
    QCOMPARE(order, (QStringList{u"Command1"_s, u"Command2"_s, u"Command3"_s, u"Text1"_s,
                                 u"Check1"_s, u"Check2"_s}));
}

void TestForm1Design::opensCentredWithTheMainButtonFocused() {
    ondrel::test::TestRig rig;
    Form1 form(rig.services(), rig.messageBox);
    form.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.focusWidget(), form.Command1);
    const QRect screen = form.screen()->availableGeometry();
    QVERIFY(qAbs(form.geometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(form.geometry().center().y() - screen.center().y()) <= 1);
}

QTEST_MAIN(TestForm1Design)
#include "test_form1_design.moc"
