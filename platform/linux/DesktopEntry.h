#pragma once

#include "platform/Shell.h"

#include <string>
#include <vector>

namespace ondrel::platform {

// Shortcuts in the freedesktop.org desktop entry format: what GNOME's and
// KDE's desktops, Thunar's "Send To", KDE's service menus and the file
// manager actions of PCManFM and PCManFM-Qt launch with the files dropped on
// them or chosen.
namespace desktopentry {

// The file's purpose decides its form: an application that is launched with
// files (the Desktop icon, Thunar's Send To), a service menu that adds one
// action to the file manager's right-click menu (Dolphin and Konqueror), or
// a file manager action that does the same in PCManFM and PCManFM-Qt.
enum class Kind { Application, ServiceMenu, Action };

// The audio types Ondrel takes, plus MP4 video, whose sound it converts: the
// desktops offer a shortcut for exactly these files.
const std::vector<std::string>& audioMimeTypes();

// The entry's text. Throws PlatformError("Save", shortcut.FullName, reason)
// when a path holds what an entry cannot carry (a line break or another
// control character, text that is not UTF-8): such an entry could only run
// something else than its target.
std::string entryText(const Shortcut& shortcut, Kind kind);

// The three properties back from an entry's text, or PlatformError
// ("ReadShortcut", path, reason) when the text is no Ondrel shortcut.
Shortcut readEntry(const std::string& text, const std::string& path);

// One argument as an Exec key holds it, before the key file's own escapes:
// double-quoted, with a backslash before ", `, $ and \, and % doubled.
std::string execQuoted(const std::string& argument);

// The Exec value split back into its arguments; field codes such as %F stay
// as they are written, a doubled % is one. Throws std::invalid_argument for an
// unfinished quote or a stray backslash.
std::vector<std::string> execArguments(const std::string& exec);

// A value as a key file holds it: backslash, tab, line breaks and a leading
// space escaped.
std::string keyFileEscaped(const std::string& value);
// The escapes undone; an unknown escape is std::invalid_argument.
std::string keyFileUnescaped(const std::string& value);

} // namespace desktopentry

} // namespace ondrel::platform
