// Batches of the real Ondrel.exe through the real adapters, from the Windows
// download as a user unpacks it, with a stand-in FFmpeg put into its ffmpeg
// folder (ffmpeg\bin\ffmpeg.exe) that works, fails or never ends as
// STANDIN_MODE says: what the program makes of the adapters' outcomes. The
// program's windows are worked from outside: found by caption, buttons
// clicked with BM_CLICK, the log read with WM_GETTEXT. Run by
// .ci/wine-converter-tests.

#include "tests/contract/Check.h"
#include "tests/converters/DownloadBatch.h"
#include "tests/wine/WindowDriver.h"

#include "platform/win/WideText.h"

#include <windows.h>

#include <string>

namespace {

using namespace downloadbatch;
using ondrel::platform::win::toWide;
using windowdriver::processesNamed;
using windowdriver::waitFor;

// The card emptied, one song in a folder with spaces, the stand-in told how
// to behave and where to note how it was started.
struct StandInBatch {
    explicit StandInBatch(const std::string& mode) {
        batch.emptyCardMusic();
        CreateDirectoryW(toWide(batch.root() + "\\My Music").c_str(), nullptr);
        source = batch.root() + "\\My Music\\song one.mp3";
        writeFile(source, "sound");
        standInLog = batch.root() + "\\stand-in.log";
        SetEnvironmentVariableW(L"STANDIN_MODE", toWide(mode).c_str());
        SetEnvironmentVariableW(L"STANDIN_LOG", toWide(standInLog).c_str());
        launched = batch.launch({source});
    }

    DownloadBatch batch;
    std::string source;
    std::string standInLog;
    bool launched = false;
};

CONTRACT_TEST(download_a_batch_onto_the_card) {
    StandInBatch run("write");
    if (!run.launched)
        return;
    DownloadBatch& batch = run.batch;
    batch.start();
    CHECK(batch.finished());
    CHECK(contains(batch.log(), "song one.mp3... SUCCESS\r\n**Finished**"));
    CHECK_EQ(readFile(batch.card() + "\\Music\\song one.mp4"),
             std::string("converted by the stand-in"));
    CHECK(exists(batch.temp() + "\\song one.mp4"));
    // The adapter, not a stand-in beside Ondrel.exe, did the translating.
    const std::string got = readFile(run.standInLog);
    CHECK(contains(got, "arg=file:" + run.source + "\n"));
    CHECK(contains(got, "\narg=-c:a\narg=aac\n")); // either mode
    CHECK(contains(got, "\\ffmpeg\\bin\\ffmpeg.exe"));
    batch.finish();
    CHECK(batch.ended());
}

CONTRACT_TEST(download_a_failing_conversion_leaves_no_temp_file) {
    StandInBatch run("fail");
    if (!run.launched)
        return;
    DownloadBatch& batch = run.batch;
    batch.start();
    CHECK(batch.finished());
    CHECK(contains(batch.log(), "song one.mp3... FAIL\r\n**Finished**"));
    CHECK(namesIn(batch.temp()).empty()); // neither the TempFile nor a partial one
    CHECK(!exists(batch.card() + "\\Music\\song one.mp4"));
    CHECK(exists(run.standInLog)); // FFmpeg was started, and failed
}

CONTRACT_TEST(download_closing_during_a_never_ending_conversion) {
    StandInBatch run("hang");
    if (!run.launched)
        return;
    DownloadBatch& batch = run.batch;
    batch.start();
    CHECK(waitFor([&] { return exists(run.standInLog + ".hanging"); }));
    CHECK(!processesNamed(L"ffmpeg.exe").empty()); // the adapter and the stand-in
    PostMessageW(batch.main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK(batch.ended());
    // Both the adapter and the stand-in it started are named ffmpeg.exe.
    CHECK(waitFor([] { return processesNamed(L"ffmpeg.exe").empty(); }));
    CHECK(!exists(batch.temp() + "\\song one.mp4"));
}

} // namespace
