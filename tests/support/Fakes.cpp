#include "tests/support/Fakes.h"

#include "platform/AnswerLater.h"

#include <filesystem>

namespace ondrel::test {

void RecordingSleeper::Sleep(std::uint32_t milliseconds) {
    pauses.push_back(milliseconds);
    if (onSleep)
        onSleep(milliseconds);
}

void RecordingProgramEnd::EndProgram(int exitCode) {
    ++calls;
    lastExitCode = exitCode;
}

void RecordingMessageBox::show(const std::string& text) {
    const QString shown = QString::fromStdString(text);
    texts.append(shown);
    if (onShow)
        onShow(shown);
}

std::optional<std::string> FakeDriveList::DriveRoot(char letter) const {
    auto found = roots.find(letter);
    if (found == roots.end())
        return std::nullopt;
    return found->second;
}

std::future<bool> FakeDriveList::askFolderExists(const std::string& path) const {
    asked.push_back(path);
    for (const std::string& root : stalled) {
        if (path.rfind(root + "/", 0) == 0) {
            m_neverAnswered.emplace_back();
            return m_neverAnswered.back().get_future();
        }
    }
    return platform::answerLater(
        [path] {
            std::error_code ignored;
            return std::filesystem::is_directory(path, ignored);
        },
        "FolderExists", path);
}

std::string FakeEnvironment::Variable(const std::string& name) const {
    auto found = variables.find(name);
    return found == variables.end() ? std::string() : found->second;
}

std::string FakeEnvironment::FullPath(const std::string& path) const {
    if (path.empty() || path.front() == '/')
        return path;
    return (currentFolder.empty() || currentFolder.back() == '/' ? currentFolder
                                                                 : currentFolder + "/") +
           path;
}

} // namespace ondrel::test
