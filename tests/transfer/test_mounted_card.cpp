// The card locator on the real drive list: a volume mounted below /media must
// be found under its drive letter. Needs a mount made for it, so it runs only
// from tests/scripts/test_card_mount.sh, which names the mount point in
// ONDREL_CARD_MOUNT, and mounts another volume at its Music folder for the
// second case.

#include "platform/DriveList.h"
#include "platform/NativeServices.h"
#include "platform/PlatformError.h"
#include "platform/Services.h"
#include "transfer/CardLocator.h"

#include <QTest>

#include <filesystem>

using namespace ondrel;

class MountedCardTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mountedCardIsFoundUnderItsLetter();
    void musicOnAnotherVolumeIsRefused();
};

void MountedCardTest::mountedCardIsFoundUnderItsLetter() {
    const QByteArray mountPoint = qgetenv("ONDREL_CARD_MOUNT");
    if (mountPoint.isEmpty())
        QSKIP("needs a card mounted for it: run tests/scripts/test_card_mount.sh");
    const std::string expected = mountPoint.toStdString();

    char arg0[] = "test_mounted_card";
    char* argv[] = {arg0, nullptr};
    platform::NativeServices native(1, argv);
    platform::Services services = native.services();

    char letter = 0;
    for (char l = 'D'; l <= 'Z' && letter == 0; ++l) {
        if (services.drives.DriveRoot(l) == expected)
            letter = l;
    }
    QVERIFY2(letter != 0, "the mount point has no drive letter");
    QVERIFY(!std::filesystem::exists(expected + "/Music"));

    // No window to keep alive while a volume answers.
    CardLocator locator(services.fileSystem, services.drives, [] { return true; });
    QCOMPARE(locator.FindMemoryCard(), std::string(1, letter));
    QCOMPARE(locator.cardRoot(), expected);
    QVERIFY(std::filesystem::is_directory(expected + "/Music"));
}

void MountedCardTest::musicOnAnotherVolumeIsRefused() {
    const QByteArray mountPoint = qgetenv("ONDREL_CARD_MOUNT");
    if (mountPoint.isEmpty() || qgetenv("ONDREL_MUSIC_MOUNTED") != "1")
        QSKIP("needs a card with a volume mounted at its Music: run "
              "tests/scripts/test_card_mount.sh");
    const std::string card = mountPoint.toStdString();
    char arg0[] = "test_mounted_card";
    char* argv[] = {arg0, nullptr};
    platform::NativeServices native(1, argv);
    platform::Services services = native.services();
    CardLocator locator(services.fileSystem, services.drives, [] { return true; });

    // Songs copied there would land on whatever is mounted, not on the card.
    try {
        locator.FindMemoryCard();
        QFAIL("a Music folder on another volume was accepted");
    } catch (const platform::PlatformError& error) {
        QCOMPARE(error.operation(), std::string("MusicFolder"));
        QCOMPARE(error.path(), card + "/Music");
        QVERIFY2(error.reason().find("another volume") != std::string::npos,
                 error.reason().c_str());
    }
    QVERIFY(std::filesystem::is_empty(card + "/Music"));
}

QTEST_GUILESS_MAIN(MountedCardTest)
#include "test_mounted_card.moc"
