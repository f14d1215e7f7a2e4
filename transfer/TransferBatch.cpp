#include "transfer/TransferBatch.h"

#include "platform/CommandLine.h"
#include "platform/Controls.h"
#include "platform/FileSystem.h"
#include "platform/PathStyle.h"
#include "platform/Shell.h"
#include "platform/Sleeper.h"
#include "transfer/BatchWindow.h"
#include "transfer/CardLocator.h"
#include "transfer/ConverterRunner.h"

#include <vector>

namespace ondrel {

namespace {

constexpr std::uint32_t kFailurePauseMilliseconds = 5000;

// The components of a path with "." dropped and ".." taken back, on the text
// alone, so that two spellings of one path compare equal.
std::vector<std::string> lexicalComponents(const std::string& path) {
    std::vector<std::string> components;
    std::string current;
    auto close = [&components, &current] {
        if (current == "..") {
            if (!components.empty())
                components.pop_back();
        } else if (!current.empty() && current != ".") {
            components.push_back(current);
        }
        current.clear();
    };
    for (char c : path) {
        if (platform::isPathSeparator(c))
            close();
        else
            current += c;
    }
    close();
    return components;
}

bool lexicallySamePath(const std::string& a, const std::string& b) {
    return lexicalComponents(a) == lexicalComponents(b);
}

// Whether the source itself lies at the temporary path: then the file there
// is the user's, not a leftover. The long forms catch a short or differently
// cased spelling of the same folder, as TEMP often is on Windows.
bool sourceIsTempFile(BatchWindow& window, const std::string& source, const std::string& tempFile) {
    if (lexicallySamePath(source, tempFile))
        return true;
    const std::string longTemp = window.GetLongFilename(tempFile);
    return !longTemp.empty() && lexicallySamePath(window.GetLongFilename(source), longTemp);
}

} // namespace

TransferBatch::TransferBatch(BatchWindow& window, platform::Services services)
    : m_window(window), m_services(services) {}

void TransferBatch::run() {
    m_window.setChildProcessId(0);
    m_window.mainButton().setText("TRANSFERRING");
    m_window.mainButton().setEnabled(false);
    m_window.desktopOption().setEnabled(false);
    m_window.kdhOption().setEnabled(false);

    std::string cardRoot;
    if (!m_window.desktopOption().isChecked()) {
        setStatus("Searching the memory card of DS...");
        if (!refresh())
            return;
        CardLocator locator(m_services.fileSystem, m_services.drives);
        const std::string CardDrive = locator.FindMemoryCard();
        if (CardDrive.empty()) {
            setStatus("The memory card of DS not found.");
            finish();
            return;
        }
        cardRoot = locator.cardRoot();
    }

    for (int i = 0; i < m_window.fileCount(); ++i) {
        if (!transferFile(i, cardRoot))
            return;
    }

    m_window.appendLog("\r\n**Finished**");
    setStatus("Finished transferring the music file(s) to DS.");
    finish();
}

bool TransferBatch::transferFile(int index, const std::string& cardRoot) {
    platform::FileSystem& fileSystem = m_services.fileSystem;
    const std::string sep(1, platform::pathSeparator());
    const std::string& source = m_window.sourcePath(index);
    const std::string& displayName = m_window.displayName(index);

    m_window.fileLabel().setText(displayName);
    if (!refresh())
        return false;

    // The temporary name follows the path as given, the destination the long form.
    const std::string SourceExt = fileSystem.GetExtensionName(source);
    const std::string TempFile =
        m_window.tempDir() + sep + platform::localFileName(fileSystem.GetBaseName(source) + ".mp4");
    const std::string DestFile = destinationFile(displayName, cardRoot);

    m_window.appendLog("\r\nNo. " + std::to_string(index + 1) + ": " + displayName + "...");

    // An entry without a display name was not found as given; its result
    // would be named ".mp4" and replace that of every other such entry.
    const bool nameless = displayName.empty();

    // Whether the file counts as done is judged by TempFile alone, so one left
    // from an earlier run or an earlier file of this batch must not stand in
    // for this file's own output.
    if (!nameless && !sourceIsTempFile(m_window, source, TempFile))
        fileSystem.RemoveStaleFile(TempFile);

    bool produced = false;
    // A nameless entry is neither copied nor converted: it fails alone. An
    // entry that may not be the file given takes the road of a quote in a
    // path, the next branch's refusal: copying it could copy another file.
    if (!nameless && (SourceExt == "m4a" || SourceExt == "M4A") &&
        !m_window.kdhOption().isChecked() && !platform::mayNameAnotherFile(source)) {
        fileSystem.CopyFile(source, TempFile, true);
        produced = fileSystem.FileExists(TempFile);
    } else if (!nameless && ConverterRunner::reachesConverterIntact(source) &&
               ConverterRunner::reachesConverterIntact(TempFile)) {
        setStatus("Converting the music file for DS...");
        if (!refresh())
            return false;
        ConverterRunner(m_window, m_services)
            .RunConverter(source, TempFile, m_window.kdhOption().isChecked());
        if (m_window.unloaded())
            return false;
        produced = fileSystem.FileExists(TempFile);
    }

    if (produced) {
        setStatus("Transferring the music file to DS...");
        if (!refresh())
            return false;
        fileSystem.CopyFile(TempFile, DestFile, true);
        m_window.appendLog(" SUCCESS");
    } else {
        setStatus("Failed to convert the music file.");
        if (!refresh())
            return false;
        m_window.appendLog(" FAIL");
        m_services.sleeper.Sleep(kFailurePauseMilliseconds);
    }
    return true;
}

std::string TransferBatch::destinationFile(const std::string& displayName,
                                           const std::string& cardRoot) {
    const std::string sep(1, platform::pathSeparator());
    const std::string name = m_services.fileSystem.GetBaseName(displayName) + ".mp4";
    if (m_window.desktopOption().isChecked())
        return m_services.shell.SpecialFolders("Desktop") + sep + platform::localFileName(name);
    // The card is a FAT volume: a name it cannot store is stored with substitutes.
    return cardRoot + sep + "Music" + sep + platform::cardFileName(name);
}

void TransferBatch::setStatus(const std::string& text) {
    m_window.statusLabel().setText(text);
}

bool TransferBatch::refresh() {
    m_window.RefreshDisplay();
    return !m_window.unloaded();
}

void TransferBatch::finish() {
    m_window.mainButton().setText("FINISH");
    m_window.mainButton().setEnabled(true);
}

} // namespace ondrel
