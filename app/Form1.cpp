#include "app/Form1.h"

#include "app/FailureMessage.h"
#include "app/KdhSetting.h"
#include "app/LaunchListBuilder.h"
#include "app/LongFilename.h"
#include "desktop/Form2.h"
#include "desktop/Form3.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Processes.h"
#include "platform/ProgramEnd.h"
#include "platform/SettingsStore.h"
#include "platform/Sleeper.h"
#include "transfer/TransferBatch.h"

#include <memory>

namespace ondrel {

namespace {

const std::string kFinish = "FINISH";

// The main window's design: positions in twips, relative to the container.
const platform::WindowDesign kDesign{"Form1", "Ondrel", 6690, 6090, true};

} // namespace

Form1::Form1(platform::Services services, platform::WindowSystem& windows,
             platform::MessageBox& messageBox)
    : m_services(services), m_windows(windows), m_messageBox(messageBox),
      m_window(windows.createWindow(kDesign)) {
    // A failure no handler expects takes the program's road, whichever
    // window's event it comes from.
    m_windows.onUncaughtFailure([this](const std::exception& error) { endOnError(error); });
    createControls();
    Command1->onClick([this] { Command1_Click(); });
    Command2->onClick([this] { Command2_Click(); });
    Command3->onClick([this] { Command3_Click(); });
    m_window->onCloseRequest([this] { return closeRequested(); });
}

// The About and Setting windows go first, while the main window they refer
// to still stands.
Form1::~Form1() {
    m_setting.reset();
    m_about.reset();
    m_windows.onUncaughtFailure({});
}

void Form1::createControls() {
    platform::Window& w = *m_window;
    // Created in the design's order, so that later controls lie above earlier ones.
    Check2 = &w.addCheckBox("Check2", "KDH mode.", {240, 4200, 6255, 615});
    Check2->setToolTip("Please check if you use Windows Media Player. Do not check if you use "
                       "iTunes. If you cannot transfer properly, check/uncheck this and try "
                       "again.");

    Check1 = &w.addCheckBox("Check1", "Do not transfer to DS, output file(s) to the Desktop.",
                            {240, 3480, 6135, 720});
    Command3 = &w.addButton("Command3", "Setting", {2160, 5400, 1095, 495});
    Command2 = &w.addButton("Command2", "About this software", {3360, 5400, 3135, 495});

    Frame2 = &w.addFrame("Frame2", "Message", {120, 2280, 6375, 1095});
    Label2 = &w.addLabel("Label2", "", {120, 360, 6135, 615}, Frame2, true);

    Frame1 = &w.addFrame("Frame1", "File to transfer", {120, 120, 6375, 2175});
    // The current-file label shares the log's rectangle and lies beneath it.
    Label1 = &w.addLabel("Label1", "", {120, 360, 6135, 1695}, Frame1);
    Text1 = &w.addLogBox("Text1", "Text1", {120, 360, 6135, 1695}, Frame1);

    Command1 = &w.addButton("Command1", "START!", {120, 5040, 1935, 855});

    w.setTabOrder({Command1, Command2, Command3, Text1, Check1, Check2});
    Command1->setFocus();
}

void Form1::Form_Load() {
    TempDir = m_services.environment.Variable("TEMP");
    if (TempDir.empty()) {
        // Without TEMP the temporary files would land at the root of the
        // drive, and in a shared folder others could plant links on their
        // predictable names; a private folder of our own is safe.
        TempDir = m_services.environment.PrivateTempFolder();
    }

    const std::string stored = m_services.settings.read(KdhSetting::kApplication,
                                                        KdhSetting::kSection, KdhSetting::kKey, "");
    Check2->setChecked(KdhSetting::ticked(stored));
    m_kdhRead = true;

    loadLaunchList();
}

void Form1::loadLaunchList() {
    const std::string argumentText = m_services.environment.ArgumentText();
    if (argumentText.empty()) {
        writeInstructions();
        return;
    }

    // One walker for the whole list: files dropped together share their folders.
    const LongFilename longName(m_services.fileSystem);
    const platform::Environment& environment = m_services.environment;
    const LaunchListBuilder builder(
        [&longName](const std::string& path) { return longName.of(path); },
        [&environment](const std::string& path) { return environment.FullPath(path); });
    const std::size_t leftOut = builder.build(argumentText, FileList);
    refuseFolders();
    if (leftOut > 0) {
        m_messageBox.show("Only the first " + std::to_string(LaunchFileList::kMaxFiles) +
                          " files can be transferred at a time. " + std::to_string(leftOut) +
                          " file(s) were left out.");
    }
    writeListing();
}

void Form1::writeInstructions() {
    Text1->setText("Please do not execute this software directly.\r\n"
                   "Drag & Drop music file(s) to the Desktop icon.\r\n"
                   "To change the setting, \r\n"
                   "please right click and \"send to\" music file(s).\r\n");
    Text1->setSelectionStart(Text1->textLength());
    Command1->setText(kFinish);
    Command1->setEnabled(true);
}

void Form1::refuseFolders() {
    for (int i = 0; i < FileList.FileCount; ++i) {
        if (!m_services.fileSystem.FolderExists(FileList.SourcePaths[i]))
            continue;
        m_messageBox.show(FileList.DisplayNames[i] +
                          "\r\n\r\nI'm sorry. This software cannot handle folder(s).");
        Command1->setText(kFinish);
        Command1->setEnabled(true);
    }
}

void Form1::writeListing() {
    // One replacement of the whole text: appending tens of thousands of lines
    // one by one would relayout the box each time.
    std::string listing;
    for (int i = 0; i < FileList.FileCount; ++i) {
        listing += FileList.DisplayNames[i];
        listing += "\r\n";
    }
    listing += "**Number of file(s): " + std::to_string(FileList.FileCount);
    Text1->setText(listing);
    Text1->setSelectionStart(Text1->textLength());
}

std::string Form1::GetLongFilename(const std::string& sShortName) {
    return LongFilename(m_services.fileSystem).of(sShortName);
}

void Form1::showCentred() {
    m_window->showCentred();
    Command1->setFocus();
}

void Form1::RefreshDisplay() {
    m_window->repaintNow();
    Label1->repaintNow();
    Label2->repaintNow();
    m_windows.processEvents();
    m_services.sleeper.Sleep(1000);
}

void Form1::appendLog(const std::string& piece) {
    Text1->append(piece);
    Text1->setSelectionStart(Text1->textLength());
}

const std::string& Form1::sourcePath(int index) const {
    return FileList.SourcePaths[static_cast<std::size_t>(index)];
}

const std::string& Form1::displayName(int index) const {
    return FileList.DisplayNames[static_cast<std::size_t>(index)];
}

// A failure in a handler takes the road set in the constructor: the message
// box naming it, then the end of the program.
void Form1::Command1_Click() {
    if (Command1->text() == kFinish) {
        m_window->close();
        return;
    }
    TransferBatch(*this, m_services).run();
}

// The About and Setting windows are loaded anew at every opening; the one of
// the previous opening, closed and hidden by now, goes.
void Form1::Command2_Click() {
    m_about = std::make_unique<Form2>(*this, m_windows);
    m_about->open();
}

void Form1::Command3_Click() {
    m_setting = std::make_unique<Form3>(*this, m_windows, m_services);
    m_setting->open();
}

bool Form1::closeRequested() {
    if (m_unloaded)
        return true;
    // While the About or Setting window is open the main window is disabled;
    // the window system still delivers its close box, and the design says no.
    if (!m_window->isEnabled())
        return false;
    Form_Unload();
    return true;
}

void Form1::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    terminateConverter();
    try {
        saveSetting();
    } catch (const std::exception& error) {
        endOnError(error);
        return;
    }
    endProgram(0);
}

void Form1::terminateConverter() {
    if (ChildProcessId == 0)
        return;
    // Nothing is reported here: a converter that is already gone is fine.
    try {
        platform::Processes& processes = m_services.processes;
        const platform::ProcessHandle handle = processes.OpenProcess(
            platform::kProcessTerminate | platform::kSynchronize, false, ChildProcessId);
        if (handle == 0)
            return;
        processes.TerminateProcess(handle, 0);
        processes.CloseHandle(handle);
    } catch (const std::exception&) {
    }
}

void Form1::saveSetting() {
    // A failure before the setting was read must not overwrite it with the
    // check box's design state.
    if (!m_kdhRead)
        return;
    m_services.settings.write(KdhSetting::kApplication, KdhSetting::kSection, KdhSetting::kKey,
                              KdhSetting::storedFor(Check2->isChecked()));
}

void Form1::endOnError(const std::exception& error) {
    if (m_programEnded)
        return;
    m_unloaded = true;
    m_messageBox.show(failureMessage(error, {TempDir, Check1->isChecked()}));
    try {
        saveSetting();
    } catch (const std::exception&) {
        // The failure being reported matters more than the setting.
    }
    endProgram(1);
}

void Form1::endProgram(int exitCode) {
    m_programEnded = true;
    m_services.programEnd.EndProgram(exitCode);
    // Only reached when the end is simulated: nothing of this window may run on.
    m_window->hide();
}

} // namespace ondrel
