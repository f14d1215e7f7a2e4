#pragma once

// A small test runner without Qt, so that the platform's contract tests run
// unchanged against the POSIX build and the Windows build under Wine.
//
//   CONTRACT_TEST(name) { CHECK(a == b); CHECK_EQ(x, y); CHECK_THROWS(expr); }
//   CONTRACT_CHILD(name) { ...; return exitCode; }   // contract_tests --child name args...
//
// The runner prints one line per failure and closes with
// "N passed, N failed" (and ", N skipped"); its exit code is non-zero on failure.

#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace contract {

struct TestCase {
    const char* name;
    std::function<void()> body;
};

std::vector<TestCase>& registry();
void reportFailure(const char* file, int line, const std::string& message);
// Marks the running test as skipped, with the reason printed.
void skip(const std::string& reason);

struct Registrar {
    Registrar(const char* name, std::function<void()> body) {
        registry().push_back({name, std::move(body)});
    }
};

// The runner doubles as the child program of the process tests:
// `contract_tests --child NAME ARGS...` runs the child mode NAME with ARGS and
// exits with its result, running no test.
using ChildBody = std::function<int(const std::vector<std::string>& arguments)>;
struct ChildMode {
    ChildMode(const char* name, ChildBody body);
};

// Run once before the first test and once after the last, not in a child: a
// private home for the tests, say.
struct RunHook {
    RunHook(std::function<void()> setUp, std::function<void()> tearDown);
};

// main()'s argc and argv, to build the platform's services from.
int runnerArgc();
char** runnerArgv();
// The runner's file name as it was started ("contract_tests", "contract_tests.exe").
std::string runnerFileName();

template <typename T> std::string show(const T& value) {
    std::ostringstream out;
    if constexpr (std::is_convertible_v<T, std::string>)
        out << '"' << std::string(value) << '"';
    else
        out << value;
    return out.str();
}

} // namespace contract

#define CONTRACT_CAT2(a, b) a##b
#define CONTRACT_CAT(a, b) CONTRACT_CAT2(a, b)
#define CONTRACT_TEST(name)                                                                        \
    static void name();                                                                            \
    static const contract::Registrar CONTRACT_CAT(registrar_, name){#name, &name};                 \
    static void name()

#define CONTRACT_CHILD(name)                                                                       \
    static int child_##name(const std::vector<std::string>& arguments);                            \
    static const contract::ChildMode CONTRACT_CAT(child_registrar_, name){#name, &child_##name};   \
    static int child_##name(const std::vector<std::string>& arguments)

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition))                                                                          \
            contract::reportFailure(__FILE__, __LINE__, "CHECK(" #condition ")");                  \
    } while (0)

#define CHECK_EQ(actual, expected)                                                                 \
    do {                                                                                           \
        const auto& contract_a = (actual);                                                         \
        const auto& contract_e = (expected);                                                       \
        if (!(contract_a == contract_e))                                                           \
            contract::reportFailure(__FILE__, __LINE__,                                            \
                                    #actual " == " #expected ": got " +                            \
                                        contract::show(contract_a) + ", expected " +               \
                                        contract::show(contract_e));                               \
    } while (0)

#define CHECK_THROWS(expression)                                                                   \
    do {                                                                                           \
        bool contract_threw = false;                                                               \
        try {                                                                                      \
            (void)(expression);                                                                    \
        } catch (...) {                                                                            \
            contract_threw = true;                                                                 \
        }                                                                                          \
        if (!contract_threw)                                                                       \
            contract::reportFailure(__FILE__, __LINE__, "no exception from " #expression);         \
    } while (0)
