#include "app/KdhSetting.h"

#include <cstddef>

namespace ondrel {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

enum class Half { Below, Exactly, Above };

// How a fraction's digits compare with one half, decided on the text so that
// no binary rounding can move a value across the tie.
Half compareWithHalf(const std::string& digits) {
    if (digits.empty() || digits[0] < '5')
        return Half::Below;
    if (digits[0] > '5')
        return Half::Above;
    for (std::size_t i = 1; i < digits.size(); ++i) {
        if (digits[i] != '0')
            return Half::Above;
    }
    return Half::Exactly;
}

} // namespace

bool KdhSetting::ticked(const std::string& stored) {
    std::size_t i = 0;
    while (i < stored.size() && stored[i] == ' ')
        ++i;
    bool negative = false;
    if (i < stored.size() && (stored[i] == '+' || stored[i] == '-')) {
        negative = stored[i] == '-';
        ++i;
    }
    std::string whole;
    while (i < stored.size() && isDigit(stored[i]))
        whole += stored[i++];
    std::string fraction;
    if (i < stored.size() && stored[i] == '.') {
        ++i;
        while (i < stored.size() && isDigit(stored[i]))
            fraction += stored[i++];
    }

    const std::size_t firstSignificant = whole.find_first_not_of('0');
    const std::string significant =
        firstSignificant == std::string::npos ? std::string() : whole.substr(firstSignificant);
    const Half half = compareWithHalf(fraction);
    // Rounded half to even, the value is 1 exactly for 0.5 < x < 1.5.
    const bool roundsToOne =
        (significant.empty() && half == Half::Above) || (significant == "1" && half == Half::Below);
    return negative || !roundsToOne;
}

std::string KdhSetting::storedFor(bool ticked) {
    return ticked ? "2" : "1";
}

} // namespace ondrel
