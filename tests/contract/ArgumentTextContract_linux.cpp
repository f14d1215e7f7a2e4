// Names with quotes in the argument text that POSIX's split arguments become:
// quoted only when they hold a space, and then with their quotes doubled, the
// one form in which the launch tokeniser keeps a quote inside quotes.

#include "platform/CommandLine.h"
#include "tests/contract/Check.h"

using ondrel::platform::joinArguments;
using ondrel::platform::mayNameAnotherFile;

CONTRACT_TEST(quotes_in_spaced_names_are_doubled_inside_the_quotes) {
    CHECK_EQ(joinArguments({"src/x\" y.mp3"}, "/w"), std::string("\"/w/src/x\"\" y.mp3\""));
    CHECK_EQ(joinArguments({"\"q\""}, "/my w"), std::string("\"/my w/\"\"q\"\"\""));
    CHECK_EQ(joinArguments({"a\"\" b", "/c d\""}, "/"),
             std::string("\"/a\"\"\"\" b\" \"/c d\"\"\""));
    // Without a space the name stays unquoted and its quotes ordinary.
    CHECK_EQ(joinArguments({"\"q\"", "say\"hi\".mp3"}, "/w"),
             std::string("/w/\"q\" /w/say\"hi\".mp3"));
}

CONTRACT_TEST(only_entries_with_a_quote_and_a_space_may_name_another_file) {
    CHECK(mayNameAnotherFile("/w/src/x\"\" y.mp3"));
    CHECK(mayNameAnotherFile("\" "));
    CHECK(!mayNameAnotherFile("/w/say\"hi\".mp3"));
    CHECK(!mayNameAnotherFile("/w/two words.mp3"));
    CHECK(!mayNameAnotherFile(""));
}
