#include "platform/linux/LinuxProcesses.h"

#include "platform/CommandLine.h"
#include "platform/linux/Errno.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <vector>

extern char** environ;

namespace ondrel::platform {

namespace {

constexpr std::uint32_t kInfinite = 0xFFFFFFFF;
#ifndef P_PIDFD
constexpr idtype_t P_PIDFD = static_cast<idtype_t>(3);
#endif

int pidfdOpen(pid_t pid) {
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0U));
}

int pidfdKill(int pidfd) {
    return static_cast<int>(::syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0U));
}

// True once the process has ended, waiting at most the time given (-1: no limit).
bool waitEnded(int pidfd, std::uint32_t milliseconds) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        int timeout = -1;
        if (milliseconds != kInfinite) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            timeout = static_cast<int>(
                std::max<std::int64_t>(0, std::min<std::int64_t>(left.count(), 1 << 30)));
        }
        pollfd entry{pidfd, POLLIN, 0};
        const int ready = ::poll(&entry, 1, timeout);
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready == 0 && milliseconds != kInfinite && Clock::now() >= deadline)
            return false;
    }
}

// An ended child of ours would stay a zombie until waited for. Another
// program's process is not ours to reap (ECHILD).
void reap(int pidfd) {
    siginfo_t info{};
    ::waitid(P_PIDFD, static_cast<id_t>(pidfd), &info, WEXITED | WNOHANG);
}

} // namespace

LinuxProcesses::~LinuxProcesses() {
    for (const auto& [handle, opened] : m_handles)
        ::close(opened.pidfd);
}

std::int32_t LinuxProcesses::StartProcess(const std::string& commandLine, int /*windowStyle*/) {
    std::vector<std::string> arguments = splitCommandLine(commandLine);
    if (arguments.empty() || arguments.front().empty())
        throw PlatformError("StartProcess", commandLine, "the command line names no program");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // Standard input from the null device: a converter that asks a question
    // reads end-of-file instead of waiting for an answer no one can give.
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    // The child starts with default signal handling and nothing blocked, whatever
    // this process has set up for itself.
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    ::posix_spawnattr_setsigdefault(&attributes, &all);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    // glibc reports a failed exec (missing file, no permission) as the result.
    const int error =
        ::posix_spawn(&pid, argv.front(), &actions, &attributes, argv.data(), environ);
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        throwErrno("StartProcess", arguments.front(), error);
    return static_cast<std::int32_t>(pid);
}

ProcessHandle LinuxProcesses::OpenProcess(std::uint32_t desiredAccess, bool /*inheritHandle*/,
                                          std::int32_t processId) {
    if (processId <= 0)
        return 0;
    const int pidfd = pidfdOpen(static_cast<pid_t>(processId));
    if (pidfd < 0)
        return 0;
    const ProcessHandle handle = static_cast<ProcessHandle>(pidfd) + 1;
    m_handles[handle] = Opened{pidfd, desiredAccess};
    return handle;
}

std::uint32_t LinuxProcesses::WaitForSingleObject(ProcessHandle handle,
                                                  std::uint32_t milliseconds) {
    const Opened* opened = find(handle);
    if (opened == nullptr || (opened->access & kSynchronize) == 0)
        return kWaitFailed;
    if (!waitEnded(opened->pidfd, milliseconds))
        return kWaitTimeout;
    reap(opened->pidfd);
    return kWaitObject0;
}

bool LinuxProcesses::TerminateProcess(ProcessHandle handle, std::uint32_t /*exitCode*/) {
    const Opened* opened = find(handle);
    if (opened == nullptr || (opened->access & kProcessTerminate) == 0)
        return false;
    if (pidfdKill(opened->pidfd) != 0)
        return false;
    // SIGKILL takes effect within moments; reap then so that no zombie remains
    // even when nobody waits on the handle afterwards.
    if (waitEnded(opened->pidfd, 2000))
        reap(opened->pidfd);
    return true;
}

bool LinuxProcesses::CloseHandle(ProcessHandle handle) {
    const auto found = m_handles.find(handle);
    if (found == m_handles.end())
        return false;
    ::close(found->second.pidfd);
    m_handles.erase(found);
    return true;
}

const LinuxProcesses::Opened* LinuxProcesses::find(ProcessHandle handle) const {
    const auto found = m_handles.find(handle);
    return found == m_handles.end() ? nullptr : &found->second;
}

} // namespace ondrel::platform
