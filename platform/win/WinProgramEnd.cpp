#include <windows.h>

#include "platform/win/WinProgramEnd.h"

#include <cstdio>
#include <iostream>

namespace ondrel::platform {

void WinProgramEnd::EndProgram(int exitCode) {
    // Whatever was printed still reaches its reader; nothing else of ours runs.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    ExitProcess(static_cast<UINT>(exitCode));
}

} // namespace ondrel::platform
