#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include "tests/contract/Check.h"
#include "tests/contract/ScratchFolder_win.h"

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/NativeServices.h"
#include "platform/PlatformError.h"
#include "platform/Services.h"
#include "platform/win/WinText.h"

#include <optional>
#include <vector>

using contract::win::ScratchFolder;
using ondrel::platform::NativeServices;
using ondrel::platform::PlatformError;
using ondrel::platform::win::toUtf8;
using ondrel::platform::win::toWide;

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const std::optional<std::wstring>& value) : m_name(name) {
        wchar_t buffer[32768];
        const DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
        if (length > 0 && length < 32768)
            m_old = std::wstring(buffer, length);
        SetEnvironmentVariableW(name, value ? value->c_str() : nullptr);
    }
    ~ScopedVariable() { SetEnvironmentVariableW(m_name, m_old ? m_old->c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const wchar_t* m_name;
    std::optional<std::wstring> m_old;
};

std::vector<unsigned char> currentUser() {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    unsigned char buffer[256];
    DWORD size = 0;
    std::vector<unsigned char> sid;
    if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size)) {
        PSID user = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
        sid.assign(static_cast<unsigned char*>(user),
                   static_cast<unsigned char*>(user) + GetLengthSid(user));
    }
    CloseHandle(token);
    return sid;
}

// Nobody but the user is allowed anything, apart from the system itself
// (which Wine always lists); the user is allowed in.
bool onlyTheUserMayEnter(const std::string& folder) {
    const std::vector<unsigned char> user = currentUser();
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (user.empty() ||
        GetNamedSecurityInfoW(toWide(folder).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    bool userAllowed = false;
    bool othersAllowed = dacl == nullptr; // no list at all lets everyone in
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(dacl, i, &entry))
            continue;
        auto* header = static_cast<ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if (allowed->Mask == 0)
            continue;
        if (EqualSid(const_cast<unsigned char*>(user.data()), &allowed->SidStart))
            userAllowed = true;
        else if (!IsWellKnownSid(&allowed->SidStart, WinLocalSystemSid))
            othersAllowed = true;
    }
    LocalFree(descriptor);
    return userAllowed && !othersAllowed;
}

std::string ownerOf(const std::string& path) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(toWide(path).c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION,
                              &owner, nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return {};
    wchar_t* text = nullptr;
    std::string result;
    if (ConvertSidToStringSidW(owner, &text)) {
        result = toUtf8(text);
        LocalFree(text);
    }
    LocalFree(descriptor);
    return result;
}

} // namespace

CONTRACT_TEST(win_environment_variables) {
    NativeServices native(0, nullptr);
    auto& environment = native.services().environment;
    {
        const ScopedVariable temp(L"ONDREL_CONTRACT_VALUE", L"C:\\Users\\J\u00fcrgen\\Temp");
        CHECK_EQ(environment.Variable("ONDREL_CONTRACT_VALUE"),
                 std::string("C:\\Users\\J\u00fcrgen\\Temp"));
        CHECK_EQ(environment.Variable("ondrel_contract_value"),
                 std::string("C:\\Users\\J\u00fcrgen\\Temp"));
    }
    CHECK_EQ(environment.Variable("ONDREL_CONTRACT_VALUE"), std::string());
    const std::wstring longValue(5000, L'x');
    const ScopedVariable big(L"ONDREL_CONTRACT_VALUE", longValue);
    CHECK_EQ(environment.Variable("ONDREL_CONTRACT_VALUE"), toUtf8(longValue));
}

CONTRACT_TEST(win_private_temp_folder_is_made_for_the_user_alone) {
    NativeServices native(0, nullptr);
    auto services = native.services();
    ScratchFolder scratch;
    // The system's temporary folder follows TMP first.
    const ScopedVariable tmp(L"TMP", scratch.wide());
    const std::string expected = scratch / "Ondrel";

    const std::string folder = services.environment.PrivateTempFolder();
    CHECK_EQ(folder, expected);
    CHECK(services.fileSystem.FolderExists(folder));
    CHECK(onlyTheUserMayEnter(folder));
    // Found again on the next call, not refused as someone else's.
    CHECK_EQ(services.environment.PrivateTempFolder(), expected);

    // One that an earlier run left open to others is narrowed again.
    ScratchFolder other;
    const ScopedVariable otherTmp(L"TMP", other.wide());
    CreateDirectoryW(toWide(other / "Ondrel").c_str(), nullptr);
    const bool openBefore = !onlyTheUserMayEnter(other / "Ondrel");
    CHECK_EQ(services.environment.PrivateTempFolder(), other / "Ondrel");
    CHECK(onlyTheUserMayEnter(other / "Ondrel"));
    if (!openBefore)
        contract::skip("a new folder is private here already; narrowing not exercised");
}

CONTRACT_TEST(win_private_temp_folder_refuses_what_was_planted) {
    NativeServices native(0, nullptr);
    auto services = native.services();
    ScratchFolder scratch;
    const ScopedVariable tmp(L"TMP", scratch.wide());
    const std::string planted = scratch / "Ondrel";

    ScratchFolder::writeFile(planted, "not a folder");
    CHECK_THROWS(services.environment.PrivateTempFolder());
    DeleteFileW(toWide(planted).c_str());

    // Where the system lets us make one (Wine reports success but makes
    // none), a link in place of the folder.
    const std::string elsewhere = scratch / "elsewhere";
    CreateDirectoryW(toWide(elsewhere).c_str(), nullptr);
    CreateSymbolicLinkW(toWide(planted).c_str(), toWide(elsewhere).c_str(),
                        SYMBOLIC_LINK_FLAG_DIRECTORY |
                            SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    const DWORD linkAttributes = GetFileAttributesW(toWide(planted).c_str());
    if (linkAttributes != INVALID_FILE_ATTRIBUTES &&
        (linkAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        try {
            services.environment.PrivateTempFolder();
            CHECK(!"a link in place of the folder must be refused");
        } catch (const PlatformError& error) {
            CHECK_EQ(error.path(), planted);
        }
        RemoveDirectoryW(toWide(planted).c_str());
    }

    // A folder that belongs to someone else (here: the system account).
    CreateDirectoryW(toWide(planted).c_str(), nullptr);
    PSID system = nullptr;
    ConvertStringSidToSidW(L"S-1-5-18", &system);
    const DWORD given =
        SetNamedSecurityInfoW(const_cast<wchar_t*>(toWide(planted).c_str()), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION, system, nullptr, nullptr, nullptr);
    LocalFree(system);
    // Wine answers success but keeps the folder with its Unix owner.
    if (given != ERROR_SUCCESS || ownerOf(planted) != "S-1-5-18")
        contract::skip("cannot hand a folder to another owner here");
    CHECK_THROWS(services.environment.PrivateTempFolder());
}

// The forms of a relative path only Windows has: a drive's own current
// folder, the current drive's root, and ".." in the folder part. The name at
// the end stays as written, device's name or not.
CONTRACT_TEST(win_full_paths_of_drive_relative_and_root_relative_names) {
    NativeServices native(0, nullptr);
    auto& environment = native.services().environment;
    ScratchFolder scratch;
    CreateDirectoryW(toWide(scratch / "sub").c_str(), nullptr);
    wchar_t old[MAX_PATH * 2] = {};
    GetCurrentDirectoryW(MAX_PATH * 2, old);
    SetCurrentDirectoryW(toWide(scratch / "sub").c_str());

    CHECK_EQ(environment.FullPath("song.mp3"), scratch / "sub\\song.mp3");
    CHECK_EQ(environment.FullPath("..\\song.mp3"), scratch / "song.mp3");
    CHECK_EQ(environment.FullPath("../sub/./x.mp3"), scratch / "sub\\x.mp3");
    CHECK_EQ(environment.FullPath("Aux.mp3"), scratch / "sub\\Aux.mp3");
    CHECK_EQ(environment.FullPath("..\\nul.mp3"), scratch / "nul.mp3");
    CHECK_EQ(environment.FullPath("song. "), scratch / "sub\\song. ");
    CHECK_EQ(environment.FullPath(".."), scratch.path());
    const std::string drive = scratch.path().substr(0, 2);
    // The current drive, by its letter or by a separator alone.
    CHECK_EQ(environment.FullPath(drive + "song.mp3"), scratch / "sub\\song.mp3");
    CHECK_EQ(environment.FullPath("\\song.mp3"), drive + "\\song.mp3");
    // Network paths and drive paths are full already.
    CHECK_EQ(environment.FullPath("\\\\nas\\music\\first.m4a"),
             std::string("\\\\nas\\music\\first.m4a"));
    CHECK_EQ(environment.FullPath("//nas/music/first.m4a"), std::string("//nas/music/first.m4a"));
    CHECK_EQ(environment.FullPath("C:\\a\\..\\b.mp3"), std::string("C:\\a\\..\\b.mp3"));
    CHECK_EQ(environment.FullPath(""), std::string());
    SetCurrentDirectoryW(old);

    // Another drive's own current folder: its root while none was chosen.
    const std::string card = environment.Variable("ONDREL_TEST_CARD_DRIVE");
    if (card.empty())
        contract::skip("ONDREL_TEST_CARD_DRIVE names no second drive");
    const std::string other = card.substr(0, 1) + ":";
    CHECK_EQ(environment.FullPath(other + "song.mp3"), other + "\\song.mp3");
}
