#include "app/LaunchListBuilder.h"

#include "app/ArgumentTokenizer.h"

#include <utility>

namespace ondrel {

LaunchListBuilder::LaunchListBuilder(LongNameLookup longName) : m_longName(std::move(longName)) {}

std::size_t LaunchListBuilder::build(const std::string& argumentText, LaunchFileList& list) const {
    ArgumentTokenizer::Result tokenized =
        ArgumentTokenizer::tokenize(argumentText, LaunchFileList::kMaxFiles);
    list.FileCount = 0;
    for (std::string& token : tokenized.tokens) {
        const auto i = static_cast<std::size_t>(list.FileCount);
        const bool quoted = !token.empty() && token.front() == '"';
        // The display name is decided on the token as written, before the
        // quotes go, and then stripped on its own.
        std::string display = quoted ? token : m_longName(token);
        list.DisplayNames[i] = stripQuotes(display);
        list.SourcePaths[i] = stripQuotes(token);
        ++list.FileCount;
    }
    return tokenized.leftOut;
}

std::string LaunchListBuilder::stripQuotes(const std::string& text) {
    if (text.empty() || text.front() != '"')
        return text;
    // A stored quoted entry always ends in a quote too; a lone quote has
    // nothing between them.
    return text.size() < 2 ? std::string() : text.substr(1, text.size() - 2);
}

} // namespace ondrel
