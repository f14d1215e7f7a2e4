#pragma once

namespace ondrel::platform {

// Ends the program at once: no further code of any window runs. The real one
// never returns; a test's replacement records the call and returns.
class ProgramEnd {
public:
    virtual ~ProgramEnd() = default;
    virtual void EndProgram(int exitCode) = 0;
};

} // namespace ondrel::platform
