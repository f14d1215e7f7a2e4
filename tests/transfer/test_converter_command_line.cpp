// The converter's command line read back the way the converter's start splits
// it: the source and the temporary file arrive as exactly the paths given.

#include "platform/CommandLine.h"
#include "transfer/ConverterRunner.h"

#include <QTest>

#include <string>
#include <vector>

using ondrel::ConverterRunner;
using ondrel::platform::splitCommandLine;

class TestConverterCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pathsArriveExactly_data();
    void pathsArriveExactly();
    void ordinaryNamesAreInsertedAsTheyAre();
};

void TestConverterCommandLine::pathsArriveExactly_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("tempFile");

    QTest::newRow("plain") << QStringLiteral("/m/song.mp3") << QStringLiteral("/t/song.mp4");
    QTest::newRow("spaces") << QStringLiteral("/my m/a b.mp3") << QStringLiteral("/t t/a b.mp4");
    QTest::newRow("backslash inside")
        << QStringLiteral("/m/a\\b.mp3") << QStringLiteral("/t/a\\b.mp4");
    QTest::newRow("backslash before a space")
        << QStringLiteral("/m/a\\ b.mp3") << QStringLiteral("/t/a\\ b.mp4");
    QTest::newRow("one trailing backslash")
        << QStringLiteral("/m/trail\\") << QStringLiteral("/t/trail\\.mp4");
    QTest::newRow("two trailing backslashes")
        << QStringLiteral("/m/two\\\\") << QStringLiteral("/t/two\\\\.mp4");
    QTest::newRow("three trailing backslashes")
        << QStringLiteral("/m/x y\\\\\\") << QStringLiteral("/t/x y\\\\\\.mp4");
    QTest::newRow("only backslashes") << QStringLiteral("\\\\") << QStringLiteral("\\.mp4");
    QTest::newRow("empty source") << QString() << QStringLiteral("/t/.mp4");
}

void TestConverterCommandLine::pathsArriveExactly() {
    QFETCH(QString, source);
    QFETCH(QString, tempFile);
    for (const bool kdh : {false, true}) {
        const std::vector<std::string> arguments = splitCommandLine(ConverterRunner::commandLine(
            "/opt/on drel", source.toStdString(), tempFile.toStdString(), kdh));
        QCOMPARE(arguments.front(),
                 std::string(kdh ? "/opt/on drel/kdh.exe" : "/opt/on drel/ffmpeg.exe"));
        QCOMPARE(arguments.size(), std::size_t{kdh ? 29u : 9u});
        QCOMPARE(arguments[arguments.size() - 3], std::string("-i"));
        QCOMPARE(arguments[arguments.size() - 2], source.toStdString());
        QCOMPARE(arguments.back(), tempFile.toStdString());
    }
}

void TestConverterCommandLine::ordinaryNamesAreInsertedAsTheyAre() {
    QCOMPARE(ConverterRunner::commandLine("/p", "/m/a\\b c.mp3", "/t/a\\b c.mp4", false),
             std::string("\"/p/ffmpeg.exe\" -vn -ab 128k -ar 44100 -i \"/m/a\\b c.mp3\" "
                         "\"/t/a\\b c.mp4\""));
}

QTEST_APPLESS_MAIN(TestConverterCommandLine)
#include "test_converter_command_line.moc"
