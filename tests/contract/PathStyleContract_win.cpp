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

// What Win32 would open as a device or under a trimmed name is spelled in
// the "\\?\" form, which opens exactly the written name; that form takes "."
// and ".." literally, so they are resolved first. Anything else stays as it
// was given.
CONTRACT_TEST(win_literal_form_only_where_win32_would_misread_the_name) {
    using ondrel::platform::literalPath;
    CHECK_EQ(literalPath("C:\\Music\\Aux.mp3"), std::string("\\\\?\\C:\\Music\\Aux.mp3"));
    CHECK_EQ(literalPath("c:/Music/./old/../nul.m4a"), std::string("\\\\?\\c:\\Music\\nul.m4a"));
    CHECK_EQ(literalPath("\\\\nas\\music\\COM1.mp3"),
             std::string("\\\\?\\UNC\\nas\\music\\COM1.mp3"));
    CHECK_EQ(literalPath("D:\\shared. \\song.mp3"), std::string("\\\\?\\D:\\shared. \\song.mp3"));
    CHECK_EQ(literalPath("D:\\Music\\song. "), std::string("\\\\?\\D:\\Music\\song. "));
    for (const char* path :
         {"C:\\Music\\song.mp3", "C:\\Music\\..\\song.mp3", "C:/Music/Aux_.mp3", "Aux.mp3",
          "Music\\Aux.mp3", "\\\\?\\C:\\Music\\Aux.mp3", "\\\\.\\NUL", "C:\\Aux.mp3\\song.mp3", ""})
        CHECK_EQ(literalPath(path), std::string(path));
}
