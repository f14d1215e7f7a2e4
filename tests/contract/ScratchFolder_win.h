#pragma once

#include <windows.h>

#include "platform/win/WinText.h"

#include <string>

namespace contract::win {

// A folder of its own under the temporary folder, removed with all it holds
// when the test is done. Its name has a space and a non-ASCII letter, so every
// test also crosses the UTF-8 / UTF-16 boundary with awkward paths.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t base[MAX_PATH + 1];
        const DWORD length = GetTempPathW(MAX_PATH + 1, base);
        static unsigned counter = 0;
        m_path = std::wstring(base, length) + L"ondrel contract \u00e9 " +
                 std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~ScratchFolder() { removeTree(m_path); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& wide() const { return m_path; }
    std::string path() const { return ondrel::platform::win::toUtf8(m_path); }
    // The UTF-8 path of an entry inside.
    std::string operator/(const std::string& name) const { return path() + "\\" + name; }

    static void writeFile(const std::string& path, const std::string& content) {
        HANDLE file = CreateFileW(ondrel::platform::win::toWide(path).c_str(), GENERIC_WRITE, 0,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return;
        DWORD written = 0;
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(file);
    }

    // The whole content, or "<missing>" when the file cannot be read.
    static std::string readFile(const std::string& path) {
        HANDLE file = CreateFileW(ondrel::platform::win::toWide(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return "<missing>";
        std::string content;
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
            content.append(buffer, got);
        CloseHandle(file);
        return content;
    }

    // Names of the entries inside, "." and ".." left out.
    std::size_t entryCount() const {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((m_path + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return 0;
        std::size_t count = 0;
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..")
                ++count;
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return count;
    }

private:
    static void removeTree(const std::wstring& folder) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                const std::wstring entry = folder + L"\\" + name;
                SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                    (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
                    removeTree(entry);
                else if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
                    RemoveDirectoryW(entry.c_str());
                else
                    DeleteFileW(entry.c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(folder.c_str());
    }

    std::wstring m_path;
};

} // namespace contract::win
