#pragma once

#include <QWidget>

#include <string>

class QGroupBox;
class QPushButton;
class QRadioButton;

namespace ondrel {

class Form1;

namespace platform {
class Shell;
}

// The Setting window: creates or removes the Desktop and SendTo shortcuts.
// Loaded anew at every opening; deletes itself on close.
class Form3 : public QWidget {
    Q_OBJECT

public:
    explicit Form3(Form1& main, QWidget* parent = nullptr);

    // Disables the main window and looks up both shortcuts; the opener calls
    // it before show(). Throws PlatformError when a special folder cannot be read.
    void Form_Load();

    std::string ExePath;
    std::string DesktopDir;
    std::string DesktopLink;
    bool HadDesktopLink = false;
    std::string SendToDir;
    std::string SendToLink;
    bool HadSendToLink = false;

    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QPushButton* Command1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QRadioButton* Option4 = nullptr;

public Q_SLOTS:
    void Command1_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Unload();
    // Creates or deletes one shortcut, judged by what was found at load only.
    void applyPair(platform::Shell& shell, bool createSelected, bool deleteSelected,
                   bool existedAtLoad, const std::string& linkPath);
    void createShortcut(platform::Shell& shell, const std::string& linkPath);

    Form1& m_main;
};

} // namespace ondrel
