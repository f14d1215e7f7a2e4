#pragma once

#include "platform/FileClaim.h"
#include "platform/linux/FileDescriptor.h"

namespace ondrel::platform {

// A claim held as a lock on one byte of the user's claims file, taken through
// a descriptor of its own (an open file description lock): it is released when
// the descriptor closes, with this object or with the process, however that
// ends, and it keeps out every other descriptor, in this process too.
class LinuxFileClaim final : public FileClaim {
public:
    // fd -1: a claim that holds nothing, where none can be had.
    explicit LinuxFileClaim(int fd) : m_fd(fd) {}

private:
    FileDescriptor m_fd;
};

} // namespace ondrel::platform
