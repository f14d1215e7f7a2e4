// Drives the real Ondrel.exe from outside, as a user and a screen reader see
// it: windows found by caption, controls by class and caption, clicks with
// BM_CLICK, the log read with WM_GETTEXT, message boxes answered, the
// registry and the shortcut files read back.
//
// Beside this program: Ondrel.exe and stand_in_converter.exe. Each test copies
// them into a fresh program folder whose name has spaces, the stand-in as
// ffmpeg.exe and kdh.exe. ONDREL_TEST_CARD_DRIVE names a drive letter that
// holds private\ds (the memory card), ONDREL_TEST_SHARE a network share
// (\\server\share) the tests may write to.

#include "platform/win/WideText.h"
#include "tests/contract/Check.h"
#include "tests/support/Mp4Samples.h"
#include "tests/wine/ShellLinks.h"
#include "tests/wine/WindowDriver.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace shelllinks;
using namespace windowdriver;
using ondrel::platform::win::toUtf8;
using ondrel::platform::win::toWide;
using ondrel::test::mp4::aacSong;

const std::wstring kInstructions = L"Please do not execute this software directly.\r\n"
                                   L"Drag & Drop music file(s) to the Desktop icon.\r\n"
                                   L"To change the setting, \r\n"
                                   L"please right click and \"send to\" music file(s).\r\n";

std::wstring programFolderOfThisRunner() {
    wchar_t path[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring text = path;
    return text.substr(0, text.find_last_of(L'\\'));
}

std::wstring knownFolder(const KNOWNFOLDERID& id) {
    wchar_t* path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path)))
        result = path;
    CoTaskMemFree(path);
    return result;
}

// The KDH setting as the program keeps it, or "(none)".
std::string storedKdh() {
    wchar_t value[64] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Zara\\Done", L"Kdh", RRF_RT_REG_SZ, nullptr,
                     value, &size) != ERROR_SUCCESS)
        return "(none)";
    return toUtf8(value);
}

void storeKdh(const char* value) {
    if (value == nullptr) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Zara\\Done", L"Kdh");
        return;
    }
    const std::wstring text = toWide(value);
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Zara\\Done", L"Kdh", REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// One program folder with spaces in its name, the program and both stand-in
// converters in it, a temporary folder for TEMP, and the source files.
class Scene {
public:
    Scene() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_root = std::wstring(temp) + L"ondrel e2e " + std::to_wstring(GetTickCount64());
        CreateDirectoryW(m_root.c_str(), nullptr);
        m_program = m_root + L"\\Program Folder";
        m_temp = m_root + L"\\temp files";
        m_sources = m_root + L"\\My Music";
        CreateDirectoryW(m_program.c_str(), nullptr);
        CreateDirectoryW(m_temp.c_str(), nullptr);
        CreateDirectoryW(m_sources.c_str(), nullptr);
        const std::wstring built = programFolderOfThisRunner();
        CopyFileW((built + L"\\Ondrel.exe").c_str(), (m_program + L"\\Ondrel.exe").c_str(), FALSE);
        CopyFileW((built + L"\\stand_in_converter.exe").c_str(),
                  (m_program + L"\\ffmpeg.exe").c_str(), FALSE);
        CopyFileW((built + L"\\stand_in_converter.exe").c_str(), (m_program + L"\\kdh.exe").c_str(),
                  FALSE);
        const char* drive = std::getenv("ONDREL_TEST_CARD_DRIVE");
        if (drive != nullptr && *drive != '\0')
            m_card = std::wstring(1, static_cast<wchar_t>(drive[0])) + L":";
        if (!m_card.empty())
            removeTree(m_card + L"\\Music");
        // Explorer quotes only paths with a space: these take names without one.
        m_plain = std::wstring(temp) + L"ondrel-e2e-" + std::to_wstring(GetTickCount64());
        const char* share = std::getenv("ONDREL_TEST_SHARE");
        if (share != nullptr && *share != '\0')
            m_share = toWide(share) + L"\\ondrel-e2e-" + std::to_wstring(GetTickCount64());
    }

    ~Scene() {
        if (m_process.hProcess != nullptr) {
            TerminateProcess(m_process.hProcess, 1);
            WaitForSingleObject(m_process.hProcess, 10000);
            CloseHandle(m_process.hProcess);
            CloseHandle(m_process.hThread);
        }
        removeTree(m_root);
        if (!m_share.empty())
            removeTree(m_share);
        removeTree(m_plain);
    }

    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    const std::wstring& program() const { return m_program; }
    const std::wstring& temp() const { return m_temp; }
    const std::wstring& card() const { return m_card; }
    const std::wstring& sources() const { return m_sources; }
    // A folder on the network share, "" when there is none.
    const std::wstring& share() {
        if (!m_share.empty())
            CreateDirectoryW(m_share.c_str(), nullptr);
        return m_share;
    }
    // A folder whose path holds no space.
    const std::wstring& plain() {
        CreateDirectoryW(m_plain.c_str(), nullptr);
        return m_plain;
    }

    std::wstring source(const std::wstring& name, const std::string& content = "music") {
        const std::wstring path = m_sources + L"\\" + name;
        writeFile(path, content);
        return path;
    }

    std::wstring folder(const std::wstring& name) {
        const std::wstring path = m_sources + L"\\" + name;
        CreateDirectoryW(path.c_str(), nullptr);
        return path;
    }

    // Starts the program with that argument text, as the shell does; from
    // the program's own folder, or from the one given, as a console may.
    bool start(const std::wstring& arguments, const std::wstring& currentFolder = L"") {
        SetEnvironmentVariableW(L"TEMP", m_temp.c_str());
        std::wstring line = L"\"" + m_program + L"\\Ondrel.exe\"";
        if (!arguments.empty())
            line += L" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        const std::wstring& folder = currentFolder.empty() ? m_program : currentFolder;
        return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder.c_str(), &startup, &m_process) != FALSE;
    }

    DWORD processId() const { return m_process.dwProcessId; }

    HWND window(const std::wstring& caption) { return waitForWindow(processId(), caption); }

    HWND mainWindow() { return window(L"Ondrel"); }

    // True when the program has ended, with its exit code.
    bool ended(DWORD* exitCode = nullptr) {
        if (WaitForSingleObject(m_process.hProcess, 120000) != WAIT_OBJECT_0)
            return false;
        if (exitCode != nullptr)
            GetExitCodeProcess(m_process.hProcess, exitCode);
        return true;
    }

    std::string converterCalls() const { return readFile(m_program + L"\\converter-calls.txt"); }

private:
    std::wstring m_root;
    std::wstring m_program;
    std::wstring m_temp;
    std::wstring m_sources;
    std::wstring m_card;
    std::wstring m_plain;
    std::wstring m_share;
    PROCESS_INFORMATION m_process{};
};

bool logEndsWith(HWND main, const std::wstring& tail) {
    const std::wstring text = logOf(main);
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Runs a batch: START!, then waits for FINISH.
bool runBatch(HWND main) {
    HWND start = control(main, L"Button", L"START!");
    if (start == nullptr)
        return false;
    click(start);
    return waitFor([&] { return windowText(start) == L"FINISH"; });
}

// Runs a batch that must end without an error: START!, then FINISH, and no
// message box on the way (one that comes is answered and reported).
bool runBatchWithoutError(Scene& scene, HWND main) {
    HWND start = control(main, L"Button", L"START!");
    if (start == nullptr)
        return false;
    click(start);
    std::vector<HWND> boxes;
    waitFor([&] {
        boxes = topLevelWindows(scene.processId(), L"Ondrel", L"#32770");
        return !boxes.empty() || windowText(start) == L"FINISH";
    });
    if (!boxes.empty()) {
        const std::wstring text = answerMessageBox(scene.processId());
        contract::reportFailure(__FILE__, __LINE__, "message box: " + toUtf8(text));
        return false;
    }
    return windowText(start) == L"FINISH";
}

void finish(Scene& scene, HWND main) {
    HWND button = control(main, L"Button", L"FINISH");
    CHECK(button != nullptr);
    if (button != nullptr)
        click(button);
    DWORD exitCode = 99;
    CHECK(scene.ended(&exitCode));
    CHECK_EQ(exitCode, DWORD(0));
}

std::string ffmpegLine(const Scene& scene, const std::wstring& source, const std::wstring& base) {
    return toUtf8(L"\"" + scene.program() + L"\\ffmpeg.exe\" -vn -ab 128k -ar 44100 -i \"" +
                  source + L"\" \"" + scene.temp() + L"\\" + base + L".mp4\"") +
           "\n";
}

std::string kdhLine(const Scene& scene, const std::wstring& source, const std::wstring& base) {
    return toUtf8(L"\"" + scene.program() +
                  L"\\kdh.exe\" -maxfr 30 -bitexact -vcodec h264 -coder 1 -bufsize 128 "
                  L"-g 250 -s 320x240 -b 384 -acodec aac -ac 2 -ar 48000 -ab 64 -f mp4 -i \"" +
                  source + L"\" \"" + scene.temp() + L"\\" + base + L".mp4\"") +
           "\n";
}

void needCard(const Scene& scene) {
    if (scene.card().empty())
        contract::skip("ONDREL_TEST_CARD_DRIVE names no memory card drive");
}

} // namespace

CONTRACT_TEST(e2e_no_arguments_shows_the_instructions_and_finish_saves_the_setting) {
    Scene scene;
    storeKdh(nullptr);
    CHECK(scene.start(L""));
    HWND main = scene.mainWindow();
    CHECK(main != nullptr);
    if (main == nullptr)
        return;
    CHECK(waitFor([&] { return logOf(main) == kInstructions; }));
    CHECK_EQ(toUtf8(logOf(main)), toUtf8(kInstructions));
    CHECK(control(main, L"Button", L"FINISH") != nullptr);
    CHECK(control(main, L"Button", L"About this software") != nullptr);
    CHECK(control(main, L"Button", L"Setting") != nullptr);
    CHECK(control(main, L"Button", L"File to transfer") != nullptr);
    CHECK(control(main, L"Button", L"Message") != nullptr);
    // Nothing stored: KDH mode starts ticked, and FINISH stores it.
    HWND kdh = control(main, L"Button", L"KDH mode.");
    CHECK(kdh != nullptr && isChecked(kdh));
    HWND desktop =
        control(main, L"Button", L"Do not transfer to DS, output file(s) to the Desktop.");
    CHECK(desktop != nullptr && !isChecked(desktop));
    finish(scene, main);
    CHECK_EQ(storedKdh(), std::string("2"));
}

CONTRACT_TEST(e2e_the_close_box_saves_the_setting_too) {
    Scene scene;
    storeKdh("1");
    CHECK(scene.start(L""));
    HWND main = scene.mainWindow();
    CHECK(main != nullptr);
    if (main == nullptr)
        return;
    HWND kdh = control(main, L"Button", L"KDH mode.");
    CHECK(kdh != nullptr);
    CHECK(!isChecked(kdh));
    click(kdh);
    CHECK(waitFor([&] { return isChecked(kdh); }));
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exitCode = 99;
    CHECK(scene.ended(&exitCode));
    CHECK_EQ(exitCode, DWORD(0));
    CHECK_EQ(storedKdh(), std::string("2"));
}

CONTRACT_TEST(e2e_files_with_spaces_are_listed) {
    Scene scene;
    const std::wstring first = scene.source(L"a song.mp3");
    const std::wstring second = scene.source(L"another tune.mp3");
    CHECK(scene.start(L"\"" + first + L"\" \"" + second + L"\""));
    HWND main = scene.mainWindow();
    CHECK(main != nullptr);
    if (main == nullptr)
        return;
    const std::wstring listing = first + L"\r\n" + second + L"\r\n**Number of file(s): 2";
    CHECK(waitFor([&] { return logOf(main) == listing; }));
    CHECK_EQ(toUtf8(logOf(main)), toUtf8(listing));
    CHECK(control(main, L"Button", L"START!") != nullptr);
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK(scene.ended());
}

CONTRACT_TEST(e2e_a_folder_among_the_files_is_refused_once) {
    Scene scene;
    const std::wstring file = scene.source(L"song.mp3");
    const std::wstring folder = scene.folder(L"An Album");
    CHECK(scene.start(L"\"" + file + L"\" \"" + folder + L"\""));
    const std::wstring text = answerMessageBox(scene.processId());
    CHECK_EQ(toUtf8(text),
             toUtf8(folder + L"\r\n\r\nI'm sorry. This software cannot handle folder(s)."));
    HWND main = scene.mainWindow();
    CHECK(main != nullptr);
    if (main == nullptr)
        return;
    CHECK(waitFor([&] { return control(main, L"Button", L"FINISH") != nullptr; }));
    CHECK(topLevelWindows(scene.processId(), L"Ondrel", L"#32770").empty());
    finish(scene, main);
}

CONTRACT_TEST(e2e_a_batch_onto_the_card_in_default_mode) {
    Scene scene;
    needCard(scene);
    storeKdh("1");
    const std::wstring song = scene.source(L"first song.mp3");
    CHECK(scene.start(L"\"" + song + L"\""));
    HWND main = scene.mainWindow();
    CHECK(main != nullptr);
    if (main == nullptr)
        return;
    CHECK(runBatch(main));
    const std::wstring log =
        song + L"\r\n**Number of file(s): 1\r\nNo. 1: " + song + L"... SUCCESS\r\n**Finished**";
    CHECK_EQ(toUtf8(logOf(main)), toUtf8(log));
    CHECK_EQ(toUtf8(windowText(
                 control(main, L"Static", L"Finished transferring the music file(s) to DS."))),
             std::string("Finished transferring the music file(s) to DS."));
    CHECK_EQ(scene.converterCalls(), ffmpegLine(scene, song, L"first song"));
    CHECK(fileExists(scene.card() + L"\\Music\\first song.mp4"));
    CHECK_EQ(readFile(scene.card() + L"\\Music\\first song.mp4"), "converted: " + toUtf8(song));
    // After a batch both options stay greyed.
    CHECK(!IsWindowEnabled(control(main, L"Button", L"KDH mode.")));
    finish(scene, main);
    CHECK_EQ(storedKdh(), std::string("1"));
}

CONTRACT_TEST(e2e_a_batch_in_kdh_mode) {
    Scene scene;
    needCard(scene);
    storeKdh("2");
    const std::wstring song = scene.source(L"kdh song.mp3");
    CHECK(scene.start(L"\"" + song + L"\""));
    HWND main = scene.mainWindow();
    CHECK(main != nullptr);
    if (main == nullptr)
        return;
    CHECK(runBatch(main));
    CHECK(logEndsWith(main, L"No. 1: " + song + L"... SUCCESS\r\n**Finished**"));
    CHECK_EQ(scene.converterCalls(), kdhLine(scene, song, L"kdh song"));
    CHECK(fileExists(scene.card() + L"\\Music\\kdh song.mp4"));
    finish(scene, main);
}

CONTRACT_TEST(e2e_a_failing_file_then_a_good_one_and_an_m4a_passed_through) {
    Scene scene;
    needCard(scene);
    storeKdh("1");
    const std::wstring bad = scene.source(L"fail me.mp3");
    const std::wstring good = scene.source(L"good one.mp3");
    const std::wstring m4a = scene.source(L"already.m4a", aacSong("m4a content"));
    CHECK(scene.start(L"\"" + bad + L"\" \"" + good + L"\" \"" + m4a + L"\""));
    HWND main = scene.mainWindow();
    CHECK(main != nullptr);
    if (main == nullptr)
        return;
    CHECK(runBatch(main));
    CHECK(logEndsWith(main, L"No. 1: " + bad + L"... FAIL\r\nNo. 2: " + good +
                                L"... SUCCESS\r\nNo. 3: " + m4a + L"... SUCCESS\r\n**Finished**"));
    // The .m4a is copied as it is, without a converter.
    CHECK_EQ(scene.converterCalls(),
             ffmpegLine(scene, bad, L"fail me") + ffmpegLine(scene, good, L"good one"));
    CHECK(!fileExists(scene.card() + L"\\Music\\fail me.mp4"));
    CHECK(fileExists(scene.card() + L"\\Music\\good one.mp4"));
    CHECK_EQ(readFile(scene.card() + L"\\Music\\already.mp4"), aacSong("m4a content"));
    finish(scene, main);
}

CONTRACT_TEST(e2e_output_to_the_desktop) {
    Scene scene;
    storeKdh("1");
    const std::wstring desktopFile = knownFolder(FOLDERID_Desktop) + L"\\desk song.mp4";
    DeleteFileW(desktopFile.c_str());
    const std::wstring song = scene.source(L"desk song.mp3");
    CHECK(scene.start(L"\"" + song + L"\""));
    HWND main = scene.mainWindow();
    CHECK(main != nullptr);
    if (main == nullptr)
        return;
    HWND toDesktop =
        control(main, L"Button", L"Do not transfer to DS, output file(s) to the Desktop.");
    CHECK(toDesktop != nullptr);
    click(toDesktop);
    CHECK(waitFor([&] { return isChecked(toDesktop); }));
    CHECK(runBatch(main));
    CHECK(logEndsWith(main, L"... SUCCESS\r\n**Finished**"));
    CHECK(fileExists(desktopFile));
    CHECK(scene.card().empty() || !fileExists(scene.card() + L"\\Music\\desk song.mp4"));
    finish(scene, main);
    DeleteFileW(desktopFile.c_str());
}

CONTRACT_TEST(e2e_closing_during_a_conversion_ends_the_program_and_the_converter) {
    Scene scene;
    needCard(scene);
    storeKdh("1");
    const std::wstring song = scene.source(L"never ending.mp3");
    CHECK(scene.start(L"\"" + song + L"\""));
    HWND main = scene.mainWindow();
    CHECK(main != nullptr);
    if (main == nullptr)
        return;
    click(control(main, L"Button", L"START!"));
    const std::wstring pidFile = scene.program() + L"\\converter-pid.txt";
    CHECK(waitFor([&] { return !readFile(pidFile).empty(); }));
    const DWORD converterId =
        static_cast<DWORD>(std::strtoul(readFile(pidFile).c_str(), nullptr, 10));
    HANDLE converter = OpenProcess(SYNCHRONIZE, FALSE, converterId);
    CHECK(converter != nullptr);
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exitCode = 99;
    CHECK(scene.ended(&exitCode));
    CHECK_EQ(exitCode, DWORD(0));
    if (converter != nullptr) {
        CHECK_EQ(WaitForSingleObject(converter, 30000), DWORD(WAIT_OBJECT_0));
        CloseHandle(converter);
    }
    CHECK_EQ(storedKdh(), std::string("1"));
}

CONTRACT_TEST(e2e_setting_creates_and_deletes_both_shortcuts) {
    Scene scene;
    const std::wstring desktopLink = knownFolder(FOLDERID_Desktop) + L"\\Ondrel.lnk";
    const std::wstring sendToLink = knownFolder(FOLDERID_SendTo) + L"\\Ondrel.lnk";
    DeleteFileW(desktopLink.c_str());
    DeleteFileW(sendToLink.c_str());
    CHECK(scene.start(L""));
    HWND main = scene.mainWindow();
    CHECK(main != nullptr);
    if (main == nullptr)
        return;

    click(control(main, L"Button", L"Setting"));
    HWND setting = scene.window(L"Setting");
    CHECK(setting != nullptr);
    if (setting == nullptr)
        return;
    CHECK(waitFor([&] { return !IsWindowEnabled(main); }));
    CHECK(isChecked(control(setting, L"Button", L"No")));
    CHECK(isChecked(control(setting, L"Button", L"disabled")));
    // The disabled main window refuses to close while Setting is open.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(main, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 30000, &ignored);
    CHECK(IsWindowVisible(main));
    CHECK(WaitForSingleObject(OpenProcess(SYNCHRONIZE, FALSE, scene.processId()), 0) ==
          WAIT_TIMEOUT);

    click(control(setting, L"Button", L"Yes"));
    click(control(setting, L"Button", L"enabled"));
    click(control(setting, L"Button", L"Set"));
    CHECK(waitFor([&] { return !IsWindowVisible(setting) || !IsWindow(setting); }));
    CHECK(waitFor([&] { return IsWindowEnabled(main) != FALSE; }));
    CHECK(fileExists(desktopLink));
    CHECK(fileExists(sendToLink));
    for (const std::wstring& link : {desktopLink, sendToLink}) {
        const Shortcut shortcut = readShortcut(link);
        CHECK(shortcut.read);
        CHECK_EQ(toUtf8(shortcut.target), toUtf8(scene.program() + L"\\Ondrel.exe"));
        CHECK_EQ(toUtf8(shortcut.workingFolder), toUtf8(scene.program()));
        CHECK_EQ(toUtf8(shortcut.description), std::string(""));
    }

    click(control(main, L"Button", L"Setting"));
    setting = scene.window(L"Setting");
    CHECK(setting != nullptr);
    if (setting == nullptr)
        return;
    CHECK(isChecked(control(setting, L"Button", L"Yes")));
    CHECK(isChecked(control(setting, L"Button", L"enabled")));
    click(control(setting, L"Button", L"No"));
    click(control(setting, L"Button", L"disabled"));
    click(control(setting, L"Button", L"Set"));
    CHECK(waitFor([&] { return !fileExists(desktopLink) && !fileExists(sendToLink); }));
    CHECK(waitFor([&] { return IsWindowEnabled(main) != FALSE; }));
    finish(scene, main);
}

CONTRACT_TEST(e2e_about_disables_the_main_window_and_closes_on_space_and_enter) {
    Scene scene;
    CHECK(scene.start(L""));
    HWND main = scene.mainWindow();
    CHECK(main != nullptr);
    if (main == nullptr)
        return;
    for (const WPARAM closingKey : {WPARAM(VK_SPACE), WPARAM(VK_RETURN)}) {
        click(control(main, L"Button", L"About this software"));
        HWND about = scene.window(L"About this software.");
        CHECK(about != nullptr);
        if (about == nullptr)
            return;
        CHECK(waitFor([&] { return !IsWindowEnabled(main); }));
        HWND close = control(about, L"Button", L"Close");
        CHECK(close != nullptr);
        const std::wstring text = windowText(control(about, L"Static"));
        CHECK(text.rfind(L"Version 3.1.1\r\nThank you for using my application.", 0) == 0);
        // Escape does nothing. The style change posted after it shows when
        // the program has handled it.
        pressKey(close, VK_ESCAPE);
        PostMessageW(close, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        CHECK(waitFor(
            [&] { return (GetWindowLongW(close, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; }));
        CHECK(IsWindowVisible(about));
        CHECK(!IsWindowEnabled(main));
        pressKey(close, closingKey);
        CHECK(waitFor([&] { return !IsWindow(about) || !IsWindowVisible(about); }));
        CHECK(waitFor([&] { return IsWindowEnabled(main) != FALSE; }));
    }
    finish(scene, main);
}

// Explorer hands over network paths without quotes when they hold no space.
// Each must keep its own name on the card and on the Desktop: with an empty
// long form all three became "\Music\.mp4", each replacing the one before.
CONTRACT_TEST(e2e_network_paths_keep_their_names) {
    for (const bool toDesktop : {false, true}) {
        Scene scene;
        if (!toDesktop)
            needCard(scene);
        if (scene.share().empty())
            contract::skip("ONDREL_TEST_SHARE names no network share");
        storeKdh("1");
        const std::wstring desktop = knownFolder(FOLDERID_Desktop);
        const std::wstring out = toDesktop ? desktop : scene.card() + L"\\Music";
        for (const wchar_t* name : {L"first.mp4", L"second.mp4", L"third.mp4", L".mp4"})
            DeleteFileW((desktop + L"\\" + name).c_str());
        const std::wstring album = scene.share() + L"\\Album";
        CreateDirectoryW(album.c_str(), nullptr);
        writeFile(album + L"\\first.m4a", aacSong("first m4a"));
        writeFile(album + L"\\second.m4a", aacSong("second m4a"));
        writeFile(album + L"\\third.mp3", "third mp3");
        // The folder in another case: the long form gives its stored name,
        // the share's root stays as written.
        const std::wstring given = scene.share() + L"\\ALBUM";
        CHECK(scene.start(given + L"\\first.m4a " + given + L"\\second.m4a " + given +
                          L"\\third.mp3"));
        HWND main = scene.mainWindow();
        CHECK(main != nullptr);
        if (main == nullptr)
            return;
        const std::wstring listing = album + L"\\first.m4a\r\n" + album + L"\\second.m4a\r\n" +
                                     album + L"\\third.mp3\r\n**Number of file(s): 3";
        CHECK(waitFor([&] { return logOf(main) == listing; }));
        CHECK_EQ(toUtf8(logOf(main)), toUtf8(listing));
        if (toDesktop) {
            HWND box =
                control(main, L"Button", L"Do not transfer to DS, output file(s) to the Desktop.");
            click(box);
            CHECK(waitFor([&] { return isChecked(box); }));
        }
        CHECK(runBatchWithoutError(scene, main));
        CHECK(logEndsWith(main, L"No. 1: " + album + L"\\first.m4a... SUCCESS\r\nNo. 2: " + album +
                                    L"\\second.m4a... SUCCESS\r\nNo. 3: " + album +
                                    L"\\third.mp3... SUCCESS\r\n**Finished**"));
        CHECK_EQ(readFile(out + L"\\first.mp4"), aacSong("first m4a"));
        CHECK_EQ(readFile(out + L"\\second.mp4"), aacSong("second m4a"));
        CHECK_EQ(readFile(out + L"\\third.mp4"), "converted: " + toUtf8(given + L"\\third.mp3"));
        CHECK(!fileExists(out + L"\\.mp4"));
        finish(scene, main);
        for (const wchar_t* name : {L"first.mp4", L"second.mp4", L"third.mp4", L".mp4"})
            DeleteFileW((desktop + L"\\" + name).c_str());
    }
}

// From a console, names are often given relative to its current folder: they
// are listed, converted and copied as the full paths they stand for.
CONTRACT_TEST(e2e_relative_names_become_full_paths) {
    Scene scene;
    needCard(scene);
    storeKdh("1");
    const std::wstring song = scene.source(L"song.mp3");
    const std::wstring tune = scene.source(L"rel song.m4a", aacSong("rel m4a"));
    CreateDirectoryW((scene.sources() + L"\\sub").c_str(), nullptr);
    const std::wstring deeper = scene.source(L"sub\\deeper.mp3");
    CHECK(scene.start(L"song.mp3 \"rel song.m4a\" sub\\deeper.mp3", scene.sources()));
    HWND main = scene.mainWindow();
    CHECK(main != nullptr);
    if (main == nullptr)
        return;
    const std::wstring listing =
        song + L"\r\n" + tune + L"\r\n" + deeper + L"\r\n**Number of file(s): 3";
    CHECK(waitFor([&] { return logOf(main) == listing; }));
    CHECK_EQ(toUtf8(logOf(main)), toUtf8(listing));
    CHECK(runBatchWithoutError(scene, main));
    CHECK(logEndsWith(main, L"No. 3: " + deeper + L"... SUCCESS\r\n**Finished**"));
    CHECK_EQ(scene.converterCalls(),
             ffmpegLine(scene, song, L"song") + ffmpegLine(scene, deeper, L"deeper"));
    CHECK_EQ(readFile(scene.card() + L"\\Music\\song.mp4"), "converted: " + toUtf8(song));
    CHECK_EQ(readFile(scene.card() + L"\\Music\\rel song.mp4"), aacSong("rel m4a"));
    CHECK_EQ(readFile(scene.card() + L"\\Music\\deeper.mp4"), "converted: " + toUtf8(deeper));
    finish(scene, main);
}

// Windows takes these names for devices, whatever the case and extension:
// TEMP\Aux.mp4 is the AUX device, which always "exists" and cannot be
// removed. Each song arrives under its name with "_" added, in TEMP and on
// the card, with its own content.
CONTRACT_TEST(e2e_device_names_arrive_with_an_underscore) {
    Scene scene;
    needCard(scene);
    storeKdh("1");
    struct Song {
        std::wstring name, stored;
        bool quoted;
    };
    const std::vector<Song> songs{
        {L"Aux.mp3", L"Aux_.mp4", false},   {L"nul.mp3", L"nul_.mp4", false},
        {L"COM1.mp3", L"COM1_.mp4", true},  {L"CON.mp3", L"CON_.mp4", true},
        {L"LPT1.m4a", L"LPT1_.mp4", false}, {L"com\u00b3.mp3", L"com\u00b3_.mp4", false}};
    std::wstring arguments;
    std::wstring listing;
    std::vector<std::wstring> paths;
    for (const Song& song : songs) {
        const std::wstring path = scene.plain() + L"\\" + song.name;
        writeFile(literalPath(path), song.name == L"LPT1.m4a" ? aacSong("song LPT1.m4a")
                                                              : "song " + toUtf8(song.name));
        paths.push_back(path);
        arguments += (song.quoted ? L"\"" + path + L"\"" : path) + L" ";
        listing += path + L"\r\n";
    }
    CHECK(scene.start(arguments));
    HWND main = scene.mainWindow();
    CHECK(main != nullptr);
    if (main == nullptr)
        return;
    listing += L"**Number of file(s): " + std::to_wstring(songs.size());
    CHECK(waitFor([&] { return logOf(main) == listing; }));
    CHECK_EQ(toUtf8(logOf(main)), toUtf8(listing));
    CHECK(runBatchWithoutError(scene, main));
    const std::wstring log = logOf(main);
    for (std::size_t i = 0; i < songs.size(); ++i) {
        const std::wstring line = L"No. " + std::to_wstring(i + 1) + L": " + paths[i] + L"...";
        CHECK(log.find(line + L" SUCCESS\r\n") != std::wstring::npos);
        const std::wstring card = scene.card() + L"\\Music\\" + songs[i].stored;
        const std::wstring temp = scene.temp() + L"\\" + songs[i].stored;
        const std::string expected = songs[i].name == L"LPT1.m4a"
                                         ? aacSong("song LPT1.m4a")
                                         : "converted: " + toUtf8(paths[i]);
        CHECK_EQ(readFile(literalPath(card)), expected);
        CHECK_EQ(readFile(literalPath(temp)), expected);
    }
    // Nothing went to a name Windows reads as a device.
    CHECK(!fileExists(literalPath(scene.card() + L"\\Music\\Aux.mp4")));
    CHECK(!fileExists(literalPath(scene.temp() + L"\\Aux.mp4")));
    finish(scene, main);
}

// Songs that end up under one name on the card, which ignores case, all
// arrive: a later one of the batch never replaces an earlier one. A file of
// that name from before the batch is replaced, and the user's own file in
// TEMP stays as it was. An .m4a that is no AAC song is converted.
CONTRACT_TEST(e2e_songs_of_one_name_all_arrive_and_temp_keeps_the_users_file) {
    Scene scene;
    needCard(scene);
    storeKdh("1");
    CreateDirectoryW((scene.card() + L"\\Music").c_str(), nullptr);
    writeFile(scene.card() + L"\\Music\\Track01.mp4", "from an earlier day");
    writeFile(scene.temp() + L"\\intro.mp4", "the user's own video");
    const std::wstring one = scene.folder(L"Album One") + L"\\Track01.mp3";
    const std::wstring two = scene.folder(L"Album Two") + L"\\Track01.mp3";
    writeFile(one, "one");
    writeFile(two, "two");
    const std::wstring upper = scene.source(L"Intro.mp3");
    const std::wstring lower = scene.folder(L"Other") + L"\\intro.m4a";
    writeFile(lower, "a text file, not a song");
    CHECK(scene.start(L"\"" + one + L"\" \"" + two + L"\" \"" + upper + L"\" \"" + lower + L"\""));
    HWND main = scene.mainWindow();
    CHECK(main != nullptr);
    if (main == nullptr)
        return;
    CHECK(runBatchWithoutError(scene, main));
    CHECK(logEndsWith(main, L"No. 1: " + one + L"... SUCCESS\r\nNo. 2: " + two +
                                L"... SUCCESS\r\nNo. 3: " + upper + L"... SUCCESS\r\nNo. 4: " +
                                lower + L"... SUCCESS\r\n**Finished**"));
    const std::wstring music = scene.card() + L"\\Music\\";
    CHECK_EQ(readFile(music + L"Track01.mp4"), "converted: " + toUtf8(one));
    CHECK_EQ(readFile(music + L"Track01 (2).mp4"), "converted: " + toUtf8(two));
    CHECK_EQ(readFile(music + L"Intro.mp4"), "converted: " + toUtf8(upper));
    CHECK_EQ(readFile(music + L"intro (2).mp4"), "converted: " + toUtf8(lower));
    CHECK_EQ(readFile(scene.temp() + L"\\intro.mp4"), std::string("the user's own video"));
    // Each conversion wrote under a name of its own in TEMP.
    CHECK_EQ(scene.converterCalls(),
             ffmpegLine(scene, one, L"Track01") + ffmpegLine(scene, two, L"Track01 (2)") +
                 ffmpegLine(scene, upper, L"Intro (2)") + ffmpegLine(scene, lower, L"intro (3)"));
    finish(scene, main);
}
