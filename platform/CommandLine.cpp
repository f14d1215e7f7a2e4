#include "platform/CommandLine.h"

#include "platform/PathStyle.h"

namespace ondrel::platform {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The program's name: quotes only switch the quoted state and vanish, a
// backslash is an ordinary character (it ends folder names there).
std::string readProgram(const std::string& text, std::size_t& i) {
    std::string program;
    bool quoted = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && isBlank(c))
            break;
        else
            program += c;
    }
    return program;
}

// One later argument by the C runtime's rules.
std::string readArgument(const std::string& text, std::size_t& i) {
    std::string argument;
    bool quoted = false;
    while (i < text.size()) {
        const char c = text[i];
        if (!quoted && isBlank(c))
            break;
        if (c == '\\') {
            std::size_t end = i;
            while (end < text.size() && text[end] == '\\')
                ++end;
            const std::size_t count = end - i;
            if (end < text.size() && text[end] == '"') {
                argument.append(count / 2, '\\');
                if (count % 2 == 1) {
                    argument += '"';
                    ++end;
                }
                // An even run leaves the quote to the next round, where it switches the state.
            } else {
                argument.append(count, '\\');
            }
            i = end;
        } else if (c == '"') {
            if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                argument += '"';
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
        } else {
            argument += c;
            ++i;
        }
    }
    return argument;
}

// "/a/./b//../c/" becomes "/a/b/../c": only the text is looked at, and the
// text cannot tell what ".." stands for. After a link it is the parent of the
// link's target, not "/a"; the system resolves it when the file is opened.
std::string normalised(const std::string& absolute) {
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i < absolute.size()) {
        std::size_t end = i;
        while (end < absolute.size() && !isPathSeparator(absolute[end]))
            ++end;
        const std::string part = absolute.substr(i, end - i);
        if (!part.empty() && part != ".")
            parts.push_back(part);
        i = end + 1;
    }
    if (parts.empty())
        return std::string(1, pathSeparator());
    std::string result;
    for (const std::string& part : parts) {
        result += pathSeparator();
        result += part;
    }
    return result;
}

// One absolute path as a token of the launch tokeniser. Unquoted, a quote is
// an ordinary character, but a space ends the token; quoted, a single quote
// inside would end it early and split one name into others. A doubled quote
// is the only one the tokeniser keeps inside quotes: it keeps both, so the
// entry is not this name but one that holds a quote, which no step takes for
// a file.
std::string launchToken(const std::string& path) {
    if (path.find(' ') == std::string::npos)
        return path;
    std::string token = "\"";
    for (const char c : path) {
        token += c;
        if (c == '"')
            token += '"';
    }
    return token + '"';
}

} // namespace

std::vector<std::string> splitCommandLine(const std::string& commandLine) {
    std::vector<std::string> tokens;
    if (commandLine.empty())
        return tokens;
    std::size_t i = 0;
    tokens.push_back(readProgram(commandLine, i));
    for (;;) {
        while (i < commandLine.size() && isBlank(commandLine[i]))
            ++i;
        if (i >= commandLine.size())
            break;
        tokens.push_back(readArgument(commandLine, i));
    }
    return tokens;
}

std::string joinArguments(const std::vector<std::string>& arguments,
                          const std::string& currentFolder) {
    std::string text;
    for (const std::string& argument : arguments) {
        if (!text.empty())
            text += ' ';
        // An empty argument names no file; as an empty quoted pair it stays one
        // entry instead of silently turning into the current folder.
        if (argument.empty()) {
            text += "\"\"";
            continue;
        }
        const bool absolute = isPathSeparator(argument.front());
        const std::string path =
            normalised(absolute ? argument : currentFolder + pathSeparator() + argument);
        text += launchToken(path);
    }
    return text;
}

bool mayNameAnotherFile(const std::string& entry) {
    // Only a name with both had its quotes doubled by launchToken; any other
    // entry is its argument, character for character.
    return entry.find('"') != std::string::npos && entry.find(' ') != std::string::npos;
}

} // namespace ondrel::platform
