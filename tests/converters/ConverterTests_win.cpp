// The Windows adapters, ffmpeg.exe and kdh.exe, started the way the program
// starts them (one command line, the paths in quotes) against the stand-in
// FFmpeg, which notes what it got. Runs under Wine from
// .ci/wine-converter-tests; the adapters and the stand-in lie beside it.

#include <windows.h>

#include "tests/contract/Check.h"

#include "converters/Converters.h"
#include "converters/SupervisedChild.h"
#include "converters/WideText_win.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using ondrel::converters::win::ownPath;
using ondrel::converters::win::toUtf8;
using ondrel::converters::win::toWide;

const std::string kDefaultOptions = "-vn -ab 128k -ar 44100";
const std::string kKdhOptions = "-maxfr 30 -bitexact -vcodec h264 -coder 1 -bufsize 128 -g 250 "
                                "-s 320x240 -b 384 -acodec aac -ac 2 -ar 48000 -ab 64 -f mp4";

std::string g_scratch;
int g_folderCount = 0;

std::string folderOf(const std::string& path) {
    return path.substr(0, path.find_last_of('\\'));
}

std::string binFolder() {
    return folderOf(toUtf8(ownPath()));
}

bool exists(const std::string& path) {
    return GetFileAttributesW(toWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(toWide(path).c_str(), std::ios::binary) << content;
}

std::string readFile(const std::string& path) {
    std::ifstream in(toWide(path).c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(toWide(folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = toUtf8(found.cFileName);
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// A new, empty folder in the scratch folder; its name holds a space.
std::string freshFolder(const std::string& label) {
    const std::string path = g_scratch + "\\" + std::to_string(++g_folderCount) + " " + label;
    CreateDirectoryW(toWide(path).c_str(), nullptr);
    return path;
}

void copyInto(const std::string& from, const std::string& to) {
    CopyFileW(toWide(from).c_str(), toWide(to).c_str(), FALSE);
}

// A program folder as the download holds it: both adapters, and, unless
// told otherwise, the stand-in as ffmpeg\bin\ffmpeg.exe.
std::string programFolder(bool withFfmpeg = true) {
    const std::string folder = freshFolder("program ü");
    copyInto(binFolder() + "\\ffmpeg.exe", folder + "\\ffmpeg.exe");
    copyInto(binFolder() + "\\kdh.exe", folder + "\\kdh.exe");
    if (withFfmpeg) {
        CreateDirectoryW(toWide(folder + "\\ffmpeg").c_str(), nullptr);
        CreateDirectoryW(toWide(folder + "\\ffmpeg\\bin").c_str(), nullptr);
        copyInto(binFolder() + "\\standin_ffmpeg.exe", folder + "\\ffmpeg\\bin\\ffmpeg.exe");
    }
    return folder;
}

// The command line exactly as the program forms it.
std::string programCommandLine(const std::string& adapter, const std::string& options,
                               const std::string& source, const std::string& output) {
    return "\"" + adapter + "\" " + options + " -i \"" + source + "\" \"" + output + "\"";
}

struct Environment {
    std::string mode = "write";
    std::string log;
    std::string path = "C:\\windows\\system32"; // no FFmpeg there
};

struct Started {
    PROCESS_INFORMATION process{};
    std::string errorsFile;
};

// Starts a command line with the stand-in told what to do; its standard
// error goes to a file, its standard input is the null device.
Started start(const std::string& line, const Environment& environment) {
    SetEnvironmentVariableW(L"STANDIN_MODE", toWide(environment.mode).c_str());
    SetEnvironmentVariableW(L"STANDIN_LOG", toWide(environment.log).c_str());
    SetEnvironmentVariableW(L"PATH", toWide(environment.path).c_str());
    Started started;
    started.errorsFile = freshFolder("errors") + "\\stderr.txt";
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE errors =
        CreateFileW(toWide(started.errorsFile).c_str(), GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, CREATE_ALWAYS, 0, nullptr);
    const HANDLE input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = errors;
    startup.hStdError = errors;
    std::wstring wide = toWide(line);
    if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &started.process))
        contract::reportFailure(__FILE__, __LINE__,
                                "cannot start " + line + ": " +
                                    ondrel::platform::win::systemMessage(GetLastError()));
    CloseHandle(errors);
    CloseHandle(input);
    return started;
}

struct Finished {
    DWORD exitCode = 0xFFFFFFFF;
    std::string errors;
};

Finished run(const std::string& line, const Environment& environment) {
    Started started = start(line, environment);
    Finished finished;
    if (started.process.hProcess == nullptr)
        return finished;
    // Generous: a conversion by the stand-in takes well under a second.
    if (WaitForSingleObject(started.process.hProcess, 120000) != WAIT_OBJECT_0) {
        TerminateProcess(started.process.hProcess, 1);
        contract::reportFailure(__FILE__, __LINE__, "the adapter did not end: " + line);
    }
    GetExitCodeProcess(started.process.hProcess, &finished.exitCode);
    CloseHandle(started.process.hThread);
    CloseHandle(started.process.hProcess);
    finished.errors = readFile(started.errorsFile);
    return finished;
}

// The values the stand-in noted under key, in order.
std::vector<std::string> logged(const std::string& log, const std::string& key) {
    std::vector<std::string> values;
    std::istringstream lines(readFile(log));
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(key + "=", 0) == 0)
            values.push_back(line.substr(key.size() + 1));
    return values;
}

// A list as one text, for comparing and showing.
std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items)
        text += "[" + item + "]";
    return text;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool startsWith(const std::string& text, const std::string& start) {
    return text.rfind(start, 0) == 0;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The stand-in got exactly the translation of the shared code, for these
// paths, with the result written beside the output under another name.
void checkTranslation(const ondrel::converters::ConverterAdapter& adapter, const std::string& log,
                      const std::string& source, const std::string& output) {
    const std::vector<std::string> arguments = logged(log, "arg");
    CHECK(arguments.size() >= 2);
    if (arguments.size() < 2)
        return;
    const std::string writer = arguments.back();
    const std::vector<std::string> expected = adapter.translate({source, output}, writer.substr(5));
    CHECK_EQ(joined(std::vector<std::string>(arguments.begin() + 1, arguments.end())),
             joined(expected));
    const std::string partialStart = "file:" + folderOf(output) + "\\.";
    CHECK(startsWith(writer, partialStart));
    CHECK(endsWith(writer, ".mp4"));
    CHECK(writer != "file:" + output);
    CHECK(!exists(writer.substr(5))); // renamed onto the output
}

CONTRACT_TEST(win_converter_default_translation) {
    const std::string program = programFolder();
    const std::string media = freshFolder("music ü");
    const std::string out = freshFolder("temp");
    const std::string source = media + "\\song.mp3";
    const std::string output = out + "\\song.mp4";
    writeFile(source, "sound");
    Environment environment;
    environment.log = out + ".log";
    const Finished finished = run(
        programCommandLine(program + "\\ffmpeg.exe", kDefaultOptions, source, output), environment);
    CHECK_EQ(finished.exitCode, 0UL);
    CHECK_EQ(readFile(output), std::string("converted by the stand-in"));
    checkTranslation(ondrel::converters::defaultModeAdapter(), environment.log, source, output);
    const std::vector<std::string> arguments = logged(environment.log, "arg");
    CHECK(!arguments.empty() && endsWith(arguments.front(), "\\ffmpeg\\bin\\ffmpeg.exe"));
    // Spelled out once, against a slip in the shared list itself.
    const std::string line = logged(environment.log, "commandline").at(0);
    CHECK(contains(line, " -nostdin "));
    CHECK(contains(line, " -vn -c:a aac -b:a 128k -ar 44100 -f mp4 "));
    CHECK_EQ(joined(logged(environment.log, "stdin")), std::string("[char]"));
    CHECK_EQ(joined(namesIn(out)), joined({"song.mp4"}));
}

CONTRACT_TEST(win_converter_kdh_translation) {
    const std::string program = programFolder();
    const std::string media = freshFolder("video");
    const std::string out = freshFolder("temp");
    const std::string source = media + "\\clip.mkv";
    const std::string output = out + "\\clip.mp4";
    writeFile(source, "picture and sound");
    Environment environment;
    environment.log = out + ".log";
    const Finished finished =
        run(programCommandLine(program + "\\kdh.exe", kKdhOptions, source, output), environment);
    CHECK_EQ(finished.exitCode, 0UL);
    CHECK(exists(output));
    checkTranslation(ondrel::converters::kdhModeAdapter(), environment.log, source, output);
    const std::string line = logged(environment.log, "commandline").at(0);
    CHECK(contains(line, " -c:v libx264 "));
    CHECK(contains(line, " -b:a 64k -ar 48000 -ac 2 "));
    CHECK_EQ(joined(namesIn(out)), joined({"clip.mp4"}));
}

// Names the shell would mangle and names outside any code page arrive as
// they were written: no shell, each argument quoted by the runtime's rules.
CONTRACT_TEST(win_converter_awkward_names) {
    const std::string program = programFolder();
    const std::string media = freshFolder("it's ^ & %PATH% ! (x) ü");
    const std::string out = freshFolder("out ^&%TEMP%%");
    const std::string source = media + "\\a  b ' ^ & % ! é 日本 \xF0\x9F\x8E\xB5.mp3";
    const std::string output = out + "\\a  b ' ^ & % ! é 日本 \xF0\x9F\x8E\xB5.mp4";
    writeFile(source, "sound");
    Environment environment;
    environment.log = out + ".log";
    const Finished finished = run(
        programCommandLine(program + "\\ffmpeg.exe", kDefaultOptions, source, output), environment);
    CHECK_EQ(finished.exitCode, 0UL);
    CHECK(exists(output));
    checkTranslation(ondrel::converters::defaultModeAdapter(), environment.log, source, output);
}

// A song whose name Windows would take for a device (written on a network
// share or a card from another system) is read as the file it is: FFmpeg
// gets its literal "\\?\" form, never the AUX or NUL device. The output name
// is the program's own and goes as given.
CONTRACT_TEST(win_converter_source_named_as_a_device) {
    const std::string program = programFolder();
    const std::string media = freshFolder("music");
    const std::string out = freshFolder("temp");
    for (const std::string& name : {std::string("Aux.mp3"), std::string("nul.m4a")}) {
        const std::string source = media + "\\" + name;
        const std::string output = out + "\\" + name.substr(0, 3) + "_.mp4";
        writeFile("\\\\?\\" + source, "sound");
        CHECK_EQ(readFile("\\\\?\\" + source), std::string("sound"));
        Environment environment;
        environment.log = out + "\\log of " + name + ".txt";
        const Finished finished =
            run(programCommandLine(program + "\\ffmpeg.exe", kDefaultOptions, source, output),
                environment);
        CHECK_EQ(finished.exitCode, 0UL);
        CHECK_EQ(finished.errors, std::string());
        CHECK_EQ(readFile(output), std::string("converted by the stand-in"));
        const std::vector<std::string> arguments = logged(environment.log, "arg");
        CHECK(std::find(arguments.begin(), arguments.end(), "file:\\\\?\\" + source) !=
              arguments.end());
    }
}

// The quoting of the start itself, with what program paths cannot hold:
// quotes, backslashes before quotes and at the end, empty arguments.
CONTRACT_TEST(win_converter_arguments_with_quotes) {
    const std::string log = freshFolder("quotes") + "\\log.txt";
    SetEnvironmentVariableW(L"STANDIN_LOG", toWide(log).c_str());
    SetEnvironmentVariableW(L"STANDIN_MODE", L"nothing");
    const std::string standin = binFolder() + "\\standin_ffmpeg.exe";
    const std::vector<std::string> arguments{standin,   "say \"hi\"",  "C:\\dir\\", "\\\\\"",
                                             "",        "a\\\\b c",    "tab\there", "\"",
                                             "end\\\\", "^&%PATH%|<>", "ü 日本"};
    ondrel::converters::SupervisedChild child;
    const auto outcome = child.run(standin, arguments);
    CHECK_EQ(outcome.exitCode, 0);
    const std::vector<std::string> got = logged(log, "arg");
    CHECK_EQ(got.size(), arguments.size());
    if (got.size() == arguments.size())
        for (std::size_t index = 1; index < got.size(); ++index)
            CHECK_EQ(got[index], arguments[index]);
}

CONTRACT_TEST(win_converter_failures_leave_no_output) {
    const std::string program = programFolder();
    const std::string media = freshFolder("music");
    const std::string out = freshFolder("temp");
    const std::string source = media + "\\song.mp3";
    const std::string output = out + "\\song.mp4";
    writeFile(source, "sound");
    Environment environment;
    environment.log = out + ".log";
    const std::string line =
        programCommandLine(program + "\\ffmpeg.exe", kDefaultOptions, source, output);

    environment.mode = "fail";
    Finished finished = run(line, environment);
    CHECK_EQ(finished.exitCode, 3UL); // FFmpeg's own code passed on
    CHECK(!exists(output));
    CHECK(namesIn(out).empty());
    CHECK(!finished.errors.empty());

    // An older output would pass for this run's result.
    writeFile(output, "an older result");
    finished = run(line, environment);
    CHECK(finished.exitCode != 0);
    CHECK(!exists(output));
    CHECK(namesIn(out).empty());

    environment.mode = "nothing";
    finished = run(line, environment);
    CHECK(finished.exitCode != 0);
    CHECK(!exists(output));
    CHECK(namesIn(out).empty());
}

bool waitForFile(const std::string& path) {
    for (int poll = 0; poll < 600; ++poll) { // a minute at most
        if (exists(path))
            return true;
        Sleep(100);
    }
    return false;
}

// The program ends a running converter with TerminateProcess when its window
// is closed; FFmpeg must end with it, and the output name stay free.
CONTRACT_TEST(win_converter_terminated_takes_ffmpeg_along) {
    const std::string program = programFolder();
    const std::string media = freshFolder("music");
    const std::string out = freshFolder("temp");
    const std::string source = media + "\\song.mp3";
    const std::string output = out + "\\song.mp4";
    writeFile(source, "sound");
    Environment environment;
    environment.log = out + ".log";
    environment.mode = "hang";
    Started started = start(
        programCommandLine(program + "\\ffmpeg.exe", kDefaultOptions, source, output), environment);
    CHECK(waitForFile(environment.log + ".hanging"));
    const std::vector<std::string> pid = logged(environment.log, "pid");
    CHECK_EQ(pid.size(), std::size_t{1});
    if (pid.size() != 1 || started.process.hProcess == nullptr)
        return;
    const HANDLE standin = OpenProcess(SYNCHRONIZE, FALSE, std::stoul(pid.front()));
    CHECK(standin != nullptr);
    CHECK(!exists(output)); // half written, but under another name
    TerminateProcess(started.process.hProcess, 0);
    WaitForSingleObject(started.process.hProcess, 60000);
    CloseHandle(started.process.hThread);
    CloseHandle(started.process.hProcess);
    if (standin != nullptr) {
        const DWORD waited = WaitForSingleObject(standin, 60000);
        CHECK_EQ(waited, static_cast<DWORD>(WAIT_OBJECT_0));
        if (waited != WAIT_OBJECT_0)
            TerminateProcess(standin, 1);
        CloseHandle(standin);
    }
    CHECK(!exists(output));
}

CONTRACT_TEST(win_converter_finding_ffmpeg) {
    const std::string program = programFolder(false);
    const std::string media = freshFolder("music");
    const std::string out = freshFolder("temp");
    const std::string source = media + "\\song.mp3";
    const std::string output = out + "\\song.mp4";
    writeFile(source, "sound");
    Environment environment;
    environment.log = out + ".log";
    const std::string line =
        programCommandLine(program + "\\ffmpeg.exe", kDefaultOptions, source, output);

    Finished finished = run(line, environment);
    CHECK_EQ(finished.exitCode, 127UL);
    CHECK(contains(finished.errors, program + "\\ffmpeg\\bin\\ffmpeg.exe"));
    CHECK(contains(finished.errors, "PATH"));
    CHECK(!exists(output));
    CHECK(!exists(environment.log));

    // The adapters' own folder holds an ffmpeg.exe: the adapter itself.
    environment.path = program + ";C:\\windows\\system32";
    finished = run(line, environment);
    CHECK_EQ(finished.exitCode, 127UL);
    CHECK(!exists(output));
    CHECK(!exists(environment.log));

    // One on PATH is taken when none lies beside the adapter.
    const std::string elsewhere = freshFolder("ffmpeg elsewhere");
    copyInto(binFolder() + "\\standin_ffmpeg.exe", elsewhere + "\\ffmpeg.exe");
    environment.path = program + ";" + elsewhere;
    finished = run(line, environment);
    CHECK_EQ(finished.exitCode, 0UL);
    CHECK(exists(output));
    const std::vector<std::string> arguments = logged(environment.log, "arg");
    CHECK(!arguments.empty() && arguments.front() == elsewhere + "\\ffmpeg.exe");

    // The one beside the adapter comes first.
    const std::string bundled = programFolder();
    DeleteFileW(toWide(environment.log).c_str());
    finished = run(programCommandLine(bundled + "\\ffmpeg.exe", kDefaultOptions, source, output),
                   environment);
    CHECK_EQ(finished.exitCode, 0UL);
    const std::vector<std::string> again = logged(environment.log, "arg");
    CHECK(!again.empty() && again.front() == bundled + "\\ffmpeg\\bin\\ffmpeg.exe");
}

CONTRACT_TEST(win_converter_other_argument_forms) {
    const std::string program = programFolder();
    const std::string media = freshFolder("music");
    const std::string out = freshFolder("temp");
    const std::string source = media + "\\song.mp3";
    const std::string output = out + "\\song.mp4";
    writeFile(source, "sound");
    Environment environment;
    environment.log = out + ".log";
    const std::string ffmpeg = "\"" + program + "\\ffmpeg.exe\"";
    const std::string kdh = "\"" + program + "\\kdh.exe\"";
    const std::string paths = " \"" + source + "\" \"" + output + "\"";
    for (const std::string& line : {
             ffmpeg,
             ffmpeg + " " + kDefaultOptions + paths,
             ffmpeg + " -ar 44100 -vn -ab 128k -i" + paths,
             ffmpeg + " " + kDefaultOptions + " -y -i" + paths,
             ffmpeg + " " + kDefaultOptions + " -i \"" + source + "\"",
             ffmpeg + " " + kKdhOptions + " -i" + paths,
             kdh + " " + kDefaultOptions + " -i" + paths,
         }) {
        const Finished finished = run(line, environment);
        CHECK_EQ(finished.exitCode, 2UL);
        CHECK(contains(finished.errors, "-i <source> <output>"));
        CHECK(!exists(output));
        CHECK(!exists(environment.log));
    }
}

CONTRACT_TEST(win_converter_unusable_sources) {
    const std::string program = programFolder();
    const std::string media = freshFolder("music");
    const std::string out = freshFolder("temp");
    Environment environment;
    environment.log = out + ".log";
    const auto convert = [&](const std::string& source, const std::string& output) {
        return run(programCommandLine(program + "\\ffmpeg.exe", kDefaultOptions, source, output),
                   environment);
    };

    for (const std::string& source : {media, std::string("NUL"), media + "\\absent.mp3"}) {
        const Finished finished = convert(source, out + "\\song.mp4");
        CHECK(finished.exitCode != 0);
        CHECK(!exists(out + "\\song.mp4"));
        CHECK(!exists(environment.log));
    }

    // The source itself as the output, by its own name and by another spelling.
    const std::string same = out + "\\same.mp4";
    writeFile(same, "the user's own video");
    for (const std::string& output : {same, out + "\\SAME.MP4", out + "\\.\\same.mp4"}) {
        const Finished finished = convert(same, output);
        CHECK(finished.exitCode != 0);
        CHECK(contains(finished.errors, "same file"));
        CHECK_EQ(readFile(same), std::string("the user's own video"));
        CHECK(!exists(environment.log));
    }
    CHECK_EQ(joined(namesIn(out)), joined({"same.mp4"}));
}

CONTRACT_TEST(win_converter_long_output_name) {
    const std::string program = programFolder();
    const std::string media = freshFolder("music");
    const std::string out = freshFolder("temp");
    const std::string source = media + "\\song.mp3";
    const std::string name = std::string(236, 'n') + ".mp4"; // 240 of the 255 a name may hold
    writeFile(source, "sound");
    Environment environment;
    environment.log = out + ".log";
    const Finished finished = run(
        programCommandLine(program + "\\ffmpeg.exe", kDefaultOptions, source, out + "\\" + name),
        environment);
    CHECK_EQ(finished.exitCode, 0UL);
    CHECK_EQ(joined(namesIn(out)), joined({name}));
}

const contract::RunHook scratchFolder(
    [] {
        wchar_t temp[MAX_PATH + 1];
        GetTempPathW(MAX_PATH + 1, temp);
        std::string base = toUtf8(temp);
        if (!base.empty() && base.back() == '\\')
            base.pop_back();
        g_scratch = base + "\\ondrel converters " + std::to_string(GetCurrentProcessId());
        CreateDirectoryW(toWide(g_scratch).c_str(), nullptr);
    },
    [] {
        // The script throws the whole prefix away; nothing to tidy here.
    });

} // namespace
