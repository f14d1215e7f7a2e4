// Where the settings live on POSIX, and a store that cannot be written.

#include "platform/PlatformError.h"
#include "platform/linux/LinuxSettingsStore.h"
#include "tests/contract/Check.h"
#include "tests/contract/Support_linux.h"
#include "tests/contract/TestFiles.h"

using namespace ondrel::platform;
using contract::TempFolder;

CONTRACT_TEST(settings_are_an_ini_file_in_the_config_folder) {
    TempFolder temp;
    const contract::ScopedVariable config("XDG_CONFIG_HOME", temp / "config");
    LinuxSettingsStore settings;
    settings.write("Zara", "Done", "Kdh", "2");
    CHECK_EQ(LinuxSettingsStore::filePath("Zara"), temp / "config/Zara.ini");
    const std::string text = contract::readFile(temp / "config/Zara.ini");
    CHECK(text.find("[Done]") != std::string::npos);
    CHECK(text.find("Kdh=2") != std::string::npos);
}

CONTRACT_TEST(a_setting_that_cannot_be_stored_is_an_error) {
    TempFolder temp;
    contract::writeFile(temp / "not a folder", "");
    const contract::ScopedVariable config("XDG_CONFIG_HOME", temp / "not a folder/config");
    LinuxSettingsStore settings;
    try {
        settings.write("Zara", "Done", "Kdh", "2");
        contract::reportFailure(__FILE__, __LINE__, "stored below a file");
    } catch (const PlatformError& error) {
        CHECK_EQ(error.operation(), std::string("SaveSetting"));
        CHECK_EQ(error.path(), temp / "not a folder/config/Zara.ini");
    }
}
