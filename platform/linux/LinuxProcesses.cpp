#include "platform/linux/LinuxProcesses.h"

#include "platform/CommandLine.h"
#include "platform/linux/Errno.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
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

// In the new process, between fork and exec: only async-signal-safe calls,
// as the program's other threads may hold locks that no longer have an owner
// here. The converter
// - dies with the program: killed (SIGKILL from a desktop's "force quit", the
//   kernel's OOM killer) the program can run nothing, so the kernel is told to
//   end the converter then. The request goes with the thread that started the
//   converter, the window's thread, which lives as long as the program;
// - reads end-of-file at once: a converter that asks a question must not wait
//   for an answer no one can give;
// - starts with default signal handling and nothing blocked, whatever the
//   program has set up for itself.
[[noreturn]] void becomeConverter(char* const* argv, pid_t parent, int report) {
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        ::sigaction(signal, &byDefault, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The program may have died before the request above was in place; then
    // no one would ever end the converter.
    if (::getppid() != parent)
        ::_exit(127);
    const int nullInput = ::open("/dev/null", O_RDONLY);
    if (nullInput < 0 || ::dup2(nullInput, STDIN_FILENO) < 0) {
        const int error = errno;
        (void)!::write(report, &error, sizeof error);
        ::_exit(127);
    }
    if (nullInput != STDIN_FILENO)
        ::close(nullInput);
    ::execve(argv[0], argv, environ);
    const int error = errno;
    (void)!::write(report, &error, sizeof error);
    ::_exit(127);
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

    // A failed exec (missing file, no permission) comes back through this pipe;
    // its write end closes on a successful one.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        throwErrno("StartProcess", arguments.front(), errno);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        throwErrno("StartProcess", arguments.front(), error);
    }
    if (pid == 0)
        becomeConverter(argv.data(), parent, report[1]);

    ::close(report[1]);
    int error = 0;
    ssize_t got;
    do
        got = ::read(report[0], &error, sizeof error);
    while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        ::waitpid(pid, nullptr, 0);
        throwErrno("StartProcess", arguments.front(), error);
    }
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
