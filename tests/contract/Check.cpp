#include "tests/contract/Check.h"

#include <cstring>
#include <map>

namespace contract {

namespace {
bool g_failed = false;
bool g_skipped = false;
int g_argc = 0;
char** g_argv = nullptr;

struct Skipped {};

std::map<std::string, ChildBody>& childModes() {
    static std::map<std::string, ChildBody> modes;
    return modes;
}

struct Hook {
    std::function<void()> setUp;
    std::function<void()> tearDown;
};

std::vector<Hook>& hooks() {
    static std::vector<Hook> all;
    return all;
}

int runChild(int argc, char** argv) {
    const auto mode = childModes().find(argv[2]);
    if (mode == childModes().end()) {
        std::cerr << "no child mode " << argv[2] << std::endl;
        return 125;
    }
    return mode->second(std::vector<std::string>(argv + 3, argv + argc));
}
} // namespace

ChildMode::ChildMode(const char* name, ChildBody body) {
    childModes()[name] = std::move(body);
}

RunHook::RunHook(std::function<void()> setUp, std::function<void()> tearDown) {
    hooks().push_back({std::move(setUp), std::move(tearDown)});
}

int runnerArgc() {
    return g_argc;
}

char** runnerArgv() {
    return g_argv;
}

std::string runnerFileName() {
    const std::string path = g_argc > 0 ? g_argv[0] : "";
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::vector<TestCase>& registry() {
    static std::vector<TestCase> tests;
    return tests;
}

void reportFailure(const char* file, int line, const std::string& message) {
    g_failed = true;
    std::cout << "  FAIL " << file << ":" << line << ": " << message << std::endl;
}

void skip(const std::string& reason) {
    std::cout << "  skipped: " << reason << std::endl;
    throw Skipped{};
}

} // namespace contract

// Runs every registered test, or those whose name contains argv[1].
int main(int argc, char** argv) {
    contract::g_argc = argc;
    contract::g_argv = argv;
    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0)
        return contract::runChild(argc, argv);
    for (const auto& hook : contract::hooks())
        hook.setUp();
    int passed = 0, failed = 0, skipped = 0;
    for (const auto& test : contract::registry()) {
        if (argc > 1 && std::strstr(test.name, argv[1]) == nullptr)
            continue;
        std::cout << test.name << std::endl;
        contract::g_failed = false;
        contract::g_skipped = false;
        try {
            test.body();
        } catch (const contract::Skipped&) {
            contract::g_skipped = true;
        } catch (const std::exception& e) {
            contract::reportFailure(test.name, 0, std::string("unexpected exception: ") + e.what());
        } catch (...) {
            contract::reportFailure(test.name, 0, "unexpected exception");
        }
        if (contract::g_failed)
            ++failed;
        else if (contract::g_skipped)
            ++skipped;
        else
            ++passed;
    }
    for (auto hook = contract::hooks().rbegin(); hook != contract::hooks().rend(); ++hook)
        hook->tearDown();
    std::cout << passed << " passed, " << failed << " failed";
    if (skipped > 0)
        std::cout << ", " << skipped << " skipped";
    std::cout << std::endl;
    return failed == 0 ? 0 : 1;
}
