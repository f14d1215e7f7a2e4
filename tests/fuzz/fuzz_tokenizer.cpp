// The tokeniser on any argument text. Input: one control byte, which picks
// the entry limit, then the text. The launch list's own limit of 32767 entries
// is checked once at start: inputs that long would slow every run.

#include "app/ArgumentTokenizer.h"
#include "app/LaunchFileList.h"
#include "tests/fuzz/FuzzCheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

using ondrel::ArgumentTokenizer;
using ondrel::fuzz::require;

namespace {

constexpr std::size_t kLimits[] = {
    0, 1, 2, 3, 7, 64, ondrel::LaunchFileList::kMaxFiles, std::numeric_limits<std::size_t>::max()};

std::string withoutQuotes(const std::string& text) {
    std::string out;
    std::copy_if(text.begin(), text.end(), std::back_inserter(out),
                 [](char c) { return c != '"'; });
    return out;
}

bool isSubsequence(const std::string& part, const std::string& whole) {
    std::size_t at = 0;
    for (const char c : part) {
        at = whole.find(c, at);
        if (at == std::string::npos)
            return false;
        ++at;
    }
    return true;
}

// Inside a quoted entry quotes only ever come in pairs: a doubled quote, or a
// closing quote reopened at once.
bool quotesPaired(const std::string& inner) {
    std::size_t run = 0;
    for (const char c : inner) {
        if (c == '"') {
            ++run;
        } else {
            if (run % 2 != 0)
                return false;
            run = 0;
        }
    }
    return run % 2 == 0;
}

void checkToken(const std::string& token) {
    require(!token.empty(), "no entry is stored empty (an empty pair keeps its quotes)");
    if (token.front() == '"') {
        require(token.size() >= 2 && token.back() == '"',
                "a quoted entry begins and ends with a quote");
        require(quotesPaired(token.substr(1, token.size() - 2)),
                "quotes inside a quoted entry come in pairs");
    } else {
        require(token.find(' ') == std::string::npos, "an entry without quotes holds no space");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // 40000 entries, one of them quoted with a space, for a list of 32767.
    std::string text;
    for (int i = 0; i < 39999; ++i)
        text += "a ";
    text += "\"b c\"";
    const auto kept = ArgumentTokenizer::tokenize(text, ondrel::LaunchFileList::kMaxFiles);
    require(kept.tokens.size() == 32767 && kept.leftOut == 40000 - 32767,
            "a text of 40000 entries keeps 32767 and counts the rest");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t limit = kLimits[data[0] % std::size(kLimits)];
    const std::string text = ondrel::fuzz::bytes(data + 1, size - 1);

    const auto all = ArgumentTokenizer::tokenize(text, std::numeric_limits<std::size_t>::max());
    const auto kept = ArgumentTokenizer::tokenize(text, limit);

    require(all.leftOut == 0, "without a limit no entry is left out");
    require(kept.tokens.size() == std::min(limit, all.tokens.size()),
            "the limit keeps as many entries as fit");
    require(kept.tokens.size() + kept.leftOut == all.tokens.size(),
            "every entry is either kept or counted as left out");
    require(std::equal(kept.tokens.begin(), kept.tokens.end(), all.tokens.begin()),
            "the kept entries are the first ones, in order");
    require(all.tokens.size() <= (text.size() + 1) / 2,
            "each entry takes at least one character and one separator");

    std::string kept_characters;
    for (const std::string& token : all.tokens) {
        checkToken(token);
        kept_characters += withoutQuotes(token);
    }
    require(isSubsequence(kept_characters, withoutQuotes(text)),
            "entries hold only the text's own characters, in their order");

    // Written out again with single spaces, the entries read back unchanged.
    const auto again = ArgumentTokenizer::tokenize(ondrel::fuzz::joined(all.tokens, ' '),
                                                   std::numeric_limits<std::size_t>::max());
    require(again.tokens == all.tokens, "the entries joined by spaces tokenise to themselves");
    return 0;
}
