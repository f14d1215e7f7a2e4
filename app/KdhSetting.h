#pragma once

#include <string>

namespace ondrel {

// The stored state of KDH mode: application "Zara", section "Done", key
// "Kdh", holding the check box's value plus one.
class KdhSetting {
public:
    static constexpr const char* kApplication = "Zara";
    static constexpr const char* kSection = "Done";
    static constexpr const char* kKey = "Kdh";

    // Reads the stored text as a number the way earlier versions did: the
    // leading decimal number (spaces before it skipped, a sign, digits, a
    // fraction), 0 when there is none, rounded half to even. Only a value that
    // rounds to 1 means "off"; anything else, nothing stored included, is "on".
    static bool ticked(const std::string& stored);

    // The text stored for a check box state: "2" ticked, "1" unticked.
    static std::string storedFor(bool ticked);
};

} // namespace ondrel
