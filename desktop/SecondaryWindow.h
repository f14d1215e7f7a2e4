#pragma once

#include "platform/Window.h"

#include <memory>

namespace ondrel {

// The About and Setting windows are shown without modality and without an
// owner, and yet act as modal dialogs: from their load to their unload the
// main window takes no input. Both derive from this, which keeps that rule
// in one place.
class SecondaryWindow {
public:
    // What a secondary window may do to the main window: take its input away
    // while it is loaded, and give it back.
    class Owner {
    public:
        virtual void setEnabled(bool enabled) = 0;

    protected:
        ~Owner() = default;
    };

    virtual ~SecondaryWindow();
    SecondaryWindow(const SecondaryWindow&) = delete;
    SecondaryWindow& operator=(const SecondaryWindow&) = delete;

    // An opening: the load, then the show where the window system puts new
    // windows. A failed load propagates, and the window stays unshown.
    void open();

    platform::Window& window() { return *m_window; }

    // The load disables the main window; a window with more to load
    // overrides it and calls this first.
    virtual void Form_Load();
    // The unload, by the window's own button or its close box, enables the
    // main window again. It never cancels.
    void Form_Unload();

protected:
    SecondaryWindow(Owner& owner, platform::WindowSystem& windows,
                    const platform::WindowDesign& design);

private:
    Owner& m_owner;
    std::unique_ptr<platform::Window> m_window;
};

} // namespace ondrel
