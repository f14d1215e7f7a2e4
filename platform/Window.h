#pragma once

#include "platform/Controls.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ondrel::platform {

// What a window is made from: its name, caption, client size and whether it
// has a minimise box. Every window has a fixed frame, a window menu and a
// close box; none can be resized or maximised.
struct WindowDesign {
    std::string objectName;
    std::string caption;
    int clientWidthTwips = 0;
    int clientHeightTwips = 0;
    bool minimizeBox = false;
};

// A top-level window of the toolkit with the controls it was given. The window
// owns its controls; the references handed out live as long as the window.
// Controls created later lie above the ones created earlier.
class Window {
public:
    virtual ~Window() = default;

    virtual const std::string& objectName() const = 0;
    virtual std::string caption() const = 0;
    // The client area in the toolkit's pixels at the window's current DPI.
    virtual PixelSize clientSize() const = 0;

    // Each control is placed at its design rectangle, relative to the client
    // area of its container: the window, or the frame given.
    virtual Frame& addFrame(const std::string& objectName, const std::string& caption,
                            Twips at) = 0;
    virtual Button& addButton(const std::string& objectName, const std::string& caption, Twips at,
                              Frame* container = nullptr) = 0;
    virtual CheckBox& addCheckBox(const std::string& objectName, const std::string& caption,
                                  Twips at, Frame* container = nullptr) = 0;
    // The option buttons of one container are exclusive with each other.
    virtual OptionButton& addOptionButton(const std::string& objectName, const std::string& caption,
                                          Twips at, Frame* container = nullptr) = 0;
    // Plain text, top-left aligned; wrapped at word boundaries when asked.
    virtual Label& addLabel(const std::string& objectName, const std::string& caption, Twips at,
                            Frame* container = nullptr, bool wordWrap = false) = 0;
    // The multi-line, editable text box with a vertical scroll bar.
    virtual LogBox& addLogBox(const std::string& objectName, const std::string& text, Twips at,
                              Frame* container = nullptr) = 0;

    // The order in which Tab moves the focus; controls not listed take none
    // by Tab.
    virtual void setTabOrder(const std::vector<Control*>& order) = 0;

    // The control of that object name, or nullptr; tests find controls so.
    virtual Control* findControl(const std::string& objectName) = 0;

    // Called when the user or the program asks the window to close (its close
    // box, the window menu, Alt+F4, close()). Returns true to let it close;
    // without a handler the window closes. A window that closes is hidden,
    // not destroyed.
    virtual void onCloseRequest(std::function<bool()> handler) = 0;
    // Asks the window to close, exactly as its close box does.
    virtual void close() = 0;

    // Shows the window centred on the screen it opens on.
    virtual void showCentred() = 0;
    // Shows the window where the window system places it.
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual bool isVisible() const = 0;

    // A disabled window takes no clicks or keys; its close requests still
    // reach the handler, which decides.
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;

    // Draws the window now, not when the event loop next gets to it.
    virtual void repaintNow() = 0;
};

// The window toolkit of this build: Qt Widgets on Linux, Win32 on Windows.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    virtual std::unique_ptr<Window> createWindow(const WindowDesign& design) = 0;

    // The event pump: runs every pending event (paints, clicks, keys, close
    // requests) and returns.
    virtual void processEvents() = 0;

    // Runs the event loop until the program ends; returns its exit code.
    virtual int run() = 0;

    // The road of a failure that escapes an event handler, which must not
    // cross into the event loop. Until the program sets one, the toolkit
    // shows the failure in its message box and ends the process.
    virtual void onUncaughtFailure(std::function<void(const std::exception&)> road) = 0;
};

} // namespace ondrel::platform
