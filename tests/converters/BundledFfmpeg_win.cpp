// Batches of the real Ondrel.exe through its adapters and the FFmpeg the
// download carries in ffmpeg\bin\, from the download unpacked into a folder
// whose name holds spaces (ONDREL_UNPACKED): real songs in, real .mp4 files on
// the card (ONDREL_TEST_CARD_DRIVE). The songs are made on Linux beforehand
// into ONDREL_TEST_MEDIA; the results stay on the card, where
// .ci/wine-converter-tests looks at their streams with ffprobe once Wine has
// ended. Here: every file logged " SUCCESS", an MP4 on the card that is the
// TempFile's copy, and a long conversion ended with the program.

#include "tests/contract/Check.h"
#include "tests/converters/DownloadBatch.h"
#include "tests/wine/WindowDriver.h"

#include "platform/win/WideText.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace downloadbatch;
using ondrel::platform::win::toUtf8;
using ondrel::platform::win::toWide;
using windowdriver::waitFor;

// A song the script made, by its name.
std::string media(const std::string& name) {
    const std::string folder = variable("ONDREL_TEST_MEDIA");
    if (folder.empty())
        contract::skip("ONDREL_TEST_MEDIA must name the folder of the test songs");
    return folder + "\\" + name;
}

std::string baseName(const std::string& path) {
    const std::string name = path.substr(path.find_last_of('\\') + 1);
    return name.substr(0, name.find_last_of('.'));
}

// An ISO media file: it starts with its "ftyp" box.
bool looksLikeMp4(const std::string& bytes) {
    return bytes.size() > 1024 && bytes.compare(4, 4, "ftyp") == 0;
}

// The name a song's result has on the card and in TEMP: its base name, with
// "_" added where Windows would take it for a device (only "Aux" here).
std::string storedName(const std::string& source) {
    const std::string base = baseName(source);
    return (base == "Aux" ? base + "_" : base) + ".mp4";
}

// One batch of these songs in that mode onto the card: each logged " SUCCESS"
// in order, and each left as an MP4 on the card, the same bytes as its
// TempFile.
void convertOntoTheCard(const std::vector<std::string>& sources, bool kdh) {
    DownloadBatch batch;
    std::string expectedLog;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        CHECK(exists(sources[i]));
        CHECK(!exists(batch.card() + "\\Music\\" + storedName(sources[i])));
        expectedLog += "\r\nNo. " + std::to_string(i + 1) + ": " + sources[i] + "... SUCCESS";
    }
    expectedLog += "\r\n**Finished**";
    DownloadBatch::storeKdh(kdh);
    if (!batch.launch(sources))
        return;
    CHECK_EQ(batch.kdhTicked(), kdh);
    batch.start();
    CHECK(batch.finished());
    const std::string log = batch.log();
    if (!contains(log, expectedLog))
        std::cout << "  the log:" << log << std::endl;
    CHECK(contains(log, expectedLog));
    for (const std::string& source : sources) {
        const std::string name = storedName(source);
        const std::string result = readFile(batch.card() + "\\Music\\" + name);
        CHECK(looksLikeMp4(result));
        CHECK(result == readFile(batch.temp() + "\\" + name));
    }
    batch.finish();
    CHECK(batch.ended());
    CHECK_EQ(batch.exitCode(), DWORD{0});
}

// The running processes of that executable name whose image lies in the
// download's folder at that place ("\ffmpeg.exe", "\ffmpeg\bin\ffmpeg.exe").
std::vector<DWORD> runningFrom(const std::string& program, const std::string& place) {
    const std::wstring wanted = toWide(program + place);
    std::vector<DWORD> found;
    for (DWORD id : windowdriver::processesNamed(L"ffmpeg.exe")) {
        const std::wstring image = windowdriver::imageOf(id);
        if (CompareStringOrdinal(image.c_str(), -1, wanted.c_str(), -1, TRUE) == CSTR_EQUAL)
            found.push_back(id);
    }
    return found;
}

// The bytes FFmpeg has written so far beside the TempFile, under the
// adapter's partial name (".<name>.partial-XXXXXX.mp4").
ULONGLONG partialBytes(const std::string& temp, const std::string& tempFileName) {
    ULONGLONG most = 0;
    for (const std::string& name : namesIn(temp)) {
        if (name.rfind("." + tempFileName + ".partial-", 0) != 0)
            continue;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (GetFileAttributesExW(toWide(temp + "\\" + name).c_str(), GetFileExInfoStandard, &data))
            most = std::max(most, (ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
    }
    return most;
}

CONTRACT_TEST(bundled_default_mode_mp3_onto_the_card) {
    convertOntoTheCard({media("sine song.mp3")}, false);
}

CONTRACT_TEST(bundled_kdh_mode_video_onto_the_card) {
    convertOntoTheCard({media("a clip.mkv")}, true);
}

CONTRACT_TEST(bundled_flac_ogg_and_wma_in_one_batch) {
    convertOntoTheCard(
        {media("chanson d'\u00e9t\u00e9.flac"), media("ogg song.ogg"), media("wma song.wma")},
        false);
}

// "Aux.mp3" as it may come from a network share: FFmpeg reads the file, not
// the AUX device, and the result is stored as "Aux_.mp4".
CONTRACT_TEST(bundled_song_named_as_a_device) {
    convertOntoTheCard({media("Aux.mp3")}, false);
}

CONTRACT_TEST(bundled_closing_during_a_long_conversion) {
    const std::string source = media("long song.mp3");
    DownloadBatch batch;
    DownloadBatch::storeKdh(false);
    if (!batch.launch({source}))
        return;
    batch.start();
    // FFmpeg itself at work: started by the adapter, writing its result.
    const bool converting = waitFor([&] {
        return !runningFrom(batch.program(), "\\ffmpeg\\bin\\ffmpeg.exe").empty() &&
               partialBytes(batch.temp(), "long song.mp4") > 0;
    });
    CHECK(converting);
    if (!converting) {
        for (DWORD id : windowdriver::processesNamed(L"ffmpeg.exe"))
            std::cout << "  ffmpeg.exe running: " << toUtf8(windowdriver::imageOf(id)) << std::endl;
        for (const std::string& name : namesIn(batch.temp()))
            std::cout << "  in TEMP: " << name << std::endl;
    }
    CHECK(!runningFrom(batch.program(), "\\ffmpeg.exe").empty());
    PostMessageW(batch.main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK(batch.ended());
    CHECK_EQ(batch.exitCode(), DWORD{0});
    // Neither the adapter nor FFmpeg outlives the program.
    CHECK(waitFor([] { return windowdriver::processesNamed(L"ffmpeg.exe").empty(); }));
    CHECK(!contains(batch.log(), "SUCCESS"));
    CHECK(!exists(batch.temp() + "\\long song.mp4"));
    CHECK(!exists(batch.card() + "\\Music\\long song.mp4"));
}

} // namespace
