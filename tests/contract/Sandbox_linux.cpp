// The tests run in a home of their own: the settings, the desktop and the file
// manager's scripts they write never touch the real user's.

#include "tests/contract/Check.h"
#include "tests/contract/Support_linux.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace contract {

namespace {

std::string g_home;

void enterTestHome() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/ondrel-home-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(2);
    }
    g_home = buffer.data();
    ::setenv("HOME", g_home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (g_home + "/.config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (g_home + "/.local/share").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (g_home + "/.cache").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (g_home + "/.local/state").c_str(), 1);
    // The system's folders, not a session's, and one locale for the system's texts.
    ::setenv("XDG_CONFIG_DIRS", "/etc/xdg", 1);
    ::setenv("XDG_DATA_DIRS", "/usr/local/share:/usr/share", 1);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    ::unsetenv("LANGUAGE");
}

void leaveTestHome() {
    std::error_code ignored;
    std::filesystem::remove_all(g_home, ignored);
}

const RunHook g_testHome{enterTestHome, leaveTestHome};

} // namespace

int runShell(const std::string& command) {
    const int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string shellQuoted(const std::string& value) {
    std::string out = "'";
    for (const char c : value)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace contract
