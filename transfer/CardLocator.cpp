#include "transfer/CardLocator.h"

#include "platform/DriveList.h"
#include "platform/FileSystem.h"
#include "platform/PathStyle.h"
#include "platform/PlatformError.h"

namespace ondrel {

CardLocator::CardLocator(platform::FileSystem& fileSystem, const platform::DriveList& drives)
    : m_fileSystem(fileSystem), m_drives(drives) {}

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
        // FolderExists is false (never an error) for a volume without a medium
        // or one we may not enter, so such a letter is simply passed over.
        if (!m_fileSystem.FolderExists(*root + sep + "private" + sep + "ds"))
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

} // namespace ondrel
