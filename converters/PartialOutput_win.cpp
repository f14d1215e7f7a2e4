#include "converters/PartialOutput.h"

#include "converters/WideText_win.h"

#include <stdexcept>

namespace ondrel::converters {

using win::describeError;
using win::toWide;

namespace {

std::runtime_error failure(const std::string& what, DWORD error) {
    return std::runtime_error(what + ": " + describeError(error));
}

} // namespace

// Windows has no nameless files; a file that FFmpeg opens by name cannot be
// one that vanishes when we end. What a terminated run leaves is therefore a
// partial file beside the output, never the output itself.
bool PartialOutput::openNameless() {
    return false;
}

void PartialOutput::createNamed() {
    for (int attempt = 0;; ++attempt) {
        std::string candidate = freshName();
        const HANDLE file = CreateFileW(toWide(candidate).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            m_namedPath = std::move(candidate);
            return;
        }
        const DWORD error = GetLastError();
        if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 20)
            throw failure("cannot create a file in " + m_folder, error);
    }
}

std::string PartialOutput::writerPath() const {
    return m_namedPath;
}

bool PartialOutput::hasContent() const {
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (!GetFileAttributesExW(toWide(m_namedPath).c_str(), GetFileExInfoStandard, &info))
        return false;
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           (info.nFileSizeHigh != 0 || info.nFileSizeLow != 0);
}

void PartialOutput::commit() {
    if (!MoveFileExW(toWide(m_namedPath).c_str(), toWide(m_finalPath).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const std::runtime_error error = failure("cannot write " + m_finalPath, GetLastError());
        discard();
        throw error;
    }
    m_namedPath.clear();
    m_settled = true;
}

void PartialOutput::discard() noexcept {
    if (m_settled)
        return;
    m_settled = true;
    if (!m_namedPath.empty())
        DeleteFileW(toWide(m_namedPath).c_str());
}

} // namespace ondrel::converters
