// The argument text formed from arguments the system hands over already split,
// read back by the launch tokeniser: one argument is always one entry, and an
// entry that is not its argument's file is one the batch refuses to touch.

#include "app/LaunchListBuilder.h"
#include "platform/CommandLine.h"
#include "transfer/ConverterRunner.h"

#include <QTest>

#include <string>
#include <vector>

using ondrel::ConverterRunner;
using ondrel::LaunchFileList;
using ondrel::LaunchListBuilder;
using ondrel::platform::joinArguments;
using ondrel::platform::mayNameAnotherFile;

namespace {

// The launch list for these arguments, started in this folder.
LaunchFileList listFor(const std::vector<std::string>& arguments, const std::string& folder) {
    LaunchFileList list;
    // The long-name walk plays no part here: every entry shows its path. The
    // entries are full already; one that were not would be completed against
    // the same folder.
    const LaunchListBuilder builder([](const std::string& path) { return path; },
                                    [&folder](const std::string& path) {
                                        return path.empty() || path.front() == '/'
                                                   ? path
                                                   : folder + "/" + path;
                                    });
    builder.build(joinArguments(arguments, folder), list);
    return list;
}

} // namespace

class TestArgumentText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void oneArgumentIsOneEntry_data();
    void oneArgumentIsOneEntry();
    void plainNamesStayExact();
};

void TestArgumentText::oneArgumentIsOneEntry_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("argument");

    const QString plain = QStringLiteral("/home/user/Music");
    const QString spaced = QStringLiteral("/home/user/my music");
    for (const QString& folder : {plain, spaced}) {
        const QByteArray where = folder == plain ? "" : " (folder with a space)";
        QTest::newRow("quote and space" + where) << folder << QStringLiteral("src/x\" y.mp3");
        QTest::newRow("quotes around the name" + where) << folder << QStringLiteral("\"q\"");
        QTest::newRow("two quotes in a row and a space" + where)
            << folder << QStringLiteral("a\"\" b.mp3");
        QTest::newRow("a lone quote" + where) << folder << QStringLiteral("\"");
        QTest::newRow("a quote and a trailing space" + where) << folder << QStringLiteral("x\" ");
        QTest::newRow("a quote with nothing else but spaces" + where)
            << folder << QStringLiteral(" \" ");
        QTest::newRow("quote, no space" + where) << folder << QStringLiteral("say\"hi\".mp3");
        QTest::newRow("space, no quote" + where) << folder << QStringLiteral("two words.mp3");
        QTest::newRow("a space alone" + where) << folder << QStringLiteral(" ");
        QTest::newRow("absolute, quoted at both ends" + where)
            << folder << QStringLiteral("/\"a b\"");
    }
}

void TestArgumentText::oneArgumentIsOneEntry() {
    QFETCH(QString, folder);
    QFETCH(QString, argument);
    const std::string arg = argument.toStdString();
    const std::string cwd = folder.toStdString();
    const std::string absolute = arg.front() == '/' ? arg : cwd + "/" + arg;

    // Alone, and between two plain neighbours that must stay whole too.
    const LaunchFileList alone = listFor({arg}, cwd);
    QCOMPARE(alone.FileCount, std::int16_t{1});
    const LaunchFileList among = listFor({"/a.mp3", arg, "/b c.mp3"}, cwd);
    QCOMPARE(among.FileCount, std::int16_t{3});
    QCOMPARE(among.SourcePaths[0], std::string("/a.mp3"));
    QCOMPARE(among.SourcePaths[2], std::string("/b c.mp3"));
    QCOMPARE(among.SourcePaths[1], alone.SourcePaths[0]);

    const std::string& entry = alone.SourcePaths[0];
    QCOMPARE(alone.DisplayNames[0], entry);
    if (entry == absolute)
        return;
    // Not the argument's own file: then it is one no step may take for a file.
    QVERIFY2(entry.find('"') != std::string::npos, entry.c_str());
    QVERIFY2(mayNameAnotherFile(entry), entry.c_str());
    QVERIFY(!ConverterRunner::reachesConverterIntact(entry));
}

void TestArgumentText::plainNamesStayExact() {
    const std::string cwd = "/home/user/my music";
    const LaunchFileList list =
        listFor({"song.mp3", "two words.mp3", "say\"hi\".mp3", "/it's\ta.mp3"}, cwd);
    QCOMPARE(list.FileCount, std::int16_t{4});
    QCOMPARE(list.SourcePaths[0], cwd + "/song.mp3");
    QCOMPARE(list.SourcePaths[1], cwd + "/two words.mp3");
    QCOMPARE(list.SourcePaths[3], std::string("/it's\ta.mp3"));
    for (int i : {0, 1, 3})
        QVERIFY(!mayNameAnotherFile(list.SourcePaths[i]));
    // Without a space a quote is an ordinary character of an unquoted entry;
    // the folder's space forces quotes, so this one cannot be exact.
    QVERIFY(mayNameAnotherFile(list.SourcePaths[2]));
    QCOMPARE(listFor({"say\"hi\".mp3"}, "/home/user").SourcePaths[0],
             std::string("/home/user/say\"hi\".mp3"));
    QVERIFY(!mayNameAnotherFile("/home/user/say\"hi\".mp3"));
}

QTEST_APPLESS_MAIN(TestArgumentText)
#include "test_argument_text.moc"
