#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ondrel {

// Splits the argument text into entries. Only the quote and the space are
// special; a quoted entry keeps its quotes here, and characters after a
// closing quote up to the next space are dropped. An entry left open in
// quotes at the end of the text is lost.
class ArgumentTokenizer {
public:
    struct Result {
        std::vector<std::string> tokens;
        // Entries beyond the limit: counted, not kept.
        std::size_t leftOut = 0;
    };

    // Keeps at most `limit` entries.
    static Result tokenize(const std::string& argumentText, std::size_t limit);
};

} // namespace ondrel
