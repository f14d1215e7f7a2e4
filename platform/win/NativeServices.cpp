#include "platform/NativeServices.h"

#include "platform/win/WinDriveList.h"
#include "platform/win/WinEnvironment.h"
#include "platform/win/WinFileSystem.h"
#include "platform/win/WinProcesses.h"
#include "platform/win/WinProgramEnd.h"
#include "platform/win/WinSettingsStore.h"
#include "platform/win/WinShell.h"
#include "platform/win/WinSleeper.h"

#include <memory>

namespace ondrel::platform {

struct NativeServices::Impl {
    WinFileSystem fileSystem;
    WinEnvironment environment;
    WinSettingsStore settings;
    WinProcesses processes;
    WinSleeper sleeper;
    WinShell shell;
    WinDriveList drives;
    WinProgramEnd programEnd;
};

// Windows hands every process its own command line; argc/argv are not needed.
NativeServices::NativeServices(int, char**) : m_impl(std::make_unique<Impl>()) {}

NativeServices::~NativeServices() = default;

Services NativeServices::services() {
    return Services{m_impl->fileSystem, m_impl->environment, m_impl->settings, m_impl->processes,
                    m_impl->sleeper,    m_impl->shell,       m_impl->drives,   m_impl->programEnd};
}

} // namespace ondrel::platform
