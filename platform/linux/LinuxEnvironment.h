#pragma once

#include "platform/Environment.h"

#include <string>

namespace ondrel::platform {

// What a POSIX process was given. The arguments arrive already split; the
// argument text is formed from them once, against the folder the program was
// started in.
class LinuxEnvironment : public Environment {
public:
    // Settles HOME first (settleHomeFolder), before anything reads it.
    LinuxEnvironment(int argc, char** argv);

    std::string ArgumentText() const override { return m_argumentText; }
    std::string Variable(const std::string& name) const override;
    std::string ProgramFolder() const override { return m_programFolder; }
    std::string FullPath(const std::string& path) const override;
    // "${TMPDIR:-/tmp}/ondrel-<uid>".
    std::string PrivateTempFolder() const override;

private:
    std::string m_argumentText;
    std::string m_programFolder;
};

} // namespace ondrel::platform
