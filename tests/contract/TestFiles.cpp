#include "tests/contract/TestFiles.h"

#include "platform/Environment.h"
#include "platform/PathStyle.h"
#include "platform/Processes.h"
#include "tests/contract/Check.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace contract {

namespace {

fs::path fsPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace

TempFolder::TempFolder() {
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (;;) {
        const fs::path candidate = base / ("ondrel-contract-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            m_path = utf8(candidate);
            break;
        }
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Give back what a test took away, so that everything can be removed.
    for (auto it = fs::recursive_directory_iterator(fsPath(m_path), ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (!it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(fsPath(m_path), ignored);
}

std::string TempFolder::operator/(const std::string& name) const {
    return joined(m_path, name);
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder + ondrel::platform::pathSeparator() + name;
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(fsPath(path), std::ios::binary | std::ios::trunc);
    out << content;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string readFile(const std::string& path) {
    std::ifstream in(fsPath(path), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void makeFolder(const std::string& path) {
    fs::create_directories(fsPath(path));
}

void copyFile(const std::string& from, const std::string& to) {
    fs::copy_file(fsPath(from), fsPath(to));
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fsPath(folder)))
        names.push_back(utf8(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

void setReadOnly(const std::string& path, bool readOnly) {
    const auto write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(fsPath(path), write,
                    readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

ondrel::platform::NativeServices nativeServices() {
    return ondrel::platform::NativeServices(1, runnerArgv());
}

std::string runnerPath(ondrel::platform::Services services) {
    return joined(services.environment.ProgramFolder(), runnerFileName());
}

std::string childCommandLine(ondrel::platform::Services services,
                             const std::vector<std::string>& arguments) {
    // Appended piece by piece: GCC 12 misreads the concatenation at -O2.
    std::string line = "\"";
    line += runnerPath(services);
    line += "\" --child";
    for (const std::string& argument : arguments) {
        line += " \"";
        line += argument;
        line += '"';
    }
    return line;
}

std::uint32_t waitForEnd(ondrel::platform::Processes& processes,
                         ondrel::platform::ProcessHandle handle) {
    std::uint32_t result = ondrel::platform::kWaitTimeout;
    for (int poll = 0; poll < 200 && result == ondrel::platform::kWaitTimeout; ++poll)
        result = processes.WaitForSingleObject(handle, 100);
    return result;
}

} // namespace contract
