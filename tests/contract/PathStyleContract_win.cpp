// How Windows writes paths: where the root of a path ends, and the names the
// program may give the files it makes.

#include "platform/PathStyle.h"
#include "tests/contract/Check.h"

using ondrel::platform::cardFileName;
using ondrel::platform::localFileName;
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

CONTRACT_TEST(win_files_the_program_makes_take_no_device_name) {
    CHECK_EQ(localFileName("Aux.mp4"), std::string("Aux_.mp4"));
    CHECK_EQ(localFileName("nul.mp4"), std::string("nul_.mp4"));
    CHECK_EQ(localFileName("COM1 .mp4"), std::string("COM1 _.mp4"));
    CHECK_EQ(localFileName("song.mp4"), std::string("song.mp4"));
    CHECK_EQ(cardFileName("CON.mp4"), std::string("CON_.mp4"));
    CHECK_EQ(cardFileName("lpt1.mp4"), std::string("lpt1_.mp4"));
    CHECK_EQ(cardFileName("J\xc3\xbcrgen.mp4"), std::string("J\xc3\xbcrgen.mp4"));
}
