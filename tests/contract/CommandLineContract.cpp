// Splitting a command line by the Windows rules, as a converter's is split
// before it is started.

#include "platform/CommandLine.h"
#include "tests/contract/Check.h"

using ondrel::platform::splitCommandLine;
using Tokens = std::vector<std::string>;

namespace {

void checkSplit(const std::string& line, const Tokens& expected) {
    const Tokens tokens = splitCommandLine(line);
    if (tokens != expected) {
        std::string shown;
        for (const std::string& token : tokens)
            shown += "[" + token + "]";
        contract::reportFailure(__FILE__, __LINE__, "split of <" + line + "> gave " + shown);
    }
}

} // namespace

CONTRACT_TEST(the_program_token_ends_at_a_space_outside_quotes) {
    checkSplit("", {});
    checkSplit("prog", {"prog"});
    checkSplit("\"C:\\Program Files\\Ondrel\\ffmpeg.exe\" -vn",
               {"C:\\Program Files\\Ondrel\\ffmpeg.exe", "-vn"});
    checkSplit("/opt/On\" \"drel/ffmpeg.exe x", {"/opt/On drel/ffmpeg.exe", "x"});
    // Backslashes before a quote mean nothing special in the program's name.
    checkSplit("\"C:\\dir\\\" arg", {"C:\\dir\\", "arg"});
    checkSplit("prog\targ", {"prog", "arg"});
    checkSplit("prog   ", {"prog"});
}

CONTRACT_TEST(later_tokens_follow_the_c_runtime_quoting_rules) {
    struct Case {
        std::string arguments;
        Tokens expected;
    };
    const Case cases[] = {
        {"a b\t\tc", {"a", "b", "c"}},
        {"\"two words\" \"x y\"", {"two words", "x y"}},
        {"\"\" \"\"", {"", ""}},
        {"ab\"c d\"e", {"abc de"}},
        {"a\\b c\\\\d", {"a\\b", "c\\\\d"}},                    // backslashes not before a quote
        {"a\\\"b", {"a\"b"}},                                   // odd run: literal quote
        {"a\\\\\"b c\"", {"a\\b c"}},                           // even run: halved, quote toggles
        {"a\\\\\\\"b", {"a\\\"b"}},                             // 3 backslashes + quote
        {"\"in \"\"quotes\"\" here\"", {"in \"quotes\" here"}}, // "" inside quotes
        {"\"unclosed quote", {"unclosed quote"}},
        {"\"C:\\Temp Dir\\song.mp3\" \"C:\\T\\song.mp4\"",
         {"C:\\Temp Dir\\song.mp3", "C:\\T\\song.mp4"}},
    };
    for (const Case& c : cases) {
        Tokens expected{"prog"};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        checkSplit("prog " + c.arguments, expected);
    }
}

CONTRACT_TEST(both_converter_command_lines_split_into_their_options) {
    const std::string folder = "/home/user/My Programs";
    const std::string source = "/home/user/Music/two words.mp3";
    const std::string temp = "/tmp/ondrel-0/two words.mp4";
    checkSplit("\"" + folder + "/ffmpeg.exe\" -vn -ab 128k -ar 44100 -i \"" + source + "\" \"" +
                   temp + "\"",
               {folder + "/ffmpeg.exe", "-vn", "-ab", "128k", "-ar", "44100", "-i", source, temp});
    checkSplit("\"" + folder +
                   "/kdh.exe\" -maxfr 30 -bitexact -vcodec h264 -coder 1 -bufsize 128 -g 250 -s "
                   "320x240 -b 384 -acodec aac -ac 2 -ar 48000 -ab 64 -f mp4 -i \"" +
                   source + "\" \"" + temp + "\"",
               {folder + "/kdh.exe",
                "-maxfr",
                "30",
                "-bitexact",
                "-vcodec",
                "h264",
                "-coder",
                "1",
                "-bufsize",
                "128",
                "-g",
                "250",
                "-s",
                "320x240",
                "-b",
                "384",
                "-acodec",
                "aac",
                "-ac",
                "2",
                "-ar",
                "48000",
                "-ab",
                "64",
                "-f",
                "mp4",
                "-i",
                source,
                temp});
}
