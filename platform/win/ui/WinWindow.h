#pragma once

#include "platform/Window.h"
#include "platform/win/ui/WinNativeControl.h"
#include "platform/win/ui/WinWindowServices.h"

#include "platform/win/ui/WinApi.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ondrel::platform {

class WinWindowSystem;

// A top-level window of the program's own class with standard controls as
// children. Controls in a frame are children of the frame's group box.
class WinWindow final : public Window, public WinWindowServices {
public:
    WinWindow(WinWindowSystem& system, const WindowDesign& design);
    ~WinWindow() override;
    WinWindow(const WinWindow&) = delete;
    WinWindow& operator=(const WinWindow&) = delete;

    const std::string& objectName() const override { return m_design.objectName; }
    std::string caption() const override;
    PixelSize clientSize() const override;

    Frame& addFrame(const std::string& objectName, const std::string& caption, Twips at) override;
    Button& addButton(const std::string& objectName, const std::string& caption, Twips at,
                      Frame* container) override;
    CheckBox& addCheckBox(const std::string& objectName, const std::string& caption, Twips at,
                          Frame* container) override;
    OptionButton& addOptionButton(const std::string& objectName, const std::string& caption,
                                  Twips at, Frame* container) override;
    Label& addLabel(const std::string& objectName, const std::string& caption, Twips at,
                    Frame* container, bool wordWrap) override;
    LogBox& addLogBox(const std::string& objectName, const std::string& text, Twips at,
                      Frame* container) override;

    void setTabOrder(const std::vector<Control*>& order) override;
    Control* findControl(const std::string& objectName) override;

    void onCloseRequest(std::function<bool()> handler) override;
    void close() override;

    void showCentred() override;
    void show() override;
    void hide() override;
    bool isVisible() const override;

    void setEnabled(bool enabled) override;
    bool isEnabled() const override;

    void repaintNow() override;

    HWND handle() const { return m_handle; }
    int dpi() const { return m_dpi; }

    // The keys the window handles itself before the dialog manager sees them:
    // Tab in the design's order, Enter on a push button. True when taken.
    bool takeKey(const MSG& message);

    // The window of this class that a native handle belongs to, or nullptr.
    static WinWindow* fromHandle(HWND handle);
    // The window procedure of the class.
    static WNDPROC procedure() { return &windowProcedure; }

private:
    static LRESULT CALLBACK windowProcedure(HWND handle, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND createChild(const wchar_t* className, const std::string& objectName,
                     const std::string& text, DWORD style, DWORD exStyle, Twips at,
                     Frame* container);
    template <typename Native> Native& keep(std::unique_ptr<Native> control);

    void applyDpi(int dpi, const RECT* suggested);
    void restoreFocus();
    std::vector<HWND> tabCandidates() const;
    void moveFocus(bool forward);
    WinNativeControl* nativeOf(HWND handle) const;

    // WinWindowServices, for the controls.
    void focusControl(HWND control) override;
    bool isFocusControl(HWND control) const override;
    void moveFocusAwayFrom(HWND control) override;
    void setToolTip(HWND control, const std::string& text) override;
    void clearOtherOptions(const WinNativeControl& option) override;
    EventBoundary& boundary() override;

    WinWindowSystem& m_system;
    WindowDesign m_design;
    HWND m_handle = nullptr;
    int m_dpi = 96;
    HFONT m_font = nullptr;
    HWND m_toolTip = nullptr;
    std::vector<std::unique_ptr<WinNativeControl>> m_controls;
    std::map<HWND, WinNativeControl*> m_byHandle;
    std::map<std::string, Control*> m_byName;
    std::vector<HWND> m_tabOrder;
    std::vector<HWND> m_withToolTip;
    HWND m_focus = nullptr;
    std::function<bool()> m_onClose;
    int m_nextId = 1000;
};

} // namespace ondrel::platform
