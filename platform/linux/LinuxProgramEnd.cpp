#include "platform/linux/LinuxProgramEnd.h"

#include <unistd.h>

#include <cstdio>

namespace ondrel::platform {

void LinuxProgramEnd::EndProgram(int exitCode) {
    // The setting is already on disk (the store syncs every write); what is
    // still buffered for the console goes out.
    std::fflush(nullptr);
    ::_exit(exitCode);
}

} // namespace ondrel::platform
