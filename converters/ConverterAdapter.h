#pragma once

#include "converters/ArgumentForm.h"

#include <ostream>
#include <string>
#include <vector>

namespace ondrel::converters {

// A stand-in for a converter of old: it takes that converter's command line,
// unchanged, and has the system's present-day ffmpeg do the same work.
//
// What the caller relies on is the output file alone: it exists after we end
// exactly when the conversion worked. So an older file of that name is
// removed first, a source that is the output itself or no regular file is
// refused before anything is touched, and ffmpeg writes to a partial file that becomes the output
// only after a clean exit with something written.
class ConverterAdapter {
public:
    // outputOptions: what ffmpeg is to make of the source, the options that
    // go between its input and its output.
    ConverterAdapter(ArgumentForm form, std::vector<std::string> outputOptions);

    // arguments: what we were started with, program token first. Returns the
    // exit code; every failure is explained on errors.
    int run(const std::vector<std::string>& arguments, const std::string& searchPath,
            std::ostream& errors) const;

    // What ffmpeg is started with after its program name: the source read
    // from paths.source, the result written to writerPath.
    std::vector<std::string> translate(const ConversionPaths& paths,
                                       const std::string& writerPath) const;

private:
    ArgumentForm m_form;
    std::vector<std::string> m_outputOptions;
};

} // namespace ondrel::converters
