// The card locator on the real drive list: a volume mounted below /media must
// be found under its drive letter. Needs a mount made for it, so it runs only
// from tests/scripts/test_card_mount.sh, which names the mount point in
// ONDREL_CARD_MOUNT.

#include "platform/DriveList.h"
#include "platform/NativeServices.h"
#include "platform/Services.h"
#include "transfer/CardLocator.h"

#include <QTest>

#include <filesystem>

using namespace ondrel;

class MountedCardTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mountedCardIsFoundUnderItsLetter();
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

QTEST_GUILESS_MAIN(MountedCardTest)
#include "test_mounted_card.moc"
