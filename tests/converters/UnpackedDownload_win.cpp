// One batch of the real Ondrel.exe through the real adapters, from the
// Windows download as a user unpacks it: ONDREL_UNPACKED names that folder
// (its name holds spaces), with the stand-in FFmpeg put into ffmpeg\bin\;
// ONDREL_TEST_CARD_DRIVE names a drive that holds private\ds. The program's
// windows are worked from outside: found by caption, buttons clicked with
// BM_CLICK, the log read with WM_GETTEXT. Run by .ci/wine-converter-tests.

#include <windows.h>

#include <tlhelp32.h>

#include "tests/contract/Check.h"

#include "converters/WideText_win.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using ondrel::converters::win::toUtf8;
using ondrel::converters::win::toWide;

constexpr auto kPatience = 120s;

bool waitFor(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition())
            return true;
        std::this_thread::sleep_for(100ms);
    }
    return condition();
}

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool exists(const std::string& path) {
    return GetFileAttributesW(toWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string readFile(const std::string& path) {
    const HANDLE file =
        CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

void writeFile(const std::string& path, const std::string& content) {
    const HANDLE file = CreateFileW(toWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
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

std::wstring windowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 30000, &length))
        return L"(no answer)";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 30000, &copied);
    text.resize(copied);
    return text;
}

std::wstring className(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

struct Search {
    DWORD processId;
    std::wstring className;
    std::wstring caption;
    std::vector<HWND> found;
};

BOOL CALLBACK collectTopLevel(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search.processId && IsWindowVisible(window) &&
        windowText(window) == search.caption)
        search.found.push_back(window);
    return TRUE;
}

BOOL CALLBACK collectChild(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<Search*>(parameter);
    if (lstrcmpiW(className(window).c_str(), search.className.c_str()) == 0 &&
        (search.caption.empty() || windowText(window) == search.caption))
        search.found.push_back(window);
    return TRUE;
}

HWND control(HWND window, const std::wstring& windowClass, const std::wstring& caption = L"") {
    Search search{0, windowClass, caption, {}};
    EnumChildWindows(window, collectChild, reinterpret_cast<LPARAM>(&search));
    return search.found.empty() ? nullptr : search.found.front();
}

std::string logOf(HWND main) {
    return toUtf8(windowText(control(main, L"Edit")));
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The processes now running from an executable of that name.
std::vector<DWORD> processesNamed(const std::wstring& name) {
    std::vector<DWORD> found;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry))
        if (lstrcmpiW(entry.szExeFile, name.c_str()) == 0)
            found.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return found;
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
        writeFile(m_source, "sound");
        m_log = m_root + "\\stand-in.log";
        SetEnvironmentVariableW(L"TEMP", toWide(m_temp).c_str());
        SetEnvironmentVariableW(L"STANDIN_MODE", toWide(mode).c_str());
        SetEnvironmentVariableW(L"STANDIN_LOG", toWide(m_log).c_str());
        std::wstring line = toWide("\"" + m_program + "\\Ondrel.exe\" \"" + m_source + "\"");
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        CHECK(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             toWide(m_program).c_str(), &startup, &m_process));
        waitFor([&] {
            Search search{m_process.dwProcessId, L"", L"Ondrel", {}};
            EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&search));
            m_main = search.found.empty() ? nullptr : search.found.front();
            return m_main != nullptr;
        });
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
    const std::string log = logOf(batch.main());
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
    CHECK(contains(logOf(batch.main()), "song one.mp3... FAIL\r\n**Finished**"));
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
