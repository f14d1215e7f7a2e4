// The batch and the program's end on a machine that is hostile or unlucky:
// odd names, a temporary folder that cannot be used, a card in the way of
// itself, a settings file that cannot be read.

#include "platform/CommandLine.h"
#include "tests/support/Mp4Samples.h"
#include "tests/transfer/BatchHarness.h"

#include <QTest>

#include <sys/stat.h>

#include <filesystem>

using namespace ondrel;
using namespace ondrel::test;
using ondrel::test::mp4::aacSong;

namespace {

const QString kFinished = QStringLiteral("Finished transferring the music file(s) to DS.");

QString logLine(int number, const std::string& displayName, const char* outcome) {
    return QStringLiteral("\r\nNo. ") + QString::number(number) + QStringLiteral(": ") +
           q(displayName) + QStringLiteral("...") + QString::fromLatin1(outcome);
}

void checkFinished(BatchHarness& h) {
    QVERIFY2(h.rig.messageBox.texts.isEmpty(),
             qPrintable(h.rig.messageBox.texts.value(0, QString())));
    QCOMPARE(q(h.form->Label2->text()), kFinished);
    QCOMPARE(q(h.form->Command1->text()), QStringLiteral("FINISH"));
    QCOMPARE(h.rig.programEnd.calls, 0);
    QVERIFY2(h.rig.messageBox.texts.isEmpty(),
             qPrintable(h.rig.messageBox.texts.value(0, QString())));
}

// The error road, with a message in the user's terms.
void checkEndedWith(BatchHarness& h, const QString& place, const std::string& path,
                    const QString& reason, const QString& innerStep) {
    QCOMPARE(h.rig.messageBox.texts.size(), 1);
    const QString text = h.rig.messageBox.texts.first();
    QVERIFY2(text.startsWith(place), qPrintable(text));
    QVERIFY2(text.contains(q(path)), qPrintable(text));
    QVERIFY2(text.contains(reason), qPrintable(text));
    QVERIFY2(!text.contains(innerStep), qPrintable(text));
    QCOMPARE(h.rig.programEnd.calls, 1);
    QVERIFY(BatchHarness::readText(h.rig.configFile()).find("Kdh=") != std::string::npos);
}

} // namespace

class HostileMachineTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nameWithQuoteAndSpaceNeverTransfersAnotherFile();
    void nameEndingInABackslashReachesTheConverterWhole();
    void nameThatIsNotUtf8ArrivesWithASubstitute();
    void unusableTemporaryFolderIsNamedAsSuch();
    void musicBeingAFileIsNamedAsSuch();
    void unreadableSettingsFileIsReplacedOnClose();
    void temporaryFolderThatCannotBeUsedIsRefusedAtStart();
    void programFolderWithAQuoteIsRefusedAtStart();
    void musicFolderLeadingOutOfTheCardIsRefused();
    void dotDotIsLeftToTheSystem();
    void m4aThatIsNoLongerAFileFailsAloneAsAnMp3Does();
};

void HostileMachineTest::nameWithQuoteAndSpaceNeverTransfersAnotherFile() {
    BatchHarness h;
    const std::string card = h.addCard('D');
    const std::string src = h.rig.makeFolder("src");
    // The unrelated files that the names' first parts would name.
    h.rig.writeFile("src/x", "not this one");
    h.rig.writeFile("src/q", "nor this one");
    h.rig.writeFile("src/x\" y.mp3", "mp3");
    h.rig.writeFile("src/x\" y.m4a", "m4a");
    h.rig.writeFile("src/\"q\"", "quoted name");
    h.rig.writeFile("src/plain.mp3", "mp3");
    // The arguments as the system hands them over, in a folder with a space.
    h.rig.makeFolder("src/my music");
    // The system, not the text, resolves "..".
    const std::string plain = src + "/my music/../plain.mp3";
    h.load(platform::joinArguments({"../x\" y.mp3", "../x\" y.m4a", "../\"q\"", "../plain.mp3"},
                                   src + "/my music"));
    QCOMPARE(h.form->FileList.FileCount, std::int16_t{4});
    const QString before = h.log();

    h.press();

    checkFinished(h);
    QString expected = before;
    for (int i = 0; i < 3; ++i)
        expected +=
            logLine(i + 1, h.form->FileList.DisplayNames[static_cast<std::size_t>(i)], " FAIL");
    expected += logLine(4, plain, " SUCCESS") + QStringLiteral("\r\n**Finished**");
    QCOMPARE(h.log(), expected);
    // Only the plain file reached a converter, and only it reached the card.
    QCOMPARE(h.calls().size(), std::size_t{1});
    QCOMPARE(h.calls()[0][7], plain);
    std::vector<std::string> onCard;
    for (const auto& entry : std::filesystem::directory_iterator(card + "/Music"))
        onCard.push_back(entry.path().filename().string());
    QCOMPARE(onCard, std::vector<std::string>{"plain.mp4"});
}

void HostileMachineTest::nameEndingInABackslashReachesTheConverterWhole() {
    BatchHarness h;
    const std::string card = h.addCard('D');
    const std::string trail = h.rig.writeFile("music/trail\\", "mp3");
    const std::string twice = h.rig.writeFile("music/two\\\\", "mp3");
    h.load(trail + " " + twice);

    h.press();

    checkFinished(h);
    QVERIFY2(!h.log().contains(QStringLiteral(" FAIL")), qPrintable(h.log()));
    QCOMPARE(h.calls().size(), std::size_t{2});
    const std::vector<std::string> expected[] = {
        {h.programFolder + "/ffmpeg.exe", "-vn", "-ab", "128k", "-ar", "44100", "-i", trail,
         h.rig.tempDir() + "/trail\\.mp4"},
        {h.programFolder + "/ffmpeg.exe", "-vn", "-ab", "128k", "-ar", "44100", "-i", twice,
         h.rig.tempDir() + "/two\\\\.mp4"},
    };
    QCOMPARE(h.calls()[0], expected[0]);
    QCOMPARE(h.calls()[1], expected[1]);
    // The card cannot store a backslash.
    QCOMPARE(BatchHarness::readText(card + "/Music/trail_.mp4"), h.converted("ffmpeg.exe", trail));
}

void HostileMachineTest::nameThatIsNotUtf8ArrivesWithASubstitute() {
    BatchHarness h;
    const std::string card = h.addCard('D');
    // Written byte for byte: the rig's own helper goes through Qt's UTF-16 names.
    const std::string music = h.rig.makeFolder("music");
    const std::string bad = music + "/bad\xff.mp3";
    const std::string latin = music + "/Se\xf1or.m4a";
    BatchHarness::writeText(bad, "mp3");
    BatchHarness::writeText(latin, aacSong("m4a"));
    QVERIFY(BatchHarness::exists(bad) && BatchHarness::exists(latin));
    h.load(bad + " " + latin);

    h.press();

    checkFinished(h);
    QVERIFY(h.log().contains(QStringLiteral(" SUCCESS")));
    QCOMPARE(BatchHarness::readText(card + "/Music/bad_.mp4"), h.converted("ffmpeg.exe", bad));
    QCOMPARE(BatchHarness::readText(card + "/Music/Se_or.mp4"), aacSong("m4a"));
}

void HostileMachineTest::unusableTemporaryFolderIsNamedAsSuch() {
    // TEMP names a file.
    BatchHarness h;
    h.addCard('D');
    const std::string notAFolder = h.rig.writeFile("not a folder", "");
    h.rig.environment.variables["TEMP"] = notAFolder;
    const std::string song = h.rig.writeFile("music/song.mp3", "mp3");
    h.load(song);

    h.press();

    checkEndedWith(h, QStringLiteral("The temporary folder cannot be used."), notAFolder,
                   QStringLiteral("Not a directory"), QStringLiteral("TemporaryFolder"));
    QVERIFY(h.calls().empty());
}

void HostileMachineTest::musicBeingAFileIsNamedAsSuch() {
    BatchHarness h;
    const std::string card = h.addCard('D');
    h.rig.writeFile("card/Music", "in the way");
    const std::string song = h.rig.writeFile("music/song.mp3", "mp3");
    h.load(song);

    h.press();

    checkEndedWith(h, QStringLiteral("The Music folder cannot be created on the memory card."),
                   card + "/Music", QStringLiteral("File exists"), QStringLiteral("CreateFolder"));
}

void HostileMachineTest::unreadableSettingsFileIsReplacedOnClose() {
    BatchHarness h;
    const char noise[] = "\x00\x01\x02\xfe\xff\x00garbage\x7f";
    BatchHarness::writeText(h.rig.configFile(), std::string(noise, sizeof noise - 1));
    h.load("   ", true);

    h.form->window().close();

    QVERIFY2(h.rig.messageBox.texts.isEmpty(),
             qPrintable(h.rig.messageBox.texts.value(0, QString())));
    QCOMPARE(h.rig.programEnd.calls, 1);
    QCOMPARE(h.rig.programEnd.lastExitCode, 0);
    QCOMPARE(BatchHarness::readText(h.rig.configFile()), std::string("[Done]\nKdh=2\n"));
}

void HostileMachineTest::temporaryFolderThatCannotBeUsedIsRefusedAtStart() {
    // Each would fail every converted song, with nothing to say why.
    struct Case {
        const char* what;
        std::string temp;
        QString reason;
    };
    BatchHarness names;
    const std::string root = names.rig.root.path().toStdString();
    const Case cases[] = {
        {"missing", root + "/no such folder", QStringLiteral("No such file or directory")},
        {"relative", "temp", QStringLiteral("Not a full path")},
        {"with a quote", names.rig.makeFolder("say \"temp\""), QStringLiteral("double quote")},
    };
    for (const Case& c : cases) {
        BatchHarness h;
        const std::string card = h.addCard('D');
        h.rig.environment.variables["TEMP"] = c.temp;
        const std::string a = h.rig.writeFile("music/a.mp3", "mp3");
        const std::string b = h.rig.writeFile("music/b.wav", "wav");
        h.load(a + " " + b);
        const QString before = h.log();

        h.press();

        QVERIFY2(h.rig.messageBox.texts.size() == 1, c.what);
        const QString text = h.rig.messageBox.texts.first();
        QVERIFY2(text.startsWith(QStringLiteral("The temporary folder cannot be used.\r\n\r\n") +
                                 q(c.temp) + QStringLiteral("\r\n\r\n")),
                 qPrintable(text));
        QVERIFY2(text.contains(c.reason), qPrintable(text));
        QCOMPARE(h.rig.programEnd.calls, 1);
        // Refused before anything ran: no card search, no line, no converter.
        QCOMPARE(h.log(), before);
        QVERIFY(h.pauses.empty());
        QVERIFY(h.calls().empty());
        QVERIFY(!BatchHarness::exists(card + "/Music"));
    }
}

void HostileMachineTest::programFolderWithAQuoteIsRefusedAtStart() {
    // The converter's line puts the program folder between quotes: a quote in
    // its name ends it early, and "apps/Ondrel "beta"" becomes "apps/Ondrel beta".
    BatchHarness h;
    const std::string card = h.addCard('D');
    const std::string apps = h.rig.makeFolder("apps");
    const std::string decoy = h.rig.makeFolder("apps/Ondrel beta");
    std::filesystem::copy_file(TestRig::binDir() + "/fake_converter", decoy + "/ffmpeg.exe");
    std::filesystem::rename(h.programFolder, apps + "/Ondrel \"beta\"");
    h.programFolder = apps + "/Ondrel \"beta\"";
    h.rig.environment.programFolder = h.programFolder;
    const std::string song = h.rig.writeFile("music/song.mp3", "mp3");
    h.load(song);
    const QString before = h.log();

    h.press();

    checkEndedWith(h, QStringLiteral("The converter cannot be started."), h.programFolder,
                   QStringLiteral("double quote"), QStringLiteral("ConverterFolder"));
    QCOMPARE(h.log(), before);
    QVERIFY(h.calls().empty());
    QVERIFY(!BatchHarness::exists(decoy + "/calls"));
    QVERIFY(!BatchHarness::exists(card + "/Music"));
}

void HostileMachineTest::musicFolderLeadingOutOfTheCardIsRefused() {
    // A card formatted ext4 can hold links: its Music must not take the songs
    // to a folder of the computer's.
    BatchHarness h;
    const std::string card = h.addCard('D');
    const std::string elsewhere = h.rig.makeFolder("documents");
    const std::string precious = h.rig.writeFile("documents/song.mp4", "the user's own video");
    std::filesystem::create_directory_symlink(elsewhere, card + "/Music");
    const std::string song = h.rig.writeFile("music/song.mp3", "mp3");
    h.load(song);

    h.press();

    checkEndedWith(h, QStringLiteral("The Music folder cannot be created on the memory card."),
                   card + "/Music", QStringLiteral("link"), QStringLiteral("MusicFolder"));
    QCOMPARE(BatchHarness::readText(precious), std::string("the user's own video"));
    QCOMPARE(std::distance(std::filesystem::directory_iterator(elsewhere),
                           std::filesystem::directory_iterator()),
             std::ptrdiff_t{1});
    QVERIFY(h.calls().empty());
}

void HostileMachineTest::dotDotIsLeftToTheSystem() {
    // library/one is a link: library/one/../song.m4a is elsewhere/song.m4a to
    // the system, whatever the text says.
    {
        BatchHarness h;
        const std::string card = h.addCard('D');
        const std::string library = h.rig.makeFolder("library");
        h.rig.makeFolder("elsewhere/dir");
        h.rig.writeFile("elsewhere/song.m4a", aacSong("the song asked for"));
        h.rig.writeFile("library/song.m4a", aacSong("another song"));
        std::filesystem::create_directory_symlink(
            h.rig.root.path().toStdString() + "/elsewhere/dir", library + "/one");
        h.load(platform::joinArguments({"one/../song.m4a"}, library));

        h.press();

        checkFinished(h);
        QVERIFY2(h.log().endsWith(QStringLiteral(" SUCCESS\r\n**Finished**")), qPrintable(h.log()));
        QCOMPARE(BatchHarness::readText(card + "/Music/song.mp4"), aacSong("the song asked for"));
    }
    {
        // The same spelling of a file in TEMP: temp/one/../song.mp4 is the
        // user's file elsewhere, not temp/song.mp4; neither is touched.
        BatchHarness h;
        const std::string card = h.addCard('D');
        h.rig.makeFolder("elsewhere/dir");
        h.rig.writeFile("elsewhere/song.mp4", "the user's video");
        BatchHarness::writeText(h.rig.tempDir() + "/song.mp4", "left from an earlier run");
        std::filesystem::create_directory_symlink(
            h.rig.root.path().toStdString() + "/elsewhere/dir", h.rig.tempDir() + "/one");
        h.setBehaviour("nothing\n");
        const std::string source = h.rig.tempDir() + "/one/../song.mp4";
        h.load(source);
        QCOMPARE(h.form->FileList.SourcePaths[0], source);

        h.press();

        checkFinished(h);
        QVERIFY2(h.log().endsWith(QStringLiteral(" FAIL\r\n**Finished**")), qPrintable(h.log()));
        QVERIFY(!BatchHarness::exists(card + "/Music/song.mp4"));
        QCOMPARE(BatchHarness::readText(h.rig.tempDir() + "/song.mp4"),
                 std::string("left from an earlier run"));
        QCOMPARE(BatchHarness::readText(h.rig.root.path().toStdString() + "/elsewhere/song.mp4"),
                 std::string("the user's video"));
    }
}

void HostileMachineTest::m4aThatIsNoLongerAFileFailsAloneAsAnMp3Does() {
    // Gone, a folder or a FIFO since the list was made: a problem of that one
    // file, whichever its type, and nothing may wait on the FIFO.
    BatchHarness h;
    const std::string card = h.addCard('D');
    const std::string gone = h.rig.writeFile("music/gone.m4a", "m4a");
    const std::string folder = h.rig.writeFile("music/folder.m4a", "m4a");
    const std::string fifo = h.rig.writeFile("music/fifo.m4a", "m4a");
    const std::string goneMp3 = h.rig.writeFile("music/gone.mp3", "mp3");
    const std::string good = h.rig.writeFile("music/good.m4a", aacSong("good"));
    h.setBehaviour("nothing\n");
    h.load(gone + " " + folder + " " + fifo + " " + goneMp3 + " " + good);
    const QString before = h.log();
    std::filesystem::remove(gone);
    std::filesystem::remove(folder);
    std::filesystem::create_directory(folder);
    std::filesystem::remove(fifo);
    QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::remove(goneMp3);

    h.press();

    checkFinished(h);
    QCOMPARE(h.log(), before + logLine(1, gone, " FAIL") + logLine(2, folder, " FAIL") +
                          logLine(3, fifo, " FAIL") + logLine(4, goneMp3, " FAIL") +
                          logLine(5, good, " SUCCESS") + QStringLiteral("\r\n**Finished**"));
    QCOMPARE(BatchHarness::readText(card + "/Music/good.mp4"), aacSong("good"));
    for (const char* name : {"gone", "folder", "fifo"})
        QVERIFY(!BatchHarness::exists(card + "/Music/" + name + ".mp4"));
}

QTEST_MAIN(HostileMachineTest)
#include "test_hostile_machine.moc"
