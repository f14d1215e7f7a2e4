// The shortcut writer's quoting on POSIX: write, read back, compare. Input: a
// control byte, then
// - even control byte: a shortcut file's content, read back (and, when it
//   reads, written and read once more);
// - odd control byte: Description, WorkingDirectory and TargetPath separated
//   by NUL bytes, saved and read back.

#include "platform/PlatformError.h"
#include "platform/linux/LinuxShell.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/ScratchFolder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using ondrel::fuzz::require;
using ondrel::platform::Shortcut;

namespace {

bool sameProperties(const Shortcut& one, const Shortcut& two) {
    return one.Description == two.Description && one.WorkingDirectory == two.WorkingDirectory &&
           one.TargetPath == two.TargetPath;
}

Shortcut savedAndRead(ondrel::platform::LinuxShell& shell, const Shortcut& shortcut) {
    shell.Save(shortcut);
    return shell.ReadShortcut(shortcut.FullName);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static const ondrel::fuzz::ScratchFolder scratch;
    const std::string rest = ondrel::fuzz::bytes(data + 1, size - 1);
    const std::string link = scratch.path() + "/Ondrel";
    ondrel::platform::LinuxShell shell;

    if ((data[0] & 1u) == 0) {
        ondrel::fuzz::writeFile(link, rest);
        Shortcut read;
        try {
            read = shell.ReadShortcut(link);
        } catch (const ondrel::platform::PlatformError& error) {
            require(error.operation() == "ReadShortcut", "a failed read names its step");
            return 0;
        }
        require(read.FullName == link, "a shortcut read knows its file");
        require(sameProperties(savedAndRead(shell, read), read),
                "what was read is written and read back unchanged");
        return 0;
    }

    const std::vector<std::string> parts = ondrel::fuzz::fields(rest);
    if (parts.size() != 3)
        return 0;
    Shortcut shortcut = shell.CreateShortcut(link);
    require(shortcut.FullName == link && shortcut.Description.empty() &&
                shortcut.WorkingDirectory.empty() && shortcut.TargetPath.empty(),
            "a new shortcut object is bound to its file and empty");
    shortcut.Description = parts[0];
    shortcut.WorkingDirectory = parts[1];
    shortcut.TargetPath = parts[2];
    const Shortcut read = savedAndRead(shell, shortcut);
    require(sameProperties(read, shortcut), "a saved shortcut reads back unchanged");
    const std::string text = ondrel::fuzz::readFile(link);
    require(text == ondrel::platform::LinuxShell::scriptText(shortcut),
            "the file holds the shortcut's script");
    return 0;
}
