#include "transfer/CardLocator.h"

#include "platform/DriveList.h"
#include "platform/FileSystem.h"
#include "platform/PathStyle.h"
#include "platform/PlatformError.h"

#include <chrono>
#include <future>

namespace ondrel {

namespace {

// A volume is waited for as a converter is: 100 ms at a time, the window
// refreshed in between (a pause of a second each).
constexpr std::chrono::milliseconds kPoll{100};
// A card answers in moments; one that has not answered after this many
// refreshes, some five seconds, has a server that stopped answering.
constexpr int kRefreshesPerVolume = 5;

} // namespace

CardLocator::CardLocator(platform::FileSystem& fileSystem, const platform::DriveList& drives,
                         std::function<bool()> whileWaiting)
    : m_fileSystem(fileSystem), m_drives(drives), m_whileWaiting(std::move(whileWaiting)) {}

bool CardLocator::isCardFolder(const std::string& path, const std::string& root) const {
    return m_fileSystem.folderOnVolumeProblem(path, root).empty();
}

std::string CardLocator::FindMemoryCard() {
    const std::string sep(1, platform::pathSeparator());
    m_cardRoot.clear();
    // A, B and C are floppies and the system drive: never a card.
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
        const auto root = m_drives.DriveRoot(letter);
        if (!root)
            continue;
        // No (never an error) for a volume without a medium, one we may not
        // enter, or one that does not answer: such a letter is passed over.
        const Answer marker = folderOnVolume(*root + sep + "private" + sep + "ds");
        if (marker == Answer::WindowUnloaded)
            return {};
        if (marker == Answer::No)
            continue;
        // A marker reached through a link may be any card's, or any folder's.
        if (!isCardFolder(*root + sep + "private", *root) ||
            !isCardFolder(*root + sep + "private" + sep + "ds", *root))
            continue;
        const std::string music = *root + sep + "Music";
        if (!m_fileSystem.FolderExists(music))
            m_fileSystem.CreateFolder(music);
        // The songs are replaced in there: a Music that is a link, or another
        // volume mounted there, would replace files that are not on the card.
        const std::string problem = m_fileSystem.folderOnVolumeProblem(music, *root);
        if (!problem.empty())
            throw platform::PlatformError("MusicFolder", music, problem);
        m_cardRoot = *root;
        return std::string(1, letter);
    }
    return {};
}

// Asked off the window's thread: a stalled volume would hold the window, and
// its close box, for as long as it holds the question.
CardLocator::Answer CardLocator::folderOnVolume(const std::string& path) {
    std::future<bool> answer = m_drives.askFolderExists(path);
    for (int refreshes = 0;; ++refreshes) {
        if (answer.wait_for(kPoll) == std::future_status::ready)
            return answer.get() ? Answer::Yes : Answer::No;
        if (refreshes == kRefreshesPerVolume)
            return Answer::No;
        if (!m_whileWaiting())
            return Answer::WindowUnloaded;
    }
}

} // namespace ondrel
