// The argument text turned into entries, display names and paths.

#include "app/ArgumentTokenizer.h"
#include "app/LaunchListBuilder.h"
#include "app/LongFilename.h"
#include "platform/FileSystem.h"
#include "tests/support/TestRig.h"

#include <QTest>

#include <map>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;
using ondrel::ArgumentTokenizer;
using ondrel::LaunchFileList;
using ondrel::LaunchListBuilder;
using ondrel::LongFilename;

namespace {

QStringList toList(const std::vector<std::string>& tokens) {
    QStringList list;
    for (const std::string& token : tokens)
        list.append(QString::fromStdString(token));
    return list;
}

// A file system whose only working call is the entry look-up, answered from a
// table of stored names, so the walk's look-ups can be seen one by one.
class LookupTable : public ondrel::platform::FileSystem {
public:
    bool FolderExists(const std::string&) const override { return false; }
    void CreateFolder(const std::string&) override {}
    bool FileExists(const std::string&) const override { return false; }
    std::string GetExtensionName(const std::string&) const override { return ""; }
    std::string GetBaseName(const std::string&) const override { return ""; }
    void CopyFile(const std::string&, const std::string&, bool) override {}
    void DeleteFile(const std::string&, bool) override {}
    bool sameFile(const std::string&, const std::string&) const override { return false; }
    bool isOwnFile(const std::string&) const override { return false; }
    std::string createFreeFile(const std::function<std::string(int)>&, int) override { return {}; }
    std::uint64_t ownFileSize(const std::string&) const override { return 0; }
    void removeEmptyOwnFile(const std::string&) override {}
    std::string readFileBytes(const std::string&, std::uint64_t, std::size_t) const override {
        return {};
    }
    bool copyOwnFile(const std::string&, const std::string&) override { return false; }
    std::string copyOwnFileToFreeName(const std::string&, const std::function<std::string(int)>&,
                                      int) override {
        return {};
    }
    bool copyReadableFile(const std::string&, const std::string&) override { return false; }
    std::string folderOnVolumeProblem(const std::string&, const std::string&) const override {
        return {};
    }
    std::string temporaryFolderProblem(const std::string&) const override { return {}; }

    std::string LookupEntryName(const std::string& path) override {
        lookedUp.push_back(path);
        const auto found = stored.find(path);
        return found == stored.end() ? std::string() : found->second;
    }

    std::map<std::string, std::string> stored;
    std::vector<std::string> lookedUp;
};

} // namespace

class TestLaunchList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tokenizes_data();
    void tokenizes();
    void keepsOnlyTheEntriesThatFit();
    void stripsOnlyALeadingQuote_data();
    void stripsOnlyALeadingQuote();
    void buildsPathsAndDisplayNames();
    void looksUpOnlyUnquotedEntries();
    void completesRelativeEntries();
    void longFilenameWalksEveryComponent();
    void longFilenameOnRealFolders();
};

// Each row names the tokeniser state and the character class it exercises.
void TestLaunchList::tokenizes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("tokens");

    // Between entries.
    QTest::newRow("between: quote opens a quoted entry")
        << u"\"a b\""_s << QStringList{u"\"a b\""_s};
    QTest::newRow("between: spaces are skipped") << u"   a"_s << QStringList{u"a"_s};
    QTest::newRow("between: other starts an unquoted entry") << u"ab"_s << QStringList{u"ab"_s};
    // Inside quotes.
    QTest::newRow("quoted: quote closes") << u"\"a\" b"_s << QStringList{u"\"a\""_s, u"b"_s};
    QTest::newRow("quoted: space is kept") << u"\"a  b\""_s << QStringList{u"\"a  b\""_s};
    QTest::newRow("quoted: other is kept") << u"\"x\ty\""_s << QStringList{u"\"x\ty\""_s};
    // A quote seen inside quotes.
    QTest::newRow("after quote: quote keeps both")
        << u"\"a\"\"b\""_s << QStringList{u"\"a\"\"b\""_s};
    QTest::newRow("after quote: space stores")
        << u"\"a\" \"b\""_s << QStringList{u"\"a\""_s, u"\"b\""_s};
    QTest::newRow("after quote: other is dropped")
        << u"\"a\"xyz b"_s << QStringList{u"\"a\""_s, u"b"_s};
    // Without quotes.
    QTest::newRow("unquoted: quote is ordinary") << u"a\"b c"_s << QStringList{u"a\"b"_s, u"c"_s};
    QTest::newRow("unquoted: space stores") << u"a b"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("unquoted: tab is ordinary") << u"a\tb c"_s << QStringList{u"a\tb"_s, u"c"_s};
    // The state at the end of the text.
    QTest::newRow("end between entries") << u"a "_s << QStringList{u"a"_s};
    QTest::newRow("end inside quotes loses the entry") << u"a \"b c"_s << QStringList{u"a"_s};
    QTest::newRow("end after a quote stores") << u"a \"b\""_s << QStringList{u"a"_s, u"\"b\""_s};
    QTest::newRow("end without quotes stores") << u"a bc"_s << QStringList{u"a"_s, u"bc"_s};

    QTest::newRow("empty text") << u""_s << QStringList{};
    QTest::newRow("spaces only") << u"     "_s << QStringList{};
    QTest::newRow("two quoted paths, three spaces apart")
        << u"\"/m/my song.mp3\"   \"/m/your song.mp3\""_s
        << QStringList{u"\"/m/my song.mp3\""_s, u"\"/m/your song.mp3\""_s};
    QTest::newRow("characters after a closing quote are lost")
        << u"\"/m/a b.mp3\"tail /m/c.mp3"_s << QStringList{u"\"/m/a b.mp3\""_s, u"/m/c.mp3"_s};
    QTest::newRow("a quote after a closing quote reopens")
        << u"\"a\"x\"b c\" d"_s << QStringList{u"\"a\"\"b c\""_s, u"d"_s};
    QTest::newRow("empty pair before a space") << u"\"\" x"_s << QStringList{u"\"\""_s, u"x"_s};
    QTest::newRow("empty pair at the end") << u"x \"\""_s << QStringList{u"x"_s, u"\"\""_s};
    QTest::newRow("non-ASCII passes through")
        << (u"/m/\u00e9t\u00e9.mp3 \"/m/\u00a0x\""_s)
        << QStringList{(u"/m/\u00e9t\u00e9.mp3"_s), (u"\"/m/\u00a0x\""_s)};
}

void TestLaunchList::tokenizes() {
    QFETCH(QString, text);
    QFETCH(QStringList, tokens);
    const ArgumentTokenizer::Result result = ArgumentTokenizer::tokenize(text.toStdString(), 100);
    QCOMPARE(toList(result.tokens), tokens);
    QCOMPARE(result.leftOut, std::size_t{0});
}

void TestLaunchList::keepsOnlyTheEntriesThatFit() {
    // The last entry ends with the text, the one before it in quotes: both
    // roads of storing are counted once the list is full.
    const ArgumentTokenizer::Result result = ArgumentTokenizer::tokenize("a b c \"d e\" f", 2);
    QCOMPARE(toList(result.tokens), (QStringList{u"a"_s, u"b"_s}));
    QCOMPARE(result.leftOut, std::size_t{3});
}

void TestLaunchList::stripsOnlyALeadingQuote_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stripped");
    QTest::newRow("quoted") << u"\"a b\""_s << u"a b"_s;
    QTest::newRow("empty pair") << u"\"\""_s << u""_s;
    QTest::newRow("doubled quotes inside stay") << u"\"a\"\"b\""_s << u"a\"\"b"_s;
    QTest::newRow("unquoted") << u"a\"b\""_s << u"a\"b\""_s;
    QTest::newRow("empty") << u""_s << u""_s;
}

void TestLaunchList::stripsOnlyALeadingQuote() {
    QFETCH(QString, text);
    QFETCH(QString, stripped);
    QCOMPARE(QString::fromStdString(LaunchListBuilder::stripQuotes(text.toStdString())), stripped);
}

// The current folder of these tests: a relative entry is completed against it.
std::string fullPath(const std::string& path) {
    return path.empty() || path.front() == '/' ? path : "/cwd/" + path;
}

void TestLaunchList::buildsPathsAndDisplayNames() {
    const LaunchListBuilder builder([](const std::string& path) { return "LONG:" + path; },
                                    fullPath);
    LaunchFileList list;
    const std::size_t leftOut =
        builder.build("/m/a.mp3   \"/m/b c.mp3\" \"\" \"/m/d\"\"e.mp3\" /m/f\"g", list);
    QCOMPARE(leftOut, std::size_t{0});
    QCOMPARE(list.FileCount, std::int16_t{5});
    const std::vector<std::string> paths{"/m/a.mp3", "/m/b c.mp3", "", "/m/d\"\"e.mp3", "/m/f\"g"};
    const std::vector<std::string> names{"LONG:/m/a.mp3", "/m/b c.mp3", "", "/m/d\"\"e.mp3",
                                         "LONG:/m/f\"g"};
    for (std::size_t i = 0; i < paths.size(); ++i) {
        QCOMPARE(list.SourcePaths[i], paths[i]);
        QCOMPARE(list.DisplayNames[i], names[i]);
    }
    QVERIFY(list.SourcePaths[5].empty());
    QVERIFY(list.DisplayNames[5].empty());
}

void TestLaunchList::looksUpOnlyUnquotedEntries() {
    std::vector<std::string> lookedUp;
    const LaunchListBuilder builder(
        [&](const std::string& path) {
            lookedUp.push_back(path);
            return std::string();
        },
        fullPath);
    LaunchFileList list;
    builder.build("\"/q/x.mp3\" /u/y.mp3 \"/q/z.mp3\"", list);
    QCOMPARE(lookedUp, std::vector<std::string>{"/u/y.mp3"});
    // A path that cannot be looked up shows as an empty name but keeps its path.
    QCOMPARE(list.DisplayNames[1], std::string());
    QCOMPARE(list.SourcePaths[1], std::string("/u/y.mp3"));
}

// As given on a console: the entries name files of the current folder. The
// list holds their full paths, and the long form, the folder test and the
// batch see only those.
void TestLaunchList::completesRelativeEntries() {
    std::vector<std::string> completed;
    std::vector<std::string> lookedUp;
    const LaunchListBuilder builder(
        [&](const std::string& path) {
            lookedUp.push_back(path);
            return "LONG:" + path;
        },
        [&](const std::string& path) {
            completed.push_back(path);
            return fullPath(path);
        });
    LaunchFileList list;
    builder.build("song.mp3 \"rel song.m4a\" sub/x.mp3 \"\" /abs/y.mp3 \"../up.mp3\"", list);

    QCOMPARE(list.FileCount, std::int16_t{6});
    const std::vector<std::string> paths{"/cwd/song.mp3", "/cwd/rel song.m4a", "/cwd/sub/x.mp3", "",
                                         "/abs/y.mp3",    "/cwd/../up.mp3"};
    const std::vector<std::string> names{"LONG:/cwd/song.mp3",  "/cwd/rel song.m4a",
                                         "LONG:/cwd/sub/x.mp3", "",
                                         "LONG:/abs/y.mp3",     "/cwd/../up.mp3"};
    for (std::size_t i = 0; i < paths.size(); ++i) {
        QCOMPARE(list.SourcePaths[i], paths[i]);
        QCOMPARE(list.DisplayNames[i], names[i]);
    }
    // Each entry is completed once, without its quotes, before its long form is sought.
    QCOMPARE(completed, (std::vector<std::string>{"song.mp3", "rel song.m4a", "sub/x.mp3", "",
                                                  "/abs/y.mp3", "../up.mp3"}));
    QCOMPARE(lookedUp, (std::vector<std::string>{"/cwd/song.mp3", "/cwd/sub/x.mp3", "/abs/y.mp3"}));
}

void TestLaunchList::longFilenameWalksEveryComponent() {
    LookupTable fileSystem;
    fileSystem.stored = {{"/music", "Music"}, {"/music/a.mp3", "A.mp3"}};
    const LongFilename longName(fileSystem);

    QCOMPARE(longName.of("/music/a.mp3"), std::string("/Music/A.mp3"));
    QCOMPARE(fileSystem.lookedUp, (std::vector<std::string>{"/music", "/music/a.mp3"}));

    // A folder already walked is not looked up again; the file always is.
    fileSystem.stored["/music/b.mp3"] = "b.mp3";
    fileSystem.lookedUp.clear();
    QCOMPARE(longName.of("/music/b.mp3"), std::string("/Music/b.mp3"));
    QCOMPARE(longName.of("/music/b.mp3"), std::string("/Music/b.mp3"));
    QCOMPARE(fileSystem.lookedUp, (std::vector<std::string>{"/music/b.mp3", "/music/b.mp3"}));

    // The walk stops at the first component that is not found.
    fileSystem.lookedUp.clear();
    QCOMPARE(longName.of("/gone/a.mp3"), std::string());
    QCOMPARE(fileSystem.lookedUp, std::vector<std::string>{"/gone"});

    // Without the root there is nothing to look up from.
    fileSystem.lookedUp.clear();
    QCOMPARE(longName.of("music/a.mp3"), std::string());
    QCOMPARE(longName.of(""), std::string());
    QVERIFY(fileSystem.lookedUp.empty());
}

void TestLaunchList::longFilenameOnRealFolders() {
    ondrel::test::TestRig rig;
    const std::string file = rig.writeFile("Some Folder/Song.MP3", "x");
    const LongFilename longName(rig.services().fileSystem);

    QCOMPARE(longName.of(file), file);
    // Names are stored case-sensitively here: another spelling is another entry.
    QCOMPARE(longName.of(rig.makeFolder("Some Folder") + "/song.mp3"), std::string());
    QCOMPARE(longName.of(rig.home() + "/missing/Song.MP3"), std::string());
}

QTEST_MAIN(TestLaunchList)
#include "test_launchlist.moc"
