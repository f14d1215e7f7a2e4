#include "transfer/TransferBatch.h"

#include "platform/CommandLine.h"
#include "platform/Controls.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/PathStyle.h"
#include "platform/PlatformError.h"
#include "platform/Shell.h"
#include "platform/Sleeper.h"
#include "transfer/BatchWindow.h"
#include "transfer/CardLocator.h"
#include "transfer/ConverterRunner.h"

namespace ondrel {

namespace {

constexpr std::uint32_t kFailurePauseMilliseconds = 5000;

const char* const kQuoteInFolder =
    "Its name holds a double quote (\"), which a converter's command line cannot carry. "
    "Please use a folder without one.";

// Past this many songs of one name on the Desktop, the next one fails.
constexpr int kDesktopNames = 9999;

// The Desktop name of the n-th try: "song.mp4", then "song (2).mp4" and so on,
// as a browser names a download whose name is taken.
std::string numberedName(const std::string& path, int n) {
    if (n == 1)
        return path;
    const std::string extension = ".mp4";
    const bool hasExtension =
        path.size() >= extension.size() &&
        path.compare(path.size() - extension.size(), extension.size(), extension) == 0;
    const std::size_t cut = hasExtension ? path.size() - extension.size() : path.size();
    return path.substr(0, cut) + " (" + std::to_string(n) + ")" + path.substr(cut);
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

    if (m_window.fileCount() > 0)
        refuseWhatEveryFileWouldFailIn();

    std::string cardRoot;
    if (!m_window.desktopOption().isChecked()) {
        setStatus("Searching the memory card of DS...");
        if (!refresh())
            return;
        CardLocator locator(m_services.fileSystem, m_services.drives, [this] { return refresh(); });
        const std::string CardDrive = locator.FindMemoryCard();
        if (m_window.unloaded())
            return;
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
    // would be named ".mp4" and replace that of every other such entry. It
    // fails alone: nothing is claimed, removed, copied or converted for it.
    const bool nameless = displayName.empty();

    // Another Ondrel of this user may be working on a file of the same name:
    // what stands under it is then its work in progress, not a leftover.
    std::unique_ptr<platform::FileClaim> claim;
    if (!nameless)
        claim = fileSystem.claimFile(TempFile);
    while (!nameless && !claim) {
        setStatus("Converting the music file for DS...");
        if (!refresh())
            return false;
        claim = fileSystem.claimFile(TempFile);
    }

    // Whether the file counts as done is judged by TempFile alone, so one left
    // from an earlier run or an earlier file of this batch must not stand in
    // for this file's own output. The source itself may lie there, as the
    // system sees it, however the two paths are spelled.
    const bool sourceIsTempFile =
        !nameless && fileSystem.sameFile(source, TempFile) && fileSystem.isOwnFile(TempFile);
    // False when the name is taken by another user's file or a folder: this
    // file's output cannot be put there.
    const bool nameFree = !nameless && (sourceIsTempFile || fileSystem.RemoveStaleFile(TempFile));

    bool attempted = false;
    if (nameFree) {
        // An entry that may not be the file given takes the road of a quote in
        // a path, the next branch's refusal: copying it could copy another file.
        if ((SourceExt == "m4a" || SourceExt == "M4A") && !m_window.kdhOption().isChecked() &&
            !platform::mayNameAnotherFile(source)) {
            // A source that is no longer a file fails alone, as with a converter.
            attempted = fileSystem.copyReadableFile(source, TempFile);
        } else if (ConverterRunner::reachesConverterIntact(source) &&
                   ConverterRunner::reachesConverterIntact(TempFile)) {
            setStatus("Converting the music file for DS...");
            if (!refresh())
                return false;
            ConverterRunner(m_window, m_services)
                .RunConverter(source, TempFile, m_window.kdhOption().isChecked());
            if (m_window.unloaded())
                return false;
            attempted = true;
        }
    }
    // In a shared TEMP another user may have put a file under the name
    // meanwhile: only a file of the user's own counts.
    bool produced = attempted && fileSystem.isOwnFile(TempFile);

    if (produced) {
        setStatus("Transferring the music file to DS...");
        if (!refresh())
            return false;
        // Judged again on the file read: nothing may take its place in between.
        produced = deliver(TempFile, DestFile);
    }
    if (produced) {
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

void TransferBatch::refuseWhatEveryFileWouldFailIn() {
    platform::FileSystem& fileSystem = m_services.fileSystem;
    // The converters' lines put the folder between quotes, as they are.
    const std::string programFolder = m_services.environment.ProgramFolder();
    if (!ConverterRunner::reachesConverterIntact(programFolder))
        throw platform::PlatformError("ConverterFolder", programFolder, kQuoteInFolder);
    const std::string& temp = m_window.tempDir();
    std::string problem = fileSystem.temporaryFolderProblem(temp);
    if (problem.empty() && !ConverterRunner::reachesConverterIntact(temp))
        problem = kQuoteInFolder;
    if (!problem.empty())
        throw platform::PlatformError("TemporaryFolder", temp, problem);
}

bool TransferBatch::deliver(const std::string& tempFile, const std::string& destFile) {
    platform::FileSystem& fileSystem = m_services.fileSystem;
    if (!m_window.desktopOption().isChecked())
        return fileSystem.copyOwnFile(tempFile, destFile);
    // The card's Music folder is ours to replace in; the Desktop is the
    // user's, and what stands there under the song's name stays.
    const std::string taken = fileSystem.copyOwnFileToFreeName(
        tempFile, [&destFile](int n) { return numberedName(destFile, n); }, kDesktopNames);
    return !taken.empty();
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
