#pragma once

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
    CardLocator(platform::FileSystem& fileSystem, const platform::DriveList& drives);

    // The letter of the first volume that holds a folder private/ds, as a
    // one-character string, or "" when no volume does; folders reached
    // through a link do not count. Creates the Music folder at that volume's
    // root when it is missing; a failure to create it propagates as
    // PlatformError, as does a Music folder that is a link or lies on another
    // volume (operation "MusicFolder").
    std::string FindMemoryCard();

    // Root of the volume the last FindMemoryCard returned; "" when none.
    // The batch builds the destination on it rather than asking the drive
    // list again, since volumes may come and go in between.
    const std::string& cardRoot() const { return m_cardRoot; }

private:
    // A folder of the volume itself, not reached through a link.
    bool isCardFolder(const std::string& path, const std::string& root) const;

    platform::FileSystem& m_fileSystem;
    const platform::DriveList& m_drives;
    std::string m_cardRoot;
};

} // namespace ondrel
