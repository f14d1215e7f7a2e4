#include "desktop/Form3.h"

#include "app/Form1.h"
#include "desktop/WindowFont.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/PathStyle.h"
#include "platform/Shell.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include <stdexcept>

namespace ondrel {

namespace {

QRadioButton* makeOption(QGroupBox* frame, const char* name, const char* caption,
                         const QRect& geometry) {
    auto* option = new QRadioButton(QString::fromUtf8(caption), frame);
    option->setObjectName(QString::fromUtf8(name));
    option->setGeometry(geometry);
    // Each frame holds one pair, and the pair is exclusive by being the
    // frame's only radio buttons.
    option->setAutoExclusive(true);
    return option;
}

} // namespace

Form3::Form3(Form1& main, QWidget* parent) : QWidget(parent), m_main(main) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Setting"));
    setWindowIcon(main.windowIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    // A fixed layout: a title bar with the window menu and a close box, nothing
    // to maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(windowFont());
    setFixedSize(312, 239);

    // Created in tab order; every position is relative to its container.
    Frame1 = new QGroupBox(QStringLiteral("Create a shortcut to the Desktop?"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(16, 16, 281, 73);
    Option1 = makeOption(Frame1, "Option1", "Yes", QRect(24, 32, 97, 25));
    Option2 = makeOption(Frame1, "Option2", "No", QRect(144, 32, 129, 25));

    Command1 = new QPushButton(QStringLiteral("Set"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(64, 192, 177, 33);

    Frame2 = new QGroupBox(QStringLiteral("Right click a file and send to"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(16, 104, 281, 73);
    Option3 = makeOption(Frame2, "Option3", "enabled", QRect(24, 24, 81, 33));
    Option4 = makeOption(Frame2, "Option4", "disabled", QRect(144, 24, 89, 33));

    setTabOrder(Option1, Option2);
    setTabOrder(Option2, Command1);
    setTabOrder(Command1, Option3);
    setTabOrder(Option3, Option4);

    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
}

void Form3::Form_Load() {
    m_main.setEnabled(false);

    platform::Services& services = m_main.services();
    DesktopDir = services.shell.SpecialFolders("Desktop");
    SendToDir = services.shell.SpecialFolders("SendTo");

    // The executable's name is fixed: a program started under another name
    // still makes shortcuts to the one that is installed.
    const std::string separator(1, platform::pathSeparator());
    ExePath = services.environment.ProgramFolder() + separator + platform::programFileName();
    DesktopLink = DesktopDir + separator + services.shell.ShortcutFileName("Desktop");
    SendToLink = SendToDir + separator + services.shell.ShortcutFileName("SendTo");

    HadDesktopLink = services.fileSystem.FileExists(DesktopLink);
    Option1->setChecked(HadDesktopLink);
    Option2->setChecked(!HadDesktopLink);

    HadSendToLink = services.fileSystem.FileExists(SendToLink);
    Option3->setChecked(HadSendToLink);
    Option4->setChecked(!HadSendToLink);
}

void Form3::Command1_Click() {
    try {
        platform::Shell& shell = m_main.services().shell;
        // Desktop first: a failure there leaves the SendTo pair as it was.
        applyPair(shell, Option1->isChecked(), Option2->isChecked(), HadDesktopLink, DesktopLink);
        applyPair(shell, Option3->isChecked(), Option4->isChecked(), HadSendToLink, SendToLink);
    } catch (const std::exception& error) {
        m_main.endOnError(error);
        return;
    } catch (...) {
        m_main.endOnError(std::runtime_error("unknown failure while applying the shortcuts"));
        return;
    }
    close();
}

void Form3::applyPair(platform::Shell& shell, bool createSelected, bool deleteSelected,
                      bool existedAtLoad, const std::string& linkPath) {
    // The flags are what the user saw; the file is not looked up again, so a
    // file that vanished meanwhile makes the delete fail loudly.
    if (createSelected && !existedAtLoad)
        createShortcut(shell, linkPath);
    else if (deleteSelected && existedAtLoad)
        m_main.services().fileSystem.DeleteFile(linkPath, true);
}

void Form3::createShortcut(platform::Shell& shell, const std::string& linkPath) {
    platform::Shortcut shortcut = shell.CreateShortcut(linkPath);
    shortcut.Description = "";
    // Read now rather than at load: it is what the program is started from
    // when the shortcut is made.
    shortcut.WorkingDirectory = m_main.services().environment.ProgramFolder();
    shortcut.TargetPath = ExePath;
    shell.Save(shortcut);
}

void Form3::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void Form3::Form_Unload() {
    m_main.setEnabled(true);
}

} // namespace ondrel
