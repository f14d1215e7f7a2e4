// What a started converter sees on POSIX, that no zombie is left behind, and
// that a converter does not outlive the program.

#include "platform/NativeServices.h"
#include "platform/Processes.h"
#include "tests/contract/Check.h"
#include "tests/contract/TestFiles.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ondrel::platform;
using contract::TempFolder;

namespace {

bool processExists(std::int32_t id) {
    struct stat status {};
    return ::stat(("/proc/" + std::to_string(id)).c_str(), &status) == 0;
}

// Makes this process's standard input a pipe that never delivers anything, for
// as long as it lives: a child that inherited it would wait for ever.
class SilentStandardInput {
public:
    SilentStandardInput() {
        ::pipe(m_pipe);
        m_saved = ::dup(STDIN_FILENO);
        ::dup2(m_pipe[0], STDIN_FILENO);
    }
    ~SilentStandardInput() {
        ::dup2(m_saved, STDIN_FILENO);
        ::close(m_saved);
        ::close(m_pipe[0]);
        ::close(m_pipe[1]);
    }

private:
    int m_pipe[2] = {-1, -1};
    int m_saved = -1;
};

} // namespace

CONTRACT_TEST(a_converter_reads_end_of_input_at_once) {
    auto native = contract::nativeServices();
    Services services = native.services();
    TempFolder temp;
    const std::string answer = temp / "stdin.txt";
    std::int32_t id = 0;
    {
        SilentStandardInput silent;
        id = services.processes.StartProcess(
            contract::childCommandLine(services, {"read_input", answer}), kMinimizedNoFocus);
    }
    const ProcessHandle handle =
        services.processes.OpenProcess(kSynchronize | kProcessTerminate, false, id);
    const std::uint32_t result = contract::waitForEnd(services.processes, handle);
    CHECK_EQ(result, kWaitObject0);
    if (result != kWaitObject0)
        services.processes.TerminateProcess(handle, 0);
    services.processes.CloseHandle(handle);
    CHECK_EQ(contract::readFile(answer), std::string("end"));
}

CONTRACT_TEST(ended_children_are_reaped) {
    auto native = contract::nativeServices();
    Services services = native.services();
    Processes& processes = services.processes;

    const std::int32_t quick =
        processes.StartProcess(contract::childCommandLine(services, {"sleep", "0"}), 0);
    const ProcessHandle waited = processes.OpenProcess(kSynchronize, false, quick);
    CHECK_EQ(contract::waitForEnd(processes, waited), kWaitObject0);
    processes.CloseHandle(waited);
    CHECK(!processExists(quick));
    // Once reaped, the id names no process any more.
    CHECK_EQ(processes.OpenProcess(kSynchronize, false, quick), ProcessHandle(0));

    // Terminated and never waited for: still no zombie.
    const std::int32_t slow =
        processes.StartProcess(contract::childCommandLine(services, {"sleep", "60000"}), 0);
    const ProcessHandle killer =
        processes.OpenProcess(kProcessTerminate | kSynchronize, false, slow);
    CHECK(processes.TerminateProcess(killer, 0));
    processes.CloseHandle(killer);
    CHECK(!processExists(slow));
}

namespace {

// Waits until the file holds something, at most a minute; its text, or "".
std::string awaitText(const std::string& path) {
    for (int poll = 0; poll < 3000; ++poll) {
        const std::string text = contract::readFile(path);
        if (!text.empty())
            return text;
        ::usleep(20000);
    }
    return {};
}

} // namespace

// start_and_hold FILE: starts a converter that would sleep for ten minutes,
// writes its id to FILE and waits to be killed, as the program does while a
// converter runs.
CONTRACT_CHILD(start_and_hold) {
    auto native = contract::nativeServices();
    Services services = native.services();
    const std::int32_t id = services.processes.StartProcess(
        contract::childCommandLine(services, {"sleep", "600000"}), kMinimizedNoFocus);
    const std::string part = arguments.at(0) + ".part";
    contract::writeFile(part, std::to_string(id));
    ::rename(part.c_str(), arguments.at(0).c_str());
    for (;;)
        ::pause();
}

// Killed, the program can end nothing: its converter must end with it.
CONTRACT_TEST(a_converter_dies_with_the_program_that_started_it) {
    auto native = contract::nativeServices();
    Services services = native.services();
    Processes& processes = services.processes;
    TempFolder temp;
    const std::string record = temp / "converter";

    const std::int32_t program =
        processes.StartProcess(contract::childCommandLine(services, {"start_and_hold", record}), 0);
    const ProcessHandle programHandle =
        processes.OpenProcess(kProcessTerminate | kSynchronize, false, program);
    const std::string converterId = awaitText(record);
    CHECK(!converterId.empty());
    const ProcessHandle converter =
        converterId.empty() ? 0
                            : processes.OpenProcess(kSynchronize, false, std::stoi(converterId));
    CHECK(converter != 0);

    CHECK(processes.TerminateProcess(programHandle, 0));
    processes.CloseHandle(programHandle);
    if (converter == 0)
        return;
    const std::uint32_t result = processes.WaitForSingleObject(converter, 60000);
    CHECK_EQ(result, kWaitObject0);
    processes.CloseHandle(converter);
    if (result != kWaitObject0)
        ::kill(std::stoi(converterId), SIGKILL);
}
