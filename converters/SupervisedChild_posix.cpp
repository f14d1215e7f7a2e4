#include "converters/SupervisedChild.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <system_error>

namespace ondrel::converters {

struct SupervisedChild::State {
    sigset_t handled;
    sigset_t previousMask;
};

namespace {

constexpr int kForwardedSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

// In the child between fork and exec: only async-signal-safe calls, and a
// failure is reported through the pipe whose write end closes on exec.
[[noreturn]] void becomeChild(const std::string& program, char* const* argv, pid_t parent,
                              const sigset_t& mask, int reportPipe) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The parent may have died before the request above was in place.
    if (::getppid() != parent)
        ::_exit(127);
    const int nullInput = ::open("/dev/null", O_RDONLY);
    if (nullInput < 0 || ::dup2(nullInput, STDIN_FILENO) < 0) {
        const int error = errno;
        (void)!::write(reportPipe, &error, sizeof error);
        ::_exit(127);
    }
    if (nullInput != STDIN_FILENO)
        ::close(nullInput);
    ::sigprocmask(SIG_SETMASK, &mask, nullptr);
    ::execv(program.c_str(), argv);
    const int error = errno;
    (void)!::write(reportPipe, &error, sizeof error);
    ::_exit(127);
}

int exitCodeOf(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return 1;
}

} // namespace

SupervisedChild::SupervisedChild() : m_state(std::make_unique<State>()) {
    sigemptyset(&m_state->handled);
    for (const int signal : kForwardedSignals) {
        // A signal our starter chose to ignore (nohup) stays ignored.
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN)
            sigaddset(&m_state->handled, signal);
    }
    // An inherited SIG_IGN would have the kernel reap the child before we see it.
    ::signal(SIGCHLD, SIG_DFL);
    sigaddset(&m_state->handled, SIGCHLD);
    ::sigprocmask(SIG_BLOCK, &m_state->handled, &m_state->previousMask);
}

SupervisedChild::~SupervisedChild() {
    // Signals that arrived after the child ended were meant for us: drop them
    // rather than let them end the process while the caller tidies up.
    const timespec noWait{0, 0};
    while (::sigtimedwait(&m_state->handled, nullptr, &noWait) > 0) {
    }
    ::sigprocmask(SIG_SETMASK, &m_state->previousMask, nullptr);
}

SupervisedChild::Outcome SupervisedChild::run(const std::string& program,
                                              const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    int reportPipe[2];
    if (::pipe2(reportPipe, O_CLOEXEC) != 0)
        throw std::system_error(errno, std::generic_category(), "cannot start " + program);

    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(reportPipe[0]);
        ::close(reportPipe[1]);
        throw std::system_error(error, std::generic_category(), "cannot start " + program);
    }
    if (child == 0)
        becomeChild(program, argv.data(), parent, m_state->previousMask, reportPipe[1]);

    ::close(reportPipe[1]);
    int startError = 0;
    ssize_t got;
    do
        got = ::read(reportPipe[0], &startError, sizeof startError);
    while (got < 0 && errno == EINTR);
    ::close(reportPipe[0]);

    Outcome outcome;
    int status = 0;
    for (;;) {
        siginfo_t info{};
        const int signal = ::sigwaitinfo(&m_state->handled, &info);
        if (signal < 0)
            continue; // EINTR from a signal outside the set
        if (signal != SIGCHLD) {
            outcome.interruptedBy = signal;
            ::kill(child, signal);
            continue;
        }
        const pid_t ended = ::waitpid(child, &status, WNOHANG);
        if (ended == child)
            break;
    }
    if (got == static_cast<ssize_t>(sizeof startError))
        throw std::system_error(startError, std::generic_category(), "cannot start " + program);
    outcome.exitCode = exitCodeOf(status);
    return outcome;
}

} // namespace ondrel::converters
