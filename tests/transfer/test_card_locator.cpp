// The memory card locator on real folders standing in for drive roots.

#include "tests/support/TestRig.h"
#include "transfer/CardLocator.h"

#include <QTest>

#include <filesystem>
#include <functional>
#include <future>
#include <vector>

using namespace ondrel;
using namespace ondrel::test;

namespace {

// Counts the letters asked for, so a test can see which drives were examined.
class CountingDriveList : public platform::DriveList {
public:
    std::optional<std::string> DriveRoot(char letter) const override {
        asked.push_back(letter);
        return inner.DriveRoot(letter);
    }
    std::future<bool> askFolderExists(const std::string& path) const override {
        return inner.askFolderExists(path);
    }

    FakeDriveList inner;
    mutable std::string asked;
};

// One volume whose answer the test gives when it chooses.
class SlowDriveList : public platform::DriveList {
public:
    std::optional<std::string> DriveRoot(char letter) const override {
        return letter == 'D' ? std::optional<std::string>(root) : std::nullopt;
    }
    std::future<bool> askFolderExists(const std::string&) const override {
        return answer.get_future();
    }

    std::string root;
    mutable std::promise<bool> answer;
};

// Stands in for the window's refresh: counts the calls, and says whether the
// window is still there.
struct Refreshes {
    std::function<bool()> callback() {
        return [this] {
            ++count;
            if (during)
                during(count);
            return count < unloadAt || unloadAt == 0;
        };
    }

    int count = 0;
    int unloadAt = 0; // the refresh during which the window goes; 0: never
    std::function<void(int)> during;
};

} // namespace

class CardLocatorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void searchRunsFromDToZAndStopsAtTheFirstCard();
    void noCardCreatesNothing();
    void existingMusicIsLeftAlone();
    void markerReachedThroughALinkDoesNotCount();
    void aVolumeThatDoesNotAnswerIsPassedOver();
    void aVolumeThatAnswersWhileWaitedForCounts();
    void anUnloadedWindowEndsTheSearchOnASilentVolume();
};

void CardLocatorTest::searchRunsFromDToZAndStopsAtTheFirstCard() {
    TestRig rig;
    CountingDriveList drives;
    for (const char* card : {"c", "h", "k"})
        rig.makeFolder(std::string(card) + "/private/ds");
    rig.writeFile("f/private/ds", "a file, not the marker folder");
    drives.inner.roots = {{'C', rig.makeFolder("c")},
                          {'F', rig.makeFolder("f")},
                          {'H', rig.makeFolder("h")},
                          {'K', rig.makeFolder("k")}};
    Refreshes refreshes;
    CardLocator locator(rig.native.services().fileSystem, drives, refreshes.callback());

    QCOMPARE(locator.FindMemoryCard(), std::string("H"));

    QCOMPARE(drives.asked, std::string("DEFGH"));
    // Volumes that answer keep the window waiting for nothing.
    QCOMPARE(refreshes.count, 0);
    QCOMPARE(locator.cardRoot(), rig.makeFolder("h"));
    QVERIFY(std::filesystem::is_directory(rig.makeFolder("h") + "/Music"));
    QVERIFY(!std::filesystem::exists(rig.makeFolder("c") + "/Music"));
    QVERIFY(!std::filesystem::exists(rig.makeFolder("f") + "/Music"));
    QVERIFY(!std::filesystem::exists(rig.makeFolder("k") + "/Music"));
}

void CardLocatorTest::noCardCreatesNothing() {
    TestRig rig;
    CountingDriveList drives;
    rig.makeFolder("empty/private");
    drives.inner.roots = {{'D', rig.makeFolder("empty")},
                          {'E', rig.root.path().toStdString() + "/no such volume"}};
    Refreshes refreshes;
    CardLocator locator(rig.native.services().fileSystem, drives, refreshes.callback());

    QCOMPARE(locator.FindMemoryCard(), std::string());

    QCOMPARE(drives.asked, std::string("DEFGHIJKLMNOPQRSTUVWXYZ"));
    QCOMPARE(locator.cardRoot(), std::string());
    QVERIFY(!std::filesystem::exists(rig.makeFolder("empty") + "/Music"));
    QVERIFY(!std::filesystem::exists(rig.root.path().toStdString() + "/no such volume"));
}

void CardLocatorTest::existingMusicIsLeftAlone() {
    TestRig rig;
    FakeDriveList drives;
    rig.makeFolder("card/private/ds");
    const std::string song = rig.writeFile("card/Music/old.mp4", "old");
    drives.roots['Z'] = rig.makeFolder("card");
    Refreshes refreshes;
    CardLocator locator(rig.native.services().fileSystem, drives, refreshes.callback());

    QCOMPARE(locator.FindMemoryCard(), std::string("Z"));

    QCOMPARE(std::filesystem::directory_iterator(rig.makeFolder("card/Music"))->path().string(),
             song);
    QCOMPARE(std::distance(std::filesystem::directory_iterator(rig.makeFolder("card/Music")),
                           std::filesystem::directory_iterator()),
             std::ptrdiff_t{1});
}

void CardLocatorTest::markerReachedThroughALinkDoesNotCount() {
    // A volume whose private/ds, or whose private, only links to a card's
    // marker is no card: its Music would be created for nothing, or elsewhere.
    TestRig rig;
    FakeDriveList drives;
    const std::string real = rig.makeFolder("real card/private/ds");
    const std::string linkedDs = rig.makeFolder("linked ds");
    rig.makeFolder("linked ds/private");
    std::filesystem::create_directory_symlink(real, linkedDs + "/private/ds");
    const std::string linkedPrivate = rig.makeFolder("linked private");
    std::filesystem::create_directory_symlink(rig.makeFolder("real card/private"),
                                              linkedPrivate + "/private");
    drives.roots = {{'D', linkedDs}, {'E', linkedPrivate}, {'F', rig.makeFolder("real card")}};
    Refreshes refreshes;
    CardLocator locator(rig.native.services().fileSystem, drives, refreshes.callback());

    QCOMPARE(locator.FindMemoryCard(), std::string("F"));

    QVERIFY(!std::filesystem::exists(linkedDs + "/Music"));
    QVERIFY(!std::filesystem::exists(linkedPrivate + "/Music"));
    QVERIFY(std::filesystem::is_directory(rig.makeFolder("real card") + "/Music"));
}

// A volume whose server stopped answering (a network or FUSE mount) holds the
// question for ever: the window is refreshed meanwhile and the volume passed
// over after five refreshes, even one that holds a card.
void CardLocatorTest::aVolumeThatDoesNotAnswerIsPassedOver() {
    TestRig rig;
    FakeDriveList drives;
    rig.makeFolder("stalled/private/ds");
    rig.makeFolder("card/private/ds");
    drives.roots = {{'D', rig.makeFolder("stalled")}, {'E', rig.makeFolder("card")}};
    drives.stalled = {rig.makeFolder("stalled")};
    Refreshes refreshes;
    CardLocator locator(rig.native.services().fileSystem, drives, refreshes.callback());

    QCOMPARE(locator.FindMemoryCard(), std::string("E"));

    QCOMPARE(refreshes.count, 5);
    QCOMPARE(locator.cardRoot(), rig.makeFolder("card"));
    QVERIFY(std::filesystem::is_directory(rig.makeFolder("card") + "/Music"));
    QVERIFY(!std::filesystem::exists(rig.makeFolder("stalled") + "/Music"));
}

// A slow volume is not given up on at the first refresh.
void CardLocatorTest::aVolumeThatAnswersWhileWaitedForCounts() {
    TestRig rig;
    SlowDriveList drives;
    drives.root = rig.makeFolder("slow card");
    // The marker is there, so that only the slow answer stands in the way.
    rig.makeFolder("slow card/private/ds");
    Refreshes refreshes;
    refreshes.during = [&drives](int count) {
        if (count == 3)
            drives.answer.set_value(true);
    };
    CardLocator locator(rig.native.services().fileSystem, drives, refreshes.callback());

    QCOMPARE(locator.FindMemoryCard(), std::string("D"));

    QCOMPARE(refreshes.count, 3);
    QVERIFY(std::filesystem::is_directory(rig.makeFolder("slow card") + "/Music"));
}

// The window closed during a refresh: nothing more is asked or created.
void CardLocatorTest::anUnloadedWindowEndsTheSearchOnASilentVolume() {
    TestRig rig;
    FakeDriveList drives;
    rig.makeFolder("card/private/ds");
    drives.roots = {{'D', rig.makeFolder("stalled")}, {'E', rig.makeFolder("card")}};
    drives.stalled = {rig.makeFolder("stalled")};
    Refreshes refreshes;
    refreshes.unloadAt = 1;
    CardLocator locator(rig.native.services().fileSystem, drives, refreshes.callback());

    QCOMPARE(locator.FindMemoryCard(), std::string());

    QCOMPARE(refreshes.count, 1);
    QCOMPARE(drives.asked, std::vector<std::string>{rig.makeFolder("stalled") + "/private/ds"});
    QCOMPARE(locator.cardRoot(), std::string());
    QVERIFY(!std::filesystem::exists(rig.makeFolder("card") + "/Music"));
}

QTEST_MAIN(CardLocatorTest)
#include "test_card_locator.moc"
