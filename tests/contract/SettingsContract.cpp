// The per-user settings store. On POSIX the tests' own home keeps the user's
// real settings out of reach; the registry on Windows has no such redirection,
// so every run uses an application name of its own and never touches "Zara".

#include "platform/SettingsStore.h"
#include "tests/contract/Check.h"
#include "tests/contract/TestFiles.h"

#include <chrono>
#include <random>

using namespace ondrel::platform;

namespace {

std::string applicationOfThisRun() {
    std::random_device random;
    const auto now = std::chrono::system_clock::now().time_since_epoch().count();
    return "Ondrel contract test " + std::to_string(now) + "-" + std::to_string(random());
}

} // namespace

CONTRACT_TEST(settings_are_read_back_by_a_later_run) {
    const std::string application = applicationOfThisRun();
    {
        auto native = contract::nativeServices();
        SettingsStore& settings = native.services().settings;
        CHECK_EQ(settings.read(application, "Done", "Kdh", ""), std::string());
        CHECK_EQ(settings.read(application, "Done", "Kdh", "default"), std::string("default"));
        settings.write(application, "Done", "Kdh", "2");
        CHECK_EQ(settings.read(application, "Done", "Kdh", ""), std::string("2"));
        settings.write(application, "Done", "Kdh", "1");
        settings.write(application, "Other", "Kdh", "two words = 1; #2");
    }
    auto later = contract::nativeServices();
    SettingsStore& settings = later.services().settings;
    CHECK_EQ(settings.read(application, "Done", "Kdh", ""), std::string("1"));
    CHECK_EQ(settings.read(application, "Other", "Kdh", ""), std::string("two words = 1; #2"));
    CHECK_EQ(settings.read(application, "Done", "Missing", "none"), std::string("none"));
    CHECK_EQ(settings.read("Other application", "Done", "Kdh", "none"), std::string("none"));
}
