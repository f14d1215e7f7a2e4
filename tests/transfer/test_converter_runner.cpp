// The converter runner: its command lines and its wait for a real process.

#include "platform/Processes.h"
#include "tests/transfer/BatchHarness.h"
#include "transfer/ConverterRunner.h"

#include <QTest>

#include <filesystem>

using namespace ondrel;
using namespace ondrel::test;

class ConverterRunnerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commandLinesAreByteExact();
    void quotesNeverReachAConverter();
    void waitForAProcessThatIsGoneReturnsAtOnce_data();
    void waitForAProcessThatIsGoneReturnsAtOnce();
    void waitLastsUntilTheEndWhateverTheTimeOut_data();
    void waitLastsUntilTheEndWhateverTheTimeOut();
    void runnerRecordsTheConverterOnlyWhileItRuns();
};

void ConverterRunnerTest::commandLinesAreByteExact() {
    QCOMPARE(ConverterRunner::commandLine("/opt/On drel", "/m/a b.mp3", "/t/a b.mp4", false),
             std::string("\"/opt/On drel/ffmpeg.exe\" -vn -ab 128k -ar 44100 -i \"/m/a b.mp3\" "
                         "\"/t/a b.mp4\""));
    QCOMPARE(ConverterRunner::commandLine("/opt/On drel", "/m/a b.mp3", "/t/a b.mp4", true),
             std::string("\"/opt/On drel/kdh.exe\" -maxfr 30 -bitexact -vcodec h264 -coder 1 "
                         "-bufsize 128 -g 250 -s 320x240 -b 384 -acodec aac -ac 2 -ar 48000 "
                         "-ab 64 -f mp4 -i \"/m/a b.mp3\" \"/t/a b.mp4\""));
}

void ConverterRunnerTest::quotesNeverReachAConverter() {
    QVERIFY(ConverterRunner::reachesConverterIntact("/m/it's a song (live) $x.mp3"));
    QVERIFY(!ConverterRunner::reachesConverterIntact("/m/a\" -y \"b.mp3"));

    // Called directly with such a path, the runner starts nothing either.
    BatchHarness h;
    h.load("   ");
    ConverterRunner(*h.form, h.rig.services())
        .RunConverter(h.rig.writeFile("m/ok.mp3", "x"), h.rig.tempDir() + "/a\" -y \"b.mp4", false);
    ConverterRunner(*h.form, h.rig.services())
        .RunConverter("/m/a\" -i \"/etc/passwd.mp3", h.rig.tempDir() + "/ok.mp4", true);
    QVERIFY(h.calls().empty());
    QCOMPARE(h.form->ChildProcessId, 0);
}

void ConverterRunnerTest::waitForAProcessThatIsGoneReturnsAtOnce_data() {
    QTest::addColumn<int>("milliseconds");
    QTest::newRow("0") << 0;
    QTest::newRow("5000") << 5000;
    QTest::newRow("-1") << -1;
}

void ConverterRunnerTest::waitForAProcessThatIsGoneReturnsAtOnce() {
    QFETCH(int, milliseconds);
    BatchHarness h;
    h.load("   ");
    platform::Processes& processes = h.rig.services().processes;
    // A process of ours that has ended and been reaped: its id stands for nothing.
    const std::int32_t ended = processes.StartProcess(
        ConverterRunner::commandLine(h.programFolder, "in", h.rig.tempDir() + "/out.mp4", false),
        platform::kMinimizedNoFocus);
    const platform::ProcessHandle handle =
        processes.OpenProcess(platform::kSynchronize, false, ended);
    QVERIFY(handle != 0);
    QCOMPARE(processes.WaitForSingleObject(handle, 0xFFFFFFFF), platform::kWaitObject0);
    processes.CloseHandle(handle);

    ConverterRunner(*h.form, h.rig.services()).WaitForExitProcess(ended, milliseconds);
    ConverterRunner(*h.form, h.rig.services()).WaitForExitProcess(0x7FFFFFF0, milliseconds);

    QVERIFY(h.rig.sleeper.pauses.empty());
}

void ConverterRunnerTest::waitLastsUntilTheEndWhateverTheTimeOut_data() {
    waitForAProcessThatIsGoneReturnsAtOnce_data();
}

void ConverterRunnerTest::waitLastsUntilTheEndWhateverTheTimeOut() {
    QFETCH(int, milliseconds);
    BatchHarness h;
    h.load("   ");
    h.setBehaviour("linger\n");
    platform::Processes& processes = h.rig.services().processes;
    const std::string output = h.rig.tempDir() + "/out.mp4";
    const std::int32_t pid =
        processes.StartProcess(ConverterRunner::commandLine(h.programFolder, "in", output, false),
                               platform::kMinimizedNoFocus);

    ConverterRunner(*h.form, h.rig.services()).WaitForExitProcess(pid, milliseconds);

    // The converter lingers longer than one poll, so the window was refreshed
    // at least once, with the full pause each time; it wrote its output just
    // before it ended and is gone now.
    QVERIFY(!h.rig.sleeper.pauses.empty());
    for (const std::uint32_t pause : h.rig.sleeper.pauses)
        QCOMPARE(pause, std::uint32_t{1000});
    QVERIFY(BatchHarness::exists(output));
    QCOMPARE(processes.OpenProcess(platform::kSynchronize, false, pid), platform::ProcessHandle{0});
}

void ConverterRunnerTest::runnerRecordsTheConverterOnlyWhileItRuns() {
    BatchHarness h;
    h.load("   ");
    h.setBehaviour("linger\n");
    const std::string output = h.rig.tempDir() + "/out.mp4";
    std::vector<std::int32_t> seen;
    h.duringPause = [&](std::uint32_t) {
        seen.push_back(h.form->ChildProcessId);
    };

    ConverterRunner(*h.form, h.rig.services())
        .RunConverter(h.rig.writeFile("m/in.mp3", "x"), output, true);

    QVERIFY(!seen.empty());
    QVERIFY(seen.front() != 0);
    for (const std::int32_t id : seen)
        QCOMPARE(id, seen.front());
    QCOMPARE(BatchHarness::readText(h.programFolder + "/pid"), std::to_string(seen.front()) + "\n");
    QCOMPARE(h.form->ChildProcessId, 0);
    QCOMPARE(h.calls().size(), std::size_t{1});
    QCOMPARE(h.calls()[0][0], h.programFolder + "/kdh.exe");
}

QTEST_MAIN(ConverterRunnerTest)
#include "test_converter_runner.moc"
