#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace ondrel::converters {

// "-vn -ab 128k" -> {"-vn", "-ab", "128k"}: fixed option lists read best as one line.
inline std::vector<std::string> splitWords(const std::string& text) {
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;)
        words.push_back(word);
    return words;
}

} // namespace ondrel::converters
