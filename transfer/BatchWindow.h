#pragma once

#include <cstdint>
#include <string>

namespace ondrel::platform {
class Button;
class CheckBox;
class Label;
} // namespace ondrel::platform

namespace ondrel {

// What the transfer batch and the converter runner see of the main window:
// the controls they read and change, the log they append to, the files to
// work through, and the few members of the run they share with it. The main
// window implements it; nothing else of the window is theirs to touch.
class BatchWindow {
public:
    // The current-file label (Label1) and the status line (Label2).
    virtual platform::Label& fileLabel() = 0;
    virtual platform::Label& statusLabel() = 0;
    // Appends a piece to the log and puts the caret at the end.
    virtual void appendLog(const std::string& piece) = 0;

    // "Do not transfer to DS, output file(s) to the Desktop." (Check1) and
    // "KDH mode." (Check2).
    virtual platform::CheckBox& desktopOption() = 0;
    virtual platform::CheckBox& kdhOption() = 0;
    // The main button (Command1); with the two options, what the batch
    // disables while it runs.
    virtual platform::Button& mainButton() = 0;

    // The launch file list: entry i's path as given and its display name.
    virtual int fileCount() const = 0;
    virtual const std::string& sourcePath(int index) const = 0;
    virtual const std::string& displayName(int index) const = 0;
    // The long form of a path, "" when a component cannot be found.
    virtual std::string GetLongFilename(const std::string& sShortName) = 0;

    // Repaints the window and both labels, runs pending events, pauses 1000 ms.
    virtual void RefreshDisplay() = 0;
    // True once the window has been unloaded: whatever was under way must
    // not go on.
    virtual bool unloaded() const = 0;

    // ChildProcessId: the running converter, 0 when none; the window
    // terminates it when it unloads.
    virtual std::int32_t childProcessId() const = 0;
    virtual void setChildProcessId(std::int32_t processId) = 0;
    // TempDir: where the temporary files go.
    virtual const std::string& tempDir() const = 0;

protected:
    ~BatchWindow() = default;
};

} // namespace ondrel
