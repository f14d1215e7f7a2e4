// The desktop entries the Setting window writes on Linux: Exec quoting and
// the key file's escapes, written and read back. Input: a program folder, a
// NUL, a description, a NUL, and a byte that picks the entry's kind; the whole
// input is also read as an entry someone else wrote.

#include "platform/PlatformError.h"
#include "platform/linux/DesktopEntry.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

using ondrel::fuzz::require;
namespace entry = ondrel::platform::desktopentry;

namespace {

bool holdsControl(const std::string& text, bool lineBreaksAllowed) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool allowed = lineBreaksAllowed && (c == '\n' || c == '\r' || c == '\t');
        if ((byte < 0x20 || byte == 0x7F) && !allowed)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = ondrel::fuzz::bytes(data, size);

    // Someone else's file: read or refused, never anything worse.
    try {
        (void)entry::readEntry(input, "/fuzz/Ondrel.desktop");
    } catch (const ondrel::platform::PlatformError&) {
    }

    const auto fields = ondrel::fuzz::fields(input);
    ondrel::platform::Shortcut shortcut;
    shortcut.FullName = "/fuzz/Ondrel.desktop";
    shortcut.WorkingDirectory = fields[0];
    shortcut.TargetPath = fields[0] + "/Ondrel";
    shortcut.Description = fields.size() > 1 ? fields[1] : "";
    // The form byte: odd a service menu, else bit 1 a file manager action.
    const int form = fields.size() > 2 && !fields[2].empty() ? fields[2][0] : 0;
    const auto kind = (form & 1) != 0   ? entry::Kind::ServiceMenu
                      : (form & 2) != 0 ? entry::Kind::Action
                                        : entry::Kind::Application;

    const bool carriable = !holdsControl(fields[0], false) && ondrel::fuzz::isUtf8(fields[0]) &&
                           !holdsControl(shortcut.Description, true) &&
                           ondrel::fuzz::isUtf8(shortcut.Description);
    std::string text;
    try {
        text = entry::entryText(shortcut, kind);
    } catch (const ondrel::platform::PlatformError& error) {
        require(!carriable, "an entry is refused only for what it cannot carry");
        require(error.operation() == "Save" && error.path() == shortcut.FullName,
                "a refusal names the save and the file");
        return 0;
    }
    require(carriable, "what an entry cannot carry is refused");

    // One key per line: nothing in a value may start a line of its own.
    for (const std::string& line : ondrel::fuzz::fields(text, '\n')) {
        require(!holdsControl(line, false), "no control character stands in a line");
        require(line.empty() || line.front() == '[' || line.find('=') != std::string::npos,
                "every line is a group or a key");
    }

    const ondrel::platform::Shortcut read = entry::readEntry(text, shortcut.FullName);
    require(read.TargetPath == shortcut.TargetPath, "the target reads back");
    require(read.WorkingDirectory == shortcut.WorkingDirectory, "the working folder reads back");
    require(read.Description == shortcut.Description, "the description reads back");

    // The quoting alone, for any argument a path can be.
    const std::string quoted = entry::execQuoted(fields[0]);
    const auto arguments = entry::execArguments(quoted + " %F");
    require(arguments.size() == 2 && arguments[0] == fields[0] && arguments[1] == "%F",
            "a quoted argument reads back as itself, the field code after it");
    require(entry::keyFileUnescaped(entry::keyFileEscaped(input)) == input,
            "the key file's escapes undo themselves");
    return 0;
}
