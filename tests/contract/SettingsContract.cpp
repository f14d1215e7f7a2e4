// The per-user settings store. The tests' own home keeps the user's real
// settings out of reach.

#include "platform/SettingsStore.h"
#include "tests/contract/Check.h"
#include "tests/contract/TestFiles.h"

using namespace ondrel::platform;

CONTRACT_TEST(settings_are_read_back_by_a_later_run) {
    {
        auto native = contract::nativeServices();
        SettingsStore& settings = native.services().settings;
        CHECK_EQ(settings.read("Zara", "Done", "Kdh", ""), std::string());
        CHECK_EQ(settings.read("Zara", "Done", "Kdh", "default"), std::string("default"));
        settings.write("Zara", "Done", "Kdh", "2");
        CHECK_EQ(settings.read("Zara", "Done", "Kdh", ""), std::string("2"));
        settings.write("Zara", "Done", "Kdh", "1");
        settings.write("Zara", "Other", "Kdh", "two words = 1; #2");
    }
    auto later = contract::nativeServices();
    SettingsStore& settings = later.services().settings;
    CHECK_EQ(settings.read("Zara", "Done", "Kdh", ""), std::string("1"));
    CHECK_EQ(settings.read("Zara", "Other", "Kdh", ""), std::string("two words = 1; #2"));
    CHECK_EQ(settings.read("Zara", "Done", "Missing", "none"), std::string("none"));
    CHECK_EQ(settings.read("Other application", "Done", "Kdh", "none"), std::string("none"));
}
