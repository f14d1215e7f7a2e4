#include "tests/contract/Check.h"

#include <cstring>

namespace contract {

namespace {
bool g_failed = false;
bool g_skipped = false;

struct Skipped {};
} // namespace

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
    std::cout << passed << " passed, " << failed << " failed";
    if (skipped > 0)
        std::cout << ", " << skipped << " skipped";
    std::cout << std::endl;
    return failed == 0 ? 0 : 1;
}
