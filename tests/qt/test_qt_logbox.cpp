// The Qt log box widget: CR LF text as the program wrote it, the caret counted in it.

#include "platform/qt/QtLogBoxWidget.h"

#include <QTest>

using namespace Qt::StringLiterals;
using LogBox = ondrel::platform::QtLogBoxWidget;

class TestLogBox : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keepsTheTextAsWritten();
    void appendsAtTheEnd();
    void countsTheCaretInTheLogText_data();
    void countsTheCaretInTheLogText();
    void followsTheUserAfterAnEdit();
};

void TestLogBox::keepsTheTextAsWritten() {
    LogBox box;
    // A non-breaking space in a file name must not come back as a plain one.
    const QString text = u"/m/a\u00a0b.mp3\r\n\r\n**Number of file(s): 1"_s;
    box.setText(text);
    QCOMPARE(box.text(), text);
    // The widget shows lines, not the CR characters.
    QCOMPARE(box.document()->blockCount(), 3);
    QVERIFY(!box.toPlainText().contains(u'\r'));
}

void TestLogBox::appendsAtTheEnd() {
    LogBox box;
    box.setText(u"one\r\n"_s);
    box.append(u"No. 1: a..."_s);
    box.append(u" SUCCESS\r\n"_s);
    QCOMPARE(box.text(), u"one\r\nNo. 1: a... SUCCESS\r\n"_s);
    QCOMPARE(box.document()->blockCount(), 3);
}

void TestLogBox::countsTheCaretInTheLogText_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("widgetPosition");
    // "ab" CR LF "cd" CR LF: the widget holds "ab\ncd\n".
    QTest::newRow("start") << 0 << 0;
    QTest::newRow("inside the first line") << 1 << 1;
    QTest::newRow("after the first break") << 4 << 3;
    QTest::newRow("inside the second line") << 5 << 4;
    QTest::newRow("end") << 8 << 6;
    QTest::newRow("beyond the end is the end") << 50 << 6;
}

void TestLogBox::countsTheCaretInTheLogText() {
    QFETCH(int, position);
    QFETCH(int, widgetPosition);
    LogBox box;
    box.setText(u"ab\r\ncd\r\n"_s);
    box.setSelectionStart(position);
    QCOMPARE(box.textCursor().position(), widgetPosition);
    QCOMPARE(box.selectionStart(), std::min<qsizetype>(position, 8));
}

void TestLogBox::followsTheUserAfterAnEdit() {
    LogBox box;
    box.setText(u"ab\r\ncd"_s);
    box.setSelectionStart(box.text().size());
    QTest::keyClicks(&box, u"e"_s);
    QCOMPARE(box.text(), u"ab\r\ncde"_s);
    // The program's next write goes after the user's text.
    box.append(u"\r\nf"_s);
    QCOMPARE(box.text(), u"ab\r\ncde\r\nf"_s);
}

QTEST_MAIN(TestLogBox)
#include "test_qt_logbox.moc"
