#pragma once

#include "platform/ProgramEnd.h"

namespace ondrel::platform {

class WinProgramEnd final : public ProgramEnd {
public:
    [[noreturn]] void EndProgram(int exitCode) override;
};

} // namespace ondrel::platform
