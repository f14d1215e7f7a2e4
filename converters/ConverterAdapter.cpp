#include "converters/ConverterAdapter.h"

#include "converters/ExecutableSearch.h"
#include "converters/PartialOutput.h"
#include "converters/SupervisedChild.h"
#include "converters/Words.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace ondrel::converters {

namespace {

constexpr int kUsageError = 2;
constexpr int kNoFfmpeg = 127;

std::string programName(const std::string& token) {
    const std::size_t slash = token.rfind('/');
    return slash == std::string::npos ? token : token.substr(slash + 1);
}

bool sameFile(const std::string& first, const std::string& second) {
    struct stat one {};
    struct stat two {};
    return ::stat(first.c_str(), &one) == 0 && ::stat(second.c_str(), &two) == 0 &&
           one.st_dev == two.st_dev && one.st_ino == two.st_ino;
}

// A source converted onto itself is still read by ffmpeg, and replaced only
// by the finished result.
void removeStaleOutput(const ConversionPaths& paths, const std::string& name,
                       std::ostream& errors) {
    struct stat info {};
    if (::lstat(paths.output.c_str(), &info) != 0 || S_ISDIR(info.st_mode) ||
        sameFile(paths.source, paths.output))
        return;
    if (::unlink(paths.output.c_str()) != 0)
        errors << name << ": cannot remove the older " << paths.output << ": "
               << std::strerror(errno) << '\n';
}

} // namespace

ConverterAdapter::ConverterAdapter(ArgumentForm form, std::vector<std::string> outputOptions)
    : m_form(std::move(form)), m_outputOptions(std::move(outputOptions)) {}

int ConverterAdapter::run(const std::vector<std::string>& arguments, const std::string& searchPath,
                          std::ostream& errors) const {
    const std::string name = programName(arguments.empty() ? std::string() : arguments.front());
    const std::vector<std::string> given(
        arguments.empty() ? arguments.end() : arguments.begin() + 1, arguments.end());
    const auto paths = m_form.match(given);
    if (!paths) {
        errors << name << ": unexpected arguments; the only accepted form is\n  " << name << ' '
               << m_form.usage() << '\n';
        return kUsageError;
    }

    // Whatever stands under the output name now is not the result of this
    // run; left there it would pass for one if the conversion fails.
    removeStaleOutput(*paths, name, errors);

    const auto ffmpeg = ExecutableSearch(searchPath, "/proc/self/exe").find("ffmpeg");
    if (!ffmpeg) {
        errors << name << ": no ffmpeg program found on PATH; install ffmpeg to convert\n";
        return kNoFfmpeg;
    }

    try {
        // Hold back the stopping signals before anything exists that they
        // would leave behind.
        SupervisedChild child;
        PartialOutput output(paths->output);

        // Never a question on the terminal, only errors on it; "file:" keeps
        // a name with a colon from being taken for a protocol.
        std::vector<std::string> command{*ffmpeg};
        for (const std::string& word : splitWords("-nostdin -hide_banner -loglevel error -y -i"))
            command.push_back(word);
        command.push_back("file:" + paths->source);
        command.insert(command.end(), m_outputOptions.begin(), m_outputOptions.end());
        command.push_back("file:" + output.writerPath());

        const SupervisedChild::Outcome outcome = child.run(*ffmpeg, command);
        if (outcome.interruptedBy != 0) {
            errors << name << ": stopped by signal " << outcome.interruptedBy
                   << "; no output written\n";
            return 128 + outcome.interruptedBy;
        }
        if (outcome.exitCode != 0) {
            errors << name << ": ffmpeg failed (exit code " << outcome.exitCode
                   << "); no output written\n";
            return outcome.exitCode;
        }
        if (!output.hasContent()) {
            errors << name << ": ffmpeg wrote nothing; no output written\n";
            return 1;
        }
        output.commit();
        return 0;
    } catch (const std::system_error& error) {
        errors << name << ": " << error.what() << '\n';
        return 1;
    }
}

} // namespace ondrel::converters
