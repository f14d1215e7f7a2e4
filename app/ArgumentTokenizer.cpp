#include "app/ArgumentTokenizer.h"

namespace ondrel {

namespace {

enum class State { Between, InQuotes, QuoteInQuotes, Unquoted };

class TokenSink {
public:
    TokenSink(ArgumentTokenizer::Result& result, std::size_t limit)
        : m_result(result), m_limit(limit) {}

    void store(std::string& token) {
        if (m_result.tokens.size() < m_limit)
            m_result.tokens.push_back(std::move(token));
        else
            ++m_result.leftOut;
        token.clear();
    }

private:
    ArgumentTokenizer::Result& m_result;
    std::size_t m_limit;
};

} // namespace

ArgumentTokenizer::Result ArgumentTokenizer::tokenize(const std::string& argumentText,
                                                      std::size_t limit) {
    Result result;
    TokenSink sink(result, limit);
    std::string token;
    State state = State::Between;
    for (const char c : argumentText) {
        const bool quote = c == '"';
        const bool space = c == ' ';
        switch (state) {
        case State::Between:
            if (space)
                break;
            token += c;
            state = quote ? State::InQuotes : State::Unquoted;
            break;
        case State::InQuotes:
            if (quote)
                state = State::QuoteInQuotes;
            else
                token += c;
            break;
        case State::QuoteInQuotes:
            if (quote) {
                // A doubled quote stays doubled: the entry keeps both.
                token += "\"\"";
                state = State::InQuotes;
            } else if (space) {
                token += '"';
                sink.store(token);
                state = State::Between;
            }
            // Anything else after a closing quote is dropped.
            break;
        case State::Unquoted:
            if (space) {
                sink.store(token);
                state = State::Between;
            } else {
                token += c;
            }
            break;
        }
    }
    switch (state) {
    case State::Between:
    case State::InQuotes:
        // A quote opened and never closed: the unfinished entry is discarded.
        break;
    case State::QuoteInQuotes:
        token += '"';
        sink.store(token);
        break;
    case State::Unquoted:
        sink.store(token);
        break;
    }
    return result;
}

} // namespace ondrel
