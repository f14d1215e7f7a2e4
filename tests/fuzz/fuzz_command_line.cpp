// The splitting of a command line by the Windows rules, which is how the
// converters' command lines reach them on POSIX, and the converter line the
// program forms. Input: a control byte, then
// - control byte % 3 == 0: a command line;
// - control byte % 3 == 1: arguments separated by NUL bytes, program first;
// - control byte % 3 == 2: the program folder, the source path and the
//   temporary file, separated by NUL bytes (bit 2 of the control byte: KDH mode).

#include "converters/ArgumentForm.h"
#include "converters/Words.h"
#include "platform/CommandLine.h"
#include "tests/fuzz/FuzzCheck.h"
#include "transfer/ConverterRunner.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using ondrel::fuzz::require;

namespace {

// A path ending in a backslash has it read as the escape of its closing
// quote: a source so merges with the temporary file and the converter refuses
// the line, while a temporary file ending so (the program's always end in
// ".mp4") would arrive with a quote in place of the backslash. Until the line
// carries such paths (or the runner refuses them), they are checked only for
// not crashing; set to true once every path the runner passes arrives exactly.
constexpr bool kTrailingBackslashCarried = true;

// The program token: between quotes, which it cannot hold itself.
std::string quotedProgram(const std::string& program) {
    return '"' + program + '"';
}

// The C runtime's quoting: backslashes double only before a quote or the
// closing quote, and a quote is escaped.
std::string quotedArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            out.append(2 * backslashes + 1, '\\');
        else
            out.append(backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, '\\');
    return out + '"';
}

std::string commandLineOf(const std::vector<std::string>& arguments) {
    std::string line = quotedProgram(arguments.front());
    for (std::size_t i = 1; i < arguments.size(); ++i)
        line += ' ' + quotedArgument(arguments[i]);
    return line;
}

void checkSplit(const std::string& line) {
    const std::vector<std::string> arguments = ondrel::platform::splitCommandLine(line);
    require(arguments.empty() == line.empty(), "only an empty line has no program");
    if (arguments.empty())
        return;
    require(arguments.front().find('"') == std::string::npos, "the program token loses its quotes");
    std::size_t length = 0;
    for (const std::string& argument : arguments)
        length += argument.size();
    require(length <= line.size(), "splitting adds no characters");
    require(ondrel::platform::splitCommandLine(commandLineOf(arguments)) == arguments,
            "the arguments written out again split the same");
}

void checkJoin(const std::vector<std::string>& arguments) {
    if (arguments.front().find('"') != std::string::npos)
        return; // the program token has no way to hold a quote
    require(ondrel::platform::splitCommandLine(commandLineOf(arguments)) == arguments,
            "quoted arguments split back to themselves");
}

void checkConverterLine(const std::string& folder, const std::string& source,
                        const std::string& tempFile, bool kdh) {
    using ondrel::ConverterRunner;
    if (!ConverterRunner::reachesConverterIntact(source) ||
        !ConverterRunner::reachesConverterIntact(tempFile))
        return; // the runner starts nothing for these
    const std::vector<std::string> arguments = ondrel::platform::splitCommandLine(
        ConverterRunner::commandLine(folder, source, tempFile, kdh));
    require(!arguments.empty(), "a converter line names a program");
    // The program token cannot hold a quote by the Windows rules: a program
    // folder with one in its name leaves no converter that can be started.
    if (folder.find('"') != std::string::npos)
        return;
    require(arguments.front() == folder + (kdh ? "/kdh.exe" : "/ffmpeg.exe"),
            "the converter is started from the program folder");

    using ondrel::converters::splitWords;
    const ondrel::converters::ArgumentForm form(
        kdh ? splitWords("-maxfr 30 -bitexact -vcodec h264 -coder 1 -bufsize 128 -g 250 -s "
                         "320x240 -b 384 -acodec aac -ac 2 -ar 48000 -ab 64 -f mp4")
            : splitWords("-vn -ab 128k -ar 44100"));
    const auto paths = form.match(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
    // Refused, the converter does nothing and the file fails; accepted, it
    // must convert the given file to the given place.
    const bool trailingBackslash = (!source.empty() && source.back() == '\\') ||
                                   (!tempFile.empty() && tempFile.back() == '\\');
    if (trailingBackslash && !kTrailingBackslashCarried)
        return;
    if (paths)
        require(paths->source == source && paths->output == tempFile,
                "a converter accepts only the paths it was given");
    if (!source.empty() && !tempFile.empty())
        require(paths.has_value(), "a path the runner passes reaches the converter intact");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string rest = ondrel::fuzz::bytes(data + 1, size - 1);
    switch (data[0] % 3) {
    case 0:
        checkSplit(rest);
        break;
    case 1:
        checkJoin(ondrel::fuzz::fields(rest));
        break;
    default: {
        const std::vector<std::string> parts = ondrel::fuzz::fields(rest);
        if (parts.size() == 3)
            checkConverterLine(parts[0], parts[1], parts[2], (data[0] & 4u) != 0);
        break;
    }
    }
    return 0;
}
