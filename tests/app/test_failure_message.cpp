// What the message box says when the program has to end: the place the user
// knows, the path and the system's reason, never the name of an inner step.

#include "app/FailureMessage.h"
#include "platform/PlatformError.h"

#include <QTest>

#include <stdexcept>
#include <string>

using namespace Qt::StringLiterals;
using ondrel::FailureContext;
using ondrel::failureMessage;
using ondrel::platform::PlatformError;

class TestFailureMessage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void namesThePlaceThePathAndTheReason_data();
    void namesThePlaceThePathAndTheReason();
    void otherFailuresKeepTheirOwnText();
};

void TestFailureMessage::namesThePlaceThePathAndTheReason_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("desktopOutput");
    QTest::addColumn<QString>("expected");

    const QString blank = QStringLiteral("\r\n\r\n");
    QTest::newRow("name in the temporary folder")
        << u"CreateFreeFile"_s << u"/ro/song.mp4"_s << false
        << (u"The temporary folder cannot be used."_s + blank + u"/ro/song.mp4"_s + blank +
            u"Read-only file system"_s);
    QTest::newRow("private temporary folder")
        << u"PrivateTempFolder"_s << u"/tmp/ondrel-0"_s << false
        << (u"The temporary folder cannot be used."_s + blank + u"/tmp/ondrel-0"_s + blank +
            u"Read-only file system"_s);
    QTest::newRow("temporary folder refused at START!")
        << u"TemporaryFolder"_s << u"/no/temp"_s << false
        << (u"The temporary folder cannot be used."_s + blank + u"/no/temp"_s + blank +
            u"Read-only file system"_s);
    QTest::newRow("card's Music folder leading off the card")
        << u"MusicFolder"_s << u"/media/card/Music"_s << false
        << (u"The Music folder cannot be created on the memory card."_s + blank +
            u"/media/card/Music"_s + blank + u"Read-only file system"_s);
    QTest::newRow("program folder the converters' lines cannot carry")
        << u"ConverterFolder"_s << u"/opt/say \"hi\""_s << false
        << (u"The converter cannot be started."_s + blank + u"/opt/say \"hi\""_s + blank +
            u"Read-only file system"_s);
    QTest::newRow("card's Music folder")
        << u"CreateFolder"_s << u"/media/card/Music"_s << false
        << (u"The Music folder cannot be created on the memory card."_s + blank +
            u"/media/card/Music"_s + blank + u"Read-only file system"_s);
    QTest::newRow("pass-through copy into TEMP")
        << u"CopyFile"_s << u"/music/a.m4a -> /ro/a.mp4"_s << false
        << (u"The music file cannot be copied into the temporary folder."_s + blank +
            u"/music/a.m4a -> /ro/a.mp4"_s + blank + u"Read-only file system"_s);
    QTest::newRow("copy onto the card")
        << u"CopyFile"_s << u"/ro/a.mp4 -> /media/card/Music/a.mp4"_s << false
        << (u"The file cannot be copied into the Music folder of the memory card."_s + blank +
            u"/ro/a.mp4 -> /media/card/Music/a.mp4"_s + blank + u"Read-only file system"_s);
    QTest::newRow("copy onto the Desktop")
        << u"CopyFile"_s << u"/ro/a.mp4 -> /home/u/Desktop/a.mp4"_s << true
        << (u"The file cannot be copied onto the Desktop."_s + blank +
            u"/ro/a.mp4 -> /home/u/Desktop/a.mp4"_s + blank + u"Read-only file system"_s);
    QTest::newRow("settings file")
        << u"SaveSetting"_s << u"/home/u/.config/Zara.ini"_s << false
        << (u"The settings file cannot be saved."_s + blank + u"/home/u/.config/Zara.ini"_s +
            blank + u"Read-only file system"_s);
    QTest::newRow("Desktop folder") << u"SpecialFolders"_s << u"Desktop: /home/u/Desktop"_s << false
                                    << (u"The Desktop folder cannot be used."_s + blank +
                                        u"/home/u/Desktop"_s + blank + u"Read-only file system"_s);
    QTest::newRow("Send To folder")
        << u"SpecialFolders"_s << u"SendTo: /home/u/.local/share/nautilus/scripts"_s << false
        << (u"The \"Send To\" folder cannot be used."_s + blank +
            u"/home/u/.local/share/nautilus/scripts"_s + blank + u"Read-only file system"_s);
    QTest::newRow("a folder without a path")
        << u"SpecialFolders"_s << u"Desktop"_s << false
        << (u"The Desktop folder cannot be used."_s + blank + u"Read-only file system"_s);
    QTest::newRow("converter") << u"StartProcess"_s << u"/opt/ondrel/ffmpeg.exe"_s << false
                               << (u"The converter cannot be started."_s + blank +
                                   u"/opt/ondrel/ffmpeg.exe"_s + blank +
                                   u"Read-only file system"_s);
    QTest::newRow("shortcut written")
        << u"Save"_s << u"/home/u/Desktop/Ondrel.lnk"_s << false
        << (u"The shortcut cannot be created."_s + blank + u"/home/u/Desktop/Ondrel.lnk"_s + blank +
            u"Read-only file system"_s);
    QTest::newRow("shortcut deleted")
        << u"DeleteFile"_s << u"/home/u/Desktop/Ondrel.lnk"_s << false
        << (u"The shortcut cannot be removed."_s + blank + u"/home/u/Desktop/Ondrel.lnk"_s + blank +
            u"Read-only file system"_s);
}

void TestFailureMessage::namesThePlaceThePathAndTheReason() {
    QFETCH(QString, operation);
    QFETCH(QString, path);
    QFETCH(bool, desktopOutput);
    QFETCH(QString, expected);
    const PlatformError error(operation.toStdString(), path.toStdString(), "Read-only file system");
    const FailureContext context{"/ro", desktopOutput};

    const QString message = QString::fromStdString(failureMessage(error, context));

    QCOMPARE(message, expected);
    QVERIFY(!message.contains(operation + QLatin1Char(' ')));
}

void TestFailureMessage::otherFailuresKeepTheirOwnText() {
    const FailureContext context{"/tmp", false};
    // A step the program does not know keeps its full description.
    const PlatformError unknown("Frobnicate", "/x", "Input/output error");
    QCOMPARE(QString::fromStdString(failureMessage(unknown, context)),
             QStringLiteral("Ondrel cannot go on.\r\n\r\nFrobnicate \"/x\": Input/output error"));
    const std::runtime_error plain("out of memory");
    QCOMPARE(QString::fromStdString(failureMessage(plain, context)),
             QStringLiteral("Ondrel cannot go on.\r\n\r\nout of memory"));
    // A source beside TEMP's name is not inside it.
    const PlatformError beside("CopyFile", "/music/a.m4a -> /tmp2/a.mp4", "No space left");
    QVERIFY(QString::fromStdString(failureMessage(beside, context))
                .startsWith(QStringLiteral("The file cannot be copied into the Music folder")));
}

QTEST_APPLESS_MAIN(TestFailureMessage)
#include "test_failure_message.moc"
