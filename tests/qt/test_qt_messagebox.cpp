// The message box on screen: caption, single button, no icon, the text as given.

#include "platform/qt/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class TestQtMessageBox : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsTheTextModallyWithOneButton();
};

void TestQtMessageBox::showsTheTextModallyWithOneButton() {
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::Warning;
    qsizetype buttons = 0;
    bool modal = false;
    int tries = 0;
    // Runs inside the box's own event loop and dismisses it with its button.
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            if (++tries > 500)
                QApplication::exit(1);
            return;
        }
        poll.stop();
        title = box->windowTitle();
        text = box->text();
        format = box->textFormat();
        icon = box->icon();
        buttons = box->buttons().size();
        modal = box->isModal();
        box->button(QMessageBox::Ok)->click();
    });
    poll.start();

    ondrel::platform::QtWindowSystem windows("test_qt_messagebox");
    ondrel::platform::QtMessageBox box(windows);
    box.show("/m/<b>a</b>\r\n\r\nI'm sorry.");

    QCOMPARE(title, u"Ondrel"_s);
    // The line breaks show as breaks; a name that looks like markup stays text.
    QCOMPARE(text, u"/m/<b>a</b>\n\nI'm sorry."_s);
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(buttons, qsizetype{1});
    QVERIFY(modal);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

QTEST_MAIN(TestQtMessageBox)
#include "test_qt_messagebox.moc"
