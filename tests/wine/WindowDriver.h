#pragma once

// Works a Windows program's windows from outside, as a user and a screen
// reader do: top-level windows found by process and caption, controls by
// class and caption, buttons clicked with BM_CLICK, texts read with
// WM_GETTEXT, message boxes answered. Shared by the end-to-end tests of
// Ondrel.exe and the batches of the unpacked download.

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace windowdriver {

using namespace std::chrono_literals;

// Polls until the condition holds or the patience runs out; the limit is one
// a working program never reaches and a loaded machine never exceeds.
bool waitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds patience = std::chrono::milliseconds(120s));

std::wstring windowText(HWND window);
std::wstring className(HWND window);

// The visible top-level windows of the process with that caption (and class,
// when one is given).
std::vector<HWND> topLevelWindows(DWORD processId, const std::wstring& caption,
                                  const std::wstring& windowClass = L"");
// The first such window, waited for; nullptr when none came.
HWND waitForWindow(DWORD processId, const std::wstring& caption);

// The control of that class and caption anywhere inside the window (frames
// hold controls of their own); an empty caption takes the first of the class.
HWND control(HWND window, const std::wstring& windowClass, const std::wstring& caption = L"");

bool isChecked(HWND button);
// Posted, not sent: the main button's handler runs the whole batch, and a
// message box may open inside it.
void click(HWND button);
void pressKey(HWND target, WPARAM key);

// A message box of the process, waited for: its text, then OK.
std::wstring answerMessageBox(DWORD processId);

// The log box of Ondrel's main window.
std::wstring logOf(HWND mainWindow);

// The processes now running from an executable of that name.
std::vector<DWORD> processesNamed(const std::wstring& name);
// The full path of the executable a process runs; empty once it has ended.
std::wstring imageOf(DWORD processId);

// Files, for the tests' own scratch folders.
// The \\?\ form of an absolute path, which Windows takes as written: "Aux.mp3"
// is then a file, not the AUX device, and a name may end in a dot. Other paths
// as they are.
std::wstring literalPath(const std::wstring& path);
bool fileExists(const std::wstring& path);
std::string readFile(const std::wstring& path);
void writeFile(const std::wstring& path, const std::string& bytes);
std::vector<std::wstring> namesIn(const std::wstring& folder);
void removeTree(const std::wstring& folder);

} // namespace windowdriver
