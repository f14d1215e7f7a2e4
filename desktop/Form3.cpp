#include "desktop/Form3.h"

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/PathStyle.h"
#include "platform/Shell.h"

namespace ondrel {

namespace {

const platform::WindowDesign kDesign{"Form3", "Setting", 4680, 3585, false};

} // namespace

Form3::Form3(Owner& main, platform::WindowSystem& windows, platform::Services services)
    : SecondaryWindow(main, windows, kDesign), m_services(services) {
    platform::Window& w = window();
    // Created in tab order; every position is relative to its container, and
    // each frame's pair is exclusive by being the frame's only option buttons.
    Frame1 = &w.addFrame("Frame1", "Create a shortcut to the Desktop?", {240, 240, 4215, 1095});
    Option1 = &w.addOptionButton("Option1", "Yes", {360, 480, 1455, 375}, Frame1);
    Option2 = &w.addOptionButton("Option2", "No", {2160, 480, 1935, 375}, Frame1);
    Command1 = &w.addButton("Command1", "Set", {960, 2880, 2655, 495});
    Frame2 = &w.addFrame("Frame2", "Right click a file and send to", {240, 1560, 4215, 1095});
    Option3 = &w.addOptionButton("Option3", "enabled", {360, 360, 1215, 495}, Frame2);
    Option4 = &w.addOptionButton("Option4", "disabled", {2160, 360, 1335, 495}, Frame2);
    w.setTabOrder({Option1, Option2, Command1, Option3, Option4});

    Command1->onClick([this] { Command1_Click(); });
}

void Form3::Form_Load() {
    SecondaryWindow::Form_Load();

    platform::Services& services = m_services;
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
    platform::Shell& shell = m_services.shell;
    // Desktop first: a failure there leaves the SendTo pair as it was.
    applyPair(shell, Option1->isChecked(), Option2->isChecked(), HadDesktopLink, DesktopLink);
    applyPair(shell, Option3->isChecked(), Option4->isChecked(), HadSendToLink, SendToLink);
    window().close();
}

void Form3::applyPair(platform::Shell& shell, bool createSelected, bool deleteSelected,
                      bool existedAtLoad, const std::string& linkPath) {
    // The flags are what the user saw; the file is not looked up again, so a
    // file that vanished meanwhile makes the delete fail loudly.
    if (createSelected && !existedAtLoad)
        createShortcut(shell, linkPath);
    else if (deleteSelected && existedAtLoad)
        m_services.fileSystem.DeleteFile(linkPath, true);
}

void Form3::createShortcut(platform::Shell& shell, const std::string& linkPath) {
    platform::Shortcut shortcut = shell.CreateShortcut(linkPath);
    shortcut.Description = "";
    // Read now rather than at load: it is what the program is started from
    // when the shortcut is made.
    shortcut.WorkingDirectory = m_services.environment.ProgramFolder();
    shortcut.TargetPath = ExePath;
    shell.Save(shortcut);
}

} // namespace ondrel
