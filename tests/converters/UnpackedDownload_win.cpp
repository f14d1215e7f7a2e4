// One batch of the real Ondrel.exe through the real adapters, from the
// Windows download as a user unpacks it: ONDREL_UNPACKED names that folder
// (its name holds spaces), with the stand-in FFmpeg put into ffmpeg\bin\;
// ONDREL_TEST_CARD_DRIVE names a drive that holds private\ds. The program's
// windows are worked from outside: found by caption, buttons clicked with
// BM_CLICK, the log read with WM_GETTEXT. Run by .ci/wine-converter-tests.

#include "platform/win/WideText.h"
#include "tests/contract/Check.h"
#include "tests/wine/WindowDriver.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace windowdriver;
using ondrel::platform::win::toUtf8;
using ondrel::platform::win::toWide;

bool exists(const std::string& path) {
    return GetFileAttributesW(toWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string readFile(const std::string& path) {
    return windowdriver::readFile(toWide(path));
}

// The names in a folder, in UTF-8.
std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const std::wstring& name : windowdriver::namesIn(toWide(folder)))
        names.push_back(toUtf8(name));
    return names;
}

// The main window's log, in UTF-8.
std::string logText(HWND main) {
    return toUtf8(logOf(main));
}

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The unpacked download, a fresh TEMP, the card's Music folder emptied, and
// Ondrel.exe started with one song, as the Desktop shortcut starts it.
class Batch {
public:
    explicit Batch(const std::string& mode) {
        m_program = variable("ONDREL_UNPACKED");
        const std::string drive = variable("ONDREL_TEST_CARD_DRIVE");
        if (m_program.empty() || drive.empty())
            contract::skip("ONDREL_UNPACKED and ONDREL_TEST_CARD_DRIVE must name the unpacked "
                           "download and the card");
        m_card = drive.substr(0, 1) + ":";
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        m_root = toUtf8(temp) + "ondrel download " + std::to_string(GetTickCount64());
        m_temp = m_root + "\\temp files";
        m_music = m_root + "\\My Music";
        for (const std::string& folder : {m_root, m_temp, m_music})
            CreateDirectoryW(toWide(folder).c_str(), nullptr);
        for (const std::string& name : namesIn(m_card + "\\Music"))
            DeleteFileW(toWide(m_card + "\\Music\\" + name).c_str());
        m_source = m_music + "\\song one.mp3";
        writeFile(toWide(m_source), "sound");
        m_log = m_root + "\\stand-in.log";
        SetEnvironmentVariableW(L"TEMP", toWide(m_temp).c_str());
        SetEnvironmentVariableW(L"STANDIN_MODE", toWide(mode).c_str());
        SetEnvironmentVariableW(L"STANDIN_LOG", toWide(m_log).c_str());
        std::wstring line = toWide("\"" + m_program + "\\Ondrel.exe\" \"" + m_source + "\"");
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        CHECK(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             toWide(m_program).c_str(), &startup, &m_process));
        m_main = waitForWindow(m_process.dwProcessId, L"Ondrel");
        CHECK(m_main != nullptr);
    }

    ~Batch() {
        if (m_process.hProcess != nullptr) {
            TerminateProcess(m_process.hProcess, 1);
            WaitForSingleObject(m_process.hProcess, 30000);
            CloseHandle(m_process.hProcess);
            CloseHandle(m_process.hThread);
        }
    }

    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    HWND main() const { return m_main; }
    const std::string& card() const { return m_card; }
    const std::string& temp() const { return m_temp; }
    const std::string& source() const { return m_source; }
    const std::string& log() const { return m_log; }

    // START!, posted: its handler runs the whole batch.
    void start() {
        HWND button = control(m_main, L"Button", L"START!");
        CHECK(button != nullptr);
        if (button != nullptr)
            PostMessageW(button, BM_CLICK, 0, 0);
    }

    bool finished() {
        HWND button = control(m_main, L"Button", L"FINISH");
        return waitFor([&] {
            return button != nullptr || (button = control(m_main, L"Button", L"FINISH")) != nullptr;
        });
    }

    bool ended() { return WaitForSingleObject(m_process.hProcess, 120000) == WAIT_OBJECT_0; }

private:
    std::string m_program;
    std::string m_card;
    std::string m_root;
    std::string m_temp;
    std::string m_music;
    std::string m_source;
    std::string m_log;
    PROCESS_INFORMATION m_process{};
    HWND m_main = nullptr;
};

CONTRACT_TEST(download_a_batch_onto_the_card) {
    Batch batch("write");
    if (batch.main() == nullptr)
        return;
    batch.start();
    CHECK(batch.finished());
    const std::string log = logText(batch.main());
    CHECK(contains(log, "song one.mp3... SUCCESS\r\n**Finished**"));
    CHECK_EQ(readFile(batch.card() + "\\Music\\song one.mp4"),
             std::string("converted by the stand-in"));
    CHECK(exists(batch.temp() + "\\song one.mp4"));
    // The adapter, not a stand-in beside Ondrel.exe, did the translating.
    const std::string got = readFile(batch.log());
    CHECK(contains(got, "arg=file:" + batch.source() + "\n"));
    CHECK(contains(got, "\narg=-c:a\narg=aac\n")); // either mode
    CHECK(contains(got, "\\ffmpeg\\bin\\ffmpeg.exe"));
    PostMessageW(control(batch.main(), L"Button", L"FINISH"), BM_CLICK, 0, 0);
    CHECK(batch.ended());
}

CONTRACT_TEST(download_a_failing_conversion_leaves_no_temp_file) {
    Batch batch("fail");
    if (batch.main() == nullptr)
        return;
    batch.start();
    CHECK(batch.finished());
    CHECK(contains(logText(batch.main()), "song one.mp3... FAIL\r\n**Finished**"));
    CHECK(namesIn(batch.temp()).empty()); // neither the TempFile nor a partial one
    CHECK(!exists(batch.card() + "\\Music\\song one.mp4"));
    CHECK(exists(batch.log())); // FFmpeg was started, and failed
}

CONTRACT_TEST(download_closing_during_a_never_ending_conversion) {
    Batch batch("hang");
    if (batch.main() == nullptr)
        return;
    batch.start();
    CHECK(waitFor([&] { return exists(batch.log() + ".hanging"); }));
    CHECK(!processesNamed(L"ffmpeg.exe").empty()); // the adapter and the stand-in
    PostMessageW(batch.main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK(batch.ended());
    // Both the adapter and the stand-in it started are named ffmpeg.exe.
    CHECK(waitFor([] { return processesNamed(L"ffmpeg.exe").empty(); }));
    CHECK(!exists(batch.temp() + "\\song one.mp4"));
}

} // namespace
