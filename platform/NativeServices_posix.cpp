#include "platform/NativeServices.h"

#include "platform/DriveList_posix.h"
#include "platform/Environment_posix.h"
#include "platform/FileSystem_posix.h"
#include "platform/MessageBox_posix.h"
#include "platform/Processes_posix.h"
#include "platform/ProgramEnd_posix.h"
#include "platform/QtWindowSystem_posix.h"
#include "platform/SettingsStore_posix.h"
#include "platform/Shell_posix.h"
#include "platform/Sleeper_posix.h"

namespace ondrel::platform {

struct NativeServices::Impl {
    Impl(int argc, char** argv)
        : windows(argc > 0 && argv != nullptr ? argv[0] : nullptr), messageBox(windows),
          environment(argc, argv) {}

    // First, and so last to go: it may own Qt's application object.
    QtWindowSystem windows;
    QtMessageBox messageBox;
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

WindowSystem& NativeServices::windows() {
    return m_impl->windows;
}

MessageBox& NativeServices::messageBox() {
    return m_impl->messageBox;
}

} // namespace ondrel::platform
