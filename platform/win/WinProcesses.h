#pragma once

#include "platform/Processes.h"

namespace ondrel::platform {

// Processes through kernel32; a ProcessHandle is the HANDLE value itself.
// Every program started here runs in a job that ends it when this process
// ends, however it ends (Task Manager, taskkill /F): a converter never goes on
// writing into TEMP for an Ondrel that is gone.
class WinProcesses final : public Processes {
public:
    WinProcesses() = default;
    ~WinProcesses() override;
    WinProcesses(const WinProcesses&) = delete;
    WinProcesses& operator=(const WinProcesses&) = delete;

    std::int32_t StartProcess(const std::string& commandLine, int windowStyle) override;
    ProcessHandle OpenProcess(std::uint32_t desiredAccess, bool inheritHandle,
                              std::int32_t processId) override;
    std::uint32_t WaitForSingleObject(ProcessHandle handle, std::uint32_t milliseconds) override;
    bool TerminateProcess(ProcessHandle handle, std::uint32_t exitCode) override;
    bool CloseHandle(ProcessHandle handle) override;

private:
    // The job, made at the first start; nullptr when the system gave none.
    void* job();

    void* m_job = nullptr;
    bool m_jobAsked = false;
};

} // namespace ondrel::platform
