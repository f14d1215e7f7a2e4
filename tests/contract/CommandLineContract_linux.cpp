// The argument text formed from arguments that POSIX hands over already split.

#include "platform/CommandLine.h"
#include "tests/contract/Check.h"

using ondrel::platform::joinArguments;

CONTRACT_TEST(arguments_become_absolute_quoted_and_joined) {
    const std::string cwd = "/home/user/Music";
    CHECK_EQ(joinArguments({}, cwd), std::string());
    CHECK_EQ(joinArguments({"song.mp3"}, cwd), std::string("/home/user/Music/song.mp3"));
    CHECK_EQ(joinArguments({"two words.mp3", "/abs/x.mp3"}, cwd),
             std::string("\"/home/user/Music/two words.mp3\" /abs/x.mp3"));
    // ".." is left to the system: after a link it is not what the text says.
    CHECK_EQ(joinArguments({"./a/../b.mp3", "..//Other/./c.mp3", "/x/y/"}, cwd),
             std::string("/home/user/Music/a/../b.mp3 /home/user/Music/../Other/c.mp3 /x/y"));
    CHECK_EQ(joinArguments({"/", "../..", "/a b/"}, cwd),
             std::string("/ /home/user/Music/../.. \"/a b\""));
    // Tabs and quotes are ordinary characters for the launch tokeniser.
    CHECK_EQ(joinArguments({"it's\ta\"b\".mp3"}, "/"), std::string("/it's\ta\"b\".mp3"));
    CHECK_EQ(joinArguments({"", "x"}, "/"), std::string("\"\" /x"));
}
