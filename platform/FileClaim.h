#pragma once

namespace ondrel::platform {

// A running Ondrel's hold on a file name, from the moment it is taken until
// this object is destroyed or the process ends, however it ends. While one
// Ondrel holds a name, another asking for it is told so and must not touch the
// file: what stands there is the first one's work in progress, not a leftover.
class FileClaim {
public:
    virtual ~FileClaim() = default;
};

} // namespace ondrel::platform
