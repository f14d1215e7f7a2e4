#include "platform/win/ui/WinMessageBox.h"

#include "platform/win/WinText.h"

#include "platform/win/ui/WinApi.h"

namespace ondrel::platform {

void WinMessageBox::show(const std::string& text) {
    // Task-modal without an owner: the main window may be the one disabled
    // by About or Setting, and all of the program's windows must wait.
    MessageBoxW(nullptr, win::toWide(text).c_str(), L"Ondrel",
                MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
}

} // namespace ondrel::platform
