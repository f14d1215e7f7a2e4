#pragma once

#include "platform/Processes.h"

#include <map>

namespace ondrel::platform {

// Processes on Linux. A handle is a pidfd: it stays bound to its process even
// when the id is reused, and polling it tells when the process has ended.
class LinuxProcesses : public Processes {
public:
    LinuxProcesses() = default;
    ~LinuxProcesses() override;
    LinuxProcesses(const LinuxProcesses&) = delete;
    LinuxProcesses& operator=(const LinuxProcesses&) = delete;

    // windowStyle has no meaning for a program without windows and is ignored.
    // The process is killed when this program ends in any way, SIGKILL
    // included; the kernel ties that to the calling thread, so call it from
    // one that lives as long as the program (the window's).
    std::int32_t StartProcess(const std::string& commandLine, int windowStyle) override;
    ProcessHandle OpenProcess(std::uint32_t desiredAccess, bool inheritHandle,
                              std::int32_t processId) override;
    std::uint32_t WaitForSingleObject(ProcessHandle handle, std::uint32_t milliseconds) override;
    // SIGKILL: a signal cannot carry the exit code.
    bool TerminateProcess(ProcessHandle handle, std::uint32_t exitCode) override;
    bool CloseHandle(ProcessHandle handle) override;

private:
    struct Opened {
        int pidfd;
        std::uint32_t access;
    };
    const Opened* find(ProcessHandle handle) const;

    std::map<ProcessHandle, Opened> m_handles;
};

} // namespace ondrel::platform
