#include <windows.h>

#include "tests/contract/Check.h"
#include "tests/contract/ScratchFolder_win.h"

#include "platform/NativeServices.h"
#include "platform/PlatformError.h"
#include "platform/Processes.h"
#include "platform/Services.h"
#include "platform/win/WinText.h"

#include <map>
#include <sstream>

using contract::win::ScratchFolder;
using ondrel::platform::kMinimizedNoFocus;
using ondrel::platform::kProcessTerminate;
using ondrel::platform::kSynchronize;
using ondrel::platform::kWaitObject0;
using ondrel::platform::kWaitTimeout;
using ondrel::platform::NativeServices;
using ondrel::platform::PlatformError;
using ondrel::platform::ProcessHandle;
using ondrel::platform::win::toUtf8;
using ondrel::platform::win::toWide;

namespace {

// Enough to read the exit code of a child that was opened for waiting.
constexpr std::uint32_t kQueryLimited = 0x1000;
// A guard against hanging the whole run if a child never ends; no test
// depends on how many polls are needed.
constexpr int kPollLimit = 600;

std::string runnerPath() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH + 1);
    return toUtf8(std::wstring(buffer, length));
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

DWORD exitCodeOf(ProcessHandle handle) {
    DWORD code = 12345;
    GetExitCodeProcess(reinterpret_cast<HANDLE>(handle), &code);
    return code;
}

// Polls as the converter wait does: 100 ms at a time until the end.
std::uint32_t pollUntilEnded(ondrel::platform::Processes& processes, ProcessHandle handle) {
    std::uint32_t result = kWaitTimeout;
    for (int poll = 0; poll < kPollLimit && result == kWaitTimeout; ++poll)
        result = processes.WaitForSingleObject(handle, 100);
    return result;
}

std::map<std::string, std::string> readReport(const std::string& path) {
    std::map<std::string, std::string> values;
    std::istringstream lines(ScratchFolder::readFile(path));
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

} // namespace

// A converter runs minimized while the window keeps polling it every 100 ms;
// only the end of the process ends the wait.
CONTRACT_TEST(win_started_program_is_waited_for_in_short_polls) {
    NativeServices native(0, nullptr);
    auto& processes = native.services().processes;
    ScratchFolder scratch;
    const std::string release = scratch / "release";
    const std::int32_t id = processes.StartProcess(
        quoted(runnerPath()) + " --child win_wait " + quoted(release) + " 7", kMinimizedNoFocus);
    CHECK(id != 0);

    const ProcessHandle handle = processes.OpenProcess(kSynchronize | kQueryLimited, false, id);
    CHECK(handle != 0);
    // The child cannot end before the file exists.
    CHECK_EQ(processes.WaitForSingleObject(handle, 100), kWaitTimeout);
    CHECK_EQ(processes.WaitForSingleObject(handle, 100), kWaitTimeout);
    ScratchFolder::writeFile(release, "go");
    CHECK_EQ(pollUntilEnded(processes, handle), kWaitObject0);
    CHECK_EQ(exitCodeOf(handle), DWORD{7});
    CHECK(processes.CloseHandle(handle));

    // Once it has ended, its id gives no handle, or one that is already
    // signalled: a wait for it returns at once either way.
    const ProcessHandle again = processes.OpenProcess(kSynchronize, false, id);
    if (again != 0) {
        CHECK_EQ(processes.WaitForSingleObject(again, 0), kWaitObject0);
        processes.CloseHandle(again);
    }
}

// Closing the window during a conversion ends the converter with exit code 0.
CONTRACT_TEST(win_terminated_program_ends_with_the_given_code) {
    NativeServices native(0, nullptr);
    auto& processes = native.services().processes;
    ScratchFolder scratch;
    const std::int32_t id = processes.StartProcess(quoted(runnerPath()) + " --child win_wait " +
                                                       quoted(scratch / "never written") + " 9",
                                                   kMinimizedNoFocus);
    const ProcessHandle handle =
        processes.OpenProcess(kProcessTerminate | kSynchronize | kQueryLimited, false, id);
    CHECK(handle != 0);
    if (handle == 0)
        return;
    CHECK_EQ(processes.WaitForSingleObject(handle, 100), kWaitTimeout);
    CHECK(processes.TerminateProcess(handle, 0));
    CHECK_EQ(pollUntilEnded(processes, handle), kWaitObject0);
    CHECK_EQ(exitCodeOf(handle), DWORD{0});
    CHECK(processes.CloseHandle(handle));
}

// What the child finds: minimized without focus, the null device as input,
// its arguments exactly as written after the program, and its own folder.
CONTRACT_TEST(win_started_program_sees_its_window_style_input_and_arguments) {
    NativeServices native(0, nullptr);
    auto& processes = native.services().processes;
    ScratchFolder scratch;
    // The runner copied into a folder whose name has spaces, like
    // "Program Files": the quoted path must reach exactly that program.
    const std::string folder = scratch / "Program Files";
    CreateDirectoryW(toWide(folder).c_str(), nullptr);
    const std::string program = folder + "\\ffmpeg.exe";
    CHECK(CopyFileW(toWide(runnerPath()).c_str(), toWide(program).c_str(), FALSE) != FALSE);
    const std::string report = scratch / "report.txt";
    const std::string arguments = "--child win_report " + quoted(report) +
                                  " -vn -i \"C:\\My Music\\a.mp3\"  \"out file.mp4\"";

    const std::int32_t id =
        processes.StartProcess(quoted(program) + "  " + arguments, kMinimizedNoFocus);
    const ProcessHandle handle = processes.OpenProcess(kSynchronize, false, id);
    CHECK(handle != 0);
    CHECK_EQ(pollUntilEnded(processes, handle), kWaitObject0);
    processes.CloseHandle(handle);

    auto values = readReport(report);
    CHECK_EQ(values["showWindow"], std::to_string(kMinimizedNoFocus));
    CHECK_EQ(values["useShowWindow"], std::string("1"));
    CHECK_EQ(values["stdin"], std::string("char-eof"));
    CHECK_EQ(values["arguments"], arguments);
    CHECK_EQ(values["programFolder"], folder);
}

// Unquoted program path, a tab after it: the arguments start after the tab.
CONTRACT_TEST(win_argument_text_after_an_unquoted_program) {
    NativeServices native(0, nullptr);
    auto& processes = native.services().processes;
    ScratchFolder scratch;
    const std::string program =
        scratch.path() + "\\..\\" + "plain" + std::to_string(GetCurrentProcessId()) + ".exe";
    CHECK(CopyFileW(toWide(runnerPath()).c_str(), toWide(program).c_str(), FALSE) != FALSE);
    const std::string report = scratch / "report.txt";
    const std::string arguments = "--child win_report " + quoted(report) + " a\tb ";
    // A path without spaces needs no quotes; the short form has none.
    wchar_t shortProgram[MAX_PATH + 1];
    const DWORD length = GetShortPathNameW(toWide(program).c_str(), shortProgram, MAX_PATH + 1);
    CHECK(length > 0 && length <= MAX_PATH);
    const std::string unquoted = toUtf8(std::wstring(shortProgram, length));
    CHECK(unquoted.find(' ') == std::string::npos);

    const std::int32_t id = processes.StartProcess(unquoted + "\t" + arguments, kMinimizedNoFocus);
    const ProcessHandle handle = processes.OpenProcess(kSynchronize, false, id);
    CHECK_EQ(pollUntilEnded(processes, handle), kWaitObject0);
    processes.CloseHandle(handle);
    DeleteFileW(toWide(program).c_str());
    CHECK_EQ(readReport(report)["arguments"], arguments);
}

// The program ends at once with the given code, and what it printed is not lost.
CONTRACT_TEST(win_program_end_flushes_and_exits_with_the_code) {
    NativeServices native(0, nullptr);
    auto& processes = native.services().processes;
    ScratchFolder scratch;
    const std::string output = scratch / "output.txt";
    const std::int32_t id = processes.StartProcess(
        quoted(runnerPath()) + " --child win_end " + quoted(output) + " 3", kMinimizedNoFocus);
    const ProcessHandle handle = processes.OpenProcess(kSynchronize | kQueryLimited, false, id);
    CHECK_EQ(pollUntilEnded(processes, handle), kWaitObject0);
    CHECK_EQ(exitCodeOf(handle), DWORD{3});
    processes.CloseHandle(handle);
    CHECK_EQ(ScratchFolder::readFile(output), std::string("written before the end\n"));
}

CONTRACT_TEST(win_program_that_cannot_start_is_an_error) {
    NativeServices native(0, nullptr);
    auto& processes = native.services().processes;
    ScratchFolder scratch;
    const std::string missing = scratch / "Converters\\kdh.exe";
    try {
        processes.StartProcess(quoted(missing) + " -i \"a.mp3\" \"a.mp4\"", kMinimizedNoFocus);
        CHECK(!"starting a missing program must fail");
    } catch (const PlatformError& error) {
        CHECK_EQ(error.operation(), std::string("StartProcess"));
        CHECK_EQ(error.path(), missing);
        CHECK(!error.reason().empty());
    }
    // Not a program at all.
    const std::string text = scratch / "notes.exe";
    ScratchFolder::writeFile(text, "not a program");
    CHECK_THROWS(processes.StartProcess(quoted(text), kMinimizedNoFocus));
}
