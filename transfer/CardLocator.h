#pragma once

#include <functional>
#include <string>

namespace ondrel::platform {
class DriveList;
class FileSystem;
} // namespace ondrel::platform

namespace ondrel {

// Finds the DS memory card among the drive letters D to Z and makes sure it
// has the folder the music goes into.
class CardLocator {
public:
    // whileWaiting runs while a volume has not answered yet: it keeps the
    // window alive (RefreshDisplay) and returns false once the window has been
    // unloaded, which ends the search.
    CardLocator(platform::FileSystem& fileSystem, const platform::DriveList& drives,
                std::function<bool()> whileWaiting);

    // The letter of the first volume that holds a folder private/ds, as a
    // one-character string, or "" when no volume does or when the window was
    // unloaded meanwhile; folders reached through a link do not count. A
    // volume that does not answer within some five seconds (a network or FUSE
    // mount whose server stopped) is passed over. Creates the Music folder at
    // the card's root when it is missing; a failure to create it propagates
    // as PlatformError, as does a Music folder that is a link or lies on
    // another volume (operation "MusicFolder").
    std::string FindMemoryCard();

    // Root of the volume the last FindMemoryCard returned; "" when none.
    // The batch builds the destination on it rather than asking the drive
    // list again, since volumes may come and go in between.
    const std::string& cardRoot() const { return m_cardRoot; }

private:
    enum class Answer { Yes, No, WindowUnloaded };
    Answer folderOnVolume(const std::string& path);
    // A folder of the volume itself, not reached through a link.
    bool isCardFolder(const std::string& path, const std::string& root) const;

    platform::FileSystem& m_fileSystem;
    const platform::DriveList& m_drives;
    std::function<bool()> m_whileWaiting;
    std::string m_cardRoot;
};

} // namespace ondrel
