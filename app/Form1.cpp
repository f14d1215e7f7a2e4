#include "app/Form1.h"

#include "app/FailureMessage.h"
#include "app/KdhSetting.h"
#include "app/LaunchListBuilder.h"
#include "app/LogBox.h"
#include "app/LongFilename.h"
#include "app/MessageBox.h"
#include "desktop/Form2.h"
#include "desktop/Form3.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Processes.h"
#include "platform/ProgramEnd.h"
#include "platform/SettingsStore.h"
#include "platform/Sleeper.h"
#include "transfer/TransferBatch.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <memory>

namespace ondrel {

namespace {

const QString kFinish = QStringLiteral("FINISH");

// The design's face is not found outside Japanese Windows; this one is on
// every desktop we build for, and at this size every caption fits its box.
QFont controlFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    font.setWeight(QFont::Normal);
    return font;
}

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

Form1::Form1(platform::Services services, MessageBox& messageBox, QWidget* parent)
    : QWidget(parent), m_services(services), m_messageBox(messageBox) {
    createControls();
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
}

Form1::~Form1() = default;

void Form1::createControls() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Ondrel"));
    // A fixed layout: no resizing and nothing to maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(446, 406);
    setFont(controlFont());

    // Created in the design's order, so that later controls lie above earlier ones.
    Check2 = new QCheckBox(QStringLiteral("KDH mode."), this);
    Check2->setObjectName(QStringLiteral("Check2"));
    Check2->setGeometry(16, 280, 417, 41);
    Check2->setToolTip(
        QStringLiteral("Please check if you use Windows Media Player. Do not check if you use "
                       "iTunes. If you cannot transfer properly, check/uncheck this and try "
                       "again."));

    Check1 = new QCheckBox(QStringLiteral("Do not transfer to DS, output file(s) to the Desktop."),
                           this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setGeometry(16, 232, 409, 48);

    Command3 = new QPushButton(QStringLiteral("Setting"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setGeometry(144, 360, 73, 33);

    Command2 = new QPushButton(QStringLiteral("About this software"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(224, 360, 209, 33);

    Frame2 = new QGroupBox(QStringLiteral("Message"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(8, 152, 425, 73);

    Label2 = new QLabel(Frame2);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(8, 24, 409, 41);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setWordWrap(true);
    Label2->setTextFormat(Qt::PlainText);

    Frame1 = new QGroupBox(QStringLiteral("File to transfer"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(8, 8, 425, 145);

    Text1 = new LogBox(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(8, 24, 409, 113);
    Text1->setText(QStringLiteral("Text1"));

    // The current-file label shares the log's rectangle and lies beneath it.
    Label1 = new QLabel(Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 24, 409, 113);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setTextFormat(Qt::PlainText);
    Text1->raise();

    Command1 = new QPushButton(QStringLiteral("START!"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(8, 336, 129, 57);

    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Text1);
    setTabOrder(Text1, Check1);
    setTabOrder(Check1, Check2);
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
    const LaunchListBuilder builder(
        [&longName](const std::string& path) { return longName.of(path); });
    const std::size_t leftOut = builder.build(argumentText, FileList);
    refuseFolders();
    if (leftOut > 0) {
        m_messageBox.show(
            QStringLiteral("Only the first %1 files can be transferred at a time. %2 file(s) "
                           "were left out.")
                .arg(LaunchFileList::kMaxFiles)
                .arg(leftOut));
    }
    writeListing();
}

void Form1::writeInstructions() {
    Text1->setText(QStringLiteral("Please do not execute this software directly.\r\n"
                                  "Drag & Drop music file(s) to the Desktop icon.\r\n"
                                  "To change the setting, \r\n"
                                  "please right click and \"send to\" music file(s).\r\n"));
    Text1->setSelectionStart(Text1->text().size());
    Command1->setText(kFinish);
    Command1->setEnabled(true);
}

void Form1::refuseFolders() {
    for (int i = 0; i < FileList.FileCount; ++i) {
        if (!m_services.fileSystem.FolderExists(FileList.SourcePaths[i]))
            continue;
        m_messageBox.show(fromUtf8(FileList.DisplayNames[i]) +
                          QStringLiteral("\r\n\r\nI'm sorry. This software cannot handle "
                                         "folder(s)."));
        Command1->setText(kFinish);
        Command1->setEnabled(true);
    }
}

void Form1::writeListing() {
    // One replacement of the whole text: appending tens of thousands of lines
    // one by one would relayout the box each time.
    QString listing;
    for (int i = 0; i < FileList.FileCount; ++i) {
        listing += fromUtf8(FileList.DisplayNames[i]);
        listing += QStringLiteral("\r\n");
    }
    listing += QStringLiteral("**Number of file(s): ") + QString::number(FileList.FileCount);
    Text1->setText(listing);
    Text1->setSelectionStart(Text1->text().size());
}

std::string Form1::GetLongFilename(const std::string& sShortName) {
    return LongFilename(m_services.fileSystem).of(sShortName);
}

void Form1::showCentred() {
    QScreen* const screen = this->screen();
    if (screen != nullptr) {
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                        screen->availableGeometry()));
    }
    show();
    Command1->setFocus();
}

void Form1::RefreshDisplay() {
    repaint();
    Label1->repaint();
    Label2->repaint();
    QCoreApplication::processEvents();
    m_services.sleeper.Sleep(1000);
}

void Form1::appendLog(const QString& piece) {
    Text1->append(piece);
    Text1->setSelectionStart(Text1->text().size());
}

void Form1::Command1_Click() {
    try {
        if (Command1->text() == kFinish) {
            close();
            return;
        }
        TransferBatch(*this).run();
    } catch (const std::exception& error) {
        endOnError(error);
    }
}

void Form1::Command2_Click() {
    try {
        // Loaded anew each time, without an owner; it deletes itself when closed.
        auto about = std::make_unique<Form2>(*this);
        about->Form_Load();
        about->show();
        about.release();
    } catch (const std::exception& error) {
        endOnError(error);
    }
}

void Form1::Command3_Click() {
    try {
        auto setting = std::make_unique<Form3>(*this);
        setting->Form_Load();
        setting->show();
        setting.release();
    } catch (const std::exception& error) {
        endOnError(error);
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    if (m_unloaded) {
        event->accept();
        return;
    }
    // While the About or Setting window is open the main window is disabled;
    // the window system still delivers its close box, and the design says no.
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
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
    m_messageBox.show(fromUtf8(failureMessage(error, {TempDir, Check1->isChecked()})));
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
    hide();
}

} // namespace ondrel
