#pragma once

#include "app/LaunchFileList.h"
#include "platform/Services.h"

#include <QWidget>

#include <cstdint>
#include <exception>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace ondrel {

class LogBox;
class MessageBox;

// The main window: the file list, the transfer log, the status line, the two
// options and the three buttons. It owns the run's state.
class Form1 : public QWidget {
    Q_OBJECT

public:
    Form1(platform::Services services, MessageBox& messageBox, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up: TEMP, the KDH setting, then the file list or the instructions.
    void Form_Load();
    // Shows the window centred on the screen.
    void showCentred();

    // Repaints the window and both labels, runs pending events, pauses 1000 ms.
    void RefreshDisplay();

    // Appends a piece to the log and puts the caret at the end.
    void appendLog(const QString& piece);

    // The long form of a path, "" when a component cannot be found.
    std::string GetLongFilename(const std::string& sShortName);

    // True once Form_Unload has run: whatever was under way must not go on.
    bool unloaded() const { return m_unloaded; }

    // The road of a failure nothing else handles: a message box naming it,
    // the setting saved, the program ended.
    void endOnError(const std::exception& error);

    platform::Services& services() { return m_services; }
    MessageBox& messageBox() { return m_messageBox; }

    // Members of the run.
    std::string TempDir;
    LaunchFileList FileList;
    std::int32_t ChildProcessId = 0;

    // Controls, by their design names (also their objectNames).
    QGroupBox* Frame1 = nullptr;
    LogBox* Text1 = nullptr;
    QLabel* Label1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* Label2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;

public Q_SLOTS:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
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
    MessageBox& m_messageBox;
    bool m_unloaded = false;
    bool m_programEnded = false;
    // Until the stored KDH mode has been read, the check box does not hold it.
    bool m_kdhRead = false;
};

} // namespace ondrel
