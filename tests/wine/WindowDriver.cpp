#include "tests/wine/WindowDriver.h"

#include <tlhelp32.h>

#include <thread>

namespace windowdriver {

namespace {

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
        (search.className.empty() || className(window) == search.className) &&
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

} // namespace

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition())
            return true;
        std::this_thread::sleep_for(50ms);
    }
    return condition();
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

std::vector<HWND> topLevelWindows(DWORD processId, const std::wstring& caption,
                                  const std::wstring& windowClass) {
    Search search{processId, windowClass, caption, {}};
    EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForWindow(DWORD processId, const std::wstring& caption) {
    std::vector<HWND> found;
    waitFor([&] {
        found = topLevelWindows(processId, caption);
        return !found.empty();
    });
    return found.empty() ? nullptr : found.front();
}

HWND control(HWND window, const std::wstring& windowClass, const std::wstring& caption) {
    Search search{0, windowClass, caption, {}};
    EnumChildWindows(window, collectChild, reinterpret_cast<LPARAM>(&search));
    return search.found.empty() ? nullptr : search.found.front();
}

bool isChecked(HWND button) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 30000, &state);
    return state == BST_CHECKED;
}

void click(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

void pressKey(HWND target, WPARAM key) {
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
}

std::wstring answerMessageBox(DWORD processId) {
    std::vector<HWND> boxes;
    if (!waitFor([&] {
            boxes = topLevelWindows(processId, L"Ondrel", L"#32770");
            return !boxes.empty();
        }))
        return L"(no message box)";
    HWND box = boxes.front();
    std::wstring text;
    Search search{0, L"Static", L"", {}};
    EnumChildWindows(box, collectChild, reinterpret_cast<LPARAM>(&search));
    for (HWND label : search.found) {
        const std::wstring shown = windowText(label);
        if (!shown.empty())
            text = shown;
    }
    HWND ok = control(box, L"Button", L"OK");
    if (ok != nullptr)
        click(ok);
    else
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    waitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); });
    return text;
}

std::wstring logOf(HWND mainWindow) {
    return windowText(control(mainWindow, L"Edit"));
}

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

std::wstring imageOf(DWORD processId) {
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr)
        return {};
    std::wstring path(32768, L'\0');
    DWORD length = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(process, 0, path.data(), &length))
        length = 0;
    CloseHandle(process);
    path.resize(length);
    return path;
}

bool fileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string readFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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

void writeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::vector<std::wstring> namesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::wstring literalPath(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\')
        return L"\\\\?\\" + path;
    if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' &&
        path[2] != L'.')
        return L"\\\\?\\UNC" + path.substr(1);
    return path;
}

// Entries are taken by their literal names, so that what a test made under a
// device's name goes too.
void removeTree(const std::wstring& folder) {
    for (const std::wstring& name : namesIn(folder)) {
        const std::wstring path = literalPath(folder + L"\\" + name);
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            removeTree(path);
        } else {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
    }
    RemoveDirectoryW(folder.c_str());
}

} // namespace windowdriver
