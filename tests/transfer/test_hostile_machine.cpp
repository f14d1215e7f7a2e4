// The batch and the program's end on a machine that is hostile or unlucky:
// odd names, a temporary folder that cannot be used, a card in the way of
// itself, a settings file that cannot be read.

#include "platform/CommandLine.h"
#include "tests/transfer/BatchHarness.h"

#include <QTest>

#include <filesystem>

using namespace ondrel;
using namespace ondrel::test;

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
    const std::string plain = h.rig.writeFile("src/plain.mp3", "mp3");
    // The arguments as the system hands them over, in a folder with a space.
    h.rig.makeFolder("src/my music");
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
    BatchHarness::writeText(latin, "m4a");
    QVERIFY(BatchHarness::exists(bad) && BatchHarness::exists(latin));
    h.load(bad + " " + latin);

    h.press();

    checkFinished(h);
    QVERIFY(h.log().contains(QStringLiteral(" SUCCESS")));
    QCOMPARE(BatchHarness::readText(card + "/Music/bad_.mp4"), h.converted("ffmpeg.exe", bad));
    QCOMPARE(BatchHarness::readText(card + "/Music/Se_or.mp4"), std::string("m4a"));
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

    checkEndedWith(h, QStringLiteral("The temporary folder cannot be used."),
                   notAFolder + "/song.mp4", QStringLiteral("Not a directory"),
                   QStringLiteral("RemoveStaleFile"));
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

QTEST_MAIN(HostileMachineTest)
#include "test_hostile_machine.moc"
