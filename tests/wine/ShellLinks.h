#pragma once

// Ondrel.lnk files as the Windows tests read and make them, through the shell
// link object, as Explorer does.

#include <string>

namespace shelllinks {

struct Shortcut {
    bool read = false; // the file was there and a shell link
    std::wstring target;
    std::wstring workingFolder;
    std::wstring description;
};

Shortcut readShortcut(const std::wstring& path);

// A shortcut as the Setting window makes it: program\Ondrel.exe, the program
// folder as working folder, no description. False when it cannot be saved.
bool writeShortcut(const std::wstring& path, const std::wstring& program);

} // namespace shelllinks
