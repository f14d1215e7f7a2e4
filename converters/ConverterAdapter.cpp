#include "converters/ConverterAdapter.h"

#include "converters/FfmpegSearch.h"
#include "converters/FileSystem.h"
#include "converters/PartialOutput.h"
#include "converters/SupervisedChild.h"
#include "converters/Words.h"

#include "platform/PathStyle.h"

#include <stdexcept>

namespace ondrel::converters {

namespace {

constexpr int kUsageError = 2;
constexpr int kNoFfmpeg = 127;

std::string programName(const std::string& token) {
    const std::size_t separator = lastSeparator(token);
    return separator == std::string::npos ? token : token.substr(separator + 1);
}

} // namespace

ConverterAdapter::ConverterAdapter(ArgumentForm form, std::vector<std::string> outputOptions)
    : m_form(std::move(form)), m_outputOptions(std::move(outputOptions)) {}

std::vector<std::string> ConverterAdapter::translate(const ConversionPaths& paths,
                                                     const std::string& writerPath) const {
    // Never a question on the terminal, only errors on it; "file:" keeps a
    // name with a colon from being taken for a protocol.
    std::vector<std::string> arguments = splitWords("-nostdin -hide_banner -loglevel error -y -i");
    arguments.push_back("file:" + paths.source);
    arguments.insert(arguments.end(), m_outputOptions.begin(), m_outputOptions.end());
    arguments.push_back("file:" + writerPath);
    return arguments;
}

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
    // A song may carry a name Windows otherwise opens as a device ("Aux.mp3"
    // from a network share); the source is read under the spelling that names
    // the file itself. The output's name is the program's own, already one
    // Windows stores.
    const std::string source = platform::literalPath(paths->source);

    // ffmpeg would read the file while it replaces it, and the user's file
    // would become its own conversion.
    if (sameFile(source, paths->output)) {
        errors << name << ": the output " << paths->output
               << " is the same file as the source; nothing written\n";
        return 1;
    }

    // Whatever stands under the output name now is not the result of this
    // run; left there it would pass for one if the conversion fails.
    const std::string removeError = removeFileAt(paths->output);
    if (!removeError.empty())
        errors << name << ": cannot remove the older " << paths->output << ": " << removeError
               << '\n';

    // A FIFO or a device would have ffmpeg wait or read for ever.
    const std::string problem = sourceProblem(source);
    if (!problem.empty()) {
        errors << name << ": cannot convert " << paths->source << ": " << problem
               << "; no output written\n";
        return 1;
    }

    const auto ffmpeg = findFfmpeg(searchPath);
    if (!ffmpeg) {
        errors << name << ": " << ffmpegMissingMessage() << '\n';
        return kNoFfmpeg;
    }

    try {
        // Hold back the stopping signals before anything exists that they
        // would leave behind.
        SupervisedChild child;
        PartialOutput output(paths->output);

        std::vector<std::string> command{*ffmpeg};
        for (std::string& argument : translate({source, paths->output}, output.writerPath()))
            command.push_back(std::move(argument));

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
    } catch (const std::runtime_error& error) {
        errors << name << ": " << error.what() << '\n';
        return 1;
    }
}

} // namespace ondrel::converters
