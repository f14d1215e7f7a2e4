#include "platform/win/ui/WinLogBox.h"

#include <algorithm>

namespace ondrel::platform {

namespace {

// A multi-line EDIT holds 32767 characters unless told otherwise; the list
// of a full drop is far longer.
constexpr LPARAM kTextLimit = 0x7FFFFFFE;

} // namespace

WinLogBox::WinLogBox(WinWindowServices& window, HWND handle, std::string objectName, Twips design)
    : WinControl(window, handle, std::move(objectName), design) {
    SendMessageW(handle, EM_SETLIMITTEXT, static_cast<WPARAM>(kTextLimit), 0);
}

void WinLogBox::append(const std::string& piece) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    const auto length = static_cast<DWORD>(textLength());
    // Replacing an empty selection at the end inserts there without
    // rewriting the text before it, and keeps the box's undo small.
    SendMessageW(handle(), EM_SETSEL, length, length);
    SendMessageW(handle(), EM_REPLACESEL, FALSE,
                 reinterpret_cast<LPARAM>(win::toWide(piece).c_str()));
    // A caret at the end follows the text; one the user put elsewhere stays.
    if (start != length || end != length)
        SendMessageW(handle(), EM_SETSEL, start, end);
}

std::size_t WinLogBox::textLength() const {
    return static_cast<std::size_t>(std::max(0, GetWindowTextLengthW(handle())));
}

std::size_t WinLogBox::selectionStart() const {
    DWORD start = 0;
    SendMessageW(handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    return start;
}

void WinLogBox::setSelectionStart(std::size_t position) {
    const auto at = static_cast<WPARAM>(std::min(position, textLength()));
    SendMessageW(handle(), EM_SETSEL, at, static_cast<LPARAM>(at));
    SendMessageW(handle(), EM_SCROLLCARET, 0, 0);
}

} // namespace ondrel::platform
