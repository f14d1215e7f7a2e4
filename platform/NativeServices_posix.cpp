#include "platform/NativeServices.h"

#include "platform/DriveList_posix.h"
#include "platform/Environment_posix.h"
#include "platform/FileSystem_posix.h"
#include "platform/Processes_posix.h"
#include "platform/ProgramEnd_posix.h"
#include "platform/SettingsStore_posix.h"
#include "platform/Shell_posix.h"
#include "platform/Sleeper_posix.h"

namespace ondrel::platform {

struct NativeServices::Impl {
    Impl(int argc, char** argv) : environment(argc, argv) {}

    PosixFileSystem fileSystem;
    PosixEnvironment environment;
    PosixSettingsStore settings;
    PosixProcesses processes;
    PosixSleeper sleeper;
    PosixShell shell;
    PosixDriveList drives;
    PosixProgramEnd programEnd;
};

NativeServices::NativeServices(int argc, char** argv)
    : m_impl(std::make_unique<Impl>(argc, argv)) {}

NativeServices::~NativeServices() = default;

Services NativeServices::services() {
    return Services{m_impl->fileSystem, m_impl->environment, m_impl->settings, m_impl->processes,
                    m_impl->sleeper,    m_impl->shell,       m_impl->drives,   m_impl->programEnd};
}

} // namespace ondrel::platform
