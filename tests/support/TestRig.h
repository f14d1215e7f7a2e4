#pragma once

#include "platform/NativeServices.h"
#include "platform/NativeToolkit.h"
#include "tests/support/Fakes.h"

#include <QTemporaryDir>

#include <string>

namespace ondrel::test {

// The services a window test wires: the real file system, settings,
// processes and shell on a private temporary home, with the command line,
// drive list, pauses, message boxes and the program's end replaced.
//
// The constructor points HOME, XDG_CONFIG_HOME, XDG_DATA_HOME and the Desktop
// folder into a fresh temporary folder, so no test touches the real home.
class TestRig {
public:
    TestRig();

    platform::Services services();
    // The real window toolkit: Qt Widgets, offscreen under CTest.
    platform::WindowSystem& windows() { return toolkit.windows(); }

    // Paths inside the temporary home.
    std::string home() const;
    std::string desktop() const;    // the Desktop folder the shell will report
    std::string tempDir() const;    // a folder to use as TEMP
    std::string configFile() const; // the settings file of application "Zara"
    // A fresh folder inside the temporary home, created on demand.
    std::string makeFolder(const std::string& relative) const;
    // Writes a file (creating parent folders) and returns its path.
    std::string writeFile(const std::string& relative, const std::string& content) const;

    // Directory of the built programs (Ondrel, converters, test programs).
    static std::string binDir();

    QTemporaryDir root;
    platform::NativeServices native;
    platform::NativeToolkit toolkit;
    RecordingSleeper sleeper;
    RecordingProgramEnd programEnd;
    RecordingMessageBox messageBox;
    FakeDriveList drives;
    FakeEnvironment environment;
};

} // namespace ondrel::test
