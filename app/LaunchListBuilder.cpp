#include "app/LaunchListBuilder.h"

#include "app/ArgumentTokenizer.h"

#include <utility>

namespace ondrel {

LaunchListBuilder::LaunchListBuilder(LongNameLookup longName, FullPathLookup fullPath)
    : m_longName(std::move(longName)), m_fullPath(std::move(fullPath)) {}

std::size_t LaunchListBuilder::build(const std::string& argumentText, LaunchFileList& list) const {
    ArgumentTokenizer::Result tokenized =
        ArgumentTokenizer::tokenize(argumentText, LaunchFileList::kMaxFiles);
    list.FileCount = 0;
    for (std::string& token : tokenized.tokens) {
        const auto i = static_cast<std::size_t>(list.FileCount);
        const bool quoted = !token.empty() && token.front() == '"';
        // Whether the entry shows its own text or its long form is decided on
        // the token as written. A relative entry is made full first, once: the
        // folder test, the long form, the log and the batch all see the one
        // file, wherever the current folder goes later, and a long form has a
        // root to start from.
        std::string path = m_fullPath(stripQuotes(token));
        list.DisplayNames[i] = quoted ? path : m_longName(path);
        list.SourcePaths[i] = std::move(path);
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
