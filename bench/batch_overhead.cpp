// What the transfer batch costs beyond its deliberate pauses and the
// converters' own run time: 200 files through the real window with a fake
// converter that finishes at once, pauses recorded instead of slept.

#include "app/Form1.h"
#include "platform/FileSystem.h"
#include "platform/Processes.h"
#include "tests/support/TestRig.h"
#include "transfer/ConverterRunner.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <numeric>
#include <string>
#include <type_traits>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Passes every call on and adds up the time from each converter's start to
// the wait that sees it ended: the converter's own share of the batch.
class TimedProcesses : public ondrel::platform::Processes {
public:
    explicit TimedProcesses(ondrel::platform::Processes& inner) : m_inner(inner) {}

    std::int32_t StartProcess(const std::string& commandLine, int windowStyle) override {
        const Clock::time_point start = Clock::now();
        const std::int32_t pid = m_inner.StartProcess(commandLine, windowStyle);
        m_started[pid] = start;
        ++starts;
        return pid;
    }
    ondrel::platform::ProcessHandle OpenProcess(std::uint32_t access, bool inherit,
                                                std::int32_t pid) override {
        const ondrel::platform::ProcessHandle handle = m_inner.OpenProcess(access, inherit, pid);
        m_pids[handle] = pid;
        return handle;
    }
    std::uint32_t WaitForSingleObject(ondrel::platform::ProcessHandle handle,
                                      std::uint32_t milliseconds) override {
        const std::uint32_t result = m_inner.WaitForSingleObject(handle, milliseconds);
        if (result != ondrel::platform::kWaitTimeout) {
            const auto started = m_started.find(m_pids[handle]);
            if (started != m_started.end()) {
                converterMilliseconds += millisecondsSince(started->second);
                m_started.erase(started);
            }
        }
        return result;
    }
    bool TerminateProcess(ondrel::platform::ProcessHandle handle, std::uint32_t code) override {
        return m_inner.TerminateProcess(handle, code);
    }
    bool CloseHandle(ondrel::platform::ProcessHandle handle) override {
        m_pids.erase(handle);
        return m_inner.CloseHandle(handle);
    }

    double converterMilliseconds = 0;
    int starts = 0;

private:
    ondrel::platform::Processes& m_inner;
    std::map<std::int32_t, Clock::time_point> m_started;
    std::map<ondrel::platform::ProcessHandle, std::int32_t> m_pids;
};

// Passes every call on and adds up the time spent copying, removing and testing files.
class TimedFileSystem : public ondrel::platform::FileSystem {
public:
    explicit TimedFileSystem(ondrel::platform::FileSystem& inner) : m_inner(inner) {}

    bool FolderExists(const std::string& path) const override { return m_inner.FolderExists(path); }
    void CreateFolder(const std::string& path) override { m_inner.CreateFolder(path); }
    bool FileExists(const std::string& path) const override {
        const Clock::time_point start = Clock::now();
        const bool exists = m_inner.FileExists(path);
        milliseconds += millisecondsSince(start);
        return exists;
    }
    std::string GetExtensionName(const std::string& path) const override {
        return m_inner.GetExtensionName(path);
    }
    std::string GetBaseName(const std::string& path) const override {
        return m_inner.GetBaseName(path);
    }
    void CopyFile(const std::string& source, const std::string& destination,
                  bool overwrite) override {
        const Clock::time_point start = Clock::now();
        m_inner.CopyFile(source, destination, overwrite);
        copyMilliseconds += millisecondsSince(start);
    }
    void DeleteFile(const std::string& path, bool force) override {
        m_inner.DeleteFile(path, force);
    }
    std::string LookupEntryName(const std::string& path) override {
        return m_inner.LookupEntryName(path);
    }
    bool sameFile(const std::string& first, const std::string& second) const override {
        return timed([&] { return m_inner.sameFile(first, second); });
    }
    bool isOwnFile(const std::string& path) const override {
        return timed([&] { return m_inner.isOwnFile(path); });
    }
    std::string createFreeFile(const std::function<std::string(int)>& candidate,
                               int count) override {
        return timed([&] { return m_inner.createFreeFile(candidate, count); });
    }
    std::uint64_t ownFileSize(const std::string& path) const override {
        return timed([&] { return m_inner.ownFileSize(path); });
    }
    void removeEmptyOwnFile(const std::string& path) override {
        timed([&] {
            m_inner.removeEmptyOwnFile(path);
            return 0;
        });
    }
    std::string readFileBytes(const std::string& path, std::uint64_t offset,
                              std::size_t length) const override {
        return timed([&] { return m_inner.readFileBytes(path, offset, length); });
    }
    bool copyOwnFile(const std::string& source, const std::string& destination) override {
        return timedCopy([&] { return m_inner.copyOwnFile(source, destination); });
    }
    std::string copyOwnFileToFreeName(const std::string& source,
                                      const std::function<std::string(int)>& candidate,
                                      int count) override {
        return timedCopy([&] { return m_inner.copyOwnFileToFreeName(source, candidate, count); });
    }
    bool copyReadableFile(const std::string& source, const std::string& destination) override {
        return timedCopy([&] { return m_inner.copyReadableFile(source, destination); });
    }
    std::string folderOnVolumeProblem(const std::string& path,
                                      const std::string& root) const override {
        return m_inner.folderOnVolumeProblem(path, root);
    }
    std::string temporaryFolderProblem(const std::string& path) const override {
        return m_inner.temporaryFolderProblem(path);
    }

    mutable double milliseconds = 0;
    double copyMilliseconds = 0;

private:
    template <typename Call> std::invoke_result_t<Call> timed(Call call) const {
        const Clock::time_point start = Clock::now();
        auto result = call();
        milliseconds += millisecondsSince(start);
        return result;
    }
    template <typename Call> std::invoke_result_t<Call> timedCopy(Call call) {
        const Clock::time_point start = Clock::now();
        auto result = call();
        copyMilliseconds += millisecondsSince(start);
        return result;
    }

    ondrel::platform::FileSystem& m_inner;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    constexpr int kFiles = 200;

    ondrel::test::TestRig rig;
    const std::string programFolder = rig.makeFolder("program folder");
    for (const char* name : {"ffmpeg.exe", "kdh.exe"})
        std::filesystem::copy_file(ondrel::test::TestRig::binDir() + "/fake_converter",
                                   programFolder + "/" + name);
    rig.environment.programFolder = programFolder;
    rig.makeFolder("card/private/ds");
    rig.drives.roots['D'] = rig.makeFolder("card");

    std::string argumentText;
    for (int i = 0; i < kFiles; ++i) {
        const std::string source =
            rig.writeFile("music/song " + std::to_string(i) + ".mp3", std::string(64 * 1024, 'x'));
        argumentText += (i == 0 ? "\"" : " \"") + source + "\"";
    }
    rig.environment.argumentText = argumentText;

    const ondrel::platform::Services real = rig.services();
    TimedProcesses processes(real.processes);
    TimedFileSystem fileSystem(real.fileSystem);
    const ondrel::platform::Services services{fileSystem,  real.environment, real.settings,
                                              processes,   real.sleeper,     real.shell,
                                              real.drives, real.programEnd};

    // A bare start and wait of the converter, for comparison.
    double bare = 0;
    for (int i = 0; i < 50; ++i) {
        const Clock::time_point start = Clock::now();
        const std::int32_t pid = real.processes.StartProcess(
            ondrel::ConverterRunner::commandLine(programFolder, rig.makeFolder("music") + "/x",
                                                 rig.tempDir() + "/bare.mp4", false),
            ondrel::platform::kMinimizedNoFocus);
        const auto handle = real.processes.OpenProcess(ondrel::platform::kSynchronize, false, pid);
        real.processes.WaitForSingleObject(handle, 0xFFFFFFFF);
        real.processes.CloseHandle(handle);
        bare += millisecondsSince(start);
    }
    std::filesystem::remove(programFolder + "/calls");

    ondrel::Form1 form(services, rig.windows(), rig.messageBox);
    form.Form_Load();
    form.Check2->setChecked(false);
    form.window().show();

    const Clock::time_point start = Clock::now();
    form.Command1->click();
    const double wall = millisecondsSince(start);

    const auto& pauses = rig.sleeper.pauses;
    const double paused = std::accumulate(pauses.begin(), pauses.end(), 0.0);
    const bool finished = form.Command1->text() == "FINISH" && rig.messageBox.texts.isEmpty() &&
                          processes.starts == kFiles;
    std::printf("files                         %d (%s)\n", kFiles,
                finished ? "all transferred" : "BATCH DID NOT FINISH");
    std::printf("deliberate pauses (recorded)  %.0f ms in %zu pauses\n", paused, pauses.size());
    std::printf("batch wall time               %.1f ms\n", wall);
    std::printf("converters' own run time      %.1f ms (%.2f ms per file)\n",
                processes.converterMilliseconds, processes.converterMilliseconds / kFiles);
    std::printf("bare start and wait          %.2f ms per call\n", bare / 50);
    std::printf("overhead beyond both          %.2f ms per file (goal: under 20)\n",
                (wall - processes.converterMilliseconds) / kFiles);
    std::printf("  of which copies (flushed)   %.2f ms per file\n",
                fileSystem.copyMilliseconds / kFiles);
    std::printf("  of which other file calls   %.2f ms per file\n",
                fileSystem.milliseconds / kFiles);
    std::printf("  of which the window         %.2f ms per file\n",
                (wall - processes.converterMilliseconds - fileSystem.copyMilliseconds -
                 fileSystem.milliseconds) /
                    kFiles);
    return finished ? 0 : 1;
}
