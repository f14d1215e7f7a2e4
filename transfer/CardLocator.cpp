#include "transfer/CardLocator.h"

#include "platform/DriveList.h"
#include "platform/FileSystem.h"
#include "platform/PathStyle.h"

namespace ondrel {

CardLocator::CardLocator(platform::FileSystem& fileSystem, const platform::DriveList& drives)
    : m_fileSystem(fileSystem), m_drives(drives) {}

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
        const std::string music = *root + sep + "Music";
        if (!m_fileSystem.FolderExists(music))
            m_fileSystem.CreateFolder(music);
        m_cardRoot = *root;
        return std::string(1, letter);
    }
    return {};
}

} // namespace ondrel
