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
    using FullPathLookup = std::function<std::string(const std::string&)>;

    LaunchListBuilder(LongNameLookup longName, FullPathLookup fullPath);

    // Fills the list from a non-empty argument text. Each entry loses its
    // surrounding quotes and, when relative, is completed to its full path;
    // entries written in quotes show that path, the others its long form.
    // Returns how many entries did not fit into the list.
    std::size_t build(const std::string& argumentText, LaunchFileList& list) const;

    // Without its first and last character when it begins with a quote.
    static std::string stripQuotes(const std::string& text);

private:
    LongNameLookup m_longName;
    FullPathLookup m_fullPath;
};

} // namespace ondrel
