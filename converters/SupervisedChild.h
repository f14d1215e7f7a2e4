#pragma once

#include <csignal>
#include <string>
#include <vector>

namespace ondrel::converters {

// Runs one child program and ties its life to ours. Whoever started us may
// end us with SIGKILL (closing the program's window does), and nothing can be
// run then, so the child is told by the kernel to die with us; the polite
// signals (SIGTERM, SIGINT, SIGHUP, SIGQUIT) are passed on to it instead, and
// the caller learns that the run was interrupted.
//
// Those signals are held back from the moment of construction, so that the
// caller can create what an interruption must clean up without a window in
// which a signal would end us before the child exists.
class SupervisedChild {
public:
    struct Outcome {
        int exitCode = 0;      // the child's exit code, or 128 + its signal
        int interruptedBy = 0; // the signal that was passed on, 0 when none
    };

    SupervisedChild();
    ~SupervisedChild();
    SupervisedChild(const SupervisedChild&) = delete;
    SupervisedChild& operator=(const SupervisedChild&) = delete;

    // Starts program with arguments (argument 0 included), standard input from
    // /dev/null, and waits for it to end. Throws std::system_error when it
    // cannot be started.
    Outcome run(const std::string& program, const std::vector<std::string>& arguments);

private:
    sigset_t m_handled;
    sigset_t m_previousMask;
};

} // namespace ondrel::converters
