#pragma once

#include <string>

namespace ondrel::platform {

// What the process was given: its arguments, its environment, its location.
class Environment {
public:
    virtual ~Environment() = default;

    // The command line without the program's own name, as one string ("" when
    // there are no arguments).
    virtual std::string ArgumentText() const = 0;
    // The value of an environment variable, "" when it is not set.
    virtual std::string Variable(const std::string& name) const = 0;
    // Full path of the folder that holds the running program, no trailing separator.
    virtual std::string ProgramFolder() const = 0;
    // The path completed against the current folder of the process (on
    // Windows also a drive's own current folder, for "D:song.mp3", or the
    // current drive, for "\song.mp3"); an absolute path, and "", as given.
    // The last component is taken as written, so that a name such as
    // "Aux.mp3" stays a file's name.
    virtual std::string FullPath(const std::string& path) const = 0;
    // A folder for temporary files when TEMP is unset or empty: private to the
    // user (owner-only), created when missing; one that is a link or belongs to
    // someone else is refused with a PlatformError.
    virtual std::string PrivateTempFolder() const = 0;
};

} // namespace ondrel::platform
