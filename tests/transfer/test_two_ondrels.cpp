// Two Ondrels at once, as when two albums are sent one after the other: the
// second must not take away or replace what the first is still working on.
// The first runs in a process of its own (this program, started with
// --other-ondrel), as a second window of the program would.

#include "tests/support/Mp4Samples.h"
#include "tests/transfer/BatchHarness.h"

#include <QApplication>
#include <QProcess>
#include <QTest>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

using namespace ondrel;
using namespace ondrel::test;
using ondrel::test::mp4::aacSong;

namespace {

const QString kTransferring = QStringLiteral("Transferring the music file to DS...");

// Polls for a file that another process writes, for at most about 120 s.
bool waitForFile(const std::string& path) {
    for (int i = 0; i < 1200; ++i) {
        if (BatchHarness::exists(path))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// The first Ondrel: sends music/song.m4a of its own to a card of its own,
// with TEMP unset, so that its temporary file lies in the shared private
// folder. It stops while it shows "Transferring...", with its temporary
// file made and not yet copied, says so with SHARED/ready and goes on once
// SHARED/go exists. SHARED/outcome receives what it ended with.
int otherOndrel(const std::string& shared) {
    BatchHarness h;
    h.rig.environment.variables.erase("TEMP");
    h.rig.environment.privateTempFolder = shared + "/private-temp";
    const std::string card = h.addCard('D');
    const std::string song = h.rig.writeFile("music/song.m4a", aacSong("the first Ondrel's song"));
    bool stopped = false;
    h.duringPause = [&](std::uint32_t) {
        if (stopped || q(h.form->Label2->text()) != kTransferring)
            return;
        stopped = true;
        BatchHarness::writeText(shared + "/ready", "");
        waitForFile(shared + "/go");
    };
    h.load(song);
    h.press();
    BatchHarness::writeText(shared + "/first-log", h.log().toStdString());
    BatchHarness::writeText(shared + "/first-boxes",
                            h.rig.messageBox.texts.join(u'\n').toStdString());
    BatchHarness::writeText(shared + "/first-card",
                            BatchHarness::readText(card + "/Music/song.mp4"));
    BatchHarness::writeText(shared + "/outcome", "");
    return 0;
}

} // namespace

class TwoOndrelsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void secondLeavesTheFirstsTemporaryFileAlone();
};

void TwoOndrelsTest::secondLeavesTheFirstsTemporaryFileAlone() {
    BatchHarness h;
    const std::string shared = h.rig.makeFolder("shared");
    h.rig.makeFolder("shared/private-temp");
    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--other-ondrel"), q(shared)});
    QVERIFY(first.waitForStarted(120000));
    QVERIFY2(waitForFile(shared + "/ready"), "the first Ondrel never got to its copy");
    QVERIFY(BatchHarness::exists(shared + "/private-temp/song.mp4"));

    h.rig.environment.variables.erase("TEMP");
    h.rig.environment.privateTempFolder = shared + "/private-temp";
    const std::string card = h.addCard('D');
    const std::string song = h.rig.writeFile("music/song.m4a", aacSong("the second Ondrel's song"));
    // Once the second is under way with its file (its line is in the log), the
    // first may go on; the second works under a name of its own meanwhile.
    bool released = false;
    h.duringPause = [&](std::uint32_t) {
        if (released || !h.log().contains(QStringLiteral("No. 1: ")))
            return;
        released = true;
        BatchHarness::writeText(shared + "/go", "");
        waitForFile(shared + "/outcome");
    };
    h.load(song);

    h.press();

    QVERIFY(released);
    // The second's pauses ran its events, so the first may be known to have ended.
    if (first.state() != QProcess::NotRunning)
        QVERIFY(first.waitForFinished(120000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0);
    // The first ends as if it had been alone, with its own song on its card.
    QCOMPARE(BatchHarness::readText(shared + "/first-boxes"), std::string());
    QVERIFY2(q(BatchHarness::readText(shared + "/first-log"))
                 .endsWith(QStringLiteral("... SUCCESS\r\n**Finished**")),
             BatchHarness::readText(shared + "/first-log").c_str());
    QCOMPARE(BatchHarness::readText(shared + "/first-card"), aacSong("the first Ondrel's song"));
    QCOMPARE(BatchHarness::readText(shared + "/private-temp/song.mp4"),
             aacSong("the first Ondrel's song"));
    QCOMPARE(BatchHarness::readText(shared + "/private-temp/song (2).mp4"),
             aacSong("the second Ondrel's song"));
    // And so does the second.
    QVERIFY2(h.rig.messageBox.texts.isEmpty(), qPrintable(h.rig.messageBox.texts.join(u'\n')));
    QVERIFY2(h.log().endsWith(QStringLiteral("... SUCCESS\r\n**Finished**")), qPrintable(h.log()));
    QCOMPARE(BatchHarness::readText(card + "/Music/song.mp4"), aacSong("the second Ondrel's song"));
}

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--other-ondrel") == 0)
        return otherOndrel(argv[2]);
    QApplication app(argc, argv);
    TwoOndrelsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_two_ondrels.moc"
