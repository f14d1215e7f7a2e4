#pragma once

#include <memory>
#include <string>
#include <vector>

namespace ondrel::converters {

// Runs one child program and ties its life to ours.
//
// On Linux: whoever started us may
// end us with SIGKILL (closing the program's window does), and nothing can be
// run then, so the child is told by the kernel to die with us; the polite
// signals (SIGTERM, SIGINT, SIGHUP, SIGQUIT) are passed on to it instead, and
// the caller learns that the run was interrupted.
//
// Those signals are held back from the moment of construction, so that the
// caller can create what an interruption must clean up without a window in
// which a signal would end us before the child exists.
//
// On Windows: the child runs without a window, inside a job object that
// kills it when our last handle to the job goes, which is when we end in any
// way (TerminateProcess included).
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
    // the null device, and waits for it to end. Throws std::runtime_error (std::system_error on
    // POSIX) when it cannot be started.
    Outcome run(const std::string& program, const std::vector<std::string>& arguments);

private:
    struct State; // what the OS needs held from construction to the end
    std::unique_ptr<State> m_state;
};

} // namespace ondrel::converters
