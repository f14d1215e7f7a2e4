// How Windows writes paths: where the root of a path ends.

#include "platform/PathStyle.h"
#include "tests/contract/Check.h"

using ondrel::platform::rootLength;

CONTRACT_TEST(win_roots_of_drives_and_network_shares) {
    CHECK_EQ(rootLength("C:\\Music\\song.mp3"), std::size_t{3});
    CHECK_EQ(rootLength("d:/Music/song.mp3"), std::size_t{3});
    CHECK_EQ(rootLength("C:\\"), std::size_t{3});
    // A network path's share is no folder entry: "\\server\share\" is its root.
    CHECK_EQ(rootLength("\\\\nas\\music\\first.m4a"), std::string("\\\\nas\\music\\").size());
    CHECK_EQ(rootLength("//nas/music/first.m4a"), std::string("//nas/music/").size());
    CHECK_EQ(rootLength("\\\\nas\\music\\"), std::string("\\\\nas\\music\\").size());
    CHECK_EQ(rootLength("\\\\?\\C:\\Music\\song.mp3"), std::string("\\\\?\\C:\\").size());
    CHECK_EQ(rootLength("\\\\?\\UNC\\nas\\music\\first.m4a"),
             std::string("\\\\?\\UNC\\nas\\music\\").size());
    CHECK_EQ(rootLength("\\\\?\\unc\\nas\\music\\a"),
             std::string("\\\\?\\unc\\nas\\music\\").size());
    CHECK_EQ(rootLength("\\\\.\\C:\\song.mp3"), std::string("\\\\.\\C:\\").size());
    // Without a whole root there is nothing to walk from.
    for (const char* path :
         {"", "song.mp3", "Music\\song.mp3", "\\song.mp3", "C:song.mp3", "C:", "\\\\nas",
          "\\\\nas\\music", "\\\\\\music\\a", "\\\\nas\\\\a", "\\\\?\\UNC\\nas", "1:\\song.mp3"}) {
        if (rootLength(path) != 0)
            contract::reportFailure(__FILE__, __LINE__, std::string("a root in ") + path);
    }
}
