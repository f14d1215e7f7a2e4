#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ondrel::platform::win {

// The user of this process and, when the process runs elevated, the group
// that Windows makes the owner of what it creates instead: together, whom
// a file or folder the process made belongs to.
struct ProcessIdentity {
    std::vector<unsigned char> user;
    std::vector<unsigned char> defaultOwner;

    // Whether something with this owner was made by this user.
    bool owns(PSID owner) const;
};

// Throws PlatformError(operation, "process token", reason) when the process's
// token cannot be read.
ProcessIdentity processIdentity(const std::string& operation);

} // namespace ondrel::platform::win
