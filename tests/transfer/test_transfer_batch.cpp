// The transfer batch through the real main window: real files, folders and
// converter processes on a temporary home, with the pauses recorded.

#include "tests/support/Mp4Samples.h"
#include "tests/transfer/BatchHarness.h"

#include <QTest>

#include <algorithm>
#include <filesystem>

using namespace ondrel;
using namespace ondrel::test;
using ondrel::test::mp4::aacSong;
namespace mp4 = ondrel::test::mp4;

namespace {

const QString kSearching = QStringLiteral("1000 Searching the memory card of DS...");
const QString kConverting = QStringLiteral("1000 Converting the music file for DS...");
const QString kTransferring = QStringLiteral("1000 Transferring the music file to DS...");
const QString kFailed = QStringLiteral("1000 Failed to convert the music file.");
const QString kFailurePause = QStringLiteral("5000 Failed to convert the music file.");
const QString kFinished = QStringLiteral("Finished transferring the music file(s) to DS.");

// The pause after Label1 took the next file's name, while the status still shows the last one.
QString nextFile(const QString& previousStatus) {
    return QStringLiteral("1000 ") + previousStatus;
}

QString logLine(int number, const std::string& displayName, const char* outcome) {
    return QStringLiteral("\r\nNo. ") + QString::number(number) + QStringLiteral(": ") +
           q(displayName) + QStringLiteral("...") + QString::fromLatin1(outcome);
}

void checkFinished(BatchHarness& h) {
    QCOMPARE(q(h.form->Label2->text()), kFinished);
    QCOMPARE(q(h.form->Command1->text()), QStringLiteral("FINISH"));
    QVERIFY(h.form->Command1->isEnabled());
    QVERIFY(!h.form->Check1->isEnabled());
    QVERIFY(!h.form->Check2->isEnabled());
    QCOMPARE(h.rig.programEnd.calls, 0);
    QVERIFY(h.rig.messageBox.texts.isEmpty());
}

// The error road: a box naming the failure, the setting saved, the program ended.
void checkEndedOnError(BatchHarness& h, const QStringList& named) {
    QCOMPARE(h.rig.messageBox.texts.size(), 1);
    for (const QString& part : named)
        QVERIFY2(h.rig.messageBox.texts.first().contains(part),
                 qPrintable(h.rig.messageBox.texts.first()));
    QCOMPARE(h.rig.programEnd.calls, 1);
    QVERIFY(BatchHarness::readText(h.rig.configFile()).find("Kdh=") != std::string::npos);
    QVERIFY(!h.log().contains(QStringLiteral(" SUCCESS")));
    QVERIFY(!h.log().contains(QStringLiteral("**Finished**")));
}

} // namespace

class TransferBatchTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void withoutCardNothingIsTouched();
    void cardIsTheFirstLetterWithPrivateDs();
    void desktopOutputExaminesNoDrive();
    void desktopOutputNeverReplacesWhatIsThere();
    void successAndFailureAreLoggedPerFile();
    void onlyLowerOrUpperM4aPassesThrough();
    void anM4aThatIsNoAacSongIsConverted();
    void convertersReceiveTheirExactArguments();
    void temporaryNameFollowsSourceDestinationFollowsDisplayName();
    void sourcesSharingABaseNameEachNeedTheirOwnOutput();
    void songsOfOneNameAllArriveOnTheCard();
    void theTemporaryFolderKeepsWhatWasThere();
    void aFolderUnderTheSongsCardNameFailsThatSongAlone();
    void quoteInAPathStartsNoConverter();
    void cardNamesLoseWhatFatCannotStore();
    void deviceNamesArriveWithAnUnderscore();
    void entriesWithoutANameFailAlone();
    void emptyListStillFinishes();
    void tenthFileIsNumberedTen();
    void platformFailuresEndTheProgram();
    void closingDuringConversionEndsConverterAndBatch();
    void aSilentVolumeBeforeTheCardIsPassedOver();
    void closingWhileAVolumeIsSilentEndsTheBatch();
};

void TransferBatchTest::withoutCardNothingIsTouched() {
    BatchHarness h;
    const std::string song = h.rig.writeFile("music/song.mp3", "mp3");
    // A volume without the marker, and a card that sits on C, which is never examined.
    const std::string plain = h.rig.makeFolder("plain");
    h.rig.drives.roots['D'] = plain;
    h.addCard('C', "system");
    h.load(song);
    const QString before = h.log();

    h.press();

    QCOMPARE(q(h.form->Label2->text()), QStringLiteral("The memory card of DS not found."));
    QCOMPARE(q(h.form->Command1->text()), QStringLiteral("FINISH"));
    QVERIFY(h.form->Command1->isEnabled());
    QVERIFY(!h.form->Check1->isEnabled());
    QVERIFY(!h.form->Check2->isEnabled());
    QCOMPARE(h.log(), before);
    QCOMPARE(h.batchPauses(), QStringList{kSearching});
    QVERIFY(!BatchHarness::exists(plain + "/Music"));
    QVERIFY(!BatchHarness::exists(h.rig.root.path().toStdString() + "/system/Music"));
    QVERIFY(std::filesystem::is_empty(h.rig.tempDir()));
    QVERIFY(h.calls().empty());
}

void TransferBatchTest::cardIsTheFirstLetterWithPrivateDs() {
    BatchHarness h;
    const std::string song = h.rig.writeFile("music/song.mp3", "mp3");
    // D holds a FILE named ds, E stands for no volume, F and G are cards.
    const std::string fake = h.rig.makeFolder("fake");
    h.rig.writeFile("fake/private/ds", "not a folder");
    h.rig.drives.roots['D'] = fake;
    const std::string first = h.addCard('F', "first");
    const std::string second = h.addCard('G', "second");
    h.load(song);

    h.press();

    checkFinished(h);
    QVERIFY(!BatchHarness::exists(fake + "/Music"));
    QVERIFY(!BatchHarness::exists(second + "/Music"));
    QCOMPARE(BatchHarness::readText(first + "/Music/song.mp4"), h.converted("ffmpeg.exe", song));
}

void TransferBatchTest::desktopOutputExaminesNoDrive() {
    BatchHarness h;
    const std::string song = h.rig.writeFile("music/song.mp3", "mp3");
    const std::string card = h.addCard('D');
    h.load(song, false, true);

    h.press();

    checkFinished(h);
    QCOMPARE(BatchHarness::readText(h.rig.desktop() + "/song.mp4"),
             h.converted("ffmpeg.exe", song));
    QVERIFY(!BatchHarness::exists(card + "/Music"));
    QCOMPARE(h.batchPauses(), (QStringList{QStringLiteral("1000 "), kConverting, kTransferring}));
}

void TransferBatchTest::desktopOutputNeverReplacesWhatIsThere() {
    // The Desktop is the user's: a video of the same name, a link to a
    // document, even a folder, stay as they are, and the song takes the next
    // free name, as a browser's download does.
    BatchHarness h;
    const std::string desktop = h.rig.makeFolder("home/Desktop");
    const std::string video = h.rig.writeFile("home/Desktop/holiday.mp4", "the user's video");
    const std::string second =
        h.rig.writeFile("home/Desktop/holiday (2).mp4", "another video of the user's");
    const std::string document = h.rig.writeFile("documents/letter.txt", "keep me");
    std::filesystem::create_symlink(document, desktop + "/letter.mp4");
    h.rig.makeFolder("home/Desktop/album.mp4");
    const std::string holiday = h.rig.writeFile("music/holiday.mp3", "mp3");
    const std::string letter = h.rig.writeFile("music/letter.m4a", aacSong("m4a"));
    const std::string album = h.rig.writeFile("music/album.mp3", "mp3");
    const std::string fresh = h.rig.writeFile("music/fresh.mp3", "mp3");
    h.load(holiday + " " + letter + " " + album + " " + fresh, false, true);
    const QString before = h.log();

    h.press();

    checkFinished(h);
    QCOMPARE(h.log(), before + logLine(1, holiday, " SUCCESS") + logLine(2, letter, " SUCCESS") +
                          logLine(3, album, " SUCCESS") + logLine(4, fresh, " SUCCESS") +
                          QStringLiteral("\r\n**Finished**"));
    QCOMPARE(BatchHarness::readText(video), std::string("the user's video"));
    QCOMPARE(BatchHarness::readText(second), std::string("another video of the user's"));
    QCOMPARE(BatchHarness::readText(desktop + "/holiday (3).mp4"),
             h.converted("ffmpeg.exe", holiday));
    QVERIFY(std::filesystem::is_symlink(desktop + "/letter.mp4"));
    QCOMPARE(BatchHarness::readText(document), std::string("keep me"));
    QCOMPARE(BatchHarness::readText(desktop + "/letter (2).mp4"), aacSong("m4a"));
    QVERIFY(std::filesystem::is_directory(desktop + "/album.mp4"));
    QCOMPARE(BatchHarness::readText(desktop + "/album (2).mp4"), h.converted("ffmpeg.exe", album));
    // A free name is taken as it is.
    QCOMPARE(BatchHarness::readText(desktop + "/fresh.mp4"), h.converted("ffmpeg.exe", fresh));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(desktop))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    QCOMPARE(names, (std::vector<std::string>{"album (2).mp4", "album.mp4", "fresh.mp4",
                                              "holiday (2).mp4", "holiday (3).mp4", "holiday.mp4",
                                              "letter (2).mp4", "letter.mp4"}));
}

void TransferBatchTest::successAndFailureAreLoggedPerFile() {
    BatchHarness h;
    const std::string card = h.addCard('E');
    const std::string a = h.rig.writeFile("music/a.mp3", "a");
    const std::string b = h.rig.writeFile("music/b.wav", "b");
    const std::string c = h.rig.writeFile("music/c.ogg", "c");
    // The third converter reports failure but leaves its output: the output decides.
    h.setBehaviour("write\nnothing\nfail\n");
    h.load(a + " " + b + " " + c);
    const QString before = h.log();

    h.press();

    checkFinished(h);
    QCOMPARE(h.log(), before + logLine(1, a, " SUCCESS") + logLine(2, b, " FAIL") +
                          logLine(3, c, " SUCCESS") + QStringLiteral("\r\n**Finished**"));
    QCOMPARE(
        h.batchPauses(),
        (QStringList{kSearching, nextFile(QStringLiteral("Searching the memory card of DS...")),
                     kConverting, kTransferring,
                     nextFile(QStringLiteral("Transferring the music file to DS...")), kConverting,
                     kFailed, kFailurePause,
                     nextFile(QStringLiteral("Failed to convert the music file.")), kConverting,
                     kTransferring}));
    QCOMPARE(h.pauses.back().currentFile, q(c));
    QCOMPARE(q(h.form->Label1->text()), q(c));
    QCOMPARE(BatchHarness::readText(card + "/Music/a.mp4"), h.converted("ffmpeg.exe", a));
    QVERIFY(!BatchHarness::exists(card + "/Music/b.mp4"));
    QCOMPARE(BatchHarness::readText(card + "/Music/c.mp4"), h.converted("ffmpeg.exe", c));
    // Temporary files stay behind.
    QVERIFY(BatchHarness::exists(h.rig.tempDir() + "/a.mp4"));
}

void TransferBatchTest::onlyLowerOrUpperM4aPassesThrough() {
    {
        BatchHarness h;
        const std::string card = h.addCard('D');
        const std::string lower =
            h.rig.writeFile("music/lower.m4a", aacSong(std::string("l\0w\r\n", 5)));
        const std::string upper = h.rig.writeFile("music/upper.M4A", aacSong("upper"));
        const std::string mixed = h.rig.writeFile("music/mixed.M4a", aacSong("mixed"));
        h.load(lower + " " + upper + " " + mixed);

        h.press();

        checkFinished(h);
        QCOMPARE(BatchHarness::readText(h.rig.tempDir() + "/lower.mp4"),
                 aacSong(std::string("l\0w\r\n", 5)));
        QCOMPARE(BatchHarness::readText(card + "/Music/lower.mp4"),
                 aacSong(std::string("l\0w\r\n", 5)));
        QCOMPARE(BatchHarness::readText(card + "/Music/upper.mp4"), aacSong("upper"));
        QCOMPARE(BatchHarness::readText(card + "/Music/mixed.mp4"),
                 h.converted("ffmpeg.exe", mixed));
        QCOMPARE(h.calls().size(), std::size_t{1});
        // A passed-through file shows no status of its own before its copy.
        QCOMPARE(
            h.batchPauses().mid(0, 4),
            (QStringList{kSearching, nextFile(QStringLiteral("Searching the memory card of DS...")),
                         kTransferring,
                         nextFile(QStringLiteral("Transferring the music file to DS..."))}));
    }
    {
        BatchHarness h;
        const std::string card = h.addCard('D');
        const std::string song = h.rig.writeFile("music/song.m4a", aacSong("m4a"));
        h.load(song, true);

        h.press();

        checkFinished(h);
        QCOMPARE(h.calls().size(), std::size_t{1});
        QCOMPARE(h.calls().front().front(), h.programFolder + "/kdh.exe");
        QCOMPARE(BatchHarness::readText(card + "/Music/song.mp4"), h.converted("kdh.exe", song));
    }
}

// Only AAC in an MP4 file plays on the card as it is; anything else named
// ".m4a" is converted, and fails as any song does when that fails.
void TransferBatchTest::anM4aThatIsNoAacSongIsConverted() {
    BatchHarness h;
    const std::string card = h.addCard('D');
    const std::string lossless = h.rig.writeFile("music/lossless.m4a", mp4::alacSong("alac"));
    const std::string empty = h.rig.writeFile("music/empty.m4a", "");
    const std::string text = h.rig.writeFile("music/notes.m4a", "not a song at all\n");
    const std::string aac = h.rig.writeFile("music/aac.m4a", aacSong("aac"));
    // The converter makes nothing of the text file.
    h.setBehaviour("write\nwrite\nnothing\n");
    h.load(lossless + " " + empty + " " + text + " " + aac);
    const QString before = h.log();

    h.press();

    checkFinished(h);
    QCOMPARE(h.log(), before + logLine(1, lossless, " SUCCESS") + logLine(2, empty, " SUCCESS") +
                          logLine(3, text, " FAIL") + logLine(4, aac, " SUCCESS") +
                          QStringLiteral("\r\n**Finished**"));
    QCOMPARE(h.calls().size(), std::size_t{3});
    QCOMPARE(h.calls()[0][7], lossless);
    QCOMPARE(BatchHarness::readText(card + "/Music/lossless.mp4"),
             h.converted("ffmpeg.exe", lossless));
    QCOMPARE(BatchHarness::readText(card + "/Music/empty.mp4"), h.converted("ffmpeg.exe", empty));
    QVERIFY(!BatchHarness::exists(card + "/Music/notes.mp4"));
    QCOMPARE(BatchHarness::readText(card + "/Music/aac.mp4"), aacSong("aac"));
    QCOMPARE(h.batchPauses().mid(1, 3),
             (QStringList{nextFile(QStringLiteral("Searching the memory card of DS...")),
                          kConverting, kTransferring}));
    // The sources are as they were.
    QCOMPARE(BatchHarness::readText(lossless), mp4::alacSong("alac"));
    QCOMPARE(BatchHarness::readText(text), std::string("not a song at all\n"));
}

void TransferBatchTest::convertersReceiveTheirExactArguments() {
    for (const bool kdh : {false, true}) {
        BatchHarness h;
        h.addCard('D');
        const std::string temp = h.rig.makeFolder("temp with space");
        h.rig.environment.variables["TEMP"] = temp;
        const std::string song = h.rig.writeFile("my music/two words.mp3", "mp3");
        h.load(quoted(song), kdh);

        h.press();

        checkFinished(h);
        std::vector<std::string> expected;
        if (kdh) {
            expected = {h.programFolder + "/kdh.exe",
                        "-maxfr",
                        "30",
                        "-bitexact",
                        "-vcodec",
                        "h264",
                        "-coder",
                        "1",
                        "-bufsize",
                        "128",
                        "-g",
                        "250",
                        "-s",
                        "320x240",
                        "-b",
                        "384",
                        "-acodec",
                        "aac",
                        "-ac",
                        "2",
                        "-ar",
                        "48000",
                        "-ab",
                        "64",
                        "-f",
                        "mp4",
                        "-i",
                        song,
                        temp + "/two words.mp4"};
        } else {
            expected = {
                h.programFolder + "/ffmpeg.exe", "-vn", "-ab", "128k", "-ar", "44100", "-i", song,
                temp + "/two words.mp4"};
        }
        QCOMPARE(h.calls(), std::vector<std::vector<std::string>>{expected});
    }
}

void TransferBatchTest::temporaryNameFollowsSourceDestinationFollowsDisplayName() {
    // A file given in its short form: the list keeps the given path for the
    // extension and the temporary file, the long form for everything shown.
    BatchHarness h;
    const std::string card = h.addCard('D');
    const std::string shortMp3 = h.rig.writeFile("music/SONG~1.MP3", "mp3");
    const std::string shortM4a = h.rig.writeFile("music/TUNE~1.M4A", aacSong("m4a"));
    h.load(shortMp3 + " " + shortM4a);
    const QString before = h.log();
    const std::string longMp3 = h.rig.root.path().toStdString() + "/music/Long Song.mp3";
    const std::string longM4a = h.rig.root.path().toStdString() + "/music/Long Tune.mp3";
    h.form->FileList.DisplayNames[0] = longMp3;
    h.form->FileList.DisplayNames[1] = longM4a;

    h.press();

    checkFinished(h);
    QCOMPARE(h.calls().size(), std::size_t{1});
    QCOMPARE(h.calls()[0].back(), h.rig.tempDir() + "/SONG~1.mp4");
    QCOMPARE(BatchHarness::readText(card + "/Music/Long Song.mp4"),
             h.converted("ffmpeg.exe", shortMp3));
    QCOMPARE(BatchHarness::readText(card + "/Music/Long Tune.mp4"), aacSong("m4a"));
    QCOMPARE(h.log(), before + logLine(1, longMp3, " SUCCESS") + logLine(2, longM4a, " SUCCESS") +
                          QStringLiteral("\r\n**Finished**"));
    QCOMPARE(h.pauses[1].currentFile, q(longMp3));
}

void TransferBatchTest::sourcesSharingABaseNameEachNeedTheirOwnOutput() {
    BatchHarness h;
    const std::string card = h.addCard('D');
    const std::string first = h.rig.writeFile("one/a.mp3", "1");
    const std::string second = h.rig.writeFile("two/a.wav", "2");
    const std::string third = h.rig.writeFile("three/a.ogg", "3");
    // The second converter writes nothing: the first file's a.mp4 must not count for it.
    h.setBehaviour("write\nnothing\nwrite\n");
    h.load(first + " " + second + " " + third);
    const QString before = h.log();

    h.press();

    checkFinished(h);
    QCOMPARE(h.log(), before + logLine(1, first, " SUCCESS") + logLine(2, second, " FAIL") +
                          logLine(3, third, " SUCCESS") + QStringLiteral("\r\n**Finished**"));
    QCOMPARE(BatchHarness::readText(card + "/Music/a.mp4"), h.converted("ffmpeg.exe", first));
    QCOMPARE(BatchHarness::readText(card + "/Music/a (2).mp4"), h.converted("ffmpeg.exe", third));
    // Each conversion had a name of its own; the failed one's was given back.
    QCOMPARE(h.calls()[0].back(), h.rig.tempDir() + "/a.mp4");
    QCOMPARE(h.calls()[1].back(), h.rig.tempDir() + "/a (2).mp4");
    QCOMPARE(h.calls()[2].back(), h.rig.tempDir() + "/a (2).mp4");
}

// Two songs of the batch that end up under one card name both arrive: the
// later one never replaces the earlier. What was on the card before the batch
// is still replaced.
void TransferBatchTest::songsOfOneNameAllArriveOnTheCard() {
    BatchHarness h;
    const std::string card = h.addCard('D');
    h.rig.makeFolder("card/Music");
    BatchHarness::writeText(card + "/Music/Track01.mp4", "from an earlier day");
    const std::string first = h.rig.writeFile("Album One/Track01.mp3", "1");
    const std::string second = h.rig.writeFile("Album Two/Track01.mp3", "2");
    const std::string flac = h.rig.writeFile("music/Song.flac", "flac");
    const std::string mp3 = h.rig.writeFile("music/Song.mp3", "mp3");
    // The card cannot store "?": both become "what_.mp4".
    const std::string question = h.rig.writeFile("music/what?.mp3", "?");
    const std::string underscore = h.rig.writeFile("music/what_.mp3", "_");
    h.load(quoted(first) + " " + quoted(second) + " " + flac + " " + mp3 + " " + question + " " +
           underscore);
    const QString before = h.log();

    h.press();

    checkFinished(h);
    QCOMPARE(h.log(), before + logLine(1, first, " SUCCESS") + logLine(2, second, " SUCCESS") +
                          logLine(3, flac, " SUCCESS") + logLine(4, mp3, " SUCCESS") +
                          logLine(5, question, " SUCCESS") + logLine(6, underscore, " SUCCESS") +
                          QStringLiteral("\r\n**Finished**"));
    const std::string music = card + "/Music/";
    QCOMPARE(BatchHarness::readText(music + "Track01.mp4"), h.converted("ffmpeg.exe", first));
    QCOMPARE(BatchHarness::readText(music + "Track01 (2).mp4"), h.converted("ffmpeg.exe", second));
    QCOMPARE(BatchHarness::readText(music + "Song.mp4"), h.converted("ffmpeg.exe", flac));
    QCOMPARE(BatchHarness::readText(music + "Song (2).mp4"), h.converted("ffmpeg.exe", mp3));
    QCOMPARE(BatchHarness::readText(music + "what_.mp4"), h.converted("ffmpeg.exe", question));
    QCOMPARE(BatchHarness::readText(music + "what_ (2).mp4"),
             h.converted("ffmpeg.exe", underscore));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(card + "/Music"))
        names.push_back(entry.path().filename().string());
    QCOMPARE(names.size(), std::size_t{6});
}

// Nothing the batch did not make in the temporary folder is removed or
// replaced: it may be the user's Desktop, or a folder shared with others.
void TransferBatchTest::theTemporaryFolderKeepsWhatWasThere() {
    for (const char* behaviour : {"nothing", "write"}) {
        BatchHarness h;
        const std::string card = h.addCard('D');
        const std::string song = h.rig.writeFile("music/song.mp3", "mp3");
        BatchHarness::writeText(h.rig.tempDir() + "/song.mp4", "the user's own video");
        h.setBehaviour(std::string(behaviour) + "\n");
        h.load(song);

        h.press();

        checkFinished(h);
        QCOMPARE(BatchHarness::readText(h.rig.tempDir() + "/song.mp4"),
                 std::string("the user's own video"));
        QCOMPARE(h.calls()[0].back(), h.rig.tempDir() + "/song (2).mp4");
        if (std::string(behaviour) == "nothing") {
            // It never passes for this song's output, and the name made for
            // the song is given back.
            QVERIFY(h.log().endsWith(QStringLiteral("... FAIL\r\n**Finished**")));
            QVERIFY(!BatchHarness::exists(card + "/Music/song.mp4"));
            QVERIFY(!BatchHarness::exists(h.rig.tempDir() + "/song (2).mp4"));
        } else {
            QVERIFY(h.log().endsWith(QStringLiteral("... SUCCESS\r\n**Finished**")));
            QCOMPARE(BatchHarness::readText(card + "/Music/song.mp4"),
                     h.converted("ffmpeg.exe", song));
        }
    }
    {
        // A link planted where the temporary file goes: it stays, and what it
        // points at is neither read nor written.
        BatchHarness h;
        const std::string card = h.addCard('D');
        const std::string song = h.rig.writeFile("music/song.m4a", aacSong("song"));
        const std::string precious = h.rig.writeFile("documents/precious.txt", "keep me");
        std::filesystem::create_symlink(precious, h.rig.tempDir() + "/song.mp4");
        h.load(song);

        h.press();

        checkFinished(h);
        QVERIFY(std::filesystem::is_symlink(h.rig.tempDir() + "/song.mp4"));
        QCOMPARE(BatchHarness::readText(precious), std::string("keep me"));
        QCOMPARE(BatchHarness::readText(card + "/Music/song.mp4"), aacSong("song"));
    }
    {
        // A source that already lies where its temporary file would go is
        // converted under another name, and stays as it is.
        BatchHarness h;
        const std::string card = h.addCard('D');
        const std::string clip = h.rig.writeFile("temp/clip.mp4", "user's clip");
        // TEMP spelled differently from the source's folder.
        h.rig.environment.variables["TEMP"] = h.rig.makeFolder("temp/../temp/.");
        h.load(clip);

        h.press();

        checkFinished(h);
        QCOMPARE(BatchHarness::readText(clip), std::string("user's clip"));
        QCOMPARE(BatchHarness::readText(card + "/Music/clip.mp4"), h.converted("ffmpeg.exe", clip));
    }
}

// A name on the card that cannot be written fails that song alone, with the
// reason on the status line; the batch goes on with the next song.
void TransferBatchTest::aFolderUnderTheSongsCardNameFailsThatSongAlone() {
    BatchHarness h;
    const std::string card = h.addCard('D');
    h.rig.makeFolder("card/Music/b.mp4");
    const std::string a = h.rig.writeFile("music/a.mp3", "a");
    const std::string b = h.rig.writeFile("music/b.mp3", "b");
    const std::string c = h.rig.writeFile("music/c.mp3", "c");
    h.load(a + " " + b + " " + c);
    const QString before = h.log();

    h.press();

    checkFinished(h);
    QCOMPARE(h.log(), before + logLine(1, a, " SUCCESS") + logLine(2, b, " FAIL") +
                          logLine(3, c, " SUCCESS") + QStringLiteral("\r\n**Finished**"));
    const QString reason =
        QStringLiteral("Failed to transfer the music file: the card holds a folder named b.mp4.");
    QVERIFY(h.batchPauses().contains(QStringLiteral("5000 ") + reason));
    QVERIFY(std::filesystem::is_directory(card + "/Music/b.mp4"));
    QVERIFY(std::filesystem::is_empty(card + "/Music/b.mp4"));
    QCOMPARE(BatchHarness::readText(card + "/Music/c.mp4"), h.converted("ffmpeg.exe", c));
}

void TransferBatchTest::quoteInAPathStartsNoConverter() {
    BatchHarness h;
    const std::string card = h.addCard('D');
    const std::string odd = h.rig.writeFile("music/say\"hi\".mp3", "mp3");
    const std::string plain = h.rig.writeFile("music/plain.mp3", "mp3");
    h.load(odd + " " + plain);
    // The tokeniser keeps a quote inside an unquoted token as it is.
    QCOMPARE(h.form->FileList.SourcePaths[0], odd);
    const QString before = h.log();

    h.press();

    checkFinished(h);
    QCOMPARE(h.log(), before + logLine(1, odd, " FAIL") + logLine(2, plain, " SUCCESS") +
                          QStringLiteral("\r\n**Finished**"));
    QCOMPARE(h.calls().size(), std::size_t{1});
    QCOMPARE(h.calls()[0][7], plain);
    QCOMPARE(
        h.batchPauses().mid(0, 4),
        (QStringList{kSearching, nextFile(QStringLiteral("Searching the memory card of DS...")),
                     kFailed, kFailurePause}));
    QVERIFY(!BatchHarness::exists(card + "/Music/say\"hi\".mp4"));
}

void TransferBatchTest::cardNamesLoseWhatFatCannotStore() {
    BatchHarness h;
    const std::string card = h.addCard('D');
    const std::string odd = h.rig.writeFile("music/what? a:b.mp3", "mp3");
    h.load(quoted(odd));

    h.press();

    checkFinished(h);
    QCOMPARE(h.calls()[0].back(), h.rig.tempDir() + "/what? a:b.mp4");
    QCOMPARE(BatchHarness::readText(card + "/Music/what_ a_b.mp4"), h.converted("ffmpeg.exe", odd));
}

// Windows takes these names for devices, whatever the extension and case: a
// card written here is read there, so they arrive as Windows can store them.
void TransferBatchTest::deviceNamesArriveWithAnUnderscore() {
    BatchHarness h;
    const std::string card = h.addCard('D');
    const std::vector<std::string> names{"Aux.mp3",   "nul.mp3",       "COM1.mp3",   "CON.mp3",
                                         "lpt9 .mp3", "com\u00b3.mp3", "prn.tar.mp3"};
    std::string argumentText;
    std::vector<std::string> sources;
    for (const std::string& name : names) {
        sources.push_back(h.rig.writeFile("music/" + name, "mp3"));
        argumentText += ondrel::test::quoted(sources.back()) + " ";
    }
    const std::string passed = h.rig.writeFile("music/LPT1.m4a", aacSong("passed through"));
    h.load(argumentText + quoted(passed));

    h.press();

    checkFinished(h);
    QCOMPARE(h.log().count(QStringLiteral(" SUCCESS")), 8);
    const std::vector<std::string> stored{"Aux_.mp4",   "nul_.mp4",       "COM1_.mp4",   "CON_.mp4",
                                          "lpt9 _.mp4", "com\u00b3_.mp4", "prn_.tar.mp4"};
    for (std::size_t i = 0; i < stored.size(); ++i)
        QCOMPARE(BatchHarness::readText(card + "/Music/" + stored[i]),
                 h.converted("ffmpeg.exe", sources[i]));
    QCOMPARE(BatchHarness::readText(card + "/Music/LPT1_.mp4"), aacSong("passed through"));
    QVERIFY(!BatchHarness::exists(card + "/Music/Aux.mp4"));
    QVERIFY(!BatchHarness::exists(card + "/Music/LPT1.mp4"));
    // This system stores any of these names, so its own folders keep them.
    QCOMPARE(h.calls()[0].back(), h.rig.tempDir() + "/Aux.mp4");
}

// Entries whose long form could not be found (on Windows: every network path
// once) would all be written as ".mp4", each replacing the one before.
void TransferBatchTest::entriesWithoutANameFailAlone() {
    for (const bool desktop : {false, true}) {
        BatchHarness h;
        const std::string card = h.addCard('D');
        const std::string first = h.rig.writeFile("nas/first.m4a", "first");
        const std::string second = h.rig.writeFile("nas/second.m4a", "second");
        const std::string third = h.rig.writeFile("nas/third.mp3", "third");
        const std::string named = h.rig.writeFile("nas/named.mp3", "named");
        h.load(first + " " + second + " " + third + " " + named, false, desktop);
        for (int i = 0; i < 3; ++i)
            h.form->FileList.DisplayNames[static_cast<std::size_t>(i)].clear();
        const QString before = h.log();

        h.press();

        checkFinished(h);
        QCOMPARE(h.log(), before + logLine(1, "", " FAIL") + logLine(2, "", " FAIL") +
                              logLine(3, "", " FAIL") + logLine(4, named, " SUCCESS") +
                              QStringLiteral("\r\n**Finished**"));
        // Only the named file was converted; nothing was written for the others.
        QCOMPARE(h.calls().size(), std::size_t{1});
        QCOMPARE(h.calls()[0][7], named);
        const std::string folder = desktop ? h.rig.desktop() : card + "/Music";
        QVERIFY(!BatchHarness::exists(folder + "/.mp4"));
        QVERIFY(BatchHarness::exists(folder + "/named.mp4"));
        QVERIFY(!BatchHarness::exists(h.rig.tempDir() + "/first.mp4"));
        QCOMPARE(
            h.batchPauses().mid(desktop ? 0 : 1, 3),
            (QStringList{nextFile(desktop ? QString()
                                          : QStringLiteral("Searching the memory card of DS...")),
                         kFailed, kFailurePause}));
    }
}

void TransferBatchTest::emptyListStillFinishes() {
    BatchHarness h;
    h.load("   ", false, true);
    QCOMPARE(q(h.form->Command1->text()), QStringLiteral("START!"));
    const QString before = h.log();

    h.press();

    checkFinished(h);
    QCOMPARE(h.log(), before + QStringLiteral("\r\n**Finished**"));
    QVERIFY(h.pauses.empty());
}

void TransferBatchTest::tenthFileIsNumberedTen() {
    BatchHarness h;
    std::string argumentText;
    std::vector<std::string> songs;
    for (int i = 1; i <= 10; ++i) {
        songs.push_back(h.rig.writeFile("music/" + std::to_string(i) + ".m4a", aacSong("m4a")));
        argumentText += songs.back() + " ";
    }
    h.load(argumentText, false, true);
    const QString before = h.log();

    h.press();

    checkFinished(h);
    QString expected = before;
    for (int i = 1; i <= 10; ++i)
        expected += logLine(i, songs[static_cast<std::size_t>(i - 1)], " SUCCESS");
    QCOMPARE(h.log(), expected + QStringLiteral("\r\n**Finished**"));
    // A passed-through file costs two refreshes: its name, then its copy.
    QCOMPARE(h.pauses.size(), std::size_t{20});
    QVERIFY(h.calls().empty());
}

void TransferBatchTest::platformFailuresEndTheProgram() {
    {
        // Music is a file: the folder cannot be created.
        BatchHarness h;
        const std::string card = h.addCard('D');
        h.rig.writeFile("card/Music", "in the way");
        const std::string song = h.rig.writeFile("music/song.mp3", "mp3");
        h.load(song);

        h.press();

        checkEndedOnError(h,
                          {QStringLiteral("The Music folder cannot be created on the memory card."),
                           q(card + "/Music")});
        QVERIFY(h.calls().empty());
    }
    {
        // No converter in the program folder.
        BatchHarness h;
        h.addCard('D');
        std::filesystem::remove(h.programFolder + "/ffmpeg.exe");
        const std::string song = h.rig.writeFile("music/song.mp3", "mp3");
        h.load(song);

        h.press();

        checkEndedOnError(h, {QStringLiteral("The converter cannot be started."),
                              q(h.programFolder + "/ffmpeg.exe")});
        QCOMPARE(h.form->ChildProcessId, 0);
    }
}

void TransferBatchTest::closingDuringConversionEndsConverterAndBatch() {
    BatchHarness h;
    h.addCard('D');
    const std::string song = h.rig.writeFile("music/song.mp3", "mp3");
    const std::string next = h.rig.writeFile("music/next.mp3", "mp3");
    h.setBehaviour("hang\n");
    h.load(song + " " + next);
    std::int32_t converter = 0;
    QString logAtClose;
    std::size_t pausesAtClose = 0;
    h.duringPause = [&](std::uint32_t) {
        if (converter != 0 || h.form->ChildProcessId == 0)
            return;
        converter = h.form->ChildProcessId;
        logAtClose = h.log();
        pausesAtClose = h.pauses.size();
        h.form->window().close();
    };

    h.press();

    QVERIFY(converter != 0);
    QVERIFY(!std::filesystem::exists("/proc/" + std::to_string(converter)));
    QCOMPARE(h.rig.programEnd.calls, 1);
    QVERIFY(h.rig.messageBox.texts.isEmpty());
    QVERIFY(BatchHarness::readText(h.rig.configFile()).find("Kdh=1") != std::string::npos);
    QCOMPARE(h.log(), logAtClose);
    QCOMPARE(h.pauses.size(), pausesAtClose);
    QCOMPARE(h.calls().size(), std::size_t{1});
    // The name made for the song, which the converter never wrote, is gone.
    QVERIFY(std::filesystem::is_empty(h.rig.tempDir()));
}

// A volume whose server stopped answering holds every question about it: the
// search keeps refreshing the window while it waits, then passes it over.
void TransferBatchTest::aSilentVolumeBeforeTheCardIsPassedOver() {
    BatchHarness h;
    const std::string song = h.rig.writeFile("music/song.mp3", "mp3");
    const std::string stalled = h.addCard('D', "stalled");
    h.rig.drives.stalled = {stalled};
    const std::string card = h.addCard('E');
    h.load(song);

    h.press();

    checkFinished(h);
    // Searching: once before the search, five times while D does not answer.
    QCOMPARE(h.batchPauses().mid(0, 6), QStringList(6, kSearching));
    QCOMPARE(BatchHarness::readText(card + "/Music/song.mp4"), h.converted("ffmpeg.exe", song));
    QVERIFY(!BatchHarness::exists(stalled + "/Music"));
}

void TransferBatchTest::closingWhileAVolumeIsSilentEndsTheBatch() {
    BatchHarness h;
    const std::string song = h.rig.writeFile("music/song.mp3", "mp3");
    h.rig.drives.stalled = {h.addCard('D', "stalled")};
    const std::string card = h.addCard('E');
    h.load(song);
    const QString before = h.log();
    std::size_t pausesAtClose = 0;
    h.duringPause = [&](std::uint32_t) {
        // The first pause comes before the search; the second while D is
        // silent, before any file is taken up.
        if (h.pauses.size() != 2 || !h.pauses.back().currentFile.isEmpty())
            return;
        pausesAtClose = h.pauses.size();
        h.form->window().close();
    };

    h.press();

    QCOMPARE(pausesAtClose, std::size_t{2});
    QCOMPARE(h.rig.programEnd.calls, 1);
    QVERIFY(h.rig.messageBox.texts.isEmpty());
    QVERIFY(BatchHarness::readText(h.rig.configFile()).find("Kdh=1") != std::string::npos);
    QCOMPARE(h.log(), before);
    QCOMPARE(h.pauses.size(), pausesAtClose);
    QVERIFY(h.calls().empty());
    QVERIFY(!BatchHarness::exists(card + "/Music"));
}

QTEST_MAIN(TransferBatchTest)
#include "test_transfer_batch.moc"
