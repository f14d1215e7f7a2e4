#include "tests/desktop/MainWindowFixture.h"

#include "platform/PlatformError.h"
#include "platform/Shell.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSettings>
#include <QTest>
#include <QWindow>

#include <string>

using ondrel::Form3;
using ondrel::platform::Shortcut;
using ondrel::test::MainWindowFixture;
using ondrel::test::q;
using ondrel::test::qtWidget;

namespace {

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
void choose(Form3* setting, ondrel::platform::OptionButton* option) {
    auto* const button = qtWidget<QRadioButton>(setting->window(), option);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// Presses "Set" with the mouse.
void pressSet(Form3* setting) {
    QTest::mouseClick(qtWidget(setting->window(), setting->Command1), Qt::LeftButton);
}

void closeFromTitleBar(Form3* setting) {
    qtWidget(setting->window())->windowHandle()->close();
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
    void sendToOfLxqtAndLxdeIsAFileManagerAction_data();
    void sendToOfLxqtAndLxdeIsAFileManagerAction();
};

void SettingWindowTest::hasTheDesignedFrameAndControls() {
    MainWindowFixture fixture;
    Form3* setting = fixture.openSetting();
    QVERIFY(setting != nullptr);

    ondrel::platform::Window& window = setting->window();
    QWidget* const widget = qtWidget(window);
    QCOMPARE(window.objectName(), std::string("Form3"));
    QCOMPARE(q(window.caption()), QStringLiteral("Setting"));
    QCOMPARE(window.clientSize().width, 312);
    QCOMPARE(window.clientSize().height, 239);
    QCOMPARE(widget->minimumSize(), widget->maximumSize());
    QVERIFY(widget->parentWidget() == nullptr);
    QVERIFY(!widget->isModal());
    QVERIFY(widget->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(widget->windowFlags() & Qt::WindowSystemMenuHint);
    QVERIFY(!(widget->windowFlags() & Qt::WindowMaximizeButtonHint));

    struct Expected {
        ondrel::platform::Control* control;
        const char* name;
        QWidget* container;
        QRect geometry;
    };
    QWidget* const frame1 = qtWidget(window, setting->Frame1);
    QWidget* const frame2 = qtWidget(window, setting->Frame2);
    const Expected controls[] = {
        {setting->Frame1, "Frame1", widget, QRect(16, 16, 281, 73)},
        {setting->Option1, "Option1", frame1, QRect(24, 32, 97, 25)},
        {setting->Option2, "Option2", frame1, QRect(144, 32, 129, 25)},
        {setting->Command1, "Command1", widget, QRect(64, 192, 177, 33)},
        {setting->Frame2, "Frame2", widget, QRect(16, 104, 281, 73)},
        {setting->Option3, "Option3", frame2, QRect(24, 24, 81, 33)},
        {setting->Option4, "Option4", frame2, QRect(144, 24, 89, 33)},
    };
    for (const Expected& expected : controls) {
        QVERIFY(expected.control != nullptr);
        QCOMPARE(q(expected.control->objectName()), QString::fromUtf8(expected.name));
        QCOMPARE(window.findControl(expected.name), expected.control);
        QWidget* const shown = qtWidget(window, expected.control);
        QCOMPARE(shown->objectName(), QString::fromUtf8(expected.name));
        QCOMPARE(shown->parentWidget(), expected.container);
        const ondrel::platform::PixelRect rect = expected.control->geometry();
        QCOMPARE(QRect(rect.left, rect.top, rect.width, rect.height), expected.geometry);
        QCOMPARE(shown->geometry(), expected.geometry);
    }
    QCOMPARE(q(setting->Frame1->text()), QStringLiteral("Create a shortcut to the Desktop?"));
    QCOMPARE(q(setting->Option1->text()), QStringLiteral("Yes"));
    QCOMPARE(q(setting->Option2->text()), QStringLiteral("No"));
    QCOMPARE(q(setting->Command1->text()), QStringLiteral("Set"));
    QCOMPARE(q(setting->Frame2->text()), QStringLiteral("Right click a file and send to"));
    QCOMPARE(q(setting->Option3->text()), QStringLiteral("enabled"));
    QCOMPARE(q(setting->Option4->text()), QStringLiteral("disabled"));

    // Tab order follows the design: Yes, No, Set, enabled, disabled.
    QList<QWidget*> tabOrder;
    for (QWidget* next = widget->nextInFocusChain(); next != widget;
         next = next->nextInFocusChain()) {
        if (next->focusPolicy() & Qt::TabFocus)
            tabOrder.append(next);
    }
    QList<QWidget*> designed;
    for (ondrel::platform::Control* control : std::initializer_list<ondrel::platform::Control*>{
             setting->Option1, setting->Option2, setting->Command1, setting->Option3,
             setting->Option4})
        designed.append(qtWidget(window, control));
    QCOMPARE(tabOrder, designed);

    const QWidget* const main = qtWidget(fixture.form1->window());
    QCOMPARE(widget->font().family(), main->font().family());
    QCOMPARE(widget->font().pixelSize(), main->font().pixelSize());
}

void SettingWindowTest::everyCaptionFitsItsControl() {
    MainWindowFixture fixture;
    Form3* setting = fixture.openSetting();
    QVERIFY(setting != nullptr);
    ondrel::platform::Window& window = setting->window();
    for (ondrel::platform::OptionButton* control :
         {setting->Option1, setting->Option2, setting->Option3, setting->Option4}) {
        auto* const option = qtWidget<QRadioButton>(window, control);
        QVERIFY2(option->sizeHint().width() <= option->width(), qPrintable(option->text()));
        QVERIFY2(option->sizeHint().height() <= option->height(), qPrintable(option->text()));
    }
    auto* const set = qtWidget<QPushButton>(window, setting->Command1);
    QVERIFY(set->sizeHint().width() <= set->width());
    for (ondrel::platform::Frame* control : {setting->Frame1, setting->Frame2}) {
        auto* const frame = qtWidget<QGroupBox>(window, control);
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

    choose(setting, setting->Option1);
    QVERIFY(setting->Option1->isChecked());
    QVERIFY(!setting->Option2->isChecked());
    // The other pair is a group of its own.
    QVERIFY(setting->Option4->isChecked());

    choose(setting, setting->Option3);
    QVERIFY(setting->Option3->isChecked());
    QVERIFY(!setting->Option4->isChecked());
    QVERIFY(setting->Option1->isChecked());

    choose(setting, setting->Option2);
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

    Form3* setting = fixture.openSetting();
    QVERIFY(setting != nullptr);
    QVERIFY(!fixture.form1->window().isEnabled());

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
    pressSet(setting);
    QCOMPARE(isFile(desktopLink(fixture.rig)), desktopThere);
    QCOMPARE(isFile(sendToLink(fixture.rig)), sendToThere);
    QCOMPARE(contentOf(desktopLink(fixture.rig)), desktopBefore);
    QCOMPARE(contentOf(sendToLink(fixture.rig)), sendToBefore);
    QCOMPARE(entriesOf(fixture.rig.desktop()).size(), desktopThere ? 1 : 0);
    QCOMPARE(entriesOf(sendToFolder(fixture.rig)).size(), sendToThere ? 1 : 0);
    QVERIFY(fixture.form1->window().isEnabled());
    QVERIFY(!setting->window().isVisible());
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

    Form3* setting = fixture.openSetting();
    QVERIFY(setting != nullptr);
    ondrel::platform::OptionButton* create = sendToPair ? setting->Option3 : setting->Option1;
    ondrel::platform::OptionButton* remove = sendToPair ? setting->Option4 : setting->Option2;
    choose(setting, chooseCreate ? create : remove);
    pressSet(setting);

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
    QVERIFY(fixture.form1->window().isEnabled());
    QVERIFY(!setting->window().isVisible());
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
    QVERIFY(fixture.form1->window().isEnabled());
}

void SettingWindowTest::desktopGoesFirstAndAFailureStopsBeforeSendTo() {
    MainWindowFixture fixture;
    // A folder where the Desktop shortcut goes: it is no file, so the window
    // offers to create one, and saving over it fails.
    QVERIFY(QDir().mkpath(q(desktopLink(fixture.rig))));
    Form3* setting = fixture.openSetting();
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
    Form3* setting = fixture.openSetting();
    QVERIFY(setting != nullptr);
    setting->Option1->click();
    setting->Option4->click();

    closeFromTitleBar(setting);

    QVERIFY(fixture.form1->window().isEnabled());
    QVERIFY(!QFileInfo::exists(q(desktopLink(fixture.rig))));
    QCOMPARE(contentOf(sendToLink(fixture.rig)), sendToBefore);
    QCOMPARE(fixture.rig.programEnd.calls, 0);
    QVERIFY(!setting->window().isVisible());
}

void SettingWindowTest::everyOpeningLooksAgain() {
    MainWindowFixture fixture;
    Form3* first = fixture.openSetting();
    QVERIFY(first != nullptr);
    QVERIFY(!fixture.form1->window().isEnabled());
    QVERIFY(first->Option2->isChecked());
    closeFromTitleBar(first);
    QVERIFY(fixture.form1->window().isEnabled());

    // Between the openings someone puts a shortcut on the Desktop and the
    // program's folder changes.
    placeForeignShortcut(fixture, desktopLink(fixture.rig));
    fixture.rig.environment.programFolder = fixture.rig.makeFolder("new place");

    Form3* second = fixture.openSetting();
    QVERIFY(second != nullptr);
    QVERIFY(second != first);
    QVERIFY(!fixture.form1->window().isEnabled());
    QVERIFY(second->HadDesktopLink);
    QVERIFY(second->Option1->isChecked());
    QVERIFY(second->Option4->isChecked());
    QCOMPARE(q(second->ExePath), q(fixture.rig.environment.programFolder + "/Ondrel"));
    second->Command1->click();
    QVERIFY(fixture.form1->window().isEnabled());
}

void SettingWindowTest::specialFolderFailureAtLoadReachesTheOpener() {
    {
        MainWindowFixture fixture;
        // The SendTo folder cannot be made where a file stands in its way.
        fixture.rig.writeFile("home/.local/share/nautilus", "in the way");
        Form3 direct(*fixture.form1, fixture.rig.windows(), fixture.rig.services());
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

void SettingWindowTest::sendToOfLxqtAndLxdeIsAFileManagerAction_data() {
    QTest::addColumn<QByteArray>("desktop");
    QTest::newRow("LXQt") << QByteArray("LXQt");
    QTest::newRow("LXDE") << QByteArray("LXDE");
}

void SettingWindowTest::sendToOfLxqtAndLxdeIsAFileManagerAction() {
    QFETCH(QByteArray, desktop);
    MainWindowFixture fixture;
    qputenv("XDG_CURRENT_DESKTOP", desktop);
    const auto restore = qScopeGuard([] { qunsetenv("XDG_CURRENT_DESKTOP"); });
    const std::string action =
        fixture.rig.home() + "/.local/share/file-manager/actions/Ondrel.desktop";
    // The package's own menu entry, which Send To must leave alone.
    const std::string menuEntry =
        fixture.rig.writeFile("home/.local/share/applications/org.ondrel.Ondrel.desktop", "menu");

    Form3* setting = fixture.openSetting();
    QVERIFY(setting != nullptr);
    QCOMPARE(q(setting->SendToLink), q(action));
    QVERIFY(setting->Option4->isChecked());
    choose(setting, setting->Option3);
    pressSet(setting);
    verifyProgramShortcut(fixture, action, fixture.rig.environment.programFolder);
    QVERIFY(contentOf(action).contains("\nType=Action\n"));

    // The next opening finds it, and "disabled" removes it again.
    setting = fixture.openSetting();
    QVERIFY(setting != nullptr);
    QVERIFY(setting->HadSendToLink);
    QVERIFY(setting->Option3->isChecked());
    choose(setting, setting->Option4);
    pressSet(setting);
    QVERIFY(!isFile(action));
    QCOMPARE(contentOf(menuEntry), QByteArray("menu"));
    QVERIFY(fixture.rig.messageBox.texts.isEmpty());
}

QTEST_MAIN(SettingWindowTest)
#include "test_setting_window.moc"
