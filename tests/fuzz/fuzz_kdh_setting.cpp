// The reading of the stored KDH value. Input: the stored text.
//
// The reader decides on the text's digits; here the same leading number is
// read as a long double and rounded by the floating-point unit (half to
// even), a different road to the same answer wherever a long double holds
// the number exactly enough.

#include "app/KdhSetting.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cfenv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using ondrel::KdhSetting;
using ondrel::fuzz::require;

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The leading number as the reader's rules define it: spaces, a sign, digits,
// a dot and digits. Counts the significant digits on the way.
std::string leadingNumber(const std::string& text, std::size_t& significantDigits) {
    std::size_t end = text.find_first_not_of(' ');
    if (end == std::string::npos)
        return {};
    const std::size_t begin = end;
    if (text[end] == '+' || text[end] == '-')
        ++end;
    significantDigits = 0;
    bool leading = true;
    bool dot = false;
    for (; end < text.size(); ++end) {
        if (text[end] == '.' && !dot) {
            dot = true;
            continue;
        }
        if (!isDigit(text[end]))
            break;
        leading = leading && text[end] == '0';
        if (!leading)
            ++significantDigits;
    }
    return text.substr(begin, end - begin);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    require(KdhSetting::ticked(KdhSetting::storedFor(true)), "\"2\" reads back as ticked");
    require(!KdhSetting::ticked(KdhSetting::storedFor(false)), "\"1\" reads back as unticked");
    require(KdhSetting::ticked(""), "nothing stored reads as ticked");
    std::fesetround(FE_TONEAREST);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string stored = ondrel::fuzz::bytes(data, size);
    const bool ticked = KdhSetting::ticked(stored);

    require(KdhSetting::ticked(" " + stored) == ticked, "spaces before the number are skipped");
    require(KdhSetting::ticked(stored + "x") == ticked, "what follows the number is ignored");
    require(KdhSetting::ticked("0" + stored) == ticked || stored.empty() || stored[0] == ' ' ||
                stored[0] == '+' || stored[0] == '-',
            "a leading zero changes no number");

    std::size_t significant = 0;
    const std::string number = leadingNumber(stored, significant);
    // 18 significant digits fit a long double's 64-bit mantissa with room to spare.
    if (significant > 18)
        return 0;
    long double value = 0;
    if (number.find_first_of("0123456789") != std::string::npos)
        value = std::strtold(number.c_str(), nullptr);
    const long double rounded = std::nearbyintl(value);
    require(ticked == (rounded != 1.0L), "only a number that rounds to 1 means unticked");
    return 0;
}
