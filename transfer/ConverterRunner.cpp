#include "transfer/ConverterRunner.h"

#include "platform/Environment.h"
#include "platform/PathStyle.h"
#include "platform/Processes.h"
#include "transfer/BatchWindow.h"

namespace ondrel {

namespace {

constexpr std::uint32_t kPollMilliseconds = 100;

// A path between the line's quotes. The line is split by the Windows rules,
// where backslashes right before a quote escape it: a name ending in one
// would swallow its closing quote and run into the next argument. Doubled
// there, they come out as they are; elsewhere a backslash is taken as it is.
std::string quotedPath(const std::string& path) {
    const std::size_t lastOther = path.find_last_not_of('\\');
    const std::size_t trailing =
        lastOther == std::string::npos ? path.size() : path.size() - lastOther - 1;
    return "\"" + path + std::string(trailing, '\\') + "\"";
}

} // namespace

ConverterRunner::ConverterRunner(BatchWindow& window, platform::Services services)
    : m_window(window), m_services(services) {}

std::string ConverterRunner::commandLine(const std::string& programFolder,
                                         const std::string& sourcePath, const std::string& tempFile,
                                         bool kdh) {
    const std::string sep(1, platform::pathSeparator());
    std::string line = "\"" + programFolder + sep;
    if (kdh) {
        line += "kdh.exe\" ";
        line += "-maxfr 30 -bitexact -vcodec h264 -coder 1 -bufsize 128 ";
        line += "-g 250 -s 320x240 -b 384 -acodec aac -ac 2 ";
        line += "-ar 48000 -ab 64 -f mp4 -i ";
    } else {
        line += "ffmpeg.exe\" ";
        line += "-vn -ab 128k -ar 44100 -i ";
    }
    line += quotedPath(sourcePath);
    line += ' ';
    line += quotedPath(tempFile);
    return line;
}

bool ConverterRunner::reachesConverterIntact(const std::string& path) {
    return path.find('"') == std::string::npos;
}

void ConverterRunner::RunConverter(const std::string& sourcePath, const std::string& tempFile,
                                   bool kdh) {
    if (!reachesConverterIntact(sourcePath) || !reachesConverterIntact(tempFile))
        return;
    const std::string line =
        commandLine(m_services.environment.ProgramFolder(), sourcePath, tempFile, kdh);
    m_window.setChildProcessId(
        m_services.processes.StartProcess(line, platform::kMinimizedNoFocus));
    WaitForExitProcess(m_window.childProcessId(), -1);
    m_window.setChildProcessId(0);
}

void ConverterRunner::WaitForExitProcess(std::int32_t lProcessId, std::int32_t lMilliseconds) {
    static_cast<void>(lMilliseconds);
    platform::Processes& processes = m_services.processes;
    const platform::ProcessHandle handle =
        processes.OpenProcess(platform::kSynchronize, false, lProcessId);
    if (handle == 0)
        return;
    try {
        std::uint32_t result = processes.WaitForSingleObject(handle, kPollMilliseconds);
        // Once the window has been unloaded the program is over: in the real
        // program ending it never returns, but nothing must go on if it does.
        while (result == platform::kWaitTimeout && !m_window.unloaded()) {
            m_window.RefreshDisplay();
            if (m_window.unloaded())
                break;
            result = processes.WaitForSingleObject(handle, kPollMilliseconds);
        }
    } catch (...) {
        processes.CloseHandle(handle);
        throw;
    }
    processes.CloseHandle(handle);
}

} // namespace ondrel
