#include "platform/EventBoundary.h"

#include "platform/Controls.h"

#include <cstdlib>
#include <stdexcept>
#include <utility>

namespace ondrel::platform {

EventBoundary::EventBoundary(MessageBox& fallbackBox) : m_fallbackBox(fallbackBox) {}

void EventBoundary::setFailureRoad(FailureRoad road) {
    m_road = std::move(road);
}

void EventBoundary::call(const std::function<void()>& handler) noexcept {
    if (!handler)
        return;
    try {
        handler();
    } catch (const std::exception& error) {
        fail(error);
    } catch (...) {
        fail(std::runtime_error("unknown failure"));
    }
}

bool EventBoundary::callCloseHandler(const std::function<bool()>& handler) noexcept {
    if (!handler)
        return true;
    try {
        return handler();
    } catch (const std::exception& error) {
        fail(error);
    } catch (...) {
        fail(std::runtime_error("unknown failure"));
    }
    return true;
}

void EventBoundary::fail(const std::exception& error) noexcept {
    if (m_road) {
        try {
            m_road(error);
            return;
        } catch (...) {
            // The road itself failed: nothing is left to report it with.
        }
    } else {
        try {
            m_fallbackBox.show(error.what());
        } catch (...) {
        }
    }
    std::_Exit(1);
}

} // namespace ondrel::platform
