// A temporary folder on a read-only volume: the batch ends on the error road
// with a message that names the temporary folder, not an inner step, before
// it starts on the first file. Needs a
// read-only mount made for it, so it runs only from
// tests/scripts/test_read_only_temp.sh, which names it in ONDREL_READ_ONLY_TEMP
// with a stale song.mp4 left inside.

#include "tests/transfer/BatchHarness.h"

#include <QTest>

using namespace ondrel;
using namespace ondrel::test;

class ReadOnlyTempTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readOnlyTemporaryFolderIsNamedAsSuch();
};

void ReadOnlyTempTest::readOnlyTemporaryFolderIsNamedAsSuch() {
    const QByteArray temp = qgetenv("ONDREL_READ_ONLY_TEMP");
    if (temp.isEmpty())
        QSKIP("needs a read-only mount: run tests/scripts/test_read_only_temp.sh");
    BatchHarness h;
    h.addCard('D');
    h.rig.environment.variables["TEMP"] = temp.toStdString();
    const std::string song = h.rig.writeFile("music/song.mp3", "mp3");
    h.load(song);

    h.press();

    QCOMPARE(h.rig.messageBox.texts.size(), 1);
    const QString text = h.rig.messageBox.texts.first();
    // The folder is refused at START!, before any file is worked on.
    QCOMPARE(text, QStringLiteral("The temporary folder cannot be used.\r\n\r\n") +
                       QString::fromUtf8(temp) + QStringLiteral("\r\n\r\nRead-only file system"));
    QCOMPARE(h.rig.programEnd.calls, 1);
    QVERIFY(h.calls().empty());
    QVERIFY(!h.log().contains(QStringLiteral("No. 1")));
}

QTEST_MAIN(ReadOnlyTempTest)
#include "test_temp_on_read_only_volume.moc"
