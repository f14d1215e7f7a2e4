// What the process was given: variables, its own folder, a private temporary folder.

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/PathStyle.h"
#include "tests/contract/Check.h"
#include "tests/contract/TestFiles.h"

#include <filesystem>

using namespace ondrel::platform;

CONTRACT_TEST(variables_are_read_and_unset_ones_are_empty) {
    auto native = contract::nativeServices();
    Environment& environment = native.services().environment;
    CHECK(!environment.Variable("PATH").empty());
    CHECK_EQ(environment.Variable("ONDREL_CONTRACT_SURELY_UNSET"), std::string());
}

CONTRACT_TEST(program_folder_holds_the_running_program) {
    auto native = contract::nativeServices();
    Services services = native.services();
    const std::string folder = services.environment.ProgramFolder();
    CHECK(!folder.empty());
    CHECK(!isPathSeparator(folder.back()));
    CHECK(services.fileSystem.FileExists(contract::runnerPath(services)));
}

CONTRACT_TEST(private_temp_folder_is_a_folder_and_stays_the_same) {
    auto native = contract::nativeServices();
    Services services = native.services();
    const std::string folder = services.environment.PrivateTempFolder();
    CHECK(services.fileSystem.FolderExists(folder));
    CHECK_EQ(services.environment.PrivateTempFolder(), folder);
}

namespace {

// Runs in another current folder and comes back.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder) : m_old(std::filesystem::current_path()) {
        std::filesystem::current_path(
            std::filesystem::path(std::u8string(folder.begin(), folder.end())));
    }
    ~CurrentFolder() { std::filesystem::current_path(m_old); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    std::filesystem::path m_old;
};

} // namespace

CONTRACT_TEST(full_paths_complete_relative_ones_against_the_current_folder) {
    auto native = contract::nativeServices();
    Services services = native.services();
    Environment& environment = services.environment;
    contract::TempFolder temp;
    contract::makeFolder(temp / "sub");
    const std::string sep(1, pathSeparator());
    const CurrentFolder here(temp.path());

    CHECK_EQ(environment.FullPath("song.mp3"), temp / "song.mp3");
    CHECK_EQ(environment.FullPath("rel song.m4a"), temp / "rel song.m4a");
    CHECK_EQ(environment.FullPath("sub" + sep + "x.mp3"), temp / ("sub" + sep + "x.mp3"));
    // The name stays as written, whatever the system would make of it.
    CHECK_EQ(environment.FullPath("Aux.mp3"), temp / "Aux.mp3");
    // Full ones, and the empty entry, as given.
    const std::string absolute = temp / "abs.mp3";
    CHECK_EQ(environment.FullPath(absolute), absolute);
    CHECK_EQ(environment.FullPath(""), std::string());
}
