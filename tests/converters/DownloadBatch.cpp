#include "tests/converters/DownloadBatch.h"

#include "platform/win/WideText.h"
#include "tests/contract/Check.h"
#include "tests/wine/WindowDriver.h"

#include <cstdlib>

namespace downloadbatch {

using ondrel::platform::win::toUtf8;
using ondrel::platform::win::toWide;

bool exists(const std::string& path) {
    return GetFileAttributesW(toWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string readFile(const std::string& path) {
    return windowdriver::readFile(toWide(path));
}

void writeFile(const std::string& path, const std::string& bytes) {
    windowdriver::writeFile(toWide(path), bytes);
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const std::wstring& name : windowdriver::namesIn(toWide(folder)))
        names.push_back(toUtf8(name));
    return names;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

DownloadBatch::DownloadBatch() {
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
    for (const std::string& folder : {m_root, m_temp})
        CreateDirectoryW(toWide(folder).c_str(), nullptr);
    SetEnvironmentVariableW(L"TEMP", toWide(m_temp).c_str());
}

DownloadBatch::~DownloadBatch() {
    if (m_process.hProcess != nullptr) {
        TerminateProcess(m_process.hProcess, 1);
        WaitForSingleObject(m_process.hProcess, 30000);
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
    }
}

void DownloadBatch::storeKdh(bool on) {
    const std::wstring value = on ? L"2" : L"1";
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Zara\\Done", L"Kdh", REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void DownloadBatch::emptyCardMusic() const {
    for (const std::string& name : namesIn(m_card + "\\Music"))
        DeleteFileW(toWide(m_card + "\\Music\\" + name).c_str());
}

bool DownloadBatch::launch(const std::vector<std::string>& sources) {
    std::string line = "\"" + m_program + "\\Ondrel.exe\"";
    for (const std::string& source : sources)
        line += " \"" + source + "\"";
    std::wstring wide = toWide(line);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    CHECK(CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         toWide(m_program).c_str(), &startup, &m_process));
    if (m_process.hProcess == nullptr)
        return false;
    m_main = windowdriver::waitForWindow(m_process.dwProcessId, L"Ondrel");
    CHECK(m_main != nullptr);
    return m_main != nullptr;
}

bool DownloadBatch::kdhTicked() const {
    return windowdriver::isChecked(windowdriver::control(m_main, L"Button", L"KDH mode."));
}

std::string DownloadBatch::log() const {
    return toUtf8(windowdriver::logOf(m_main));
}

void DownloadBatch::start() {
    HWND button = windowdriver::control(m_main, L"Button", L"START!");
    CHECK(button != nullptr);
    if (button != nullptr)
        windowdriver::click(button);
}

bool DownloadBatch::finished() {
    // A batch of real conversions takes its time; a loaded machine more.
    return windowdriver::waitFor(
        [&] { return windowdriver::control(m_main, L"Button", L"FINISH") != nullptr; },
        std::chrono::minutes(5));
}

void DownloadBatch::finish() {
    windowdriver::click(windowdriver::control(m_main, L"Button", L"FINISH"));
}

bool DownloadBatch::ended() {
    return WaitForSingleObject(m_process.hProcess, 120000) == WAIT_OBJECT_0;
}

DWORD DownloadBatch::exitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

} // namespace downloadbatch
