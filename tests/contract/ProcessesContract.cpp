// Starting, waiting for and ending programs, with the runner itself as the child.

#include "platform/Environment.h"
#include "platform/PathStyle.h"
#include "platform/PlatformError.h"
#include "platform/Processes.h"
#include "tests/contract/Check.h"
#include "tests/contract/TestFiles.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

using namespace ondrel::platform;
using contract::TempFolder;

namespace {

std::string joinedRecord(const std::vector<std::string>& values) {
    std::string record;
    for (const std::string& value : values)
        record += value + '\n';
    return record;
}

} // namespace

// sleep MILLISECONDS
CONTRACT_CHILD(sleep) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(arguments.at(0))));
    return 0;
}

// record FILE ARGS...: FILE receives every argument after it, one a line.
CONTRACT_CHILD(record) {
    std::ofstream out(arguments.at(0), std::ios::binary);
    out << joinedRecord(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
    return out ? 0 : 1;
}

// read_input FILE: FILE receives "end" when standard input ends at once, else "data".
CONTRACT_CHILD(read_input) {
    const int first = std::getchar();
    std::ofstream out(arguments.at(0), std::ios::binary);
    out << (first == EOF ? "end" : "data");
    return 0;
}

// start_and_hold FILE: as Ondrel starts a converter, starts a program that
// would sleep for ten minutes, puts its id into FILE, and waits to be killed.
CONTRACT_CHILD(start_and_hold) {
    auto native = contract::nativeServices();
    Services services = native.services();
    const std::int32_t id = services.processes.StartProcess(
        contract::childCommandLine(services, {"sleep", "600000"}), kMinimizedNoFocus);
    // Whole or not at all: the test reads it as soon as it is there.
    contract::writeFile(arguments.at(0) + ".part", std::to_string(id));
    std::rename((arguments.at(0) + ".part").c_str(), arguments.at(0).c_str());
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}

CONTRACT_TEST(a_started_program_gets_its_arguments_and_is_waited_for) {
    auto native = contract::nativeServices();
    Services services = native.services();
    Processes& processes = services.processes;
    TempFolder temp;
    const std::string record = temp / "arguments record.txt";

    const std::int32_t id = processes.StartProcess(
        contract::childCommandLine(services, {"record", record, "one", "two words", ""}),
        kMinimizedNoFocus);
    CHECK(id > 0);
    const ProcessHandle handle = processes.OpenProcess(kSynchronize, false, id);
    CHECK(handle != 0);
    CHECK_EQ(contract::waitForEnd(processes, handle), kWaitObject0);
    // An ended process stays ended for every later wait.
    CHECK_EQ(processes.WaitForSingleObject(handle, 0), kWaitObject0);
    CHECK(processes.CloseHandle(handle));
    CHECK_EQ(contract::readFile(record), std::string("one\ntwo words\n\n"));
}

CONTRACT_TEST(a_running_program_times_out_and_is_terminated) {
    auto native = contract::nativeServices();
    Services services = native.services();
    Processes& processes = services.processes;

    const std::int32_t id = processes.StartProcess(
        contract::childCommandLine(services, {"sleep", "60000"}), kMinimizedNoFocus);
    const ProcessHandle waiter = processes.OpenProcess(kSynchronize, false, id);
    CHECK(waiter != 0);
    CHECK_EQ(processes.WaitForSingleObject(waiter, 100), kWaitTimeout);
    CHECK_EQ(processes.WaitForSingleObject(waiter, 0), kWaitTimeout);

    // A handle without the right to terminate cannot end the process.
    CHECK(!processes.TerminateProcess(waiter, 0));
    CHECK_EQ(processes.WaitForSingleObject(waiter, 100), kWaitTimeout);

    const ProcessHandle killer = processes.OpenProcess(kProcessTerminate | kSynchronize, false, id);
    CHECK(killer != 0);
    CHECK(processes.TerminateProcess(killer, 0));
    CHECK_EQ(contract::waitForEnd(processes, killer), kWaitObject0);
    CHECK_EQ(contract::waitForEnd(processes, waiter), kWaitObject0);
    CHECK(processes.CloseHandle(killer));
    CHECK(processes.CloseHandle(waiter));
}

// Ondrel killed outright (kill -9, Task Manager, taskkill /F) runs no code of
// its own on the way out: the converter it started must end with it all the
// same, not go on writing into TEMP for nobody.
CONTRACT_TEST(a_started_program_ends_with_the_process_that_started_it) {
    auto native = contract::nativeServices();
    Services services = native.services();
    Processes& processes = services.processes;
    TempFolder temp;
    const std::string record = temp / "started.txt";

    const std::int32_t holder = processes.StartProcess(
        contract::childCommandLine(services, {"start_and_hold", record}), kMinimizedNoFocus);
    const ProcessHandle killer =
        processes.OpenProcess(kProcessTerminate | kSynchronize, false, holder);
    CHECK(killer != 0);
    std::string started;
    for (int poll = 0; poll < 1200 && started.empty(); ++poll) {
        started = contract::readFile(record);
        if (started.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    CHECK(!started.empty());
    if (started.empty())
        return;
    const std::int32_t converter = std::stoi(started);
    const ProcessHandle waiter =
        processes.OpenProcess(kProcessTerminate | kSynchronize, false, converter);
    CHECK(waiter != 0);
    CHECK_EQ(processes.WaitForSingleObject(waiter, 0), kWaitTimeout);

    CHECK(processes.TerminateProcess(killer, 1));
    CHECK_EQ(contract::waitForEnd(processes, killer), kWaitObject0);
    const std::uint32_t ended = contract::waitForEnd(processes, waiter);
    CHECK_EQ(ended, kWaitObject0);
    if (ended != kWaitObject0)
        processes.TerminateProcess(waiter, 1);
    processes.CloseHandle(waiter);
    processes.CloseHandle(killer);
}

CONTRACT_TEST(processes_that_do_not_exist_and_bad_handles_fail_quietly) {
    auto native = contract::nativeServices();
    Processes& processes = native.services().processes;
    CHECK_EQ(processes.OpenProcess(kSynchronize, false, 0x7FFFFFF0), ProcessHandle(0));
    CHECK_EQ(processes.OpenProcess(kSynchronize | kProcessTerminate, false, -5), ProcessHandle(0));
    const ProcessHandle bogus = 0x5A5A5A;
    CHECK_EQ(processes.WaitForSingleObject(bogus, 100), kWaitFailed);
    CHECK(!processes.TerminateProcess(bogus, 0));
    CHECK(!processes.CloseHandle(bogus));
}

CONTRACT_TEST(a_program_that_cannot_be_started_is_an_error_naming_it) {
    auto native = contract::nativeServices();
    Processes& processes = native.services().processes;
    TempFolder temp;
    const std::string missing = temp / "no such converter.exe";
    try {
        processes.StartProcess("\"" + missing + "\" -i \"a.mp3\" \"b.mp4\"", kMinimizedNoFocus);
        contract::reportFailure(__FILE__, __LINE__, "a missing program was started");
    } catch (const PlatformError& error) {
        CHECK_EQ(error.operation(), std::string("StartProcess"));
        CHECK(std::string(error.what()).find(missing) != std::string::npos);
    }
    CHECK_THROWS(processes.StartProcess("", kMinimizedNoFocus));
}

CONTRACT_TEST(a_program_in_a_folder_with_spaces_is_started) {
    auto native = contract::nativeServices();
    Services services = native.services();
    TempFolder temp;
    const std::string folder = temp / "Program Files" + pathSeparator() + "On drel";
    contract::makeFolder(folder);
    const std::string copy = contract::joined(folder, contract::runnerFileName());
    contract::copyFile(contract::runnerPath(services), copy);
    const std::string record = temp / "record.txt";

    const std::int32_t id = services.processes.StartProcess(
        "\"" + copy + "\" --child record \"" + record + "\" \"x y\"", kMinimizedNoFocus);
    const ProcessHandle handle = services.processes.OpenProcess(kSynchronize, false, id);
    CHECK_EQ(contract::waitForEnd(services.processes, handle), kWaitObject0);
    services.processes.CloseHandle(handle);
    CHECK_EQ(contract::readFile(record), std::string("x y\n"));
}
