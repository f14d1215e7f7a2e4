#include "converters/PartialOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace ondrel::converters {

namespace {

std::system_error systemError(const std::string& what) {
    return std::system_error(errno, std::generic_category(), what);
}

// The new file gets the permissions any file created here would get, not the
// owner-only mode of a temporary file.
mode_t creationMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

bool PartialOutput::openNameless() {
    const int descriptor = ::open(m_folder.c_str(), O_TMPFILE | O_RDWR, 0666);
    if (descriptor < 0)
        return false; // not offered by this file system: fall back to a named file
    // The writer reaches the file through /proc; without it the name is useless.
    if (::access(("/proc/self/fd/" + std::to_string(descriptor)).c_str(), W_OK) != 0) {
        ::close(descriptor);
        return false;
    }
    m_descriptor = descriptor;
    return true;
}

void PartialOutput::createNamed() {
    std::string pattern = partialPrefix() + "XXXXXX.mp4";
    const int descriptor = ::mkostemps(pattern.data(), 4, O_CLOEXEC);
    if (descriptor < 0)
        throw systemError("cannot create a file in " + m_folder);
    ::fchmod(descriptor, creationMode());
    ::close(descriptor);
    m_namedPath = pattern;
}

std::string PartialOutput::writerPath() const {
    if (m_namedPath.empty())
        return "/proc/self/fd/" + std::to_string(m_descriptor);
    return m_namedPath;
}

bool PartialOutput::hasContent() const {
    struct stat info {};
    const int result =
        m_namedPath.empty() ? ::fstat(m_descriptor, &info) : ::stat(m_namedPath.c_str(), &info);
    return result == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
}

void PartialOutput::commit() {
    if (m_namedPath.empty()) {
        // A nameless file can only be linked under a name that is free; the
        // final name may be taken, so link it beside and rename over.
        const std::string source = "/proc/self/fd/" + std::to_string(m_descriptor);
        for (int attempt = 0;; ++attempt) {
            std::string candidate = freshName();
            if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, candidate.c_str(),
                         AT_SYMLINK_FOLLOW) == 0) {
                m_namedPath = std::move(candidate);
                break;
            }
            if (errno != EEXIST || attempt == 20) {
                const std::system_error error = systemError("cannot name " + m_finalPath);
                discard();
                throw error;
            }
        }
    }
    if (::rename(m_namedPath.c_str(), m_finalPath.c_str()) != 0) {
        const std::system_error error = systemError("cannot write " + m_finalPath);
        discard();
        throw error;
    }
    m_namedPath.clear();
    m_settled = true;
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
        m_descriptor = -1;
    }
}

void PartialOutput::discard() noexcept {
    if (m_settled)
        return;
    m_settled = true;
    if (!m_namedPath.empty())
        ::unlink(m_namedPath.c_str());
    if (m_descriptor >= 0)
        ::close(m_descriptor); // a nameless file vanishes with its last descriptor
    m_descriptor = -1;
}

} // namespace ondrel::converters
