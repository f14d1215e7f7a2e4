#pragma once

#include "platform/Processes.h"

namespace ondrel::platform {

// Processes through kernel32; a ProcessHandle is the HANDLE value itself.
class WinProcesses final : public Processes {
public:
    std::int32_t StartProcess(const std::string& commandLine, int windowStyle) override;
    ProcessHandle OpenProcess(std::uint32_t desiredAccess, bool inheritHandle,
                              std::int32_t processId) override;
    std::uint32_t WaitForSingleObject(ProcessHandle handle, std::uint32_t milliseconds) override;
    bool TerminateProcess(ProcessHandle handle, std::uint32_t exitCode) override;
    bool CloseHandle(ProcessHandle handle) override;
};

} // namespace ondrel::platform
