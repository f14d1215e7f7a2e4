#pragma once

#include "platform/Controls.h"
#include "platform/DriveList.h"
#include "platform/Environment.h"
#include "platform/ProgramEnd.h"
#include "platform/Sleeper.h"

#include <QStringList>

#include <cstdint>
#include <functional>
#include <future>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ondrel::test {

// Records each pause instead of sleeping. onSleep, when set, runs inside the
// pause, which is where a user's click would land during the real one.
class RecordingSleeper : public platform::Sleeper {
public:
    void Sleep(std::uint32_t milliseconds) override;

    std::vector<std::uint32_t> pauses;
    std::function<void(std::uint32_t)> onSleep;
};

// Records the end of the program instead of ending the test process.
class RecordingProgramEnd : public platform::ProgramEnd {
public:
    void EndProgram(int exitCode) override;

    int calls = 0;
    int lastExitCode = -1;
};

// Records every message box and dismisses it at once.
class RecordingMessageBox : public platform::MessageBox {
public:
    void show(const std::string& text) override;

    QStringList texts;
    std::function<void(const QString&)> onShow;
};

// Drive letters mapped onto folders chosen by the test. A volume whose root
// is in stalled never answers a question, as one whose server stopped; the
// others answer from their thread as the real list does.
class FakeDriveList : public platform::DriveList {
public:
    std::optional<std::string> DriveRoot(char letter) const override;
    std::future<bool> askFolderExists(const std::string& path) const override;

    std::map<char, std::string> roots;
    std::set<std::string> stalled;
    // Every path asked about, in order.
    mutable std::vector<std::string> asked;

private:
    // Kept, so that the questions to a stalled volume stay unanswered.
    mutable std::vector<std::promise<bool>> m_neverAnswered;
};

// The command line, environment and program folder chosen by the test.
class FakeEnvironment : public platform::Environment {
public:
    std::string ArgumentText() const override { return argumentText; }
    std::string Variable(const std::string& name) const override;
    std::string ProgramFolder() const override { return programFolder; }
    std::string PrivateTempFolder() const override { return privateTempFolder; }
    // Relative to currentFolder, as on POSIX.
    std::string FullPath(const std::string& path) const override;

    std::string argumentText;
    std::string currentFolder = "/";
    std::map<std::string, std::string> variables;
    std::string programFolder;
    std::string privateTempFolder;
};

} // namespace ondrel::test
