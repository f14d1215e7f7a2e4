#pragma once

#include "platform/win/WinText.h"
#include "platform/win/ui/WinDpi.h"
#include "platform/win/ui/WinNativeControl.h"
#include "platform/win/ui/WinWindowServices.h"

#include <string>
#include <utility>

namespace ondrel::platform {

// The part every Win32 control shares: one native child window, its design
// name and rectangle. Interface is the control kind of the window interface.
template <typename Interface> class WinControl : public Interface, public WinNativeControl {
public:
    WinControl(WinWindowServices& window, HWND handle, std::string objectName, Twips design)
        : m_window(window), m_handle(handle), m_objectName(std::move(objectName)),
          m_design(design) {}
    WinControl(const WinControl&) = delete;
    WinControl& operator=(const WinControl&) = delete;

    const std::string& objectName() const override { return m_objectName; }

    std::string text() const override {
        const int length = GetWindowTextLengthW(m_handle);
        std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
        const int copied = GetWindowTextW(m_handle, wide.data(), length + 1);
        wide.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
        return win::toUtf8(wide);
    }

    void setText(const std::string& text) override {
        SetWindowTextW(m_handle, win::toWide(text).c_str());
    }

    // The control's own state; its window may be disabled meanwhile.
    bool isEnabled() const override { return IsWindowEnabled(m_handle) != FALSE; }

    void setEnabled(bool enabled) override {
        // A disabled control that kept the focus would leave the keyboard
        // with nowhere to go.
        if (!enabled && GetFocus() == m_handle)
            m_window.moveFocusAwayFrom(m_handle);
        EnableWindow(m_handle, enabled ? TRUE : FALSE);
    }

    bool hasFocus() const override { return m_window.isFocusControl(m_handle); }
    void setFocus() override { m_window.focusControl(m_handle); }

    void setToolTip(const std::string& text) override { m_window.setToolTip(m_handle, text); }

    PixelRect geometry() const override {
        RECT rect{};
        GetWindowRect(m_handle, &rect);
        MapWindowPoints(HWND_DESKTOP, GetParent(m_handle), reinterpret_cast<POINT*>(&rect), 2);
        return PixelRect{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
    }

    void repaintNow() override { UpdateWindow(m_handle); }

    HWND handle() const override { return m_handle; }
    Control& control() override { return *this; }

    void place(int dpi) override {
        SetWindowPos(m_handle, nullptr, win::twipsToPixels(m_design.left, dpi),
                     win::twipsToPixels(m_design.top, dpi), win::twipsToPixels(m_design.width, dpi),
                     win::twipsToPixels(m_design.height, dpi),
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }

    void notify(WORD) override {}
    bool takesFocus() const override { return true; }

protected:
    WinWindowServices& window() { return m_window; }

    // A click reaches the control only while it and every window it lies in
    // are enabled.
    bool acceptsInput() const {
        for (HWND window = m_handle; window != nullptr; window = GetParent(window)) {
            if (!IsWindowEnabled(window))
                return false;
        }
        return true;
    }

private:
    WinWindowServices& m_window;
    HWND m_handle;
    std::string m_objectName;
    Twips m_design;
};

} // namespace ondrel::platform
