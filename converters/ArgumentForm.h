#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ondrel::converters {

// The two paths that the program hands a converter.
struct ConversionPaths {
    std::string source;
    std::string output;
};

// The one argument list a converter accepts: fixed option tokens, then "-i",
// the source and the output. The program always sends exactly this list, so
// anything else is a caller we do not know and is refused rather than guessed at.
class ArgumentForm {
public:
    explicit ArgumentForm(std::vector<std::string> optionTokens);

    // The paths when arguments (without the program token) have exactly this form.
    std::optional<ConversionPaths> match(const std::vector<std::string>& arguments) const;

    // The expected form, for the message to a caller that got it wrong.
    std::string usage() const;

private:
    std::vector<std::string> m_optionTokens;
};

} // namespace ondrel::converters
