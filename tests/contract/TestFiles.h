#pragma once

// Real files and folders for the contract tests, in UTF-8 paths written with
// this OS's separator, and the platform's real services.

#include "platform/NativeServices.h"
#include "platform/Processes.h"

#include <string>
#include <vector>

namespace contract {

// A fresh folder in the system's temporary folder, removed with everything in
// it when the test ends.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    // The folder's path, a separator and the name.
    std::string operator/(const std::string& name) const;

private:
    std::string m_path;
};

// folder + separator + name.
std::string joined(const std::string& folder, const std::string& name);

void writeFile(const std::string& path, const std::string& content);
// The whole content; "" when the file cannot be read.
std::string readFile(const std::string& path);
void makeFolder(const std::string& path);
// A copy with the same permissions (a program stays executable).
void copyFile(const std::string& from, const std::string& to);
// The names in a folder, sorted.
std::vector<std::string> folderEntries(const std::string& folder);
// Takes away (or gives back) every write permission of a file.
void setReadOnly(const std::string& path, bool readOnly);

// The real services, built from the runner's own command line.
ondrel::platform::NativeServices nativeServices();
// Full path of the running runner, from the platform's program folder.
std::string runnerPath(ondrel::platform::Services services);
// A command line that starts the runner in a child mode: the runner's path and
// each argument in quotes.
std::string childCommandLine(ondrel::platform::Services services,
                             const std::vector<std::string>& arguments);

// Waits in 100 ms polls, as the converter wait does, for at most about 20 s;
// the last wait result.
std::uint32_t waitForEnd(ondrel::platform::Processes& processes,
                         ondrel::platform::ProcessHandle handle);

} // namespace contract
