// The converters' check of their argument list. Input: a control byte, then
// arguments separated by NUL bytes. The control byte picks the form: that of
// ffmpeg.exe, that of kdh.exe, or (bit 1 set) one whose option tokens are the
// first field's words.

#include "converters/ArgumentForm.h"
#include "converters/Words.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using ondrel::converters::ArgumentForm;
using ondrel::converters::splitWords;
using ondrel::fuzz::require;

namespace {

const std::vector<std::string> kFfmpegOptions = splitWords("-vn -ab 128k -ar 44100");
const std::vector<std::string> kKdhOptions =
    splitWords("-maxfr 30 -bitexact -vcodec h264 -coder 1 -bufsize 128 -g 250 -s 320x240 -b "
               "384 -acodec aac -ac 2 -ar 48000 -ab 64 -f mp4");

std::vector<std::string> formed(const std::vector<std::string>& options, const std::string& source,
                                const std::string& output) {
    std::vector<std::string> arguments = options;
    arguments.push_back("-i");
    arguments.push_back(source);
    arguments.push_back(output);
    return arguments;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    std::vector<std::string> arguments =
        ondrel::fuzz::fields(ondrel::fuzz::bytes(data + 1, size - 1));
    std::vector<std::string> options = (data[0] & 1u) != 0 ? kKdhOptions : kFfmpegOptions;
    if ((data[0] & 2u) != 0) {
        options = splitWords(arguments.front());
        arguments.erase(arguments.begin());
    }
    const ArgumentForm form(options);

    const auto paths = form.match(arguments);
    if (paths) {
        require(!paths->source.empty() && !paths->output.empty(),
                "an accepted list names a source and an output");
        require(formed(options, paths->source, paths->output) == arguments,
                "only the one form is accepted, and its paths are the ones given");
    }

    // The last two fields as the paths of a list the program would send.
    if (arguments.size() >= 2) {
        const std::string& source = arguments[arguments.size() - 2];
        const std::string& output = arguments.back();
        const auto sent = form.match(formed(options, source, output));
        require(sent.has_value() == (!source.empty() && !output.empty()),
                "the program's list is accepted whenever it names both paths");
        if (sent)
            require(sent->source == source && sent->output == output,
                    "the paths of the program's list are taken as they are");
        // One argument more or less is another caller's list.
        std::vector<std::string> longer = formed(options, source, output);
        longer.push_back(output);
        require(!form.match(longer), "an argument more is refused");
        std::vector<std::string> shorter = formed(options, source, output);
        shorter.erase(shorter.begin() + static_cast<std::ptrdiff_t>(options.size()));
        require(!form.match(shorter), "a list without \"-i\" is refused");
    }

    const std::string usage = form.usage();
    for (const std::string& option : options)
        require(usage.find(option) != std::string::npos, "the usage names every option");
    return 0;
}
