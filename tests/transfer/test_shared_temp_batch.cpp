// TEMP shared with another user of the machine, as /tmp is: a folder anyone
// may write in, with the sticky bit. A file the other user puts under a
// temporary name must never be taken for a result, read, copied, replaced or
// removed; the song goes on under a name of its own.
// Needs a second user and a folder made for both, so it runs only from
// tests/scripts/test_shared_temp.sh, which names them in ONDREL_OTHER_USER
// and ONDREL_SHARED_TEMP.

#include "tests/support/Mp4Samples.h"
#include "tests/transfer/BatchHarness.h"

#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

using namespace ondrel;
using namespace ondrel::test;
using ondrel::test::mp4::aacSong;

namespace {

const QString kConverting = QStringLiteral("Converting the music file for DS...");

QString logLine(int number, const std::string& displayName, const char* outcome) {
    return QStringLiteral("\r\nNo. ") + QString::number(number) + QStringLiteral(": ") +
           q(displayName) + QStringLiteral("...") + QString::fromLatin1(outcome);
}

struct OtherUser {
    std::string name;
    uid_t uid = 0;
    gid_t gid = 0;
};

// What the script set up: the other user and the shared folder, empty.
bool sharedSetUp(OtherUser& other, std::string& shared) {
    const QByteArray name = qgetenv("ONDREL_OTHER_USER");
    const QByteArray folder = qgetenv("ONDREL_SHARED_TEMP");
    const passwd* entry = name.isEmpty() ? nullptr : ::getpwnam(name.constData());
    if (entry == nullptr || folder.isEmpty())
        return false;
    other = {name.toStdString(), entry->pw_uid, entry->pw_gid};
    shared = folder.toStdString();
    std::filesystem::remove_all(shared + "/case");
    return true;
}

// Writes a file as the other user, through the system's own tool.
void writeAs(const OtherUser& other, const std::string& path, const std::string& content) {
    const pid_t child = ::fork();
    if (child == 0) {
        const std::string uid = std::to_string(other.uid);
        const std::string gid = std::to_string(other.gid);
        ::execlp("setpriv", "setpriv", "--reuid", uid.c_str(), "--regid", gid.c_str(),
                 "--clear-groups", "--", "sh", "-c", "printf %s \"$2\" > \"$1\"", "sh",
                 path.c_str(), content.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        QFAIL(qPrintable(QStringLiteral("the other user could not write ") + q(path)));
}

uid_t ownerOf(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 ? status.st_uid : static_cast<uid_t>(-1);
}

// The folder of one case, inside the shared one and as open as it is.
std::string caseFolder(const std::string& shared) {
    const std::string folder = shared + "/case";
    std::filesystem::create_directory(folder);
    ::chmod(folder.c_str(), 01777);
    return folder;
}

} // namespace

class SharedTempTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void anotherUsersFileUnderTheNameIsLeftAloneAndTheSongGoesOn();
    void anotherUsersFileWrittenDuringTheConversionIsNeverCopied();
};

void SharedTempTest::anotherUsersFileUnderTheNameIsLeftAloneAndTheSongGoesOn() {
    OtherUser other;
    std::string shared;
    if (!sharedSetUp(other, shared))
        QSKIP("needs another user and a shared folder: run tests/scripts/test_shared_temp.sh");
    const std::string temp = caseFolder(shared);
    writeAs(other, temp + "/song.mp4", "the other user's file");
    writeAs(other, temp + "/tune.mp4", "another file of theirs");
    BatchHarness h;
    const std::string card = h.addCard('D');
    h.rig.environment.variables["TEMP"] = temp;
    const std::string song = h.rig.writeFile("music/song.mp3", "mp3");
    const std::string tune = h.rig.writeFile("music/tune.m4a", aacSong("m4a"));
    const std::string after = h.rig.writeFile("music/after.mp3", "mp3");
    h.load(song + " " + tune + " " + after);
    const QString before = h.log();

    h.press();

    QVERIFY2(h.rig.messageBox.texts.isEmpty(), qPrintable(h.rig.messageBox.texts.join(u'\n')));
    QCOMPARE(h.log(), before + logLine(1, song, " SUCCESS") + logLine(2, tune, " SUCCESS") +
                          logLine(3, after, " SUCCESS") + QStringLiteral("\r\n**Finished**"));
    QCOMPARE(BatchHarness::readText(temp + "/song.mp4"), std::string("the other user's file"));
    QCOMPARE(BatchHarness::readText(temp + "/tune.mp4"), std::string("another file of theirs"));
    QCOMPARE(ownerOf(temp + "/song.mp4"), other.uid);
    QCOMPARE(ownerOf(temp + "/tune.mp4"), other.uid);
    QCOMPARE(h.calls()[0].back(), temp + "/song (2).mp4");
    QCOMPARE(BatchHarness::readText(card + "/Music/song.mp4"), h.converted("ffmpeg.exe", song));
    QCOMPARE(BatchHarness::readText(card + "/Music/tune.mp4"), aacSong("m4a"));
    QCOMPARE(BatchHarness::readText(card + "/Music/after.mp4"), h.converted("ffmpeg.exe", after));
}

void SharedTempTest::anotherUsersFileWrittenDuringTheConversionIsNeverCopied() {
    OtherUser other;
    std::string shared;
    if (!sharedSetUp(other, shared))
        QSKIP("needs another user and a shared folder: run tests/scripts/test_shared_temp.sh");
    const std::string temp = caseFolder(shared);
    BatchHarness h;
    const std::string card = h.addCard('D');
    h.rig.environment.variables["TEMP"] = temp;
    const std::string song = h.rig.writeFile("music/song.mp3", "mp3");
    // The real converters clear the name before they write; ours cannot
    // rename over a file of theirs in a sticky folder, so it leaves nothing.
    h.setBehaviour("nothing\n");
    bool planted = false;
    h.duringPause = [&](std::uint32_t) {
        if (planted || q(h.form->Label2->text()) != kConverting)
            return;
        planted = true;
        std::filesystem::remove(temp + "/song.mp4");
        writeAs(other, temp + "/song.mp4", "the other user's bytes");
    };
    h.load(song);
    const QString before = h.log();

    h.press();

    QVERIFY(planted);
    QVERIFY2(h.rig.messageBox.texts.isEmpty(), qPrintable(h.rig.messageBox.texts.join(u'\n')));
    QCOMPARE(h.log(), before + logLine(1, song, " FAIL") + QStringLiteral("\r\n**Finished**"));
    QVERIFY(!BatchHarness::exists(card + "/Music/song.mp4"));
    QCOMPARE(BatchHarness::readText(temp + "/song.mp4"), std::string("the other user's bytes"));
    QCOMPARE(ownerOf(temp + "/song.mp4"), other.uid);
}

QTEST_MAIN(SharedTempTest)
#include "test_shared_temp_batch.moc"
