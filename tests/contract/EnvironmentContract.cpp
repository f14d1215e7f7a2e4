// What the process was given: variables, its own folder, a private temporary folder.

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/PathStyle.h"
#include "tests/contract/Check.h"
#include "tests/contract/TestFiles.h"

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
