#include "platform/win/ProcessIdentity.h"

#include "platform/win/WinText.h"

namespace ondrel::platform::win {

namespace {

std::vector<unsigned char> tokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind,
                                            const std::string& operation) {
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    std::vector<unsigned char> data(size);
    if (size == 0 || !GetTokenInformation(token, kind, data.data(), size, &size))
        throwLastError(operation, "process token");
    return data;
}

std::vector<unsigned char> copySid(PSID sid) {
    const DWORD length = GetLengthSid(sid);
    std::vector<unsigned char> copy(length);
    CopySid(length, copy.data(), sid);
    return copy;
}

bool sameSid(const std::vector<unsigned char>& sid, PSID other) {
    return !sid.empty() && EqualSid(const_cast<unsigned char*>(sid.data()), other);
}

} // namespace

bool ProcessIdentity::owns(PSID owner) const {
    return owner != nullptr && (sameSid(user, owner) || sameSid(defaultOwner, owner));
}

ProcessIdentity processIdentity(const std::string& operation) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        throwLastError(operation, "process token");
    ProcessIdentity identity;
    try {
        auto user = tokenInformation(token, TokenUser, operation);
        identity.user = copySid(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
        auto owner = tokenInformation(token, TokenOwner, operation);
        identity.defaultOwner = copySid(reinterpret_cast<TOKEN_OWNER*>(owner.data())->Owner);
    } catch (...) {
        CloseHandle(token);
        throw;
    }
    CloseHandle(token);
    return identity;
}

} // namespace ondrel::platform::win
