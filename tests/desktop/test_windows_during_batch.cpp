// The About and Setting windows opened from the main window while a transfer
// batch runs: the batch goes on behind them, and the main window stays
// disabled exactly as long as one of them is open.

#include "tests/transfer/BatchHarness.h"

#include "desktop/Form2.h"
#include "desktop/Form3.h"

#include <QTest>
#include <QWindow>

#include <vector>

using namespace ondrel;
using namespace ondrel::test;

namespace {

// What the main window showed during one pause of the batch.
struct Seen {
    bool windowOpen = false;
    bool mainEnabled = false;
    QString log;
};

} // namespace

class WindowsDuringBatchTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void batchGoesOnBehindASecondaryWindow_data();
    void batchGoesOnBehindASecondaryWindow();
};

void WindowsDuringBatchTest::batchGoesOnBehindASecondaryWindow_data() {
    QTest::addColumn<bool>("about");
    QTest::addColumn<bool>("closeDuringBatch");
    QTest::newRow("About, open past the end") << true << false;
    QTest::newRow("About, closed during the batch") << true << true;
    QTest::newRow("Setting, open past the end") << false << false;
    QTest::newRow("Setting, closed during the batch") << false << true;
}

void WindowsDuringBatchTest::batchGoesOnBehindASecondaryWindow() {
    QFETCH(bool, about);
    QFETCH(bool, closeDuringBatch);
    BatchHarness h;
    const std::string one = h.rig.writeFile("music/one.mp3", "first");
    const std::string two = h.rig.writeFile("music/two.mp3", "second");
    h.load(quoted(one) + " " + quoted(two), false, true);
    h.form->window().show();
    QCOMPARE(q(h.form->Command1->text()), QStringLiteral("START!"));

    platform::Window* window = nullptr;
    platform::Button* windowButton = nullptr;
    std::vector<Seen> seen;
    int pausesWithWindow = 0;
    h.duringPause = [&](std::uint32_t) {
        if (seen.empty()) {
            // The user's click lands in the batch's first pause.
            (about ? h.form->Command2 : h.form->Command3)->click();
            if (about && h.form->about() != nullptr) {
                window = &h.form->about()->window();
                windowButton = h.form->about()->Command1;
            } else if (!about && h.form->setting() != nullptr) {
                window = &h.form->setting()->window();
                windowButton = h.form->setting()->Command1;
            }
        } else if (closeDuringBatch && window != nullptr && ++pausesWithWindow == 3) {
            qtWidget(*window)->windowHandle()->close();
        }
        seen.push_back(
            {window != nullptr && window->isVisible(), h.form->window().isEnabled(), h.log()});
    };
    h.press();

    // The batch ran to its end behind the window.
    QCOMPARE(h.rig.messageBox.texts, QStringList());
    QCOMPARE(h.rig.programEnd.calls, 0);
    QVERIFY(h.log().contains(QStringLiteral("No. 1: ")));
    QVERIFY(h.log().contains(QStringLiteral("No. 2: ")));
    QCOMPARE(h.log().count(QStringLiteral(" SUCCESS")), 2);
    QVERIFY(h.log().endsWith(QStringLiteral("\r\n**Finished**")));
    QCOMPARE(q(h.form->Command1->text()), QStringLiteral("FINISH"));
    QVERIFY(BatchHarness::exists(h.rig.desktop() + "/one.mp4"));
    QVERIFY(BatchHarness::exists(h.rig.desktop() + "/two.mp4"));

    // Disabled exactly while the window was open, and the log kept growing.
    QVERIFY(seen.size() >= 4);
    QVERIFY(seen.front().windowOpen);
    int pausesOpen = 0;
    for (const Seen& pause : seen) {
        QCOMPARE(pause.mainEnabled, !pause.windowOpen);
        pausesOpen += pause.windowOpen ? 1 : 0;
    }
    QVERIFY(seen.front().log != h.log());
    if (closeDuringBatch) {
        QVERIFY(!seen.back().windowOpen);
        QVERIFY(pausesOpen < static_cast<int>(seen.size()));
        QVERIFY(h.form->window().isEnabled());
        QVERIFY(!window->isVisible());
        return;
    }

    // Still open after the batch: the main window waits for it.
    QCOMPARE(pausesOpen, static_cast<int>(seen.size()));
    QVERIFY(window != nullptr && window->isVisible());
    QVERIFY(!h.form->window().isEnabled());
    windowButton->click();
    QVERIFY(!window->isVisible());
    QVERIFY(h.form->window().isEnabled());
    QCOMPARE(q(h.form->Command1->text()), QStringLiteral("FINISH"));
    QCOMPARE(h.rig.programEnd.calls, 0);
    // "Set" without a change made no shortcut.
    QVERIFY(!BatchHarness::exists(h.rig.desktop() + "/Ondrel.lnk"));
}

QTEST_MAIN(WindowsDuringBatchTest)
#include "test_windows_during_batch.moc"
