#include "platform/WinApi_win.h"

#include "platform/NativeServices.h"

#include "platform/DriveList_win.h"
#include "platform/Environment_win.h"
#include "platform/FileSystem_win.h"
#include "platform/MessageBox_win.h"
#include "platform/Processes_win.h"
#include "platform/ProgramEnd_win.h"
#include "platform/SettingsStore_win.h"
#include "platform/Shell_win.h"
#include "platform/Sleeper_win.h"
#include "platform/WindowSystem_win.h"

#include <memory>

namespace ondrel::platform {

struct NativeServices::Impl {
    // Made when first asked for: becoming DPI aware and registering the
    // window class change the whole process, which a program that opens no
    // window (the platform's own tests) must not see.
    std::unique_ptr<WinWindowSystem> windows;
    WinMessageBox messageBox;
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

WindowSystem& NativeServices::windows() {
    if (!m_impl->windows)
        m_impl->windows = std::make_unique<WinWindowSystem>();
    return *m_impl->windows;
}

MessageBox& NativeServices::messageBox() {
    return m_impl->messageBox;
}

} // namespace ondrel::platform
