#pragma once

namespace ondrel::platform {
class DriveList;
class Environment;
class FileSystem;
class Processes;
class ProgramEnd;
class SettingsStore;
class Shell;
class Sleeper;

// The operating-system services a window receives. main() wires the real
// ones; tests wire real temporary folders and replace what must be fast or
// observable.
struct Services {
    FileSystem& fileSystem;
    Environment& environment;
    SettingsStore& settings;
    Processes& processes;
    Sleeper& sleeper;
    Shell& shell;
    DriveList& drives;
    ProgramEnd& programEnd;
};

} // namespace ondrel::platform
