#include "converters/SupervisedChild.h"

#include "converters/WideText_win.h"

#include <stdexcept>

namespace ondrel::converters {

using win::describeError;
using win::toWide;

namespace {

std::runtime_error failure(const std::string& what, DWORD error) {
    return std::runtime_error(what + ": " + describeError(error));
}

// One argument as the C runtime splits it again: quoted when it holds white
// space or a quote (or is empty), backslashes doubled only where they come
// before a quote, which is the one place they mean something.
std::wstring quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return argument;
    std::wstring text = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t character : argument) {
        if (character == L'\\') {
            ++backslashes;
            continue;
        }
        if (character == L'"')
            text.append(backslashes * 2 + 1, L'\\');
        else
            text.append(backslashes, L'\\');
        backslashes = 0;
        text += character;
    }
    text.append(backslashes * 2, L'\\');
    text += L'"';
    return text;
}

// The program's own token is read without escapes, up to the next quote; a
// Windows path holds none, so plain quotes carry it whole.
std::wstring commandLine(const std::vector<std::string>& arguments) {
    std::wstring line;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::wstring argument = toWide(arguments[index]);
        if (index > 0)
            line += L' ';
        line += index == 0 ? L"\"" + argument + L"\"" : quoted(argument);
    }
    return line;
}

// An inheritable copy of one of our standard handles, or null when we have none.
HANDLE inheritableCopy(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    HANDLE copy = nullptr;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

void closeIfOpen(HANDLE handle) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
}

} // namespace

struct SupervisedChild::State {
    // Never inherited and never closed before we end: its last handle going
    // is what kills the child.
    HANDLE job = nullptr;
};

SupervisedChild::SupervisedChild() : m_state(std::make_unique<State>()) {
    m_state->job = CreateJobObjectW(nullptr, nullptr);
    if (m_state->job == nullptr)
        throw failure("cannot create a job object", GetLastError());
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(m_state->job, JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits)) {
        const DWORD error = GetLastError();
        CloseHandle(m_state->job);
        throw failure("cannot set up a job object", error);
    }
}

SupervisedChild::~SupervisedChild() {
    // Closing the job ends a child that is somehow still running.
    CloseHandle(m_state->job);
}

SupervisedChild::Outcome SupervisedChild::run(const std::string& program,
                                              const std::vector<std::string>& arguments) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE nullInput = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         &inherited, OPEN_EXISTING, 0, nullptr);
    if (nullInput == INVALID_HANDLE_VALUE)
        throw failure("cannot open NUL", GetLastError());
    const HANDLE output = inheritableCopy(STD_OUTPUT_HANDLE);
    const HANDLE errors = inheritableCopy(STD_ERROR_HANDLE);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullInput;
    startup.hStdOutput = output;
    startup.hStdError = errors;
    std::wstring line = commandLine(arguments);
    PROCESS_INFORMATION process{};
    // Suspended until it is in the job, so not one instruction runs outside it.
    const BOOL started =
        CreateProcessW(toWide(program).c_str(), line.data(), nullptr, nullptr, TRUE,
                       CREATE_NO_WINDOW | CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT, nullptr,
                       nullptr, &startup, &process);
    const DWORD startError = GetLastError();
    closeIfOpen(nullInput);
    closeIfOpen(output);
    closeIfOpen(errors);
    if (!started)
        throw failure("cannot start " + program, startError);

    if (!AssignProcessToJobObject(m_state->job, process.hProcess)) {
        const DWORD error = GetLastError();
        TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        throw failure("cannot tie " + program + " to this program's life", error);
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);

    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    Outcome outcome;
    outcome.exitCode = static_cast<int>(exitCode);
    return outcome;
}

} // namespace ondrel::converters
