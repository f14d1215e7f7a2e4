// The ffmpeg.exe adapter from its argument list to the ffmpeg it starts: a
// fake ffmpeg on the search path records its arguments and then writes a
// result, exits 0 without one, or fails.
//
// Input: a control byte, then the source's and the output's names (inside a
// scratch folder; "/" makes sub-folders, ".." is refused), separated by a NUL
// byte. Control byte: bits 0-1 what the fake does (0 write, 1 nothing, else
// fail), bit 2 the source exists, bit 3 a stale file stands at the output,
// bit 4 the output is the source.

#include "converters/ArgumentForm.h"
#include "converters/ConverterAdapter.h"
#include "converters/Words.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/ScratchFolder.h"

#include <pthread.h>
#include <sys/stat.h>

#include <csignal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using ondrel::converters::splitWords;
using ondrel::fuzz::require;

namespace {

const char kFakeFfmpeg[] = R"(#!/bin/sh
printf '%s\0' "$@" > "$ONDREL_FUZZ_RECORD"
case "$ONDREL_FUZZ_RESULT" in
write) for last; do :; done; printf result > "${last#file:}"; exit 0 ;;
nothing) exit 0 ;;
*) exit 3 ;;
esac
)";

// As ffmpeg_adapter.cpp makes it.
const std::vector<std::string> kForm = splitWords("-vn -ab 128k -ar 44100");
const std::vector<std::string> kOutputOptions =
    splitWords("-vn -c:a aac -b:a 128k -ar 44100 -f mp4");

struct Sandbox {
    ondrel::fuzz::ScratchFolder scratch;
    std::string bin = scratch.path() + "/bin";
    std::string record = scratch.path() + "/record";

    Sandbox() {
        std::filesystem::create_directory(bin);
        ondrel::fuzz::writeFile(bin + "/ffmpeg", kFakeFfmpeg);
        std::filesystem::permissions(bin + "/ffmpeg", std::filesystem::perms::owner_all);
        ::setenv("ONDREL_FUZZ_RECORD", record.c_str(), 1);
    }
};

bool acceptableName(const std::string& name) {
    if (name.empty() || name.front() == '/' || name.size() > 1000)
        return false;
    for (const std::string& part : ondrel::fuzz::fields(name, '/')) {
        if (part == ".." || part.size() > 255)
            return false;
    }
    return true;
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string folderOf(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

// What ffmpeg is told: its fixed options, the source, the conversion, and a
// file to write that is neither the source nor the output itself.
void checkRecorded(const std::vector<std::string>& recorded, const std::string& source,
                   const std::string& output) {
    std::vector<std::string> expected = splitWords("-nostdin -hide_banner -loglevel error -y -i");
    expected.push_back("file:" + source);
    expected.insert(expected.end(), kOutputOptions.begin(), kOutputOptions.end());
    require(recorded.size() == expected.size() + 1, "ffmpeg gets exactly the arguments it needs");
    require(std::equal(expected.begin(), expected.end(), recorded.begin()),
            "ffmpeg gets the fixed options and the given source, nothing else");
    const std::string& writer = recorded.back();
    require(writer.rfind("file:", 0) == 0, "ffmpeg's output is named as a file");
    const std::string partial = writer.substr(5);
    require(partial.rfind("/proc/self/fd/", 0) == 0 ||
                (folderOf(partial) == folderOf(output) && partial != output && partial != source),
            "ffmpeg writes beside the output, never onto it or the source");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The adapter waits for SIGCHLD with the signal blocked, as a program of
    // one thread may. libFuzzer runs a second thread, which would take the
    // signal and drop it; blocked here, before that thread exists, it stays
    // blocked there too.
    sigset_t childSignal;
    sigemptyset(&childSignal);
    sigaddset(&childSignal, SIGCHLD);
    ::pthread_sigmask(SIG_BLOCK, &childSignal, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static const Sandbox sandbox;
    const std::vector<std::string> names =
        ondrel::fuzz::fields(ondrel::fuzz::bytes(data + 1, size - 1));
    const std::uint8_t control = data[0];
    const bool outputIsSource = (control & 16u) != 0;
    if (names.size() != (outputIsSource ? 1 : 2) || !acceptableName(names.front()) ||
        !acceptableName(names.back()))
        return 0;

    const std::string work = sandbox.scratch.freshFolder("work");
    const std::string source = work + "/" + names.front();
    const std::string output = work + "/" + names.back();
    const char* result = (control & 3u) == 0 ? "write" : (control & 3u) == 1 ? "nothing" : "fail";
    ::setenv("ONDREL_FUZZ_RESULT", result, 1);
    std::filesystem::remove(sandbox.record);

    std::error_code ignored;
    // A name may also leave no file to create (a trailing "/"): the source is then missing.
    const auto create = [&ignored](const std::string& path, const std::string& content) {
        std::filesystem::create_directories(folderOf(path), ignored);
        try {
            ondrel::fuzz::writeFile(path, content);
        } catch (const std::exception&) {
        }
    };
    if ((control & 4u) != 0)
        create(source, "source");
    const bool sameFile =
        exists(source) && exists(output) && std::filesystem::equivalent(source, output, ignored);
    if ((control & 8u) != 0 && !sameFile)
        create(output, "stale");
    const bool outputWasFolder = std::filesystem::is_directory(output, ignored);
    // The output may name the source in other words ("a" and "./a").
    const bool sourceAtOutput =
        exists(source) && exists(output) && std::filesystem::equivalent(source, output, ignored);
    const bool sourceExisted = ondrel::fuzz::readFile(source) == "source";

    std::vector<std::string> arguments{"/opt/ondrel/ffmpeg.exe"};
    arguments.insert(arguments.end(), kForm.begin(), kForm.end());
    arguments.insert(arguments.end(), {"-i", source, output});
    std::ostringstream errors;
    const ondrel::converters::ConverterAdapter adapter(ondrel::converters::ArgumentForm(kForm),
                                                       kOutputOptions);
    const int exitCode = adapter.run(arguments, sandbox.bin, errors);

    const bool started = exists(sandbox.record);
    if (started) {
        // Each argument ends in a NUL byte, so the last field is empty.
        std::vector<std::string> recorded =
            ondrel::fuzz::fields(ondrel::fuzz::readFile(sandbox.record));
        recorded.pop_back();
        checkRecorded(recorded, source, output);
        if (std::string(result) == "write") {
            require(exitCode == 0 || outputWasFolder, "a written result is a success");
        } else {
            require(exitCode != 0, "ffmpeg's failure, or no result, is the converter's failure");
        }
    }
    require(exitCode == 0 || !errors.str().empty(), "every failure is explained");
    if (exitCode == 0) {
        require(ondrel::fuzz::readFile(output) == "result", "a success leaves the result");
    } else if (started && !outputWasFolder) {
        // An output that is the source may be refused; the source stays then.
        if (outputIsSource || sourceAtOutput)
            require(!sourceExisted || ondrel::fuzz::readFile(source) == "source",
                    "a failure keeps the source");
        else
            require(!exists(output), "a failure leaves nothing at the output");
    }
    // Nothing half-written stays behind, whatever happened.
    std::set<std::string> known;
    for (std::string path : {source, output}) {
        for (; path.size() > work.size(); path = folderOf(path))
            known.insert(std::filesystem::path(path).lexically_normal().string());
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(work))
        require(known.count(entry.path().lexically_normal().string()) != 0,
                "no file is left but the source and the output");
    return 0;
}
