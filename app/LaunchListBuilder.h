#pragma once

#include "app/LaunchFileList.h"

#include <cstddef>
#include <functional>
#include <string>

namespace ondrel {

// Turns the argument text into the launch file list: the entries in order,
// each with the path to reach it and the name to show for it.
class LaunchListBuilder {
public:
    using LongNameLookup = std::function<std::string(const std::string&)>;

    explicit LaunchListBuilder(LongNameLookup longName);

    // Fills the list from a non-empty argument text. Entries written in quotes
    // show their own text; the others their long form. Both lose their
    // surrounding quotes. Returns how many entries did not fit into the list.
    std::size_t build(const std::string& argumentText, LaunchFileList& list) const;

    // Without its first and last character when it begins with a quote.
    static std::string stripQuotes(const std::string& text);

private:
    LongNameLookup m_longName;
};

} // namespace ondrel
