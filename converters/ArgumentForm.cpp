#include "converters/ArgumentForm.h"

#include <algorithm>

namespace ondrel::converters {

ArgumentForm::ArgumentForm(std::vector<std::string> optionTokens)
    : m_optionTokens(std::move(optionTokens)) {}

std::optional<ConversionPaths>
ArgumentForm::match(const std::vector<std::string>& arguments) const {
    const std::size_t count = m_optionTokens.size();
    if (arguments.size() != count + 3)
        return std::nullopt;
    if (!std::equal(m_optionTokens.begin(), m_optionTokens.end(), arguments.begin()))
        return std::nullopt;
    if (arguments[count] != "-i")
        return std::nullopt;
    const std::string& source = arguments[count + 1];
    const std::string& output = arguments[count + 2];
    if (source.empty() || output.empty())
        return std::nullopt;
    return ConversionPaths{source, output};
}

std::string ArgumentForm::usage() const {
    std::string text;
    for (const std::string& token : m_optionTokens)
        text += token + ' ';
    return text + "-i <source> <output>";
}

} // namespace ondrel::converters
