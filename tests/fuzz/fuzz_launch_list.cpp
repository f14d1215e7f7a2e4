// The launch-list steps: argument text to entries, display names (with the
// long-name walk over a fake folder tree) and quote stripping.
//
// Input: a control byte, then either
// - even control byte: the argument text itself;
// - odd control byte: the arguments as the system hands them over, separated
//   by NUL bytes, the first field being the current folder. They go through
//   joinArguments first, so this checks the round trip from the arguments to
//   the list's paths.

#include "app/ArgumentTokenizer.h"
#include "app/LaunchFileList.h"
#include "app/LaunchListBuilder.h"
#include "app/LongFilename.h"
#include "platform/CommandLine.h"
#include "platform/FileSystem.h"
#include "tests/fuzz/FuzzCheck.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using ondrel::LaunchFileList;
using ondrel::fuzz::require;

namespace {

// A folder tree in which every name exists, stored in upper case, except
// names holding a '~', which are missing.
class UpperCaseTree : public ondrel::platform::FileSystem {
public:
    bool FolderExists(const std::string&) const override { return false; }
    void CreateFolder(const std::string&) override {}
    bool FileExists(const std::string&) const override { return false; }
    std::string GetExtensionName(const std::string&) const override { return {}; }
    std::string GetBaseName(const std::string&) const override { return {}; }
    void CopyFile(const std::string&, const std::string&, bool) override {}
    void DeleteFile(const std::string&, bool) override {}
    bool sameFile(const std::string&, const std::string&) const override { return false; }
    bool isOwnFile(const std::string&) const override { return false; }
    std::string createFreeFile(const std::function<std::string(int)>&, int) override { return {}; }
    std::uint64_t ownFileSize(const std::string&) const override { return 0; }
    void removeEmptyOwnFile(const std::string&) override {}
    std::string readFileBytes(const std::string&, std::uint64_t, std::size_t) const override {
        return {};
    }
    bool copyOwnFile(const std::string&, const std::string&) override { return false; }
    std::string copyOwnFileToFreeName(const std::string&, const std::function<std::string(int)>&,
                                      int) override {
        return {};
    }
    bool copyReadableFile(const std::string&, const std::string&) override { return false; }
    std::string folderOnVolumeProblem(const std::string&, const std::string&) const override {
        return {};
    }
    std::string temporaryFolderProblem(const std::string&) const override { return {}; }

    std::string LookupEntryName(const std::string& path) override {
        ++lookUps;
        return storedName(path.substr(path.rfind('/') + 1));
    }

    static std::string storedName(const std::string& name) {
        if (name.empty() || name.find('~') != std::string::npos)
            return {};
        std::string stored = name;
        std::transform(stored.begin(), stored.end(), stored.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        return stored;
    }

    std::size_t lookUps = 0;
};

// The long form the walk must give for an absolute path without empty
// components; nullopt-like "?" for the paths whose form is left to the walk.
std::string expectedLongForm(const std::string& path) {
    if (path.size() < 2 || path.front() != '/' || path.back() == '/' ||
        path.find("//") != std::string::npos)
        return "?";
    std::string longForm;
    for (const std::string& name : ondrel::fuzz::fields(std::string_view(path).substr(1), '/')) {
        const std::string stored = UpperCaseTree::storedName(name);
        if (stored.empty())
            return {};
        longForm += '/' + stored;
    }
    return longForm;
}

std::string strippedToken(const std::string& token) {
    return token.front() == '"' ? token.substr(1, token.size() - 2) : token;
}

// The current folder of a raw argument text: its relative entries are
// completed against it.
std::string fullPath(const std::string& path) {
    return path.empty() || path.front() == '/' ? path : "/cwd/" + path;
}

// 65537 slots per input: kept out of the coverage feedback, which would cost
// more than the whole rest of a run.
__attribute__((no_sanitize("coverage"))) bool slotsEmptyFrom(const LaunchFileList& list,
                                                             std::size_t first) {
    for (std::size_t i = first; i < LaunchFileList::kSlots; ++i) {
        if (!list.SourcePaths[i].empty() || !list.DisplayNames[i].empty())
            return false;
    }
    return true;
}

// One list for all inputs, emptied after each: 131074 strings made anew for
// every input would slow the run a hundredfold.
LaunchFileList& emptiedList() {
    static LaunchFileList list;
    for (std::int16_t i = 0; i < list.FileCount; ++i) {
        list.SourcePaths[static_cast<std::size_t>(i)].clear();
        list.DisplayNames[static_cast<std::size_t>(i)].clear();
    }
    list.FileCount = 0;
    return list;
}

void checkList(const std::string& argumentText, const LaunchFileList& list, std::size_t leftOut) {
    const auto tokens =
        ondrel::ArgumentTokenizer::tokenize(argumentText, LaunchFileList::kMaxFiles).tokens;
    require(list.FileCount >= 0 && list.FileCount <= LaunchFileList::kMaxFiles,
            "the count stays within 0 and 32767");
    require(static_cast<std::size_t>(list.FileCount) == tokens.size(),
            "one entry per token that fits");
    require(list.SourcePaths.size() == LaunchFileList::kSlots &&
                list.DisplayNames.size() == LaunchFileList::kSlots,
            "both arrays keep their 65537 slots");
    require(leftOut == ondrel::ArgumentTokenizer::tokenize(argumentText, 0).leftOut - tokens.size(),
            "the entries that do not fit are counted");
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        require(list.SourcePaths[i] == fullPath(strippedToken(token)),
                "a path is its token without the surrounding quotes, made full");
        if (token.front() == '"') {
            require(list.DisplayNames[i] == list.SourcePaths[i],
                    "a quoted entry shows its own text");
        } else {
            const std::string expected = expectedLongForm(list.SourcePaths[i]);
            if (expected != "?")
                require(list.DisplayNames[i] == expected,
                        "an unquoted entry shows the stored spelling of each component");
            require(list.DisplayNames[i].empty() || list.DisplayNames[i].front() == '/',
                    "a long form is empty or absolute");
        }
    }
    require(slotsEmptyFrom(list, tokens.size()), "the slots after the last entry stay empty");
}

// What an argument must become in the list: the absolute path without "."
// components, empty ones or a trailing separator. ".." stays for the system to
// resolve: after a link it is not what the text says.
std::string expectedPath(const std::string& argument, const std::string& folder) {
    if (argument.empty())
        return {};
    const std::filesystem::path path = argument.front() == '/'
                                           ? std::filesystem::path(argument)
                                           : std::filesystem::path(folder) / argument;
    std::string normal;
    for (const std::filesystem::path& component : path.relative_path()) {
        if (!component.empty() && component != ".")
            normal += "/" + component.string();
    }
    return normal.empty() ? std::string("/") : normal;
}

std::string withQuotesDoubled(const std::string& text) {
    std::string doubled;
    for (const char c : text) {
        doubled += c;
        if (c == '"')
            doubled += '"';
    }
    return doubled;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // More entries than the list can count: once, inputs that long would slow every run.
    std::string text;
    for (int i = 0; i < 40000; ++i)
        text += "/m/a.mp3 ";
    UpperCaseTree tree;
    const ondrel::LongFilename longName(tree);
    const ondrel::LaunchListBuilder builder(
        [&longName](const std::string& path) { return longName.of(path); }, fullPath);
    LaunchFileList& list = emptiedList();
    const std::size_t leftOut = builder.build(text, list);
    require(list.FileCount == 32767 && leftOut == 40000 - 32767,
            "40000 entries fill the list's 32767 and count the rest");
    checkList(text, list, leftOut);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string rest = ondrel::fuzz::bytes(data + 1, size - 1);

    std::string argumentText = rest;
    std::vector<std::string> arguments;
    std::string folder;
    const bool fromArguments = (data[0] & 1u) != 0;
    if (fromArguments) {
        arguments = ondrel::fuzz::fields(rest);
        folder = expectedPath(arguments.front(), "/");
        if (folder.empty())
            folder = "/";
        arguments.erase(arguments.begin());
        if (arguments.empty())
            return 0;
        argumentText = ondrel::platform::joinArguments(arguments, folder);
    }
    // The program runs these steps only on a non-empty text.
    if (argumentText.empty())
        return 0;

    UpperCaseTree tree;
    const ondrel::LongFilename longName(tree);
    const ondrel::LaunchListBuilder builder(
        [&longName](const std::string& path) { return longName.of(path); }, fullPath);
    LaunchFileList& list = emptiedList();
    const std::size_t leftOut = builder.build(argumentText, list);
    checkList(argumentText, list, leftOut);

    if (!fromArguments)
        return 0;
    require(static_cast<std::size_t>(list.FileCount) == arguments.size(),
            "one argument gives exactly one entry");
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& path = list.SourcePaths[i];
        const std::string expected = expectedPath(arguments[i], folder);
        // A path with a quote and a space keeps its quotes doubled, whether
        // the quote came from the argument or from the current folder: such
        // an entry takes the quote road and names no other file.
        if (expected.find('"') != std::string::npos && expected.find(' ') != std::string::npos) {
            require(path == withQuotesDoubled(expected), "a quoted path keeps its quotes doubled");
            require(ondrel::platform::mayNameAnotherFile(path),
                    "such an entry takes the quote road");
        } else {
            require(path == expected, "an entry's path is its argument made absolute");
        }
    }
    return 0;
}
