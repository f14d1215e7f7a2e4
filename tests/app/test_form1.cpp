// The main window at start-up and at its end: the log it writes, the
// messages it shows, the converter it stops and the program end it asks for.

#include "app/Form1.h"
#include "desktop/Form2.h"
#include "desktop/Form3.h"
#include "platform/PlatformError.h"
#include "platform/Processes.h"
#include "platform/SettingsStore.h"
#include "tests/support/QtToolkit.h"
#include "tests/support/TestRig.h"

#include <QApplication>
#include <QFileInfo>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <string>
#include <vector>

using namespace Qt::StringLiterals;
using ondrel::Form1;
using ondrel::platform::ProcessHandle;

namespace {

bool processExists(std::int32_t pid) {
    return QFileInfo::exists(u"/proc/%1"_s.arg(pid));
}

// The real processes, with the ids that were opened noted down.
class RecordingProcesses : public ondrel::platform::Processes {
public:
    explicit RecordingProcesses(ondrel::platform::Processes& real) : m_real(real) {}

    std::int32_t StartProcess(const std::string& commandLine, int windowStyle) override {
        return m_real.StartProcess(commandLine, windowStyle);
    }
    ProcessHandle OpenProcess(std::uint32_t access, bool inherit, std::int32_t id) override {
        opened.push_back({access, id});
        return m_real.OpenProcess(access, inherit, id);
    }
    std::uint32_t WaitForSingleObject(ProcessHandle handle, std::uint32_t ms) override {
        return m_real.WaitForSingleObject(handle, ms);
    }
    bool TerminateProcess(ProcessHandle handle, std::uint32_t exitCode) override {
        terminatedWith.push_back(exitCode);
        return m_real.TerminateProcess(handle, exitCode);
    }
    bool CloseHandle(ProcessHandle handle) override { return m_real.CloseHandle(handle); }

    std::vector<std::pair<std::uint32_t, std::int32_t>> opened;
    std::vector<std::uint32_t> terminatedWith;

private:
    ondrel::platform::Processes& m_real;
};

// The real store; at each write it notes whether a watched process still lived.
class WatchingSettings : public ondrel::platform::SettingsStore {
public:
    explicit WatchingSettings(ondrel::platform::SettingsStore& real) : m_real(real) {}

    std::string read(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& defaultValue) const override {
        return m_real.read(application, section, key, defaultValue);
    }
    void write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override {
        watchedAliveAtWrite.push_back(watched != 0 && processExists(watched));
        m_real.write(application, section, key, value);
    }

    std::int32_t watched = 0;
    std::vector<bool> watchedAliveAtWrite;

private:
    ondrel::platform::SettingsStore& m_real;
};

QString storedKdh(const ondrel::test::TestRig& rig) {
    QSettings file(QString::fromStdString(rig.configFile()), QSettings::IniFormat);
    return file.value(u"Done/Kdh"_s).toString();
}

using ondrel::test::q;

} // namespace

class TestForm1 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void writesInstructionsWithoutArguments();
    void listsNoEntriesForSpacesOnly();
    void listsDisplayNamesAndTheCount();
    void refusesAFolderButKeepsItListed();
    void listsRelativeEntriesAsFullPaths();
    void keepsTheFirst32767Entries();
    void appendsToTheLogWithTheCaretAtTheEnd();
    void takesTempOrAPrivateFolder_data();
    void takesTempOrAPrivateFolder();
    void refreshesThenPauses();

    void finishEndsWithoutTouchingProcesses();
    void closingTerminatesTheConverterBeforeSaving();
    void closingAfterTheConverterEndedStillSaves();
    void ignoresCloseWhileDisabled();
    void opensTheSecondaryWindowsWithoutOwner();
    void endsOnErrorWithAMessage();
    void keepsTheSettingWhenStartUpFails();
};

void TestForm1::cleanup() {
    // The About and Setting windows go with the main window that opened
    // them; nothing may outlive a test.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void TestForm1::writesInstructionsWithoutArguments() {
    ondrel::test::TestRig rig;
    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    form.Form_Load();
    const QString expected = u"Please do not execute this software directly.\r\n"
                             "Drag & Drop music file(s) to the Desktop icon.\r\n"
                             "To change the setting, \r\n"
                             "please right click and \"send to\" music file(s).\r\n"_s;
    QCOMPARE(q(form.Text1->text()), expected);
    QCOMPARE(qsizetype(form.Text1->selectionStart()), expected.size());
    QCOMPARE(q(form.Command1->text()), u"FINISH"_s);
    QVERIFY(form.Command1->isEnabled());
    QCOMPARE(form.FileList.FileCount, std::int16_t{0});
    QVERIFY(rig.messageBox.texts.isEmpty());
}

void TestForm1::listsNoEntriesForSpacesOnly() {
    ondrel::test::TestRig rig;
    rig.environment.argumentText = "   ";
    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    form.Form_Load();
    QCOMPARE(q(form.Text1->text()), u"**Number of file(s): 0"_s);
    QCOMPARE(q(form.Command1->text()), u"START!"_s);
    QCOMPARE(form.FileList.FileCount, std::int16_t{0});
}

void TestForm1::listsDisplayNamesAndTheCount() {
    ondrel::test::TestRig rig;
    const std::string plain = rig.writeFile("music/plain.mp3", "x");
    const std::string spaced = rig.writeFile("my music/with space.mp3", "x");
    const std::string missing = rig.home() + "/no folder here/gone.mp3";
    rig.environment.argumentText =
        plain + " \"" + spaced + "\" " + rig.home() + "/nofolder/gone.mp3 \"" + missing + "\"";
    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    form.Form_Load();

    // The unquoted entry whose folder is missing shows as an empty line.
    const QString expected = q(plain) + u"\r\n"_s + q(spaced) + u"\r\n\r\n"_s + q(missing) +
                             u"\r\n**Number of file(s): 4"_s;
    QCOMPARE(q(form.Text1->text()), expected);
    QCOMPARE(qsizetype(form.Text1->selectionStart()), expected.size());
    QCOMPARE(form.FileList.SourcePaths[2], rig.home() + "/nofolder/gone.mp3");
    QCOMPARE(q(form.Command1->text()), u"START!"_s);
    QVERIFY(rig.messageBox.texts.isEmpty());
}

void TestForm1::refusesAFolderButKeepsItListed() {
    ondrel::test::TestRig rig;
    const std::string first = rig.writeFile("a.mp3", "x");
    const std::string folder = rig.makeFolder("Albums");
    const std::string third = rig.writeFile("c.mp3", "x");
    rig.environment.argumentText = first + " " + folder + " " + third;
    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    // The button changes only after the box has been dismissed.
    QString captionWhileShown;
    rig.messageBox.onShow = [&](const QString&) {
        captionWhileShown = q(form.Command1->text());
    };
    form.Form_Load();

    QCOMPARE(
        rig.messageBox.texts,
        QStringList{q(folder) + u"\r\n\r\nI'm sorry. This software cannot handle folder(s)."_s});
    QCOMPARE(captionWhileShown, u"START!"_s);
    QCOMPARE(q(form.Text1->text()), q(first) + u"\r\n"_s + q(folder) + u"\r\n"_s + q(third) +
                                        u"\r\n**Number of file(s): 3"_s);
    QCOMPARE(form.FileList.FileCount, std::int16_t{3});
    QCOMPARE(q(form.Command1->text()), u"FINISH"_s);
    QVERIFY(form.Command1->isEnabled());
}

// Names relative to the current folder, as a console passes them: listed,
// and tested for folders, as the full paths they stand for.
void TestForm1::listsRelativeEntriesAsFullPaths() {
    ondrel::test::TestRig rig;
    const std::string song = rig.writeFile("current folder/song.mp3", "x");
    const std::string spaced = rig.writeFile("current folder/rel song.m4a", "x");
    const std::string folder = rig.makeFolder("current folder/Album");
    rig.environment.argumentText = "song.mp3 \"rel song.m4a\" Album";
    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    form.Form_Load();

    QCOMPARE(q(form.Text1->text()), q(song) + u"\r\n"_s + q(spaced) + u"\r\n"_s + q(folder) +
                                        u"\r\n**Number of file(s): 3"_s);
    QCOMPARE(form.FileList.SourcePaths[0], song);
    QCOMPARE(form.FileList.SourcePaths[1], spaced);
    QCOMPARE(
        rig.messageBox.texts,
        QStringList{q(folder) + u"\r\n\r\nI'm sorry. This software cannot handle folder(s)."_s});
    QCOMPARE(q(form.Command1->text()), u"FINISH"_s);
}

void TestForm1::keepsTheFirst32767Entries() {
    ondrel::test::TestRig rig;
    std::string text;
    for (int i = 0; i < 32770; ++i)
        text += "\"/n" + std::to_string(i) + "\" ";
    rig.environment.argumentText = text;
    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    form.Form_Load();

    QCOMPARE(form.FileList.FileCount, std::int16_t{32767});
    QCOMPARE(form.FileList.SourcePaths[32766], std::string("/n32766"));
    QVERIFY(form.FileList.SourcePaths[32767].empty());
    QCOMPARE(rig.messageBox.texts,
             QStringList{u"Only the first 32767 files can be transferred at a time. 3 file(s) "
                         "were left out."_s});
    const QString log = q(form.Text1->text());
    QVERIFY(log.endsWith(u"/n32766\r\n**Number of file(s): 32767"_s));
    QCOMPARE(log.count(u"\r\n"_s), 32767);
    QCOMPARE(q(form.Command1->text()), u"START!"_s);
}

void TestForm1::appendsToTheLogWithTheCaretAtTheEnd() {
    ondrel::test::TestRig rig;
    rig.environment.argumentText = "\"/x\"";
    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    form.Form_Load();
    form.Text1->setSelectionStart(0);
    form.appendLog("\r\nNo. 1: x...");
    form.appendLog(" SUCCESS");
    const QString expected = u"/x\r\n**Number of file(s): 1\r\nNo. 1: x... SUCCESS"_s;
    QCOMPARE(q(form.Text1->text()), expected);
    QCOMPARE(qsizetype(form.Text1->selectionStart()), expected.size());
}

void TestForm1::takesTempOrAPrivateFolder_data() {
    QTest::addColumn<bool>("set");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("usePrivate");
    QTest::newRow("TEMP set") << true << u"/some/temp"_s << false;
    QTest::newRow("TEMP empty") << true << QString() << true;
    QTest::newRow("TEMP unset") << false << QString() << true;
}

void TestForm1::takesTempOrAPrivateFolder() {
    QFETCH(bool, set);
    QFETCH(QString, value);
    QFETCH(bool, usePrivate);
    ondrel::test::TestRig rig;
    rig.environment.variables.erase("TEMP");
    if (set)
        rig.environment.variables["TEMP"] = value.toStdString();
    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    form.Form_Load();
    QCOMPARE(form.TempDir, usePrivate ? rig.environment.privateTempFolder : value.toStdString());
}

void TestForm1::refreshesThenPauses() {
    ondrel::test::TestRig rig;
    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    bool pendingRan = false;
    QObject context;
    QTimer::singleShot(0, &context, [&] { pendingRan = true; });
    bool ranBeforePause = false;
    rig.sleeper.onSleep = [&](std::uint32_t) {
        ranBeforePause = pendingRan;
    };
    form.RefreshDisplay();
    QVERIFY(ranBeforePause);
    QCOMPARE(rig.sleeper.pauses, std::vector<std::uint32_t>{1000});
}

void TestForm1::finishEndsWithoutTouchingProcesses() {
    ondrel::test::TestRig rig;
    ondrel::platform::Services real = rig.services();
    RecordingProcesses processes(real.processes);
    ondrel::platform::Services services{real.fileSystem, real.environment, real.settings,
                                        processes,       real.sleeper,     real.shell,
                                        real.drives,     real.programEnd};
    Form1 form(services, rig.windows(), rig.messageBox);
    form.Form_Load();
    form.window().show();
    QTest::mouseClick(ondrel::test::qtWidget(form.window(), form.Command1), Qt::LeftButton);

    QVERIFY(form.unloaded());
    QCOMPARE(rig.programEnd.calls, 1);
    QCOMPARE(rig.programEnd.lastExitCode, 0);
    QVERIFY(processes.opened.empty());
    QCOMPARE(storedKdh(rig), u"2"_s);
    QVERIFY(!form.window().isVisible());
}

void TestForm1::closingTerminatesTheConverterBeforeSaving() {
    ondrel::test::TestRig rig;
    ondrel::platform::Services real = rig.services();
    RecordingProcesses processes(real.processes);
    WatchingSettings settings(real.settings);
    ondrel::platform::Services services{real.fileSystem, real.environment, settings,
                                        processes,       real.sleeper,     real.shell,
                                        real.drives,     real.programEnd};
    rig.environment.argumentText = "\"x\"";
    Form1 form(services, rig.windows(), rig.messageBox);
    form.Form_Load();
    form.window().show();
    const std::int32_t child =
        processes.StartProcess("/bin/sleep 30", ondrel::platform::kMinimizedNoFocus);
    QVERIFY(processExists(child));
    form.ChildProcessId = child;
    settings.watched = child;

    form.window().close();
    QVERIFY(form.unloaded());
    QVERIFY(!form.window().isVisible());
    QCOMPARE(processes.opened.size(), std::size_t{1});
    QCOMPARE(processes.opened[0].first, std::uint32_t{0x00100001});
    QCOMPARE(processes.opened[0].second, child);
    QCOMPARE(processes.terminatedWith, std::vector<std::uint32_t>{0});
    QCOMPARE(settings.watchedAliveAtWrite, std::vector<bool>{false});
    QVERIFY(!processExists(child));
    QCOMPARE(storedKdh(rig), u"2"_s);
    QCOMPARE(rig.programEnd.calls, 1);
    // A second close finds the window unloaded and does nothing more.
    form.window().close();
    QCOMPARE(rig.programEnd.calls, 1);
    QCOMPARE(settings.watchedAliveAtWrite.size(), std::size_t{1});
}

void TestForm1::closingAfterTheConverterEndedStillSaves() {
    ondrel::test::TestRig rig;
    ondrel::platform::Services services = rig.services();
    ondrel::platform::Processes& processes = services.processes;
    const std::int32_t child = processes.StartProcess("/bin/true", 6);
    const ProcessHandle handle =
        processes.OpenProcess(ondrel::platform::kSynchronize, false, child);
    QVERIFY(handle != 0);
    QCOMPARE(processes.WaitForSingleObject(handle, 10000), ondrel::platform::kWaitObject0);
    processes.CloseHandle(handle);

    Form1 form(services, rig.windows(), rig.messageBox);
    form.Form_Load();
    form.Check2->setChecked(false);
    form.ChildProcessId = child;
    form.window().show();
    form.window().close();
    QVERIFY(!form.window().isVisible());
    QVERIFY(rig.messageBox.texts.isEmpty());
    QCOMPARE(storedKdh(rig), u"1"_s);
    QCOMPARE(rig.programEnd.lastExitCode, 0);
}

void TestForm1::ignoresCloseWhileDisabled() {
    ondrel::test::TestRig rig;
    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    form.Form_Load();
    form.window().show();
    form.window().setEnabled(false);
    form.window().close();
    QVERIFY(!form.unloaded());
    QVERIFY(form.window().isVisible());
    QCOMPARE(rig.programEnd.calls, 0);
    QVERIFY(!QFileInfo::exists(q(rig.configFile())));

    form.window().setEnabled(true);
    form.window().close();
    QVERIFY(!form.window().isVisible());
    QCOMPARE(rig.programEnd.calls, 1);
}

void TestForm1::opensTheSecondaryWindowsWithoutOwner() {
    ondrel::test::TestRig rig;
    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    form.Form_Load();
    form.window().show();

    // Each of them keeps the main window disabled while it is open, and each
    // opening makes a new one.
    for (int opening = 0; opening < 2; ++opening) {
        for (ondrel::platform::Button* button : {form.Command2, form.Command3}) {
            const bool about = button == form.Command2;
            auto latest = [&]() -> const void* {
                if (about)
                    return form.about();
                return form.setting();
            };
            const void* const before = latest();
            button->click();
            ondrel::platform::Window* opened = nullptr;
            if (about && form.about() != nullptr)
                opened = &form.about()->window();
            if (!about && form.setting() != nullptr)
                opened = &form.setting()->window();
            QVERIFY2(opened != nullptr, button->objectName().c_str());
            QVERIFY(latest() != before);
            QCOMPARE(opened->objectName(), std::string(about ? "Form2" : "Form3"));
            QVERIFY(opened->isVisible());
            QWidget* const widget = ondrel::test::qtWidget(*opened);
            QVERIFY(widget->parentWidget() == nullptr);
            QVERIFY(!widget->isModal());
            QVERIFY(!form.window().isEnabled());
            form.window().close();
            QVERIFY(form.window().isVisible());
            opened->close();
            QVERIFY(!opened->isVisible());
            QVERIFY(form.window().isEnabled());
        }
    }
    QVERIFY(rig.messageBox.texts.isEmpty());
    QCOMPARE(rig.programEnd.calls, 0);
}

void TestForm1::endsOnErrorWithAMessage() {
    ondrel::test::TestRig rig;
    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    form.Form_Load();
    form.window().show();
    form.Check2->setChecked(false);
    const ondrel::platform::PlatformError error("CopyFile", "/a.mp4 -> /card/Music/a.mp4",
                                                "No space left on device");
    form.endOnError(error);

    QCOMPARE(rig.messageBox.texts.size(), 1);
    QVERIFY(rig.messageBox.texts.first().startsWith(u"The file cannot be copied into the Music"_s));
    QVERIFY(rig.messageBox.texts.first().contains(u"/card/Music/a.mp4"_s));
    QVERIFY(rig.messageBox.texts.first().contains(u"No space left on device"_s));
    QVERIFY(form.unloaded());
    QCOMPARE(storedKdh(rig), u"1"_s);
    QCOMPARE(rig.programEnd.calls, 1);
    QCOMPARE(rig.programEnd.lastExitCode, 1);
    // Nothing of the window runs on: no second end, no second box.
    form.endOnError(error);
    form.window().close();
    QCOMPARE(rig.programEnd.calls, 1);
    QCOMPARE(rig.messageBox.texts.size(), 1);
}

void TestForm1::keepsTheSettingWhenStartUpFails() {
    // TEMP is unset and the private folder is refused: start-up ends on the
    // error road before the setting was read.
    class RefusingEnvironment : public ondrel::test::FakeEnvironment {
    public:
        std::string PrivateTempFolder() const override {
            throw ondrel::platform::PlatformError("PrivateTempFolder", "/tmp/ondrel-1000",
                                                  "belongs to another user");
        }
    };
    ondrel::test::TestRig rig;
    rig.services().settings.write("Zara", "Done", "Kdh", "2");
    RefusingEnvironment environment;
    ondrel::platform::Services real = rig.services();
    ondrel::platform::Services services{real.fileSystem, environment,    real.settings,
                                        real.processes,  real.sleeper,   real.shell,
                                        real.drives,     real.programEnd};
    Form1 form(services, rig.windows(), rig.messageBox);
    try {
        form.Form_Load();
        QFAIL("start-up went on without a temporary folder");
    } catch (const std::exception& error) {
        form.endOnError(error);
    }
    QCOMPARE(rig.messageBox.texts.size(), 1);
    QVERIFY(rig.messageBox.texts.first().contains(u"/tmp/ondrel-1000"_s));
    QCOMPARE(rig.programEnd.lastExitCode, 1);
    QCOMPARE(storedKdh(rig), u"2"_s);
}

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
