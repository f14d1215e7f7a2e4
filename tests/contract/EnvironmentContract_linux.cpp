// The argument text, the private temporary folder and the home on POSIX.

#include "platform/PlatformError.h"
#include "platform/linux/LinuxEnvironment.h"
#include "platform/linux/LinuxSettingsStore.h"
#include "tests/contract/Check.h"
#include "tests/contract/Support_linux.h"
#include "tests/contract/TestFiles.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

using namespace ondrel::platform;
using contract::TempFolder;

namespace {

// Runs the body with the current folder set to the given one.
template <typename Body> void inFolder(const std::string& folder, Body body) {
    char saved[PATH_MAX];
    if (::getcwd(saved, sizeof saved) == nullptr || ::chdir(folder.c_str()) != 0) {
        contract::reportFailure(__FILE__, __LINE__, "cannot change to " + folder);
        return;
    }
    body();
    if (::chdir(saved) != 0)
        contract::reportFailure(__FILE__, __LINE__, "cannot return to the current folder");
}

void expectRefused(const LinuxEnvironment& environment, const std::string& why) {
    try {
        environment.PrivateTempFolder();
        contract::reportFailure(__FILE__, __LINE__, "accepted a temporary folder that " + why);
    } catch (const PlatformError& error) {
        CHECK_EQ(error.operation(), std::string("PrivateTempFolder"));
    }
}

} // namespace

CONTRACT_TEST(the_argument_text_is_formed_against_the_starting_folder) {
    TempFolder temp;
    std::string prog = "Ondrel", relative = "my song.mp3", absolute = "/music/a.mp3";
    inFolder(temp.path(), [&] {
        char* argv[] = {prog.data(), relative.data(), absolute.data(), nullptr};
        const LinuxEnvironment environment(3, argv);
        // The folder as the system names it (a temporary folder may be reached through a link).
        char here[PATH_MAX];
        CHECK(::getcwd(here, sizeof here) != nullptr);
        CHECK_EQ(environment.ArgumentText(),
                 "\"" + std::string(here) + "/my song.mp3\" /music/a.mp3");
        const LinuxEnvironment none(1, argv);
        CHECK_EQ(none.ArgumentText(), std::string());
    });
}

CONTRACT_TEST(variables_follow_the_environment) {
    char* argv[] = {nullptr};
    const LinuxEnvironment environment(0, argv);
    {
        const contract::ScopedVariable temp("TEMP", std::string("/some where"));
        CHECK_EQ(environment.Variable("TEMP"), std::string("/some where"));
    }
    const contract::ScopedVariable unset("TEMP", std::nullopt);
    CHECK_EQ(environment.Variable("TEMP"), std::string());
}

CONTRACT_TEST(the_private_temp_folder_is_owner_only_and_refuses_plants) {
    char* argv[] = {nullptr};
    const LinuxEnvironment environment(0, argv);
    TempFolder temp;
    const contract::ScopedVariable tmpdir("TMPDIR", temp.path() + "/");
    const std::string expected = temp / "ondrel-" + std::to_string(::geteuid());

    CHECK_EQ(environment.PrivateTempFolder(), expected);
    struct stat status {};
    CHECK(::lstat(expected.c_str(), &status) == 0 && S_ISDIR(status.st_mode));
    CHECK_EQ(status.st_mode & 0777, mode_t(0700));

    // Left too open by someone or something: closed again.
    ::chmod(expected.c_str(), 0777);
    CHECK_EQ(environment.PrivateTempFolder(), expected);
    ::stat(expected.c_str(), &status);
    CHECK_EQ(status.st_mode & 0777, mode_t(0700));

    ::rmdir(expected.c_str());
    contract::makeFolder(temp / "elsewhere");
    ::symlink((temp / "elsewhere").c_str(), expected.c_str());
    expectRefused(environment, "is a link");
    ::unlink(expected.c_str());

    contract::writeFile(expected, "a file");
    expectRefused(environment, "is a file");
    ::unlink(expected.c_str());

    if (contract::runningAsRoot()) {
        ::mkdir(expected.c_str(), 0700);
        CHECK(::chown(expected.c_str(), 65534, 65534) == 0);
        expectRefused(environment, "belongs to someone else");
    }
}

// Qt takes the user's folders from HOME alone and, without one, from the
// root of the file system: the environment puts the user database's home
// there first, and leaves a usable HOME as it is.
CONTRACT_TEST(a_home_that_names_no_folder_comes_from_the_user_database) {
    const passwd* entry = ::getpwuid(::geteuid());
    CHECK(entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/');
    if (entry == nullptr || entry->pw_dir == nullptr)
        return;
    const std::string databaseHome = entry->pw_dir;
    // Only the home decides where the setting goes.
    const contract::ScopedVariable configHome("XDG_CONFIG_HOME", std::nullopt);
    char* argv[] = {nullptr};

    for (const std::optional<std::string>& home :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional<std::string>("relative/home")}) {
        const contract::ScopedVariable variable("HOME", home);
        const LinuxEnvironment environment(0, argv);
        CHECK_EQ(environment.Variable("HOME"), databaseHome);
        CHECK_EQ(LinuxSettingsStore::filePath("Zara"), databaseHome + "/.config/Zara.ini");
    }

    TempFolder temp;
    const contract::ScopedVariable own("HOME", temp.path());
    const LinuxEnvironment environment(0, argv);
    CHECK_EQ(environment.Variable("HOME"), temp.path());
    CHECK_EQ(LinuxSettingsStore::filePath("Zara"), temp.path() + "/.config/Zara.ini");
}
