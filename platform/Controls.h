#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace ondrel::platform {

// A design rectangle in twips, 15 to the pixel at 96 dpi, relative to the
// client area of the control's container.
struct Twips {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A rectangle in the toolkit's pixels at the window's current DPI.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct PixelSize {
    int width = 0;
    int height = 0;
};

// What every control of a window can do. Texts are UTF-8; line breaks in
// them are CR LF.
class Control {
public:
    virtual ~Control() = default;

    // The control's design name ("Command1", "Text1", ...).
    virtual const std::string& objectName() const = 0;

    // The caption, or for the log box its whole text.
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;

    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;

    virtual bool hasFocus() const = 0;
    virtual void setFocus() = 0;

    virtual void setToolTip(const std::string& text) = 0;

    // Where the control lies, relative to its container's client area.
    virtual PixelRect geometry() const = 0;

    // Draws the control now, not when the event loop next gets to it.
    virtual void repaintNow() = 0;
};

// A push button. Space presses the focused button, and so do Enter and
// Return; Escape presses none.
class Button : public Control {
public:
    virtual void onClick(std::function<void()> handler) = 0;
    // Presses the button as the user would: nothing happens while it, or its
    // window, is disabled.
    virtual void click() = 0;
};

class CheckBox : public Control {
public:
    virtual bool isChecked() const = 0;
    virtual void setChecked(bool checked) = 0;
    // Toggles the box as the user's click would, unless it is disabled.
    virtual void click() = 0;
};

// An option (radio) button; the ones in one container exclude each other.
class OptionButton : public Control {
public:
    virtual bool isChecked() const = 0;
    // Checking one clears the others of its container.
    virtual void setChecked(bool checked) = 0;
    // Selects the option as the user's click would, unless it is disabled.
    virtual void click() = 0;
};

// A frame with a caption that holds other controls.
class Frame : public Control {};

class Label : public Control {};

// The multi-line log. Positions count UTF-16 code units of the CR LF text, as
// the window system's text boxes do.
class LogBox : public Control {
public:
    // Adds a piece at the end, leaving what stands before it untouched.
    virtual void append(const std::string& piece) = 0;
    // The length of the whole text, in the units of the caret position.
    virtual std::size_t textLength() const = 0;
    virtual std::size_t selectionStart() const = 0;
    // Puts the caret there and scrolls it into view.
    virtual void setSelectionStart(std::size_t position) = 0;
};

// The modal box with the text, one OK button, no icon and "Ondrel" as its
// caption; returns when the user has dismissed it.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void show(const std::string& text) = 0;
};

} // namespace ondrel::platform
