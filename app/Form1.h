#pragma once

#include "app/LaunchFileList.h"
#include "desktop/SecondaryWindow.h"
#include "platform/Controls.h"
#include "platform/Services.h"
#include "platform/Window.h"
#include "transfer/BatchWindow.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

namespace ondrel {

class Form2;
class Form3;

// The main window: the file list, the transfer log, the status line, the two
// options and the three buttons. It owns the run's state, and the About and
// Setting windows it opens. The batch sees it only as a BatchWindow, the
// About and Setting windows only as their owner.
class Form1 final : public BatchWindow, public SecondaryWindow::Owner {
public:
    Form1(platform::Services services, platform::WindowSystem& windows,
          platform::MessageBox& messageBox);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Start-up: TEMP, the KDH setting, then the file list or the instructions.
    void Form_Load();
    // Shows the window centred on the screen, START! (or FINISH) focused.
    void showCentred();

    // Repaints the window and both labels, runs pending events, pauses 1000 ms.
    void RefreshDisplay() override;

    // Appends a piece to the log and puts the caret at the end.
    void appendLog(const std::string& piece) override;

    // The long form of a path, "" when a component cannot be found.
    std::string GetLongFilename(const std::string& sShortName) override;

    // True once Form_Unload has run: whatever was under way must not go on.
    bool unloaded() const override { return m_unloaded; }

    // The road of a failure nothing else handles: a message box naming it,
    // the setting saved, the program ended.
    void endOnError(const std::exception& error);

    platform::Window& window() { return *m_window; }

    // The About and Setting windows of the latest opening, or nullptr.
    Form2* about() { return m_about.get(); }
    Form3* setting() { return m_setting.get(); }

    // Members of the run.
    std::string TempDir;
    LaunchFileList FileList;
    std::int32_t ChildProcessId = 0;

    // Controls, by their design names (also their object names).
    platform::Frame* Frame1 = nullptr;
    platform::LogBox* Text1 = nullptr;
    platform::Label* Label1 = nullptr;
    platform::Frame* Frame2 = nullptr;
    platform::Label* Label2 = nullptr;
    platform::CheckBox* Check1 = nullptr;
    platform::CheckBox* Check2 = nullptr;
    platform::Button* Command1 = nullptr;
    platform::Button* Command2 = nullptr;
    platform::Button* Command3 = nullptr;

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    // What the batch works on.
    platform::Label& fileLabel() override { return *Label1; }
    platform::Label& statusLabel() override { return *Label2; }
    platform::CheckBox& desktopOption() override { return *Check1; }
    platform::CheckBox& kdhOption() override { return *Check2; }
    platform::Button& mainButton() override { return *Command1; }
    int fileCount() const override { return FileList.FileCount; }
    const std::string& sourcePath(int index) const override;
    const std::string& displayName(int index) const override;
    std::int32_t childProcessId() const override { return ChildProcessId; }
    void setChildProcessId(std::int32_t processId) override { ChildProcessId = processId; }
    const std::string& tempDir() const override { return TempDir; }

    // What the About and Setting windows do to it while they are loaded.
    void setEnabled(bool enabled) override { m_window->setEnabled(enabled); }

private:
    bool closeRequested();
    void Form_Unload();

    void createControls();
    void loadLaunchList();
    void writeInstructions();
    void refuseFolders();
    void writeListing();
    void terminateConverter();
    void saveSetting();
    void endProgram(int exitCode);

    platform::Services m_services;
    platform::WindowSystem& m_windows;
    platform::MessageBox& m_messageBox;
    std::unique_ptr<platform::Window> m_window;
    // Destroyed before the main window: they refer to it.
    std::unique_ptr<Form2> m_about;
    std::unique_ptr<Form3> m_setting;
    bool m_unloaded = false;
    bool m_programEnded = false;
    // Until the stored KDH mode has been read, the check box does not hold it.
    bool m_kdhRead = false;
};

} // namespace ondrel
