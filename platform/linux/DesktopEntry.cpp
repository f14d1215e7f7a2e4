#include "platform/linux/DesktopEntry.h"

#include "platform/PlatformError.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <stdexcept>

namespace ondrel::platform::desktopentry {

namespace {

const char kEntryGroup[] = "Desktop Entry";
const char kActionGroup[] = "Desktop Action ondrel";
const char kProfileGroup[] = "X-Action-Profile ondrel";
const char kIconFile[] = "ondrel.svg";

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// Key files are UTF-8 throughout; GLib refuses to read a value that is not.
bool isUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

// A path the entry would carry: no escape makes a control character safe in
// Exec, and a name that is not UTF-8 makes the whole file unreadable.
void requireCarriable(const std::string& value, const char* what, const std::string& linkPath) {
    for (const char c : value) {
        if (isControl(static_cast<unsigned char>(c)))
            throw PlatformError("Save", linkPath,
                                std::string(what) +
                                    " holds a line break or another control character, which a "
                                    "desktop entry cannot carry");
    }
    if (!isUtf8(value))
        throw PlatformError("Save", linkPath,
                            std::string(what) + " is not UTF-8 text, which a desktop entry needs");
}

// The description may span lines; the key file's escapes keep it on one.
void requireDescribable(const std::string& value, const std::string& linkPath) {
    for (const char c : value) {
        if (isControl(static_cast<unsigned char>(c)) && c != '\n' && c != '\r' && c != '\t')
            throw PlatformError("Save", linkPath,
                                "the description holds a control character, which a desktop "
                                "entry cannot carry");
    }
    if (!isUtf8(value))
        throw PlatformError("Save", linkPath,
                            "the description is not UTF-8 text, which a desktop entry needs");
}

// GLib looks the program up by the Exec line's first word before it expands
// the field codes, so it cannot find a program whose path holds a "%" (written
// "%%"): a shell that the launcher can find starts it instead.
const std::vector<std::string> kPercentWrapper = {"/bin/sh", "-c", "exec \"$0\" \"$@\""};

// A file manager action has a working folder ("Path") that PCManFM honours
// and PCManFM-Qt does not: the shell changes to it before it starts the
// program, as a shortcut's working folder promises.
const std::vector<std::string> kFolderWrapper = {
    "/bin/sh", "-c", "cd -- \"$1\" || exit 1; shift; exec \"$0\" \"$@\""};

std::string execLine(const std::string& target) {
    std::string exec;
    if (target.find('%') != std::string::npos) {
        for (const std::string& word : kPercentWrapper)
            exec += execQuoted(word) + " ";
    }
    return exec + execQuoted(target) + " %F";
}

std::string percentDoubled(const std::string& text) {
    std::string doubled;
    for (const char c : text) {
        doubled += c;
        if (c == '%')
            doubled += '%';
    }
    return doubled;
}

// A value with field codes back to plain text: "%%" is "%", and no other code
// belongs in a path of ours.
std::string percentUndoubled(const std::string& text, const std::string& path) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        plain += text[i];
        if (text[i] != '%')
            continue;
        if (i + 1 == text.size() || text[i + 1] != '%')
            throw PlatformError("ReadShortcut", path, "Path holds a field code");
        ++i;
    }
    return plain;
}

std::string actionExecLine(const std::string& target, const std::string& folder) {
    if (folder.empty())
        return execLine(target);
    std::string exec;
    for (const std::string& word : kFolderWrapper)
        exec += execQuoted(word) + " ";
    return exec + execQuoted(target) + " " + execQuoted(folder) + " %F";
}

std::string iconBeside(const std::string& targetPath) {
    const std::size_t slash = targetPath.rfind('/');
    if (slash == std::string::npos)
        return "ondrel";
    return targetPath.substr(0, slash + 1) + kIconFile;
}

std::string mimeTypeList() {
    std::string list;
    for (const std::string& type : audioMimeTypes())
        list += type + ";";
    return list;
}

std::string line(const char* key, const std::string& value) {
    return std::string(key) + "=" + keyFileEscaped(value) + "\n";
}

using Group = std::map<std::string, std::string>;

// Groups and their raw (still escaped) values; comments and blank lines go.
std::map<std::string, Group> parseKeyFile(const std::string& text, const std::string& path) {
    std::map<std::string, Group> groups;
    Group* current = nullptr;
    std::istringstream lines(text);
    std::string row;
    while (std::getline(lines, row)) {
        if (row.empty() || row.front() == '#')
            continue;
        if (row.front() == '[') {
            if (row.back() != ']')
                throw PlatformError("ReadShortcut", path, "a broken group header");
            current = &groups[row.substr(1, row.size() - 2)];
            continue;
        }
        const std::size_t equals = row.find('=');
        if (current == nullptr || equals == std::string::npos)
            throw PlatformError("ReadShortcut", path, "a line that is no key");
        std::string key = row.substr(0, equals);
        while (!key.empty() && key.back() == ' ')
            key.pop_back();
        std::size_t start = equals + 1;
        while (start < row.size() && row[start] == ' ')
            ++start;
        (*current)[key] = row.substr(start);
    }
    return groups;
}

std::string valueOf(const Group& group, const std::string& key, const std::string& path) {
    const auto found = group.find(key);
    if (found == group.end())
        return {};
    try {
        return keyFileUnescaped(found->second);
    } catch (const std::invalid_argument& error) {
        throw PlatformError("ReadShortcut", path, key + ": " + error.what());
    }
}

} // namespace

const std::vector<std::string>& audioMimeTypes() {
    static const std::vector<std::string> types = {
        "audio/mpeg",         "audio/mp4",    "audio/x-m4a",      "audio/aac",
        "audio/x-aac",        "audio/flac",   "audio/x-flac",     "audio/ogg",
        "audio/x-vorbis+ogg", "audio/opus",   "audio/x-opus+ogg", "audio/x-wav",
        "audio/wav",          "audio/x-aiff", "audio/x-ms-wma",   "audio/webm",
        "audio/x-matroska",   "audio/amr",    "video/mp4",
    };
    return types;
}

std::string execQuoted(const std::string& argument) {
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
        if (c == '%')
            quoted += '%';
    }
    return quoted + "\"";
}

std::vector<std::string> execArguments(const std::string& exec) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (c == ' ') {
            if (inArgument)
                arguments.push_back(current);
            current.clear();
            inArgument = false;
            continue;
        }
        inArgument = true;
        if (c == '%') {
            if (i + 1 == exec.size())
                throw std::invalid_argument("a lone % at the end");
            const char code = exec[++i];
            // A field code stays for the launcher to expand; "%%" is one "%".
            if (code != '%')
                current += '%';
            current += code;
            continue;
        }
        if (c == '\\' || c == '\'' || c == '`' || c == '$')
            throw std::invalid_argument("a reserved character outside quotes");
        if (c != '"') {
            current += c;
            continue;
        }
        for (++i;; ++i) {
            if (i == exec.size())
                throw std::invalid_argument("an unfinished quote");
            const char inner = exec[i];
            if (inner == '"')
                break;
            if (inner == '\\') {
                if (i + 1 == exec.size())
                    throw std::invalid_argument("an unfinished quote");
                const char escaped = exec[++i];
                if (escaped != '"' && escaped != '`' && escaped != '$' && escaped != '\\')
                    throw std::invalid_argument("a backslash before an ordinary character");
                current += escaped;
            } else if (inner == '%') {
                if (i + 1 == exec.size() || exec[i + 1] != '%')
                    throw std::invalid_argument("a field code inside quotes");
                current += '%';
                ++i;
            } else {
                current += inner;
            }
        }
    }
    if (inArgument)
        arguments.push_back(current);
    return arguments;
}

std::string keyFileEscaped(const std::string& value) {
    std::string escaped;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\n')
            escaped += "\\n";
        else if (c == '\r')
            escaped += "\\r";
        else if (c == '\t')
            escaped += "\\t";
        else if (c == ' ' && i == 0)
            escaped += "\\s";
        else
            escaped += c;
    }
    return escaped;
}

std::string keyFileUnescaped(const std::string& value) {
    std::string plain;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            plain += value[i];
            continue;
        }
        if (i + 1 == value.size())
            throw std::invalid_argument("a backslash at the end of a value");
        switch (value[++i]) {
        case '\\':
            plain += '\\';
            break;
        case 'n':
            plain += '\n';
            break;
        case 'r':
            plain += '\r';
            break;
        case 't':
            plain += '\t';
            break;
        case 's':
            plain += ' ';
            break;
        default:
            throw std::invalid_argument("an unknown escape");
        }
    }
    return plain;
}

std::string entryText(const Shortcut& shortcut, Kind kind) {
    requireCarriable(shortcut.TargetPath, "the program's path", shortcut.FullName);
    requireCarriable(shortcut.WorkingDirectory, "the working folder", shortcut.FullName);
    requireDescribable(shortcut.Description, shortcut.FullName);
    if (shortcut.TargetPath.empty())
        throw PlatformError("Save", shortcut.FullName, "the shortcut has no target");

    const std::string exec = execLine(shortcut.TargetPath);
    const std::string icon = iconBeside(shortcut.TargetPath);
    std::string text = std::string("[") + kEntryGroup + "]\n";
    if (kind == Kind::Application) {
        text += "Type=Application\nVersion=1.4\nName=Ondrel\n";
        if (!shortcut.Description.empty())
            text += line("Comment", shortcut.Description);
        // TryExec names the program plainly: GLib looks the program up before
        // it expands the field codes, so a "%" in its folder would otherwise
        // hide the entry.
        text += line("TryExec", shortcut.TargetPath);
        text += line("Exec", exec);
        if (!shortcut.WorkingDirectory.empty())
            text += line("Path", shortcut.WorkingDirectory);
        text += line("Icon", icon);
        text += "Terminal=false\n";
        text += "MimeType=" + mimeTypeList() + "\n";
        return text;
    }

    if (kind == Kind::Action) {
        // One profile for every file Ondrel takes; the file manager passes
        // their full paths.
        text += "Type=Action\nName=Ondrel\n";
        if (!shortcut.Description.empty())
            text += line("Comment", shortcut.Description);
        text += line("Icon", icon);
        text += "Profiles=ondrel;\n";
        text += "\n[" + std::string(kProfileGroup) + "]\n";
        text += "Name=Ondrel\n";
        text += "MimeTypes=" + mimeTypeList() + "\n";
        text += line("Exec", actionExecLine(shortcut.TargetPath, shortcut.WorkingDirectory));
        // The file managers expand the field codes in Path as they do in
        // Exec: a "%" of the folder's name must be written "%%".
        if (!shortcut.WorkingDirectory.empty())
            text += line("Path", percentDoubled(shortcut.WorkingDirectory));
        return text;
    }

    text += "Type=Service\nName=Ondrel\n";
    // KDE Frameworks 5 looks for this service type; 6 goes by the MimeType alone.
    text += "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n";
    text += "MimeType=" + mimeTypeList() + "\n";
    text += "Actions=ondrel;\n";
    // In the menu itself rather than under "Actions", as "Send To" would be.
    text += "X-KDE-Priority=TopLevel\n";
    if (!shortcut.Description.empty())
        text += line("Comment", shortcut.Description);
    // KIO starts an action in the working folder of its service.
    if (!shortcut.WorkingDirectory.empty())
        text += line("Path", shortcut.WorkingDirectory);
    text += "\n[" + std::string(kActionGroup) + "]\n";
    text += "Name=Ondrel\n";
    text += line("Icon", icon);
    text += line("Exec", exec);
    return text;
}

Shortcut readEntry(const std::string& text, const std::string& path) {
    const auto groups = parseKeyFile(text, path);
    const auto entry = groups.find(kEntryGroup);
    if (entry == groups.end())
        throw PlatformError("ReadShortcut", path, "no desktop entry");
    const std::string type = valueOf(entry->second, "Type", path);

    Shortcut shortcut;
    shortcut.FullName = path;
    shortcut.Description = valueOf(entry->second, "Comment", path);
    std::string exec;
    shortcut.WorkingDirectory = valueOf(entry->second, "Path", path);
    if (valueOf(entry->second, "Name", path) != "Ondrel")
        throw PlatformError("ReadShortcut", path, "not an Ondrel shortcut");
    if (type == "Application") {
        exec = valueOf(entry->second, "Exec", path);
    } else if (type == "Action") {
        const auto profile = groups.find(kProfileGroup);
        if (profile == groups.end() || valueOf(entry->second, "Profiles", path) != "ondrel;")
            throw PlatformError("ReadShortcut", path, "not an Ondrel file manager action");
        exec = valueOf(profile->second, "Exec", path);
        shortcut.WorkingDirectory = percentUndoubled(valueOf(profile->second, "Path", path), path);
    } else if (type == "Service") {
        const auto action = groups.find(kActionGroup);
        if (action == groups.end() || valueOf(entry->second, "Actions", path) != "ondrel;" ||
            valueOf(action->second, "Name", path) != "Ondrel")
            throw PlatformError("ReadShortcut", path, "not an Ondrel service menu");
        exec = valueOf(action->second, "Exec", path);
    } else {
        throw PlatformError("ReadShortcut", path, "not an Ondrel shortcut");
    }

    std::vector<std::string> arguments;
    try {
        arguments = execArguments(exec);
    } catch (const std::invalid_argument& error) {
        throw PlatformError("ReadShortcut", path, std::string("Exec: ") + error.what());
    }
    if (type == "Action" && arguments.size() == 6 &&
        std::equal(kFolderWrapper.begin(), kFolderWrapper.end(), arguments.begin())) {
        if (arguments[4] != shortcut.WorkingDirectory)
            throw PlatformError("ReadShortcut", path, "Exec and Path name different folders");
        arguments = {arguments[3], arguments[5]};
    }
    if (arguments.size() == 5 &&
        std::equal(kPercentWrapper.begin(), kPercentWrapper.end(), arguments.begin()))
        arguments.erase(arguments.begin(), arguments.begin() + 3);
    if (arguments.size() != 2 || arguments[1] != "%F")
        throw PlatformError("ReadShortcut", path, "Exec is not a program followed by %F");
    shortcut.TargetPath = arguments[0];
    return shortcut;
}

} // namespace ondrel::platform::desktopentry
