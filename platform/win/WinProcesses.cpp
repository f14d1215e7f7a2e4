#include <windows.h>

#include "platform/win/WinProcesses.h"

#include "platform/PlatformError.h"
#include "platform/win/WinText.h"

#include <vector>

namespace ondrel::platform {

using win::toUtf8;
using win::toWide;

namespace {

HANDLE toHandle(ProcessHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// The program is exactly what the first token names, quotes removed, with
// ".exe" added when it has no extension. Left to itself, CreateProcessW would
// also try longer prefixes of an unquoted path with spaces and walk the
// search path.
std::wstring programOf(const std::wstring& commandLine) {
    std::wstring program;
    for (wchar_t c : commandLine.substr(0, win::programTokenEnd(commandLine))) {
        if (c != L'"')
            program += c;
    }
    const std::size_t nameStart = program.find_last_of(L"\\/:");
    const std::size_t dot = program.rfind(L'.');
    if (!program.empty() &&
        (dot == std::wstring::npos || (nameStart != std::wstring::npos && dot < nameStart)))
        program += L".exe";
    return program;
}

// Closes the handles it was given on every way out.
class InheritedHandles {
public:
    ~InheritedHandles() {
        for (HANDLE handle : m_handles)
            ::CloseHandle(handle);
    }
    HANDLE keep(HANDLE handle) {
        if (handle != INVALID_HANDLE_VALUE && handle != nullptr)
            m_handles.push_back(handle);
        return handle;
    }
    const std::vector<HANDLE>& all() const { return m_handles; }

private:
    std::vector<HANDLE> m_handles;
};

HANDLE openNullDevice(DWORD access) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The child writes where we write. A program without a console has no such
// handle; the converter's output is never read, so the null device takes it.
HANDLE inheritableCopyOf(DWORD which) {
    HANDLE own = GetStdHandle(which);
    HANDLE copy = nullptr;
    if (own != nullptr && own != INVALID_HANDLE_VALUE &&
        DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &copy, 0, TRUE,
                        DUPLICATE_SAME_ACCESS))
        return copy;
    return openNullDevice(GENERIC_WRITE);
}

} // namespace

WinProcesses::~WinProcesses() {
    // Closing the last handle of the job ends what still runs in it. The
    // services live as long as the program, so this is the program's end.
    if (m_job != nullptr)
        ::CloseHandle(static_cast<HANDLE>(m_job));
}

void* WinProcesses::job() {
    if (m_jobAsked)
        return m_job;
    m_jobAsked = true;
    // Never inherited: only this process holds it, so it closes exactly
    // when this process ends. A program started in it may start programs
    // of its own outside it (the adapter puts FFmpeg in a job of its own,
    // which ends with the adapter), so no job is ever nested in this one.
    HANDLE made = CreateJobObjectW(nullptr, nullptr);
    if (made == nullptr)
        return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_SILENT_BREAKAWAY_OK;
    if (!SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        ::CloseHandle(made);
        return nullptr;
    }
    m_job = made;
    return m_job;
}

std::int32_t WinProcesses::StartProcess(const std::string& commandLine, int windowStyle) {
    std::wstring wideCommandLine = toWide(commandLine);
    const std::wstring program = programOf(wideCommandLine);
    const std::string programText = toUtf8(program);

    InheritedHandles handles;
    HANDLE input = handles.keep(openNullDevice(GENERIC_READ));
    HANDLE output = handles.keep(inheritableCopyOf(STD_OUTPUT_HANDLE));
    HANDLE error = handles.keep(inheritableCopyOf(STD_ERROR_HANDLE));
    if (input == INVALID_HANDLE_VALUE || output == INVALID_HANDLE_VALUE ||
        error == INVALID_HANDLE_VALUE)
        win::throwLastError("StartProcess", programText);

    // Only these three handles go to the child, not whatever else of ours
    // happens to be inheritable.
    SIZE_T listSize = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &listSize);
    std::vector<unsigned char> listMemory(listSize);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(listMemory.data());
    if (!InitializeProcThreadAttributeList(attributes, 1, 0, &listSize))
        win::throwLastError("StartProcess", programText);
    std::vector<HANDLE> inherited = handles.all();
    const bool listed = UpdateProcThreadAttribute(
        attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited.data(),
        inherited.size() * sizeof(HANDLE), nullptr, nullptr);
    if (!listed) {
        const DWORD code = GetLastError();
        DeleteProcThreadAttributeList(attributes);
        win::throwError("StartProcess", programText, code);
    }

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.StartupInfo.wShowWindow = static_cast<WORD>(windowStyle);
    startup.StartupInfo.hStdInput = input;
    startup.StartupInfo.hStdOutput = output;
    startup.StartupInfo.hStdError = error;
    startup.lpAttributeList = attributes;

    // Suspended until it is in the job, so that not one instruction of it
    // runs outside.
    HANDLE ending = static_cast<HANDLE>(job());
    PROCESS_INFORMATION started{};
    const BOOL ok =
        CreateProcessW(program.c_str(), wideCommandLine.data(), nullptr, nullptr, TRUE,
                       EXTENDED_STARTUPINFO_PRESENT | (ending != nullptr ? CREATE_SUSPENDED : 0),
                       nullptr, nullptr, &startup.StartupInfo, &started);
    const DWORD code = GetLastError();
    DeleteProcThreadAttributeList(attributes);
    if (!ok)
        win::throwError("StartProcess", programText, code);
    if (ending != nullptr) {
        // Where the system refuses (this process in a job of its own that
        // allows no other), the program runs as it would have without one.
        AssignProcessToJobObject(ending, started.hProcess);
        ResumeThread(started.hThread);
    }
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
    return static_cast<std::int32_t>(started.dwProcessId);
}

ProcessHandle WinProcesses::OpenProcess(std::uint32_t desiredAccess, bool inheritHandle,
                                        std::int32_t processId) {
    HANDLE handle =
        ::OpenProcess(desiredAccess, inheritHandle ? TRUE : FALSE, static_cast<DWORD>(processId));
    return reinterpret_cast<ProcessHandle>(handle);
}

std::uint32_t WinProcesses::WaitForSingleObject(ProcessHandle handle, std::uint32_t milliseconds) {
    if (handle == 0)
        return kWaitFailed;
    return ::WaitForSingleObject(toHandle(handle), milliseconds);
}

bool WinProcesses::TerminateProcess(ProcessHandle handle, std::uint32_t exitCode) {
    return handle != 0 && ::TerminateProcess(toHandle(handle), exitCode) != FALSE;
}

bool WinProcesses::CloseHandle(ProcessHandle handle) {
    return handle != 0 && ::CloseHandle(toHandle(handle)) != FALSE;
}

} // namespace ondrel::platform
