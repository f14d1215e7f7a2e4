#include "transfer/TransferBatch.h"

#include "app/Form1.h"
#include "platform/FileSystem.h"
#include "platform/PathStyle.h"
#include "platform/Shell.h"
#include "platform/Sleeper.h"
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
bool sourceIsTempFile(Form1& form, const std::string& source, const std::string& tempFile) {
    if (lexicallySamePath(source, tempFile))
        return true;
    const std::string longTemp = form.GetLongFilename(tempFile);
    return !longTemp.empty() && lexicallySamePath(form.GetLongFilename(source), longTemp);
}

} // namespace

TransferBatch::TransferBatch(Form1& form) : m_form(form) {}

void TransferBatch::run() {
    platform::Services& services = m_form.services();
    m_form.ChildProcessId = 0;
    m_form.Command1->setText("TRANSFERRING");
    m_form.Command1->setEnabled(false);
    m_form.Check1->setEnabled(false);
    m_form.Check2->setEnabled(false);

    std::string cardRoot;
    if (!m_form.Check1->isChecked()) {
        setStatus("Searching the memory card of DS...");
        if (!refresh())
            return;
        CardLocator locator(services.fileSystem, services.drives);
        const std::string CardDrive = locator.FindMemoryCard();
        if (CardDrive.empty()) {
            setStatus("The memory card of DS not found.");
            finish();
            return;
        }
        cardRoot = locator.cardRoot();
    }

    for (int i = 0; i < m_form.FileList.FileCount; ++i) {
        if (!transferFile(i, cardRoot))
            return;
    }

    m_form.appendLog("\r\n**Finished**");
    setStatus("Finished transferring the music file(s) to DS.");
    finish();
}

bool TransferBatch::transferFile(int index, const std::string& cardRoot) {
    platform::Services& services = m_form.services();
    platform::FileSystem& fileSystem = services.fileSystem;
    const std::string sep(1, platform::pathSeparator());
    const std::string& source = m_form.FileList.SourcePaths[static_cast<std::size_t>(index)];
    const std::string& displayName = m_form.FileList.DisplayNames[static_cast<std::size_t>(index)];

    m_form.Label1->setText(displayName);
    if (!refresh())
        return false;

    // The temporary name follows the path as given, the destination the long form.
    const std::string SourceExt = fileSystem.GetExtensionName(source);
    const std::string TempFile = m_form.TempDir + sep + fileSystem.GetBaseName(source) + ".mp4";
    const std::string DestFile = destinationFile(displayName, cardRoot);

    m_form.appendLog("\r\nNo. " + std::to_string(index + 1) + ": " + displayName + "...");

    // Whether the file counts as done is judged by TempFile alone, so one left
    // from an earlier run or an earlier file of this batch must not stand in
    // for this file's own output.
    if (!sourceIsTempFile(m_form, source, TempFile))
        fileSystem.RemoveStaleFile(TempFile);

    bool produced = false;
    if ((SourceExt == "m4a" || SourceExt == "M4A") && !m_form.Check2->isChecked()) {
        fileSystem.CopyFile(source, TempFile, true);
        produced = fileSystem.FileExists(TempFile);
    } else if (ConverterRunner::reachesConverterIntact(source) &&
               ConverterRunner::reachesConverterIntact(TempFile)) {
        setStatus("Converting the music file for DS...");
        if (!refresh())
            return false;
        ConverterRunner(m_form).RunConverter(source, TempFile, m_form.Check2->isChecked());
        if (m_form.unloaded())
            return false;
        produced = fileSystem.FileExists(TempFile);
    }

    if (produced) {
        setStatus("Transferring the music file to DS...");
        if (!refresh())
            return false;
        fileSystem.CopyFile(TempFile, DestFile, true);
        m_form.appendLog(" SUCCESS");
    } else {
        setStatus("Failed to convert the music file.");
        if (!refresh())
            return false;
        m_form.appendLog(" FAIL");
        services.sleeper.Sleep(kFailurePauseMilliseconds);
    }
    return true;
}

std::string TransferBatch::destinationFile(const std::string& displayName,
                                           const std::string& cardRoot) {
    platform::Services& services = m_form.services();
    const std::string sep(1, platform::pathSeparator());
    const std::string name = services.fileSystem.GetBaseName(displayName) + ".mp4";
    if (m_form.Check1->isChecked())
        return services.shell.SpecialFolders("Desktop") + sep + name;
    // The card is a FAT volume: a name it cannot store is stored with substitutes.
    return cardRoot + sep + "Music" + sep + platform::cardFileName(name);
}

void TransferBatch::setStatus(const std::string& text) {
    m_form.Label2->setText(text);
}

bool TransferBatch::refresh() {
    m_form.RefreshDisplay();
    return !m_form.unloaded();
}

void TransferBatch::finish() {
    m_form.Command1->setText("FINISH");
    m_form.Command1->setEnabled(true);
}

} // namespace ondrel
