#pragma once

#include <string>
#include <vector>

namespace ondrel::platform {

// Splits a command line by the Windows rules: the first token (the program)
// ends at the next space outside quotes and takes quotes literally otherwise;
// the rest follow the backslash-and-quote rules of the C runtime.
std::vector<std::string> splitCommandLine(const std::string& commandLine);

// Forms one argument text from arguments already split by the system: each
// argument made absolute against currentFolder, wrapped in quotes with its
// own quotes doubled when it holds a space, all joined by single spaces. Each
// argument gives exactly one entry of the launch tokeniser.
std::string joinArguments(const std::vector<std::string>& arguments,
                          const std::string& currentFolder);

// Whether an entry read back from such a text may differ from the argument it
// came from, and so name another file: a name holding both a quote and a
// space cannot be written so that the tokeniser gives it back unchanged.
bool mayNameAnotherFile(const std::string& entry);

} // namespace ondrel::platform
