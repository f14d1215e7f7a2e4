// The memory card locator on real folders standing in for drive roots.

#include "tests/support/TestRig.h"
#include "transfer/CardLocator.h"

#include <QTest>

#include <filesystem>

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

    FakeDriveList inner;
    mutable std::string asked;
};

} // namespace

class CardLocatorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void searchRunsFromDToZAndStopsAtTheFirstCard();
    void noCardCreatesNothing();
    void existingMusicIsLeftAlone();
    void markerReachedThroughALinkDoesNotCount();
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
    CardLocator locator(rig.native.services().fileSystem, drives);

    QCOMPARE(locator.FindMemoryCard(), std::string("H"));

    QCOMPARE(drives.asked, std::string("DEFGH"));
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
    CardLocator locator(rig.native.services().fileSystem, drives);

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
    CardLocator locator(rig.native.services().fileSystem, drives);

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
    CardLocator locator(rig.native.services().fileSystem, drives);

    QCOMPARE(locator.FindMemoryCard(), std::string("F"));

    QVERIFY(!std::filesystem::exists(linkedDs + "/Music"));
    QVERIFY(!std::filesystem::exists(linkedPrivate + "/Music"));
    QVERIFY(std::filesystem::is_directory(rig.makeFolder("real card") + "/Music"));
}

QTEST_MAIN(CardLocatorTest)
#include "test_card_locator.moc"
