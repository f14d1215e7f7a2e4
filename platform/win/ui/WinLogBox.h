#pragma once

#include "platform/win/ui/WinControl.h"

namespace ondrel::platform {

// A multi-line EDIT. Its positions are the control's own: UTF-16 code units
// of the CR LF text.
class WinLogBox final : public WinControl<LogBox> {
public:
    WinLogBox(WinWindowServices& window, HWND handle, std::string objectName, Twips design);

    void append(const std::string& piece) override;
    std::size_t textLength() const override;
    std::size_t selectionStart() const override;
    void setSelectionStart(std::size_t position) override;
};

} // namespace ondrel::platform
