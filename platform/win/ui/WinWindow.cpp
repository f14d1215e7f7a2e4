#include "platform/win/ui/WinWindow.h"

#include "platform/win/WinText.h"
#include "platform/win/ui/WinButton.h"
#include "platform/win/ui/WinCheckBox.h"
#include "platform/win/ui/WinDpi.h"
#include "platform/win/ui/WinFrame.h"
#include "platform/win/ui/WinLabel.h"
#include "platform/win/ui/WinLogBox.h"
#include "platform/win/ui/WinOptionButton.h"
#include "platform/win/ui/WinWindowSystem.h"

#include <commctrl.h>

#include <algorithm>

namespace ondrel::platform {

namespace {

// A fixed frame: caption, window menu and close box; no sizing border and
// nothing to maximise.
constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr UINT_PTR kFrameSubclassId = 1;
// Tool tips wrap at this width (at 96 dpi) instead of running across the
// screen: the KDH tip is three sentences long.
constexpr int kToolTipWidthAtDesignDpi = 360;

DWORD frameStyle(const WindowDesign& design) {
    return kFrameStyle | (design.minimizeBox ? WS_MINIMIZEBOX : 0);
}

// The group box is its controls' parent: what they tell their parent is for
// the window, and the box paints the background under them itself.
LRESULT CALLBACK frameProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
        return SendMessageW(GetAncestor(handle, GA_ROOT), message, wParam, lParam);
    case WM_ERASEBKGND: {
        RECT area{};
        GetClientRect(handle, &area);
        auto brush =
            reinterpret_cast<HBRUSH>(SendMessageW(GetAncestor(handle, GA_ROOT), WM_CTLCOLORSTATIC,
                                                  wParam, reinterpret_cast<LPARAM>(handle)));
        FillRect(reinterpret_cast<HDC>(wParam), &area,
                 brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    default:
        return DefSubclassProc(handle, message, wParam, lParam);
    }
}

} // namespace

WinWindow::WinWindow(WinWindowSystem& system, const WindowDesign& design)
    : m_system(system), m_design(design) {
    m_handle = CreateWindowExW(0, WinWindowSystem::className(), win::toWide(design.caption).c_str(),
                               frameStyle(design), CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, nullptr, nullptr, system.instance(), this);
    if (m_handle == nullptr)
        win::throwLastError("CreateWindowExW", design.objectName);
    m_system.remember(*this);
    m_dpi = win::dpiOf(m_handle);
    m_font = win::createControlFont(m_dpi);
    const SIZE outer = win::outerSize(win::twipsToPixels(design.clientWidthTwips, m_dpi),
                                      win::twipsToPixels(design.clientHeightTwips, m_dpi),
                                      frameStyle(design), 0, m_dpi);
    SetWindowPos(m_handle, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

WinWindow::~WinWindow() {
    m_system.forget(*this);
    SetWindowLongPtrW(m_handle, GWLP_USERDATA, 0);
    DestroyWindow(m_handle);
    if (m_font != nullptr)
        DeleteObject(m_font);
}

WinWindow* WinWindow::fromHandle(HWND handle) {
    if (handle == nullptr)
        return nullptr;
    wchar_t name[64] = {};
    GetClassNameW(handle, name, 64);
    if (lstrcmpW(name, WinWindowSystem::className()) != 0)
        return nullptr;
    return reinterpret_cast<WinWindow*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
}

std::string WinWindow::caption() const {
    const int length = GetWindowTextLengthW(m_handle);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(m_handle, text.data(), length + 1)));
    return win::toUtf8(text);
}

PixelSize WinWindow::clientSize() const {
    RECT area{};
    GetClientRect(m_handle, &area);
    return PixelSize{area.right - area.left, area.bottom - area.top};
}

HWND WinWindow::createChild(const wchar_t* className, const std::string& objectName,
                            const std::string& text, DWORD style, DWORD exStyle, Twips at,
                            Frame* container) {
    HWND parent = m_handle;
    if (container != nullptr) {
        auto* frame = dynamic_cast<WinNativeControl*>(container);
        if (frame != nullptr)
            parent = frame->handle();
    }
    const int id = m_nextId++;
    HWND child = CreateWindowExW(
        exStyle, className, win::toWide(text).c_str(), kChildStyle | style,
        win::twipsToPixels(at.left, m_dpi), win::twipsToPixels(at.top, m_dpi),
        win::twipsToPixels(at.width, m_dpi), win::twipsToPixels(at.height, m_dpi), parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), m_system.instance(), nullptr);
    if (child == nullptr)
        win::throwLastError("CreateWindowExW", objectName);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    // Later controls lie above earlier ones, as in the design.
    SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return child;
}

template <typename Native> Native& WinWindow::keep(std::unique_ptr<Native> control) {
    Native& kept = *control;
    m_byHandle[kept.handle()] = &kept;
    m_byName[kept.objectName()] = &kept;
    if (kept.takesFocus())
        m_tabOrder.push_back(kept.handle());
    m_controls.push_back(std::move(control));
    return kept;
}

Frame& WinWindow::addFrame(const std::string& objectName, const std::string& caption, Twips at) {
    HWND handle = createChild(WC_BUTTONW, objectName, caption, BS_GROUPBOX | WS_CLIPCHILDREN,
                              WS_EX_CONTROLPARENT, at, nullptr);
    SetWindowSubclass(handle, frameProcedure, kFrameSubclassId, 0);
    return keep(std::make_unique<WinFrame>(*this, handle, objectName, at));
}

Button& WinWindow::addButton(const std::string& objectName, const std::string& caption, Twips at,
                             Frame* container) {
    HWND handle =
        createChild(WC_BUTTONW, objectName, caption, BS_PUSHBUTTON | WS_TABSTOP, 0, at, container);
    return keep(std::make_unique<WinButton>(*this, handle, objectName, at));
}

CheckBox& WinWindow::addCheckBox(const std::string& objectName, const std::string& caption,
                                 Twips at, Frame* container) {
    HWND handle = createChild(WC_BUTTONW, objectName, caption,
                              BS_AUTOCHECKBOX | BS_MULTILINE | WS_TABSTOP, 0, at, container);
    return keep(std::make_unique<WinCheckBox>(*this, handle, objectName, at));
}

OptionButton& WinWindow::addOptionButton(const std::string& objectName, const std::string& caption,
                                         Twips at, Frame* container) {
    HWND handle = createChild(WC_BUTTONW, objectName, caption,
                              BS_AUTORADIOBUTTON | BS_MULTILINE | WS_TABSTOP, 0, at, container);
    return keep(std::make_unique<WinOptionButton>(*this, handle, objectName, at));
}

Label& WinWindow::addLabel(const std::string& objectName, const std::string& caption, Twips at,
                           Frame* container, bool wordWrap) {
    const DWORD alignment = wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP;
    HWND handle =
        createChild(WC_STATICW, objectName, caption, alignment | SS_NOPREFIX, 0, at, container);
    return keep(std::make_unique<WinLabel>(*this, handle, objectName, at));
}

LogBox& WinWindow::addLogBox(const std::string& objectName, const std::string& text, Twips at,
                             Frame* container) {
    HWND handle =
        createChild(WC_EDITW, objectName, text,
                    ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP,
                    WS_EX_CLIENTEDGE, at, container);
    return keep(std::make_unique<WinLogBox>(*this, handle, objectName, at));
}

void WinWindow::setTabOrder(const std::vector<Control*>& order) {
    m_tabOrder.clear();
    for (Control* control : order) {
        auto* native = dynamic_cast<WinNativeControl*>(control);
        if (native != nullptr && native->takesFocus())
            m_tabOrder.push_back(native->handle());
    }
}

Control* WinWindow::findControl(const std::string& objectName) {
    const auto found = m_byName.find(objectName);
    return found == m_byName.end() ? nullptr : found->second;
}

EventBoundary& WinWindow::boundary() {
    return m_system.boundary();
}

void WinWindow::onCloseRequest(std::function<bool()> handler) {
    m_onClose = std::move(handler);
}

void WinWindow::close() {
    SendMessageW(m_handle, WM_CLOSE, 0, 0);
}

void WinWindow::showCentred() {
    HMONITOR monitor = MonitorFromWindow(m_handle, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    RECT frame{};
    GetWindowRect(m_handle, &frame);
    if (GetMonitorInfoW(monitor, &info)) {
        const RECT& work = info.rcWork;
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        const int left = work.left + std::max(0L, (work.right - work.left - width) / 2);
        const int top = work.top + std::max(0L, (work.bottom - work.top - height) / 2);
        SetWindowPos(m_handle, nullptr, left, top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    show();
}

void WinWindow::show() {
    ShowWindow(m_handle, SW_SHOW);
    SetForegroundWindow(m_handle);
    restoreFocus();
}

void WinWindow::hide() {
    ShowWindow(m_handle, SW_HIDE);
}

bool WinWindow::isVisible() const {
    return IsWindowVisible(m_handle) != FALSE;
}

void WinWindow::setEnabled(bool enabled) {
    EnableWindow(m_handle, enabled ? TRUE : FALSE);
}

bool WinWindow::isEnabled() const {
    return IsWindowEnabled(m_handle) != FALSE;
}

void WinWindow::repaintNow() {
    UpdateWindow(m_handle);
}

WinNativeControl* WinWindow::nativeOf(HWND handle) const {
    const auto found = m_byHandle.find(handle);
    return found == m_byHandle.end() ? nullptr : found->second;
}

std::vector<HWND> WinWindow::tabCandidates() const {
    std::vector<HWND> candidates;
    for (HWND handle : m_tabOrder) {
        WinNativeControl* native = nativeOf(handle);
        if (native == nullptr || !IsWindowEnabled(handle) || !IsWindowVisible(handle))
            continue;
        // A group of option buttons is one stop: its selected button.
        if (auto* option = dynamic_cast<OptionButton*>(&native->control());
            option != nullptr && !option->isChecked()) {
            const bool groupHasSelection =
                std::any_of(m_tabOrder.begin(), m_tabOrder.end(), [&](HWND other) {
                    WinNativeControl* sibling = nativeOf(other);
                    auto* otherOption =
                        sibling ? dynamic_cast<OptionButton*>(&sibling->control()) : nullptr;
                    return otherOption != nullptr && other != handle &&
                           GetParent(other) == GetParent(handle) && otherOption->isChecked();
                });
            if (groupHasSelection && handle != GetFocus())
                continue;
        }
        candidates.push_back(handle);
    }
    return candidates;
}

void WinWindow::moveFocus(bool forward) {
    const std::vector<HWND> candidates = tabCandidates();
    if (candidates.empty())
        return;
    const auto current = std::find(candidates.begin(), candidates.end(), GetFocus());
    HWND next = nullptr;
    if (current == candidates.end()) {
        next = forward ? candidates.front() : candidates.back();
    } else if (forward) {
        next = std::next(current) == candidates.end() ? candidates.front() : *std::next(current);
    } else {
        next = current == candidates.begin() ? candidates.back() : *std::prev(current);
    }
    m_focus = next;
    SetFocus(next);
}

void WinWindow::restoreFocus() {
    if (GetActiveWindow() != m_handle)
        return;
    HWND target = m_focus;
    WinNativeControl* native = nativeOf(target);
    if (native == nullptr || !native->control().isEnabled() || !IsWindowVisible(target)) {
        const std::vector<HWND> candidates = tabCandidates();
        target = candidates.empty() ? nullptr : candidates.front();
    }
    if (target != nullptr) {
        m_focus = target;
        SetFocus(target);
    }
}

bool WinWindow::takeKey(const MSG& message) {
    if (message.message != WM_KEYDOWN)
        return false;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool alt = GetKeyState(VK_MENU) < 0;
    if (message.wParam == VK_TAB && !control && !alt) {
        moveFocus(GetKeyState(VK_SHIFT) >= 0);
        return true;
    }
    if (message.wParam == VK_RETURN && !control && !alt) {
        WinNativeControl* native = nativeOf(GetFocus());
        if (auto* button = native ? dynamic_cast<Button*>(&native->control()) : nullptr) {
            button->click();
            return true;
        }
    }
    return false;
}

void WinWindow::focusControl(HWND control) {
    m_focus = control;
    if (GetActiveWindow() == m_handle)
        SetFocus(control);
}

bool WinWindow::isFocusControl(HWND control) const {
    if (GetActiveWindow() == m_handle)
        return GetFocus() == control;
    return m_focus == control;
}

void WinWindow::moveFocusAwayFrom(HWND control) {
    std::vector<HWND> candidates = tabCandidates();
    const auto at = std::find(candidates.begin(), candidates.end(), control);
    if (at == candidates.end() || candidates.size() < 2)
        return;
    HWND next = std::next(at) == candidates.end() ? candidates.front() : *std::next(at);
    m_focus = next;
    SetFocus(next);
}

void WinWindow::setToolTip(HWND control, const std::string& text) {
    if (m_toolTip == nullptr) {
        m_toolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                    WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_handle, nullptr,
                                    m_system.instance(), nullptr);
        if (m_toolTip == nullptr)
            win::throwLastError("CreateWindowExW", "tool tip");
        SendMessageW(m_toolTip, TTM_SETMAXTIPWIDTH, 0,
                     MulDiv(kToolTipWidthAtDesignDpi, m_dpi, win::kDesignDpi));
    }
    std::wstring wide = win::toWide(text);
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_handle;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = wide.data();
    const bool known =
        std::find(m_withToolTip.begin(), m_withToolTip.end(), control) != m_withToolTip.end();
    SendMessageW(m_toolTip, known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0,
                 reinterpret_cast<LPARAM>(&tool));
    if (!known)
        m_withToolTip.push_back(control);
}

void WinWindow::clearOtherOptions(const WinNativeControl& option) {
    HWND container = GetParent(option.handle());
    for (const auto& native : m_controls) {
        if (native.get() == &option || GetParent(native->handle()) != container)
            continue;
        if (auto* other = dynamic_cast<WinOptionButton*>(native.get()); other != nullptr)
            SendMessageW(other->handle(), BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

void WinWindow::applyDpi(int dpi, const RECT* suggested) {
    HFONT oldFont = m_font;
    m_dpi = dpi;
    m_font = win::createControlFont(dpi);
    const SIZE outer = win::outerSize(win::twipsToPixels(m_design.clientWidthTwips, dpi),
                                      win::twipsToPixels(m_design.clientHeightTwips, dpi),
                                      frameStyle(m_design), 0, dpi);
    RECT frame{};
    GetWindowRect(m_handle, &frame);
    const RECT& at = suggested ? *suggested : frame;
    SetWindowPos(m_handle, nullptr, at.left, at.top, outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    for (const auto& native : m_controls) {
        native->place(dpi);
        SendMessageW(native->handle(), WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    }
    if (m_toolTip != nullptr)
        SendMessageW(m_toolTip, TTM_SETMAXTIPWIDTH, 0,
                     MulDiv(kToolTipWidthAtDesignDpi, dpi, win::kDesignDpi));
    InvalidateRect(m_handle, nullptr, TRUE);
    if (oldFont != nullptr)
        DeleteObject(oldFont);
}

LRESULT CALLBACK WinWindow::windowProcedure(HWND handle, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(handle, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
        auto* window = static_cast<WinWindow*>(creation->lpCreateParams);
        window->m_handle = handle;
    }
    auto* window = reinterpret_cast<WinWindow*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
    if (window == nullptr)
        return DefWindowProcW(handle, message, wParam, lParam);
    // No exception may unwind through the window system's code.
    LRESULT result = 0;
    window->m_system.boundary().call(
        [&] { result = window->handleMessage(message, wParam, lParam); });
    return result;
}

LRESULT WinWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (lParam != 0) {
            if (WinNativeControl* native = nativeOf(reinterpret_cast<HWND>(lParam)))
                native->notify(HIWORD(wParam));
        }
        // IDOK and IDCANCEL from the dialog manager (Enter, Escape) do nothing.
        return 0;
    case WM_CLOSE:
        if (m_system.boundary().callCloseHandler(m_onClose)) {
            hide();
            m_system.windowClosed();
        }
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus != nullptr && IsChild(m_handle, focus))
                m_focus = focus;
        } else {
            restoreFocus();
        }
        return 0;
    case WM_SETFOCUS:
        restoreFocus();
        return 0;
    case WM_DPICHANGED:
        applyDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    default:
        return DefWindowProcW(m_handle, message, wParam, lParam);
    }
}

} // namespace ondrel::platform
