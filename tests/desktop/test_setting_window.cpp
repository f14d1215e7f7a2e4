#include "tests/desktop/MainWindowFixture.h"

#include "platform/PlatformError.h"
#include "platform/Shell.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QPointer>
#include <QProcess>
#include <QRadioButton>
#include <QSettings>
#include <QTest>
#include <QWindow>

#include <string>

using ondrel::Form3;
using ondrel::platform::Shortcut;
using ondrel::test::MainWindowFixture;

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string sendToFolder(const ondrel::test::TestRig& rig) {
    return rig.home() + "/.local/share/nautilus/scripts";
}

std::string desktopLink(const ondrel::test::TestRig& rig) {
    return rig.desktop() + "/Ondrel.desktop";
}

std::string sendToLink(const ondrel::test::TestRig& rig) {
    return sendToFolder(rig) + "/Ondrel";
}

QByteArray contentOf(const std::string& path) {
    QFile file(q(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool isFile(const std::string& path) {
    return QFileInfo(q(path)).isFile();
}

QStringList entriesOf(const std::string& folder) {
    return QDir(q(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// A shortcut left by an earlier installation in another folder: read-only and
// long untouched, so that any rewrite or touch of it shows.
void placeForeignShortcut(MainWindowFixture& fixture, const std::string& linkPath) {
    QDir().mkpath(QFileInfo(q(linkPath)).path());
    ondrel::platform::Shell& shell = fixture.rig.services().shell;
    Shortcut old = shell.CreateShortcut(linkPath);
    old.Description = "an older one";
    old.WorkingDirectory = "/opt/elsewhere";
    old.TargetPath = "/opt/elsewhere/Ondrel";
    shell.Save(old);
    QFile file(q(linkPath));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC),
                             QFileDevice::FileModificationTime));
    file.close();
    QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                QFileDevice::ReadOther));
}

// Clicks an option button on its indicator, where a click always lands on it.
void choose(QRadioButton* option) {
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
}

QDateTime modifiedAt(const std::string& path) {
    return QFileInfo(q(path)).fileTime(QFileDevice::FileModificationTime);
}

// The properties every shortcut the window makes must carry.
void verifyProgramShortcut(MainWindowFixture& fixture, const std::string& linkPath,
                           const std::string& programFolder) {
    QVERIFY2(isFile(linkPath), linkPath.c_str());
    const Shortcut saved = fixture.rig.services().shell.ReadShortcut(linkPath);
    QCOMPARE(q(saved.Description), QString());
    QCOMPARE(q(saved.WorkingDirectory), q(programFolder));
    QCOMPARE(q(saved.TargetPath), q(programFolder + "/Ondrel"));
}

void verifyErrorRoad(MainWindowFixture& fixture, const QString& place, const std::string& path) {
    QCOMPARE(fixture.rig.messageBox.texts.size(), 1);
    const QString& shown = fixture.rig.messageBox.texts.front();
    QVERIFY2(shown.startsWith(place), qPrintable(shown));
    QVERIFY2(shown.contains(q(path)), qPrintable(shown));
    QCOMPARE(fixture.rig.programEnd.calls, 1);
    QSettings written(q(fixture.rig.configFile()), QSettings::IniFormat);
    QCOMPARE(written.value(QStringLiteral("Done/Kdh")).toString(), QStringLiteral("2"));
}

} // namespace

class SettingWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void hasTheDesignedFrameAndControls();
    void everyCaptionFitsItsControl();
    void optionPairsAreExclusive();
    void loadFindsPathsAndSelectsWhatExists_data();
    void loadFindsPathsAndSelectsWhatExists();
    void setAppliesTheDecisionForEachPair_data();
    void setAppliesTheDecisionForEachPair();
    void shortcutTargetsTheFixedNameWithTheFolderReadAtSet();
    void bothPairsChangeInOneOpening();
    void desktopGoesFirstAndAFailureStopsBeforeSendTo();
    void sendToFailureLeavesTheDesktopShortcutMade();
    void shortcutRemovedMeanwhileTakesTheErrorRoad();
    void shortcutCreatedMeanwhileIsReplaced();
    void closeBoxAppliesNothing();
    void everyOpeningLooksAgain();
    void specialFolderFailureAtLoadReachesTheOpener();
    void savedShortcutStartsTheProgramWithTheFiles();
};

void SettingWindowTest::hasTheDesignedFrameAndControls() {
    MainWindowFixture fixture;
    Form3* setting = fixture.openSetting();
    QVERIFY(setting != nullptr);

    QCOMPARE(setting->windowTitle(), QStringLiteral("Setting"));
    QCOMPARE(setting->size(), QSize(312, 239));
    QCOMPARE(setting->minimumSize(), setting->maximumSize());
    QVERIFY(setting->parentWidget() == nullptr);
    QVERIFY(!setting->isModal());
    QVERIFY(setting->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(setting->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(setting->windowFlags() & Qt::WindowSystemMenuHint);
    QVERIFY(!(setting->windowFlags() & Qt::WindowMaximizeButtonHint));

    struct Expected {
        QWidget* control;
        const char* name;
        QWidget* container;
        QRect geometry;
    };
    const Expected controls[] = {
        {setting->Frame1, "Frame1", setting, QRect(16, 16, 281, 73)},
        {setting->Option1, "Option1", setting->Frame1, QRect(24, 32, 97, 25)},
        {setting->Option2, "Option2", setting->Frame1, QRect(144, 32, 129, 25)},
        {setting->Command1, "Command1", setting, QRect(64, 192, 177, 33)},
        {setting->Frame2, "Frame2", setting, QRect(16, 104, 281, 73)},
        {setting->Option3, "Option3", setting->Frame2, QRect(24, 24, 81, 33)},
        {setting->Option4, "Option4", setting->Frame2, QRect(144, 24, 89, 33)},
    };
    for (const Expected& expected : controls) {
        QVERIFY(expected.control != nullptr);
        QCOMPARE(expected.control->objectName(), QString::fromUtf8(expected.name));
        QCOMPARE(expected.control->parentWidget(), expected.container);
        QCOMPARE(expected.control->geometry(), expected.geometry);
    }
    QCOMPARE(setting->Frame1->title(), QStringLiteral("Create a shortcut to the Desktop?"));
    QCOMPARE(setting->Option1->text(), QStringLiteral("Yes"));
    QCOMPARE(setting->Option2->text(), QStringLiteral("No"));
    QCOMPARE(setting->Command1->text(), QStringLiteral("Set"));
    QCOMPARE(setting->Frame2->title(), QStringLiteral("Right click a file and send to"));
    QCOMPARE(setting->Option3->text(), QStringLiteral("enabled"));
    QCOMPARE(setting->Option4->text(), QStringLiteral("disabled"));

    // Tab order follows the design: Yes, No, Set, enabled, disabled.
    QList<QWidget*> tabOrder;
    for (QWidget* widget = setting->nextInFocusChain(); widget != setting;
         widget = widget->nextInFocusChain()) {
        if (widget->focusPolicy() & Qt::TabFocus)
            tabOrder.append(widget);
    }
    const QList<QWidget*> designed = {setting->Option1, setting->Option2, setting->Command1,
                                      setting->Option3, setting->Option4};
    QCOMPARE(tabOrder, designed);

    QCOMPARE(setting->font().family(), fixture.form1->font().family());
    QCOMPARE(setting->font().pixelSize(), fixture.form1->font().pixelSize());
}

void SettingWindowTest::everyCaptionFitsItsControl() {
    MainWindowFixture fixture;
    Form3* setting = fixture.openSetting();
    QVERIFY(setting != nullptr);
    for (QRadioButton* option :
         {setting->Option1, setting->Option2, setting->Option3, setting->Option4}) {
        QVERIFY2(option->sizeHint().width() <= option->width(), qPrintable(option->text()));
        QVERIFY2(option->sizeHint().height() <= option->height(), qPrintable(option->text()));
    }
    QVERIFY(setting->Command1->sizeHint().width() <= setting->Command1->width());
    for (QGroupBox* frame : {setting->Frame1, setting->Frame2}) {
        QVERIFY2(frame->minimumSizeHint().width() <= frame->width(), qPrintable(frame->title()));
        // The title sits above the option buttons, not across them.
        const int titleBottom = frame->fontMetrics().height();
        for (QRadioButton* option : frame->findChildren<QRadioButton*>())
            QVERIFY(option->geometry().top() >= titleBottom);
    }
}

void SettingWindowTest::optionPairsAreExclusive() {
    MainWindowFixture fixture;
    Form3* setting = fixture.openSetting();
    QVERIFY(setting != nullptr);
    QVERIFY(setting->Option2->isChecked() && setting->Option4->isChecked());

    choose(setting->Option1);
    QVERIFY(setting->Option1->isChecked());
    QVERIFY(!setting->Option2->isChecked());
    // The other pair is a group of its own.
    QVERIFY(setting->Option4->isChecked());

    choose(setting->Option3);
    QVERIFY(setting->Option3->isChecked());
    QVERIFY(!setting->Option4->isChecked());
    QVERIFY(setting->Option1->isChecked());

    choose(setting->Option2);
    QVERIFY(!setting->Option1->isChecked());
    QVERIFY(setting->Option2->isChecked());
    // Choosing touches no file.
    QVERIFY(entriesOf(fixture.rig.desktop()).isEmpty());
    QVERIFY(entriesOf(sendToFolder(fixture.rig)).isEmpty());
}

void SettingWindowTest::loadFindsPathsAndSelectsWhatExists_data() {
    QTest::addColumn<bool>("desktopThere");
    QTest::addColumn<bool>("sendToThere");
    QTest::newRow("neither") << false << false;
    QTest::newRow("Desktop only") << true << false;
    QTest::newRow("SendTo only") << false << true;
    QTest::newRow("both") << true << true;
}

void SettingWindowTest::loadFindsPathsAndSelectsWhatExists() {
    QFETCH(bool, desktopThere);
    QFETCH(bool, sendToThere);
    MainWindowFixture fixture;
    if (desktopThere)
        placeForeignShortcut(fixture, desktopLink(fixture.rig));
    if (sendToThere)
        placeForeignShortcut(fixture, sendToLink(fixture.rig));

    QPointer<Form3> setting = fixture.openSetting();
    QVERIFY(setting != nullptr);
    QVERIFY(!fixture.form1->isEnabled());

    const std::string folder = fixture.rig.environment.programFolder;
    QCOMPARE(q(setting->ExePath), q(folder + "/Ondrel"));
    QCOMPARE(q(setting->DesktopDir), q(fixture.rig.desktop()));
    QCOMPARE(q(setting->DesktopLink), q(desktopLink(fixture.rig)));
    QCOMPARE(q(setting->SendToDir), q(sendToFolder(fixture.rig)));
    QCOMPARE(q(setting->SendToLink), q(sendToLink(fixture.rig)));
    QCOMPARE(setting->HadDesktopLink, desktopThere);
    QCOMPARE(setting->HadSendToLink, sendToThere);
    QCOMPARE(setting->Option1->isChecked(), desktopThere);
    QCOMPARE(setting->Option2->isChecked(), !desktopThere);
    QCOMPARE(setting->Option3->isChecked(), sendToThere);
    QCOMPARE(setting->Option4->isChecked(), !sendToThere);

    // "Set" without a change touches no file and closes the window.
    const QByteArray desktopBefore = contentOf(desktopLink(fixture.rig));
    const QByteArray sendToBefore = contentOf(sendToLink(fixture.rig));
    QTest::mouseClick(setting->Command1, Qt::LeftButton);
    QCOMPARE(isFile(desktopLink(fixture.rig)), desktopThere);
    QCOMPARE(isFile(sendToLink(fixture.rig)), sendToThere);
    QCOMPARE(contentOf(desktopLink(fixture.rig)), desktopBefore);
    QCOMPARE(contentOf(sendToLink(fixture.rig)), sendToBefore);
    QCOMPARE(entriesOf(fixture.rig.desktop()).size(), desktopThere ? 1 : 0);
    QCOMPARE(entriesOf(sendToFolder(fixture.rig)).size(), sendToThere ? 1 : 0);
    QVERIFY(fixture.form1->isEnabled());
    MainWindowFixture::flushDeletes();
    QVERIFY(setting.isNull());
}

void SettingWindowTest::setAppliesTheDecisionForEachPair_data() {
    QTest::addColumn<bool>("sendToPair");
    QTest::addColumn<bool>("existedAtLoad");
    QTest::addColumn<bool>("chooseCreate");
    for (const bool sendToPair : {false, true}) {
        const char* pair = sendToPair ? "SendTo" : "Desktop";
        QTest::addRow("%s: create, missing", pair) << sendToPair << false << true;
        QTest::addRow("%s: create, present", pair) << sendToPair << true << true;
        QTest::addRow("%s: delete, present", pair) << sendToPair << true << false;
        QTest::addRow("%s: delete, missing", pair) << sendToPair << false << false;
    }
}

void SettingWindowTest::setAppliesTheDecisionForEachPair() {
    QFETCH(bool, sendToPair);
    QFETCH(bool, existedAtLoad);
    QFETCH(bool, chooseCreate);
    MainWindowFixture fixture;
    const std::string link = sendToPair ? sendToLink(fixture.rig) : desktopLink(fixture.rig);
    const std::string otherLink = sendToPair ? desktopLink(fixture.rig) : sendToLink(fixture.rig);
    if (existedAtLoad)
        placeForeignShortcut(fixture, link);
    const QByteArray before = contentOf(link);
    const QDateTime modifiedBefore = modifiedAt(link);

    QPointer<Form3> setting = fixture.openSetting();
    QVERIFY(setting != nullptr);
    QRadioButton* create = sendToPair ? setting->Option3 : setting->Option1;
    QRadioButton* remove = sendToPair ? setting->Option4 : setting->Option2;
    choose(chooseCreate ? create : remove);
    QTest::mouseClick(setting->Command1, Qt::LeftButton);

    if (chooseCreate && !existedAtLoad) {
        verifyProgramShortcut(fixture, link, fixture.rig.environment.programFolder);
        QVERIFY(QFileInfo(q(link)).isExecutable());
    } else if (chooseCreate) {
        // Kept as it is, although it points at another installation.
        QCOMPARE(contentOf(link), before);
        QCOMPARE(modifiedAt(link), modifiedBefore);
    } else {
        // Deleted with force when it was there, read-only or not.
        QVERIFY(!QFileInfo::exists(q(link)));
    }
    QVERIFY(!QFileInfo::exists(q(otherLink)));
    QVERIFY(fixture.rig.messageBox.texts.isEmpty());
    QCOMPARE(fixture.rig.programEnd.calls, 0);
    QVERIFY(fixture.form1->isEnabled());
    MainWindowFixture::flushDeletes();
    QVERIFY(setting.isNull());
}

void SettingWindowTest::shortcutTargetsTheFixedNameWithTheFolderReadAtSet() {
    MainWindowFixture fixture;
    const std::string atLoad = fixture.rig.makeFolder("installed here");
    const std::string atSet = fixture.rig.makeFolder("moved there");
    fixture.rig.environment.programFolder = atLoad;

    Form3* setting = fixture.openSetting();
    QVERIFY(setting != nullptr);
    fixture.rig.environment.programFolder = atSet;
    setting->Option1->click();
    setting->Option3->click();
    setting->Command1->click();

    // The running test program has another name; the target is still the
    // program's own, in the folder found at load, and the working folder is
    // the one read when "Set" was pressed.
    for (const std::string& link : {desktopLink(fixture.rig), sendToLink(fixture.rig)}) {
        const Shortcut saved = fixture.rig.services().shell.ReadShortcut(link);
        QCOMPARE(q(saved.Description), QString());
        QCOMPARE(q(saved.TargetPath), q(atLoad + "/Ondrel"));
        QCOMPARE(q(saved.WorkingDirectory), q(atSet));
    }
}

void SettingWindowTest::bothPairsChangeInOneOpening() {
    MainWindowFixture fixture;
    placeForeignShortcut(fixture, sendToLink(fixture.rig));
    Form3* setting = fixture.openSetting();
    QVERIFY(setting != nullptr);
    setting->Option1->click();
    setting->Option4->click();
    setting->Command1->click();

    verifyProgramShortcut(fixture, desktopLink(fixture.rig), fixture.rig.environment.programFolder);
    QVERIFY(!QFileInfo::exists(q(sendToLink(fixture.rig))));
    QVERIFY(fixture.form1->isEnabled());
}

void SettingWindowTest::desktopGoesFirstAndAFailureStopsBeforeSendTo() {
    MainWindowFixture fixture;
    // A folder where the Desktop shortcut goes: it is no file, so the window
    // offers to create one, and saving over it fails.
    QVERIFY(QDir().mkpath(q(desktopLink(fixture.rig))));
    QPointer<Form3> setting = fixture.openSetting();
    QVERIFY(setting != nullptr);
    QVERIFY(!setting->HadDesktopLink);
    setting->Option1->click();
    setting->Option3->click();
    setting->Command1->click();

    verifyErrorRoad(fixture, QStringLiteral("The shortcut cannot be created."),
                    desktopLink(fixture.rig));
    QVERIFY(QFileInfo(q(desktopLink(fixture.rig))).isDir());
    QVERIFY(entriesOf(sendToFolder(fixture.rig)).isEmpty());
}

void SettingWindowTest::sendToFailureLeavesTheDesktopShortcutMade() {
    MainWindowFixture fixture;
    QVERIFY(QDir().mkpath(q(sendToLink(fixture.rig))));
    Form3* setting = fixture.openSetting();
    QVERIFY(setting != nullptr);
    setting->Option1->click();
    setting->Option3->click();
    setting->Command1->click();

    verifyErrorRoad(fixture, QStringLiteral("The shortcut cannot be created."),
                    sendToLink(fixture.rig));
    // What was done before the failure stays done.
    verifyProgramShortcut(fixture, desktopLink(fixture.rig), fixture.rig.environment.programFolder);
    QCOMPARE(entriesOf(sendToFolder(fixture.rig)), QStringList{QStringLiteral("Ondrel")});
}

void SettingWindowTest::shortcutRemovedMeanwhileTakesTheErrorRoad() {
    MainWindowFixture fixture;
    placeForeignShortcut(fixture, desktopLink(fixture.rig));
    placeForeignShortcut(fixture, sendToLink(fixture.rig));
    Form3* setting = fixture.openSetting();
    QVERIFY(setting != nullptr);
    QVERIFY(setting->Option1->isChecked());

    QVERIFY(QFile::remove(q(desktopLink(fixture.rig))));
    setting->Option2->click();
    setting->Option4->click();
    setting->Command1->click();

    verifyErrorRoad(fixture, QStringLiteral("The shortcut cannot be removed."),
                    desktopLink(fixture.rig));
    // The SendTo pair was never reached.
    QVERIFY(isFile(sendToLink(fixture.rig)));
}

void SettingWindowTest::shortcutCreatedMeanwhileIsReplaced() {
    MainWindowFixture fixture;
    Form3* setting = fixture.openSetting();
    QVERIFY(setting != nullptr);
    QVERIFY(setting->Option2->isChecked());

    fixture.rig.writeFile("home/Desktop/Ondrel.desktop", "[Desktop Entry]\nName=someone else's\n");
    setting->Option1->click();
    setting->Command1->click();

    verifyProgramShortcut(fixture, desktopLink(fixture.rig), fixture.rig.environment.programFolder);
    QVERIFY(!contentOf(desktopLink(fixture.rig)).contains("someone else"));
    QCOMPARE(entriesOf(fixture.rig.desktop()), QStringList{QStringLiteral("Ondrel.desktop")});
    QVERIFY(fixture.rig.messageBox.texts.isEmpty());
}

void SettingWindowTest::closeBoxAppliesNothing() {
    MainWindowFixture fixture;
    placeForeignShortcut(fixture, sendToLink(fixture.rig));
    const QByteArray sendToBefore = contentOf(sendToLink(fixture.rig));
    QPointer<Form3> setting = fixture.openSetting();
    QVERIFY(setting != nullptr);
    setting->Option1->click();
    setting->Option4->click();

    setting->windowHandle()->close();

    QVERIFY(fixture.form1->isEnabled());
    QVERIFY(!QFileInfo::exists(q(desktopLink(fixture.rig))));
    QCOMPARE(contentOf(sendToLink(fixture.rig)), sendToBefore);
    QCOMPARE(fixture.rig.programEnd.calls, 0);
    MainWindowFixture::flushDeletes();
    QVERIFY(setting.isNull());
}

void SettingWindowTest::everyOpeningLooksAgain() {
    MainWindowFixture fixture;
    QPointer<Form3> first = fixture.openSetting();
    QVERIFY(first != nullptr);
    QVERIFY(!fixture.form1->isEnabled());
    QVERIFY(first->Option2->isChecked());
    first->windowHandle()->close();
    QVERIFY(fixture.form1->isEnabled());

    // Between the openings someone puts a shortcut on the Desktop and the
    // program's folder changes.
    placeForeignShortcut(fixture, desktopLink(fixture.rig));
    fixture.rig.environment.programFolder = fixture.rig.makeFolder("new place");

    QPointer<Form3> second = fixture.openSetting();
    QVERIFY(second != nullptr);
    QVERIFY(second != first);
    QVERIFY(!fixture.form1->isEnabled());
    QVERIFY(second->HadDesktopLink);
    QVERIFY(second->Option1->isChecked());
    QVERIFY(second->Option4->isChecked());
    QCOMPARE(q(second->ExePath), q(fixture.rig.environment.programFolder + "/Ondrel"));
    second->Command1->click();
    QVERIFY(fixture.form1->isEnabled());
}

void SettingWindowTest::specialFolderFailureAtLoadReachesTheOpener() {
    {
        MainWindowFixture fixture;
        // The SendTo folder cannot be made where a file stands in its way.
        fixture.rig.writeFile("home/.local/share/nautilus", "in the way");
        Form3 direct(*fixture.form1);
        QVERIFY_THROWS_EXCEPTION(ondrel::platform::PlatformError, direct.Form_Load());
        // It got as far as the Desktop folder, which comes first.
        QCOMPARE(q(direct.DesktopDir), q(fixture.rig.desktop()));
    }

    MainWindowFixture fixture;
    fixture.rig.writeFile("home/.local/share/nautilus", "in the way");
    QVERIFY(fixture.openSetting() == nullptr);
    QCOMPARE(fixture.rig.messageBox.texts.size(), 1);
    QVERIFY(fixture.rig.messageBox.texts.front().startsWith(
        QStringLiteral("The \"Send To\" folder cannot be used.")));
    QCOMPARE(fixture.rig.programEnd.calls, 1);
}

void SettingWindowTest::savedShortcutStartsTheProgramWithTheFiles() {
    MainWindowFixture fixture;
    // The program's folder holds a recorder under the program's file name.
    const std::string folder = fixture.rig.makeFolder("program's folder");
    const QString program = q(folder + "/Ondrel");
    QVERIFY(QFile::copy(q(fixture.rig.binDir() + "/record_args"), program));
    fixture.rig.environment.programFolder = folder;

    Form3* setting = fixture.openSetting();
    QVERIFY(setting != nullptr);
    setting->Option1->click();
    setting->Option3->click();
    setting->Command1->click();
    QVERIFY(fixture.rig.messageBox.texts.isEmpty());

    const QStringList files = {
        q(fixture.rig.writeFile("music/my song.mp3", "a")),
        q(fixture.rig.writeFile("music/it's $HOME \"live\".mp3", "b")),
    };
    const QString expectedFolder = QFileInfo(q(folder)).canonicalFilePath();
    for (const std::string& link : {desktopLink(fixture.rig), sendToLink(fixture.rig)}) {
        const QString record = q(fixture.rig.tempDir()) + QStringLiteral("/record");
        QFile::remove(record);
        QProcess shortcut;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ONDREL_RECORD_ARGS"), record);
        shortcut.setProcessEnvironment(environment);
        // Started from somewhere else, as the file manager would.
        shortcut.setWorkingDirectory(q(fixture.rig.home()));
        // The Desktop's entry is launched as the desktop launches it, through
        // GLib; the Send To script is run.
        if (QString::fromStdString(link).endsWith(QStringLiteral(".desktop")))
            shortcut.start(QStringLiteral("gio"),
                           QStringList{QStringLiteral("launch"), q(link)} + files);
        else
            shortcut.start(q(link), files);
        QVERIFY2(shortcut.waitForFinished(60000), qPrintable(shortcut.errorString()));
        QCOMPARE(shortcut.exitStatus(), QProcess::NormalExit);
        QCOMPARE(shortcut.exitCode(), 0);

        // GLib's launcher does not wait for the program it starts.
        QList<QByteArray> items;
        const auto recordedItems = [&record, &items] {
            QFile recorded(record);
            if (!recorded.open(QIODevice::ReadOnly))
                return false;
            items = recorded.readAll().split('\0');
            return items.size() == 4 && items.back().isEmpty();
        };
        QTRY_VERIFY_WITH_TIMEOUT(recordedItems(), 60000);
        items.removeLast();
        QCOMPARE(items.size(), 3);
        QCOMPARE(QString::fromUtf8(items[0]), expectedFolder);
        QCOMPARE(QString::fromUtf8(items[1]), files[0]);
        QCOMPARE(QString::fromUtf8(items[2]), files[1]);
    }
}

QTEST_MAIN(SettingWindowTest)
#include "test_setting_window.moc"
