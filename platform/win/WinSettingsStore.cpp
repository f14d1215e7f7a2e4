#include <windows.h>

#include "platform/win/WinSettingsStore.h"

#include "platform/win/WinText.h"

#include <vector>

namespace ondrel::platform {

using win::toUtf8;
using win::toWide;

namespace {

std::wstring keyPath(const std::string& application, const std::string& section) {
    return L"Software\\" + toWide(application) + L"\\" + toWide(section);
}

std::string shownPath(const std::string& application, const std::string& section,
                      const std::string& key) {
    return "HKEY_CURRENT_USER\\Software\\" + application + "\\" + section + "\\" + key;
}

} // namespace

std::string WinSettingsStore::read(const std::string& application, const std::string& section,
                                   const std::string& key, const std::string& defaultValue) const {
    const std::wstring path = keyPath(application, section);
    const std::wstring name = toWide(key);
    // A value of another type, or one that changes size between the two
    // calls more often than we retry, counts as not stored.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD bytes = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                         nullptr, &bytes) != ERROR_SUCCESS)
            return defaultValue;
        std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
        bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(),
                                            RRF_RT_REG_SZ, nullptr, buffer.data(), &bytes);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return defaultValue;
        return toUtf8(buffer.data());
    }
    return defaultValue;
}

void WinSettingsStore::write(const std::string& application, const std::string& section,
                             const std::string& key, const std::string& value) {
    const std::string shown = shownPath(application, section, key);
    HKEY handle = nullptr;
    LSTATUS status =
        RegCreateKeyExW(HKEY_CURRENT_USER, keyPath(application, section).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (status != ERROR_SUCCESS)
        win::throwError("SaveSetting", shown, static_cast<unsigned long>(status));
    const std::wstring data = toWide(value);
    status = RegSetValueExW(handle, toWide(key).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    // The next run must find the value even when this one is cut short.
    if (status == ERROR_SUCCESS)
        status = RegFlushKey(handle);
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS)
        win::throwError("SaveSetting", shown, static_cast<unsigned long>(status));
}

} // namespace ondrel::platform
