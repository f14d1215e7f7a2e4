#include "tests/wine/ShellLinks.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace shelllinks {

namespace {

// The shell link object wants COM on the calling thread.
struct ComScope {
    ComScope() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComScope() { CoUninitialize(); }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
};

} // namespace

Shortcut readShortcut(const std::wstring& path) {
    ComScope com;
    Shortcut result;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return result;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t text[MAX_PATH * 4] = {};
            result.read = true;
            if (SUCCEEDED(link->GetPath(text, MAX_PATH * 4, nullptr, SLGP_RAWPATH)))
                result.target = text;
            text[0] = L'\0';
            if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH * 4)))
                result.workingFolder = text;
            text[0] = L'\0';
            if (SUCCEEDED(link->GetDescription(text, MAX_PATH * 4)))
                result.description = text;
        }
        file->Release();
    }
    link->Release();
    return result;
}

bool writeShortcut(const std::wstring& path, const std::wstring& program) {
    ComScope com;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    bool saved = false;
    link->SetDescription(L"");
    link->SetWorkingDirectory(program.c_str());
    link->SetPath((program + L"\\Ondrel.exe").c_str());
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        saved = SUCCEEDED(file->Save(path.c_str(), TRUE));
        file->Release();
    }
    link->Release();
    return saved;
}

} // namespace shelllinks
