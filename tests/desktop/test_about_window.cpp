#include "tests/desktop/MainWindowFixture.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QWindow>

using ondrel::Form2;
using ondrel::test::MainWindowFixture;

namespace {

const QString kFirstSentence = QStringLiteral("Thank you for using my application.");

// The close box of the title bar and the window menu's close command reach the
// window through its platform window, as this does.
void closeFromTitleBar(QWidget* window) {
    window->windowHandle()->close();
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

    QCOMPARE(about->windowTitle(), QStringLiteral("About this software."));
    QCOMPARE(about->size(), QSize(562, 221));
    QCOMPARE(about->minimumSize(), about->maximumSize());
    QVERIFY(about->parentWidget() == nullptr);
    QVERIFY(!about->isModal());
    QVERIFY(about->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(about->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(about->windowFlags() & Qt::WindowSystemMenuHint);
    QVERIFY(!(about->windowFlags() & Qt::WindowMaximizeButtonHint));

    QCOMPARE(about->Label1, about->findChild<QLabel*>(QStringLiteral("Label1")));
    QCOMPARE(about->Label1->geometry(), QRect(8, 0, 545, 177));
    QVERIFY(about->Label1->wordWrap());
    QVERIFY(about->Label1->alignment() & Qt::AlignLeft);
    QCOMPARE(about->Label1->focusPolicy(), Qt::NoFocus);
    QCOMPARE(about->Label1->textInteractionFlags(), Qt::NoTextInteraction);
    QCOMPARE(about->Label1->frameShape(), QFrame::NoFrame);

    QCOMPARE(about->Command1, about->findChild<QPushButton*>(QStringLiteral("Command1")));
    QCOMPARE(about->Command1->text(), QStringLiteral("Close"));
    QCOMPARE(about->Command1->geometry(), QRect(216, 176, 113, 33));
    QVERIFY(!about->Command1->isDefault());
    QVERIFY(about->Command1->sizeHint().width() <= about->Command1->width());

    // The same face as the main window's controls.
    QCOMPARE(about->font().family(), fixture.form1->font().family());
    QCOMPARE(about->font().pixelSize(), fixture.form1->font().pixelSize());
    QCOMPARE(about->font().weight(), QFont::Normal);
}

void AboutWindowTest::textIsVersionParagraphAndAuthorLine() {
    MainWindowFixture fixture;
    Form2* about = fixture.openAbout();
    QVERIFY(about != nullptr);
    const QString text = about->Label1->text();

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
    QVERIFY(QFontMetrics(about->Label1->font()).horizontalAdvance(paragraph) >
            about->Label1->width());

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
    QLabel* label = about->Label1;
    QString shown = label->text();
    shown.remove(QLatin1Char('\r'));
    const QRect needed = QFontMetrics(label->font())
                             .boundingRect(label->contentsRect(),
                                           Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, shown);
    QVERIFY2(needed.height() <= label->contentsRect().height(),
             qPrintable(QStringLiteral("the text needs %1 px").arg(needed.height())));
    // It lies above the button rather than behind it.
    QVERIFY(label->geometry().top() + needed.height() <= about->Command1->geometry().top());
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
    QPointer<Form2> about = fixture.openAbout();
    QVERIFY(about != nullptr);
    QVERIFY(QTest::qWaitForWindowActive(about));
    QCOMPARE(QApplication::focusWidget(), about->Command1);

    // Through the window, as the keyboard delivers it, to whatever has the focus.
    QTest::keyClick(about->windowHandle(), Qt::Key(key));
    MainWindowFixture::flushDeletes();
    QVERIFY(about.isNull());
    QVERIFY(fixture.form1->isEnabled());
}

void AboutWindowTest::escapeLeavesTheWindowOpen() {
    MainWindowFixture fixture;
    QPointer<Form2> about = fixture.openAbout();
    QVERIFY(about != nullptr);
    QVERIFY(QTest::qWaitForWindowActive(about));

    QTest::keyClick(about->windowHandle(), Qt::Key_Escape);
    QTest::keyClick(about, Qt::Key_Escape);
    MainWindowFixture::flushDeletes();
    QVERIFY(!about.isNull());
    QVERIFY(about->isVisible());
    QVERIFY(!fixture.form1->isEnabled());
}

void AboutWindowTest::mainWindowIsDisabledUntilEveryWayOfClosing_data() {
    QTest::addColumn<bool>("byCloseButton");
    QTest::newRow("Close") << true;
    QTest::newRow("close box") << false;
}

void AboutWindowTest::mainWindowIsDisabledUntilEveryWayOfClosing() {
    QFETCH(bool, byCloseButton);
    MainWindowFixture fixture;
    QVERIFY(fixture.form1->isEnabled());

    QPointer<Form2> about = fixture.openAbout();
    QVERIFY(about != nullptr);
    QVERIFY(!fixture.form1->isEnabled());

    if (byCloseButton)
        QTest::mouseClick(about->Command1, Qt::LeftButton);
    else
        closeFromTitleBar(about);
    QVERIFY(fixture.form1->isEnabled());
    MainWindowFixture::flushDeletes();
    QVERIFY(about.isNull());
    // Closing the About window is not closing the program.
    QCOMPARE(fixture.rig.programEnd.calls, 0);
    QVERIFY(fixture.form1->isVisible());
}

void AboutWindowTest::everyOpeningIsANewWindowWithTheSameText() {
    MainWindowFixture fixture;
    QString firstText;
    for (int opening = 0; opening < 3; ++opening) {
        QPointer<Form2> about = fixture.openAbout();
        QVERIFY(about != nullptr);
        QVERIFY(!fixture.form1->isEnabled());
        if (opening == 0)
            firstText = about->Label1->text();
        QCOMPARE(about->Label1->text(), firstText);
        QCOMPARE(about->Label1->geometry(), QRect(8, 0, 545, 177));
        // The previous opening's text may not leak into this one.
        about->Label1->setText(QStringLiteral("changed while open"));

        if (opening % 2 == 0)
            about->Command1->click();
        else
            closeFromTitleBar(about);
        QVERIFY(fixture.form1->isEnabled());
        MainWindowFixture::flushDeletes();
        QVERIFY(about.isNull());
    }
}

void AboutWindowTest::clicksOnTheDisabledMainWindowDoNothing() {
    MainWindowFixture fixture;
    Form2* about = fixture.openAbout();
    QVERIFY(about != nullptr);
    const QWidgetList before = QApplication::topLevelWidgets();

    QTest::mouseClick(fixture.form1->Command2, Qt::LeftButton);
    QTest::mouseClick(fixture.form1->Command3, Qt::LeftButton);
    QTest::mouseClick(fixture.form1->Command1, Qt::LeftButton);
    QTest::mouseClick(fixture.form1->Check1, Qt::LeftButton);
    closeFromTitleBar(fixture.form1.get());

    QCOMPARE(QApplication::topLevelWidgets().size(), before.size());
    QCOMPARE(fixture.form1->Command1->text(), QStringLiteral("START!"));
    QVERIFY(!fixture.form1->Check1->isChecked());
    QVERIFY(fixture.form1->isVisible());
    QCOMPARE(fixture.rig.programEnd.calls, 0);
    QVERIFY(about->isVisible());
}

QTEST_MAIN(AboutWindowTest)
#include "test_about_window.moc"
