#pragma once

#include "platform/ProgramEnd.h"

namespace ondrel::platform {

// Ends the process at once: no destructor and no further window code runs.
class LinuxProgramEnd : public ProgramEnd {
public:
    [[noreturn]] void EndProgram(int exitCode) override;
};

} // namespace ondrel::platform
