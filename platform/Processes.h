#pragma once

#include <cstdint>
#include <string>

namespace ondrel::platform {

// A handle to a process opened by id; 0 is no handle.
using ProcessHandle = std::intptr_t;

// Access rights and wait results with their kernel32 values.
inline constexpr std::uint32_t kSynchronize = 0x00100000;
inline constexpr std::uint32_t kProcessTerminate = 0x0001;
inline constexpr std::uint32_t kWaitObject0 = 0;
inline constexpr std::uint32_t kWaitTimeout = 258;
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFF;
// Window style of a converter: shown minimized, the focus stays where it is.
inline constexpr int kMinimizedNoFocus = 6;

// Starting, watching and stopping other programs, in kernel32's terms.
class Processes {
public:
    virtual ~Processes() = default;

    // Starts the program that the command line's first token names, directly
    // (no shell), with the rest split by the Windows quoting rules. Standard
    // input is the null device. Returns the new process's id; throws
    // PlatformError when it cannot be started.
    virtual std::int32_t StartProcess(const std::string& commandLine, int windowStyle) = 0;
    // A handle to the process, or 0 when it no longer exists or access is refused.
    virtual ProcessHandle OpenProcess(std::uint32_t desiredAccess, bool inheritHandle,
                                      std::int32_t processId) = 0;
    // kWaitObject0 when the process has ended (an ended child is reaped),
    // kWaitTimeout after the time-out, kWaitFailed on a bad handle.
    virtual std::uint32_t WaitForSingleObject(ProcessHandle handle, std::uint32_t milliseconds) = 0;
    // Ends the process at once. False when it fails.
    virtual bool TerminateProcess(ProcessHandle handle, std::uint32_t exitCode) = 0;
    virtual bool CloseHandle(ProcessHandle handle) = 0;
};

} // namespace ondrel::platform
