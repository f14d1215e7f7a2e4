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
#include "transfer/Mp4SoundCheck.h"

namespace ondrel {

namespace {

constexpr std::uint32_t kFailurePauseMilliseconds = 5000;

const char* const kQuoteInFolder =
    "Its name holds a double quote (\"), which a converter's command line cannot carry. "
    "Please use a folder without one.";

// Past this many songs of one name in one folder, the next one fails.
constexpr int kFreeNames = 9999;

// The name of the n-th try: "song.mp4", then "song (2).mp4" and so on, as a
// browser names a download whose name is taken.
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

// The last component of a path the program made.
std::string lastComponent(const std::string& path) {
    std::size_t cut = path.size();
    while (cut > 0 && !platform::isPathSeparator(path[cut - 1]))
        --cut;
    return path.substr(cut);
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
    const std::string tempName =
        m_window.tempDir() + sep + platform::localFileName(fileSystem.GetBaseName(source) + ".mp4");
    const std::string DestFile = destinationFile(displayName, cardRoot);

    m_window.appendLog("\r\nNo. " + std::to_string(index + 1) + ": " + displayName + "...");

    // An entry without a display name was not found as given; its result
    // would be named ".mp4" and replace that of every other such entry. It
    // fails alone: nothing is made, copied or converted for it.
    const bool nameless = displayName.empty();

    // The temporary folder may be the user's own (the Desktop, say) or shared
    // with other users and other running Ondrels: what stands there under the
    // song's name is not ours to replace, and would pass for this file's
    // output if the conversion failed. The file gets a name nothing had, made
    // empty first, as a download does: "song.mp4", else "song (2).mp4" ...
    std::string TempFile;
    if (!nameless) {
        TempFile = fileSystem.createFreeFile(
            [&tempName](int n) { return numberedName(tempName, n); }, kFreeNames);
    }

    bool attempted = false;
    if (!TempFile.empty()) {
        // An entry that may not be the file given takes the road of a quote in
        // a path, the next branch's refusal: copying it could copy another file.
        const bool passThrough = (SourceExt == "m4a" || SourceExt == "M4A") &&
                                 !m_window.kdhOption().isChecked() &&
                                 !platform::mayNameAnotherFile(source);
        // Only what the card plays goes there as it is; any other ".m4a"
        // (Apple Lossless, a text file, nothing) is converted as any song is.
        if (passThrough &&
            holdsAacInMp4([&fileSystem, &source](std::uint64_t offset, std::size_t length) {
                return fileSystem.readFileBytes(source, offset, length);
            })) {
            // A source that is no longer a file fails alone, as with a converter.
            attempted = fileSystem.copyReadableFile(source, TempFile);
        } else if (ConverterRunner::reachesConverterIntact(source) &&
                   ConverterRunner::reachesConverterIntact(TempFile)) {
            setStatus("Converting the music file for DS...");
            // Closed on the way, the batch ends; a name nothing was written
            // under is given back first.
            if (!refresh()) {
                fileSystem.removeEmptyOwnFile(TempFile);
                return false;
            }
            ConverterRunner(m_window, m_services)
                .RunConverter(source, TempFile, m_window.kdhOption().isChecked());
            if (m_window.unloaded()) {
                fileSystem.removeEmptyOwnFile(TempFile);
                return false;
            }
            attempted = true;
        }
    }
    // The name was made empty: only what was written under it counts, and in
    // a shared folder only a file of the user's own.
    bool produced = attempted && fileSystem.ownFileSize(TempFile) > 0;

    std::string failure = "Failed to convert the music file.";
    if (produced) {
        setStatus("Transferring the music file to DS...");
        if (!refresh())
            return false;
        // Judged again on the file read: nothing may take its place in between.
        produced = deliver(TempFile, DestFile, failure);
    }
    if (produced) {
        m_window.appendLog(" SUCCESS");
    } else {
        // A name that nothing was written under is given back.
        fileSystem.removeEmptyOwnFile(TempFile);
        setStatus(failure);
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

bool TransferBatch::deliver(const std::string& tempFile, const std::string& destFile,
                            std::string& failure) {
    platform::FileSystem& fileSystem = m_services.fileSystem;
    const auto candidate = [&destFile](int n) {
        return numberedName(destFile, n);
    };
    if (m_window.desktopOption().isChecked()) {
        // The Desktop is the user's: what stands there under the song's name stays.
        return !fileSystem.copyOwnFileToFreeName(tempFile, candidate, kFreeNames).empty();
    }
    // The card's Music folder is ours to replace in, but not a song this
    // batch put there: two songs of one name (two albums' "Track01", or
    // "Intro" and "intro" on a card that ignores case) both arrive.
    for (int n = 1; n <= kFreeNames; ++n) {
        const std::string path = candidate(n);
        const std::string stored = storedPath(path);
        if (!stored.empty() && m_delivered.count(stored) != 0)
            continue;
        if (fileSystem.FolderExists(path)) {
            failure = "Failed to transfer the music file: the card holds a folder named " +
                      lastComponent(path) + ".";
            return false;
        }
        if (!fileSystem.copyOwnFile(tempFile, path))
            return false;
        const std::string written = storedPath(path);
        if (!written.empty())
            m_delivered.insert(written);
        return true;
    }
    return false;
}

std::string TransferBatch::storedPath(const std::string& path) {
    const std::string stored = m_services.fileSystem.LookupEntryName(path);
    if (stored.empty())
        return {};
    return path.substr(0, path.size() - lastComponent(path).size()) + stored;
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
