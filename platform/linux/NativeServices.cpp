#include "platform/NativeServices.h"

#include "platform/linux/LinuxDriveList.h"
#include "platform/linux/LinuxEnvironment.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxProcesses.h"
#include "platform/linux/LinuxProgramEnd.h"
#include "platform/linux/LinuxSettingsStore.h"
#include "platform/linux/LinuxShell.h"
#include "platform/linux/LinuxSleeper.h"

namespace ondrel::platform {

struct NativeServices::Impl {
    Impl(int argc, char** argv) : environment(argc, argv) {}

    LinuxFileSystem fileSystem;
    LinuxEnvironment environment;
    LinuxSettingsStore settings;
    LinuxProcesses processes;
    LinuxSleeper sleeper;
    LinuxShell shell;
    LinuxDriveList drives;
    LinuxProgramEnd programEnd;
};

NativeServices::NativeServices(int argc, char** argv)
    : m_impl(std::make_unique<Impl>(argc, argv)) {}

NativeServices::~NativeServices() = default;

Services NativeServices::services() {
    return Services{m_impl->fileSystem, m_impl->environment, m_impl->settings, m_impl->processes,
                    m_impl->sleeper,    m_impl->shell,       m_impl->drives,   m_impl->programEnd};
}

} // namespace ondrel::platform
