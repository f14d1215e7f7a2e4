#pragma once

#include "platform/Services.h"

#include <cstdint>
#include <string>

namespace ondrel {

class BatchWindow;

// Runs one converter per file: builds its command line, starts it minimized,
// and waits for its end while the main window keeps handling its events.
class ConverterRunner {
public:
    ConverterRunner(BatchWindow& window, platform::Services services);

    // The converter's command line, byte for byte as the converters expect it:
    // kdh.exe in KDH mode, ffmpeg.exe otherwise, both from programFolder. A
    // path that ends in backslashes has them doubled, so that the closing
    // quote stays a quote when the line is split.
    static std::string commandLine(const std::string& programFolder, const std::string& sourcePath,
                                   const std::string& tempFile, bool kdh);

    // Whether a path reaches the converter as the one argument it is meant to
    // be. The line puts paths between quotes without escaping, so a quote in
    // one would end it early and turn the rest into converter options.
    static bool reachesConverterIntact(const std::string& path);

    // Starts the converter for the mode, records its id in ChildProcessId
    // while it runs and returns when it has ended, or when the window has
    // been closed meanwhile. Starts nothing when a path would not reach the
    // converter intact. A converter that cannot be started throws
    // PlatformError, with ChildProcessId still 0.
    void RunConverter(const std::string& sourcePath, const std::string& tempFile, bool kdh);

    // Waits until the process has ended, refreshing the window between polls
    // of 100 ms. lMilliseconds is not consulted: the wait always lasts until
    // the end. Returns at once when the process cannot be opened (already
    // gone), and stops waiting once the window has been unloaded.
    void WaitForExitProcess(std::int32_t lProcessId, std::int32_t lMilliseconds);

private:
    BatchWindow& m_window;
    platform::Services m_services;
};

} // namespace ondrel
