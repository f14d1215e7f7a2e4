#include "tests/desktop/MainWindowFixture.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QWindow>

using ondrel::Form2;
using ondrel::test::MainWindowFixture;
using ondrel::test::q;
using ondrel::test::qtWidget;

namespace {

const QString kFirstSentence = QStringLiteral("Thank you for using my application.");

// The close box of the title bar and the window menu's close command reach the
// window through its platform window, as this does.
void closeFromTitleBar(ondrel::platform::Window& window) {
    qtWidget(window)->windowHandle()->close();
}

QLabel* labelOf(Form2* about) {
    return qtWidget<QLabel>(about->window(), about->Label1);
}

QPushButton* closeOf(Form2* about) {
    return qtWidget<QPushButton>(about->window(), about->Command1);
}

} // namespace

class AboutWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void hasTheDesignedFrameAndControls();
    void textIsVersionParagraphAndAuthorLine();
    void textFitsTheLabel();
    void closeHasTheFocusAndKeysPressIt_data();
    void closeHasTheFocusAndKeysPressIt();
    void escapeLeavesTheWindowOpen();
    void mainWindowIsDisabledUntilEveryWayOfClosing_data();
    void mainWindowIsDisabledUntilEveryWayOfClosing();
    void everyOpeningIsANewWindowWithTheSameText();
    void clicksOnTheDisabledMainWindowDoNothing();
};

void AboutWindowTest::hasTheDesignedFrameAndControls() {
    MainWindowFixture fixture;
    Form2* about = fixture.openAbout();
    QVERIFY(about != nullptr);

    ondrel::platform::Window& window = about->window();
    QCOMPARE(window.objectName(), std::string("Form2"));
    QCOMPARE(q(window.caption()), QStringLiteral("About this software."));
    QCOMPARE(window.clientSize().width, 562);
    QCOMPARE(window.clientSize().height, 221);
    QCOMPARE(about->Label1, window.findControl("Label1"));
    QCOMPARE(about->Command1, window.findControl("Command1"));
    QCOMPARE(q(about->Command1->text()), QStringLiteral("Close"));
    const ondrel::platform::PixelRect label = about->Label1->geometry();
    QCOMPARE(QRect(label.left, label.top, label.width, label.height), QRect(8, 0, 545, 177));
    const ondrel::platform::PixelRect button = about->Command1->geometry();
    QCOMPARE(QRect(button.left, button.top, button.width, button.height), QRect(216, 176, 113, 33));

    QWidget* const widget = qtWidget(window);
    QCOMPARE(widget->minimumSize(), widget->maximumSize());
    QVERIFY(widget->parentWidget() == nullptr);
    QVERIFY(!widget->isModal());
    QVERIFY(widget->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(widget->windowFlags() & Qt::WindowSystemMenuHint);
    QVERIFY(!(widget->windowFlags() & Qt::WindowMaximizeButtonHint));

    QLabel* const label1 = labelOf(about);
    QCOMPARE(label1, widget->findChild<QLabel*>(QStringLiteral("Label1")));
    QVERIFY(label1->wordWrap());
    QVERIFY(label1->alignment() & Qt::AlignLeft);
    QCOMPARE(label1->focusPolicy(), Qt::NoFocus);
    QCOMPARE(label1->textInteractionFlags(), Qt::NoTextInteraction);
    QCOMPARE(label1->frameShape(), QFrame::NoFrame);

    QPushButton* const command1 = closeOf(about);
    QCOMPARE(command1, widget->findChild<QPushButton*>(QStringLiteral("Command1")));
    QVERIFY(!command1->isDefault());
    QVERIFY(command1->sizeHint().width() <= command1->width());

    // The same face as the main window's controls.
    const QWidget* const main = qtWidget(fixture.form1->window());
    QCOMPARE(widget->font().family(), main->font().family());
    QCOMPARE(widget->font().pixelSize(), main->font().pixelSize());
    QCOMPARE(widget->font().weight(), QFont::Normal);
}

void AboutWindowTest::textIsVersionParagraphAndAuthorLine() {
    MainWindowFixture fixture;
    Form2* about = fixture.openAbout();
    QVERIFY(about != nullptr);
    const QString text = q(about->Label1->text());

    QVERIFY(text.startsWith(QStringLiteral("Version 3.1.1\r\n") + kFirstSentence));
    // Every line break is CR LF: no lone CR or LF anywhere.
    QCOMPARE(text.count(QLatin1Char('\r')), text.count(QStringLiteral("\r\n")));
    QCOMPARE(text.count(QLatin1Char('\n')), text.count(QStringLiteral("\r\n")));

    const QStringList lines = text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], QStringLiteral("Version 3.1.1"));

    // One paragraph of several sentences that wraps only at the label's width.
    const QString& paragraph = lines[1];
    QVERIFY(paragraph.startsWith(kFirstSentence));
    QVERIFY(paragraph.size() > kFirstSentence.size());
    QVERIFY(paragraph.count(QRegularExpression(QStringLiteral("[.!?](\\s|$)"))) >= 3);
    QVERIFY(QFontMetrics(labelOf(about)->font()).horizontalAdvance(paragraph) >
            labelOf(about)->width());

    QVERIFY(lines[2].isEmpty());
    const QString& author = lines[3];
    QVERIFY(author.contains(QStringLiteral("the Ondrel project")));
    QVERIFY(author.contains(QStringLiteral("Contact")));
    QVERIFY(!author.contains(QStringLiteral("http")));
    QVERIFY(!author.contains(QLatin1Char('@')));
}

void AboutWindowTest::textFitsTheLabel() {
    // What does not fit the label's height is cut off, so every line of the
    // text must be inside it once wrapped at its width.
    MainWindowFixture fixture;
    Form2* about = fixture.openAbout();
    QVERIFY(about != nullptr);
    QLabel* label = labelOf(about);
    QString shown = label->text();
    shown.remove(QLatin1Char('\r'));
    const QRect needed = QFontMetrics(label->font())
                             .boundingRect(label->contentsRect(),
                                           Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, shown);
    QVERIFY2(needed.height() <= label->contentsRect().height(),
             qPrintable(QStringLiteral("the text needs %1 px").arg(needed.height())));
    // It lies above the button rather than behind it.
    QVERIFY(label->geometry().top() + needed.height() <= closeOf(about)->geometry().top());
}

void AboutWindowTest::closeHasTheFocusAndKeysPressIt_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Enter);
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Space") << int(Qt::Key_Space);
}

void AboutWindowTest::closeHasTheFocusAndKeysPressIt() {
    QFETCH(int, key);
    MainWindowFixture fixture;
    Form2* about = fixture.openAbout();
    QVERIFY(about != nullptr);
    QWidget* const widget = qtWidget(about->window());
    QVERIFY(QTest::qWaitForWindowActive(widget));
    QCOMPARE(QApplication::focusWidget(), closeOf(about));
    QVERIFY(about->Command1->hasFocus());

    // Through the window, as the keyboard delivers it, to whatever has the focus.
    QTest::keyClick(widget->windowHandle(), Qt::Key(key));
    QVERIFY(!about->window().isVisible());
    QVERIFY(fixture.form1->window().isEnabled());
}

void AboutWindowTest::escapeLeavesTheWindowOpen() {
    MainWindowFixture fixture;
    Form2* about = fixture.openAbout();
    QVERIFY(about != nullptr);
    QWidget* const widget = qtWidget(about->window());
    QVERIFY(QTest::qWaitForWindowActive(widget));

    QTest::keyClick(widget->windowHandle(), Qt::Key_Escape);
    QTest::keyClick(widget, Qt::Key_Escape);
    QVERIFY(about->window().isVisible());
    QCOMPARE(fixture.form1->about(), about);
    QVERIFY(!fixture.form1->window().isEnabled());
}

void AboutWindowTest::mainWindowIsDisabledUntilEveryWayOfClosing_data() {
    QTest::addColumn<bool>("byCloseButton");
    QTest::newRow("Close") << true;
    QTest::newRow("close box") << false;
}

void AboutWindowTest::mainWindowIsDisabledUntilEveryWayOfClosing() {
    QFETCH(bool, byCloseButton);
    MainWindowFixture fixture;
    QVERIFY(fixture.form1->window().isEnabled());

    Form2* about = fixture.openAbout();
    QVERIFY(about != nullptr);
    QVERIFY(!fixture.form1->window().isEnabled());

    if (byCloseButton)
        QTest::mouseClick(closeOf(about), Qt::LeftButton);
    else
        closeFromTitleBar(about->window());
    QVERIFY(fixture.form1->window().isEnabled());
    QVERIFY(!about->window().isVisible());
    // Closing the About window is not closing the program.
    QCOMPARE(fixture.rig.programEnd.calls, 0);
    QVERIFY(fixture.form1->window().isVisible());
}

void AboutWindowTest::everyOpeningIsANewWindowWithTheSameText() {
    MainWindowFixture fixture;
    QString firstText;
    Form2* previous = nullptr;
    for (int opening = 0; opening < 3; ++opening) {
        Form2* about = fixture.openAbout();
        QVERIFY(about != nullptr);
        QVERIFY(about != previous);
        QVERIFY(!fixture.form1->window().isEnabled());
        if (opening == 0)
            firstText = q(about->Label1->text());
        QCOMPARE(q(about->Label1->text()), firstText);
        QCOMPARE(labelOf(about)->geometry(), QRect(8, 0, 545, 177));
        // The previous opening's text may not leak into this one.
        about->Label1->setText("changed while open");

        if (opening % 2 == 0)
            about->Command1->click();
        else
            closeFromTitleBar(about->window());
        QVERIFY(fixture.form1->window().isEnabled());
        QVERIFY(!about->window().isVisible());
        previous = about;
    }
}

void AboutWindowTest::clicksOnTheDisabledMainWindowDoNothing() {
    MainWindowFixture fixture;
    Form2* about = fixture.openAbout();
    QVERIFY(about != nullptr);
    const QWidgetList before = QApplication::topLevelWidgets();

    ondrel::Form1& form1 = *fixture.form1;
    ondrel::platform::Window& main = form1.window();
    QTest::mouseClick(qtWidget(main, form1.Command2), Qt::LeftButton);
    QTest::mouseClick(qtWidget(main, form1.Command3), Qt::LeftButton);
    QTest::mouseClick(qtWidget(main, form1.Command1), Qt::LeftButton);
    QTest::mouseClick(qtWidget(main, form1.Check1), Qt::LeftButton);
    // The interface's presses are refused alike.
    form1.Command2->click();
    form1.Command3->click();
    form1.Check1->click();
    closeFromTitleBar(main);

    QCOMPARE(QApplication::topLevelWidgets().size(), before.size());
    QCOMPARE(form1.about(), about);
    QVERIFY(form1.setting() == nullptr);
    QCOMPARE(q(form1.Command1->text()), QStringLiteral("START!"));
    QVERIFY(!form1.Check1->isChecked());
    QVERIFY(main.isVisible());
    QCOMPARE(fixture.rig.programEnd.calls, 0);
    QVERIFY(about->window().isVisible());
}

QTEST_MAIN(AboutWindowTest)
#include "test_about_window.moc"
