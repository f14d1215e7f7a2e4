#pragma once

#include <cstdint>

namespace ondrel::platform {

// A pause during which nothing else of the program runs.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
};

} // namespace ondrel::platform
