// The transfer batch onto a real FAT32 card: an image formatted as a card is,
// mounted through FUSE. FAT has rules of its own that a tmpfs card hides: names
// compared without regard to case, characters it cannot store, a fixed size,
// and a volume that can vanish in the middle of a write. Needs a private mount
// namespace and /dev/fuse, so it runs only from tests/scripts/test_fat_card.sh,
// which sets ONDREL_FAT_CARDS.

#include "platform/linux/LinuxFileSystem.h"
#include "tests/support/Mp4Samples.h"
#include "tests/transfer/BatchHarness.h"
#include "tests/transfer/FatCard.h"

#include <QTest>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace ondrel;
using namespace ondrel::test;
using ondrel::test::mp4::aacSong;

namespace {

constexpr int kCardMegabytes = 40; // FAT32 needs about 33 at least

std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

QString shown(const std::vector<std::string>& names) {
    QStringList list;
    for (const std::string& name : names)
        list.append(q(name));
    return list.join(QStringLiteral(", "));
}

// A card with the marker and, when asked for, a Music folder holding files.
std::string prepareCard(BatchHarness& h, const FatCard& card) {
    std::filesystem::create_directories(card.root() + "/private/ds");
    h.rig.drives.roots['E'] = card.root();
    return card.root() + "/Music";
}

std::string lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The error road: one box naming the file on the card and the system's reason
// (any of the reasons given), the program ended with an error.
void checkEndedOnError(BatchHarness& h, const std::string& destination,
                       std::initializer_list<int> reasons) {
    QCOMPARE(h.rig.messageBox.texts.size(), 1);
    const QString text = h.rig.messageBox.texts.first();
    QVERIFY2(text.contains(q(destination)), qPrintable(text));
    QVERIFY2(std::any_of(reasons.begin(), reasons.end(),
                         [&](int reason) {
                             return text.contains(QString::fromUtf8(std::strerror(reason)));
                         }),
             qPrintable(text));
    QCOMPARE(h.rig.programEnd.calls, 1);
    QCOMPARE(h.rig.programEnd.lastExitCode, 1);
    QVERIFY(!h.log().contains(QStringLiteral(" SUCCESS")));
    QVERIFY(!h.log().contains(QStringLiteral("**Finished**")));
}

void checkFinishedWith(BatchHarness& h, int successes) {
    QVERIFY2(h.rig.messageBox.texts.isEmpty(), qPrintable(h.rig.messageBox.texts.join(u'\n')));
    QCOMPARE(h.log().count(QStringLiteral(" SUCCESS")), successes);
    QVERIFY(h.log().endsWith(QStringLiteral("**Finished**")));
}

// What fsck.fat -n complained of, one line each, without its figures and the
// lines that only frame the report.
QString fsckComplaints(const std::string& report) {
    QStringList complaints;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line.rfind("fsck.fat ", 0) == 0 || line.rfind("  ", 0) == 0 ||
            line.find(" files, ") != std::string::npos || line == "Leaving filesystem unchanged.")
            continue;
        complaints.append(q(line.substr(0, line.find(" ("))));
    }
    return complaints.join(u'\n');
}

#define CHECK_FSCK_CLEAN(card)                                                                     \
    do {                                                                                           \
        std::string report;                                                                        \
        QVERIFY2((card).fsck(report), report.c_str());                                             \
    } while (0)

} // namespace

class FatCardBatchTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void convertedAndPassedThroughFilesArrive();
    void aFileOfAnotherCaseIsReplaced();
    void songsWhoseNamesDifferInCaseBothArrive();
    void unstorableCharactersArriveAsUnderscores();
    void bytesThatAreNotUtf8ArriveAsUnderscores();
    void deviceNamesArriveWithAnUnderscore();
    void aFullCardTakesTheErrorRoad();
    void aDesktopOnFatKeepsWhatIsThere();
    void aCardPulledOutBeforeTheCopy();
    void aCardPulledOutDuringTheCopy();
};

void FatCardBatchTest::initTestCase() {
    if (qEnvironmentVariableIsEmpty("ONDREL_FAT_CARDS"))
        QSKIP("needs FUSE in a private mount namespace: run tests/scripts/test_fat_card.sh");
}

void FatCardBatchTest::convertedAndPassedThroughFilesArrive() {
    BatchHarness h;
    FatCard card(h.rig.makeFolder("fat"), kCardMegabytes);
    const std::string music = prepareCard(h, card);
    const std::string song = h.rig.writeFile("music/song.mp3", "an mp3");
    const std::string tune =
        h.rig.writeFile("music/two words.m4a", aacSong("an m4a, passed through"));

    h.load(quoted(song) + " " + quoted(tune));
    h.press();

    checkFinishedWith(h, 2);
    QCOMPARE(BatchHarness::readText(music + "/song.mp4"), h.converted("ffmpeg.exe", song));
    QCOMPARE(BatchHarness::readText(music + "/two words.mp4"), aacSong("an m4a, passed through"));
    // Nothing hidden is left beside them: the copies' temporary files are gone.
    QCOMPARE(shown(entries(music)), QStringLiteral("song.mp4, two words.mp4"));
    QVERIFY(card.unmount());
    CHECK_FSCK_CLEAN(card);
}

void FatCardBatchTest::aFileOfAnotherCaseIsReplaced() {
    BatchHarness h;
    FatCard card(h.rig.makeFolder("fat"), kCardMegabytes);
    const std::string music = prepareCard(h, card);
    std::filesystem::create_directory(music);
    BatchHarness::writeText(music + "/SONG.MP4", "the older song");

    // The look-up that gives listed files their stored spelling, on the card's folders.
    QVERIFY(platform::LinuxFileSystem::isCaseInsensitiveFolder(music));
    {
        platform::LinuxFileSystem files;
        QCOMPARE(files.LookupEntryName(card.root() + "/MUSIC"), std::string("Music"));
        QCOMPARE(files.LookupEntryName(card.root() + "/music/song.mp4"), std::string("SONG.MP4"));
        QCOMPARE(files.LookupEntryName(card.root() + "/Private/DS"), std::string("ds"));
    }

    const std::string song = h.rig.writeFile("music/song.mp3", "the new song");
    h.load(quoted(song));
    h.press();

    checkFinishedWith(h, 1);
    const std::vector<std::string> left = entries(music);
    QCOMPARE(left.size(), std::size_t(1));
    QCOMPARE(lower(left.front()), std::string("song.mp4"));
    QCOMPARE(BatchHarness::readText(music + "/" + left.front()), h.converted("ffmpeg.exe", song));
    platform::LinuxFileSystem files;
    QCOMPARE(files.LookupEntryName(music + "/Song.Mp4"), left.front());
    QVERIFY(card.unmount());
    CHECK_FSCK_CLEAN(card);
}

// "Intro" and "intro" are one name on the card: the second song of the batch
// arrives beside the first, not over it. A file of that name from before the
// batch is still replaced.
void FatCardBatchTest::songsWhoseNamesDifferInCaseBothArrive() {
    BatchHarness h;
    FatCard card(h.rig.makeFolder("fat"), kCardMegabytes);
    const std::string music = prepareCard(h, card);
    std::filesystem::create_directory(music);
    BatchHarness::writeText(music + "/INTRO.MP4", "from an earlier day");
    const std::string upper = h.rig.writeFile("music/Intro.mp3", "one");
    const std::string lowerCase = h.rig.writeFile("music/intro.mp3", "two");

    h.load(quoted(upper) + " " + quoted(lowerCase));
    h.press();

    checkFinishedWith(h, 2);
    std::vector<std::string> left = entries(music);
    // The first keeps whichever spelling the card stores; sorted by the names' letters.
    std::sort(left.begin(), left.end(),
              [](const std::string& a, const std::string& b) { return lower(a) > lower(b); });
    QCOMPARE(shown(left).toLower(), QStringLiteral("intro.mp4, intro (2).mp4"));
    QCOMPARE(BatchHarness::readText(music + "/" + left[0]), h.converted("ffmpeg.exe", upper));
    QCOMPARE(BatchHarness::readText(music + "/" + left[1]), h.converted("ffmpeg.exe", lowerCase));
    QVERIFY(card.unmount());
    CHECK_FSCK_CLEAN(card);
}

void FatCardBatchTest::unstorableCharactersArriveAsUnderscores() {
    BatchHarness h;
    FatCard card(h.rig.makeFolder("fat"), kCardMegabytes);
    const std::string music = prepareCard(h, card);
    // Valid Linux names, each holding characters that a FAT entry cannot.
    const std::string passed =
        h.rig.writeFile("music/a:b*c?d<e>f|g\\h.m4a", aacSong("passed through"));
    const std::string converted = h.rig.writeFile("music/what? now.mp3", "an mp3");

    h.load(quoted(passed) + " " + quoted(converted));
    h.press();

    checkFinishedWith(h, 2);
    QCOMPARE(shown(entries(music)), QStringLiteral("a_b_c_d_e_f_g_h.mp4, what_ now.mp4"));
    QCOMPARE(BatchHarness::readText(music + "/a_b_c_d_e_f_g_h.mp4"), aacSong("passed through"));
    QCOMPARE(BatchHarness::readText(music + "/what_ now.mp4"),
             h.converted("ffmpeg.exe", converted));
    QVERIFY(card.unmount());
    CHECK_FSCK_CLEAN(card);
}

void FatCardBatchTest::bytesThatAreNotUtf8ArriveAsUnderscores() {
    BatchHarness h;
    FatCard card(h.rig.makeFolder("fat"), kCardMegabytes);
    const std::string music = prepareCard(h, card);
    // FAT keeps names as UTF-16: a byte that is no UTF-8 has no place there.
    const std::string bad = h.rig.makeFolder("music") + "/bad\xff name.m4a";
    BatchHarness::writeText(bad, aacSong("passed through"));
    const std::string good = h.rig.writeFile("music/good.m4a", aacSong("the next file"));

    h.load(quoted(bad) + " " + quoted(good));
    h.press();

    checkFinishedWith(h, 2);
    QCOMPARE(shown(entries(music)), QStringLiteral("bad_ name.mp4, good.mp4"));
    QCOMPARE(BatchHarness::readText(music + "/bad_ name.mp4"), aacSong("passed through"));
    QVERIFY(card.unmount());
    CHECK_FSCK_CLEAN(card);
}

void FatCardBatchTest::aDesktopOnFatKeepsWhatIsThere() {
    // A Desktop on a FAT volume: names compared without regard to case, and
    // no rename that refuses to replace, so the new name is made ours first.
    BatchHarness h;
    FatCard card(h.rig.makeFolder("fat"), kCardMegabytes);
    const std::string desktop = card.root() + "/Desktop";
    std::filesystem::create_directory(desktop);
    std::filesystem::remove_all(h.rig.desktop());
    std::filesystem::create_directory_symlink(desktop, h.rig.desktop());
    BatchHarness::writeText(desktop + "/HOLIDAY.MP4", "the user's video");
    const std::string song = h.rig.writeFile("music/holiday.mp3", "an mp3");
    const std::string tune = h.rig.writeFile("music/tune.m4a", aacSong("an m4a"));

    h.load(quoted(song) + " " + quoted(tune), false, true);
    h.press();

    checkFinishedWith(h, 2);
    QCOMPARE(shown(entries(desktop)), QStringLiteral("HOLIDAY.MP4, holiday (2).mp4, tune.mp4"));
    QCOMPARE(BatchHarness::readText(desktop + "/HOLIDAY.MP4"), std::string("the user's video"));
    QCOMPARE(BatchHarness::readText(desktop + "/holiday (2).mp4"), h.converted("ffmpeg.exe", song));
    QCOMPARE(BatchHarness::readText(desktop + "/tune.mp4"), aacSong("an m4a"));
}

void FatCardBatchTest::deviceNamesArriveWithAnUnderscore() {
    BatchHarness h;
    FatCard card(h.rig.makeFolder("fat"), kCardMegabytes);
    const std::string music = prepareCard(h, card);
    // A FAT entry can hold these names, but Windows reading the card takes
    // each of them for a device and cannot open the song.
    const std::string aux = h.rig.writeFile("music/Aux.mp3", "an mp3");
    const std::string nul = h.rig.writeFile("music/nul.mp3", "an mp3");
    const std::string com = h.rig.writeFile("music/COM1.mp3", "an mp3");
    const std::string con = h.rig.writeFile("music/CON.mp3", "an mp3");
    const std::string lpt = h.rig.writeFile("music/LPT1.m4a", aacSong("passed through"));

    h.load(quoted(aux) + " " + quoted(nul) + " " + quoted(com) + " " + quoted(con) + " " +
           quoted(lpt));
    h.press();

    checkFinishedWith(h, 5);
    QCOMPARE(shown(entries(music)),
             QStringLiteral("Aux_.mp4, COM1_.mp4, CON_.mp4, LPT1_.mp4, nul_.mp4"));
    QCOMPARE(BatchHarness::readText(music + "/Aux_.mp4"), h.converted("ffmpeg.exe", aux));
    QCOMPARE(BatchHarness::readText(music + "/LPT1_.mp4"), aacSong("passed through"));
    QVERIFY(card.unmount());
    CHECK_FSCK_CLEAN(card);
}

void FatCardBatchTest::aFullCardTakesTheErrorRoad() {
    BatchHarness h;
    FatCard card(h.rig.makeFolder("fat"), kCardMegabytes);
    const std::string music = prepareCard(h, card);
    std::filesystem::create_directory(music);
    BatchHarness::writeText(music + "/song.mp4", "the older song");
    // Filled up to the last cluster; the write that finds it full fails.
    FatCard::shell("head -c 64M /dev/zero >" + FatCard::quoted(card.root() + "/filler") +
                   " 2>/dev/null; true");
    const std::string song = h.rig.writeFile("music/song.m4a", aacSong(std::string(1 << 20, 'm')));

    h.load(quoted(song));
    h.press();

    // fusefat reports a full volume as EPERM.
    checkEndedOnError(h, music + "/song.mp4", {ENOSPC, EPERM});
    QCOMPARE(shown(entries(music)), QStringLiteral("song.mp4"));
    QCOMPARE(BatchHarness::readText(music + "/song.mp4"), std::string("the older song"));
    QVERIFY(card.unmount());
    CHECK_FSCK_CLEAN(card);
}

void FatCardBatchTest::aCardPulledOutBeforeTheCopy() {
    BatchHarness h;
    FatCard card(h.rig.makeFolder("fat"), kCardMegabytes);
    const std::string music = prepareCard(h, card);
    std::filesystem::create_directory(music);
    BatchHarness::writeText(music + "/song.mp4", "the older song");
    // Syncing the image first: what the daemon still held when it died is
    // the daemon's loss, not the program's.
    QVERIFY(card.unmount());
    card.mount();
    const std::string song = h.rig.writeFile("music/song.mp3", "an mp3");
    h.setBehaviour("linger\n");
    bool pulled = false;
    h.duringPause = [&](std::uint32_t) {
        if (!pulled && h.form->ChildProcessId != 0)
            pulled = card.pullOut();
    };

    h.load(quoted(song));
    h.press();

    QVERIFY(pulled);
    checkEndedOnError(h, music + "/song.mp4", {ENOTCONN});
    QVERIFY(card.takeAwayDeadMount());
    card.mount();
    QCOMPARE(shown(entries(music)), QStringLiteral("song.mp4"));
    QCOMPARE(BatchHarness::readText(music + "/song.mp4"), std::string("the older song"));
    QVERIFY(card.unmount());
    CHECK_FSCK_CLEAN(card);
}

void FatCardBatchTest::aCardPulledOutDuringTheCopy() {
    BatchHarness h;
    FatCard card(h.rig.makeFolder("fat"), kCardMegabytes);
    const std::string music = prepareCard(h, card);
    std::filesystem::create_directory(music);
    BatchHarness::writeText(music + "/song.mp4", "the older song");
    QVERIFY(card.unmount());
    card.mount();
    // Large enough that the copy onto the card takes many writes.
    const std::string song = h.rig.writeFile("music/song.m4a", aacSong(std::string(16 << 20, 's')));
    const std::string tempFile = h.rig.tempDir() + "/song.mp4";
    const std::string record = h.rig.root.path().toStdString() + "/pulled";

    // A watcher outside this process pulls the card out once the copy onto it
    // has read from TempFile, holding this process still meanwhile (fat.sh).
    FatCard::shell("(fat_pull_out_while_read " + std::to_string(::getpid()) + " " +
                   FatCard::quoted(tempFile) + " \"$(cat " +
                   FatCard::quoted(h.rig.root.path().toStdString() + "/fat/fat.pid") + ")\" " +
                   FatCard::quoted(record) + " >/dev/null 2>&1 &)");

    h.load(quoted(song));
    h.press();

    std::istringstream pulledAt(BatchHarness::readText(record));
    long long position = 0, size = 0;
    pulledAt >> position >> size;
    QVERIFY2(position > 0 && position < size, "the card was not pulled out during the copy");
    // The write under way when the daemon died, or the next one, is refused;
    // data the kernel had taken into its cache before fails at the flush that
    // ends the copy, with EIO.
    checkEndedOnError(h, music + "/song.mp4", {ECONNABORTED, ENOTCONN, EIO});

    QVERIFY(card.takeAwayDeadMount());
    card.mount();
    QCOMPARE(BatchHarness::readText(music + "/song.mp4"), std::string("the older song"));
    QVERIFY(card.unmount());
    // The daemon died before it could write the free-cluster count, a hint that
    // FAT drivers keep in memory; anything else fsck finds is damage.
    std::string report;
    if (!card.fsck(report))
        QCOMPARE(fsckComplaints(report), QStringLiteral("Free cluster summary wrong"));

    // Transferred again, the song arrives, and the part the pulled card kept goes.
    card.mount();
    BatchHarness again;
    prepareCard(again, card);
    const std::string retry = again.rig.writeFile("music/song.m4a", aacSong("the song, again"));
    again.load(quoted(retry));
    again.press();
    checkFinishedWith(again, 1);
    QCOMPARE(shown(entries(music)), QStringLiteral("song.mp4"));
    QCOMPARE(BatchHarness::readText(music + "/song.mp4"), aacSong("the song, again"));
    QVERIFY(card.unmount());
    if (!card.fsck(report))
        QCOMPARE(fsckComplaints(report), QStringLiteral("Free cluster summary wrong"));
}

QTEST_MAIN(FatCardBatchTest)
#include "test_fat_card_batch.moc"
