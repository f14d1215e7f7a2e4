// The settings file is the program's own: one that cannot be read must not
// make every later save fail, nor give a value that was never stored.

#include "platform/PlatformError.h"
#include "platform/linux/LinuxSettingsStore.h"
#include "tests/contract/Check.h"
#include "tests/contract/Support_linux.h"
#include "tests/contract/TestFiles.h"

using namespace ondrel::platform;
using contract::TempFolder;

namespace {

const char kNoise[] = "\x00\x01\x02\xfe\xff\x00garbage\x7f";

// Contents that Qt's INI reader refuses: an unclosed section, binary noise,
// a byte-order mark it does not take.
const std::string kUnreadable[] = {
    "[Done\nKdh=1\n",
    std::string(kNoise, sizeof kNoise - 1),
    "\xff\xfe[Done]\nKdh=1\n",
};

} // namespace

CONTRACT_TEST(an_unreadable_settings_file_reads_as_nothing_stored) {
    TempFolder temp;
    const contract::ScopedVariable config("XDG_CONFIG_HOME", temp / "config");
    contract::makeFolder(temp / "config");
    for (const std::string& content : kUnreadable) {
        contract::writeFile(temp / "config/Zara.ini", content);
        LinuxSettingsStore settings;
        CHECK_EQ(settings.read("Zara", "Done", "Kdh", "default"), std::string("default"));
    }
}

CONTRACT_TEST(saving_replaces_an_unreadable_settings_file_with_the_value) {
    TempFolder temp;
    const contract::ScopedVariable config("XDG_CONFIG_HOME", temp / "config");
    contract::makeFolder(temp / "config");
    for (const std::string& content : kUnreadable) {
        contract::writeFile(temp / "config/Zara.ini", content);
        LinuxSettingsStore settings;
        try {
            settings.write("Zara", "Done", "Kdh", "1");
        } catch (const PlatformError& error) {
            contract::reportFailure(__FILE__, __LINE__, error.what());
        }
        CHECK_EQ(contract::readFile(temp / "config/Zara.ini"), std::string("[Done]\nKdh=1\n"));
        CHECK_EQ(LinuxSettingsStore().read("Zara", "Done", "Kdh", ""), std::string("1"));
        // Nothing of the repair is left beside it.
        CHECK(contract::folderEntries(temp / "config") == std::vector<std::string>{"Zara.ini"});
        // And the next close saves without a word.
        LinuxSettingsStore().write("Zara", "Done", "Kdh", "2");
        CHECK_EQ(LinuxSettingsStore().read("Zara", "Done", "Kdh", ""), std::string("2"));
    }
}

CONTRACT_TEST(a_repair_keeps_a_value_that_needs_escaping_whole) {
    TempFolder temp;
    const contract::ScopedVariable config("XDG_CONFIG_HOME", temp / "config");
    contract::makeFolder(temp / "config");
    // Written as it stands, the line break would leave "1" as the value and
    // a line Qt cannot parse after it.
    const std::string value = "1.a1\n\x02\x7f";
    contract::writeFile(temp / "config/Zara.ini", std::string("\x0f\0\0", 3));
    LinuxSettingsStore().write("Zara", "Done", "Kdh", value);
    CHECK_EQ(LinuxSettingsStore().read("Zara", "Done", "Kdh", "default"), value);
    CHECK(contract::folderEntries(temp / "config") == std::vector<std::string>{"Zara.ini"});
}

CONTRACT_TEST(a_settings_folder_that_cannot_be_written_stays_an_error_with_the_reason) {
    TempFolder temp;
    contract::writeFile(temp / "not a folder", "");
    const contract::ScopedVariable config("XDG_CONFIG_HOME", temp / "not a folder/config");
    try {
        LinuxSettingsStore().write("Zara", "Done", "Kdh", "2");
        contract::reportFailure(__FILE__, __LINE__, "stored below a file");
    } catch (const PlatformError& error) {
        CHECK_EQ(error.operation(), std::string("SaveSetting"));
        CHECK_EQ(error.path(), temp / "not a folder/config/Zara.ini");
        // The system's reason, which the message box shows the user.
        CHECK_EQ(error.reason(), std::string("Not a directory"));
    }
    CHECK_EQ(contract::readFile(temp / "not a folder"), std::string());
}
