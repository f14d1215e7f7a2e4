#pragma once

#include <exception>
#include <functional>

namespace ondrel::platform {

class MessageBox;

// Where a toolkit calls the program's handlers. No exception may cross into
// the event loop: Qt's and Win32's both forbid it, and there it would end the
// program without a word. A failure that escapes a handler takes the
// program's failure road instead. Both toolkits call every handler through
// here, so that this rule is written once.
class EventBoundary {
public:
    using FailureRoad = std::function<void(const std::exception&)>;

    // Until the program sets a road of its own, a failure is shown in this
    // box and the process ends with status 1.
    explicit EventBoundary(MessageBox& fallbackBox);

    void setFailureRoad(FailureRoad road);

    // Runs a handler; a failure that escapes it takes the road.
    void call(const std::function<void()>& handler) noexcept;
    // Runs a close handler and returns its answer. After a failure the window
    // closes: the road has ended the program, and nothing of it may stay.
    bool callCloseHandler(const std::function<bool()>& handler) noexcept;

private:
    void fail(const std::exception& error) noexcept;

    MessageBox& m_fallbackBox;
    FailureRoad m_road;
};

} // namespace ondrel::platform
