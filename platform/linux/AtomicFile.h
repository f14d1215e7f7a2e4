#pragma once

#include "platform/linux/FileDescriptor.h"

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace ondrel::platform {

// A file written under a temporary name beside its destination and renamed over
// it only when complete and flushed to the device, so that the destination
// holds either its old content or the whole new one, never a part of it. A card
// that fills up or is pulled out mid-copy must not keep a truncated song that
// looks like a good one.
//
// The temporary file is locked (flock) while it exists, so that another
// Ondrel's clean-up of leftover parts passes over a copy still being written.
class AtomicFile {
public:
    // Creates the temporary file; failures throw PlatformError(operation, errorPath, reason).
    AtomicFile(const std::string& destination, std::string operation, std::string errorPath,
               mode_t mode);
    // Removes the temporary file unless a commit succeeded.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void write(const char* data, std::size_t size);
    // Flushes, then renames over the destination; without overwrite an existing
    // destination is an error and stays as it is.
    void commit(bool overwrite);
    // Flushes, then renames to a path in the destination's folder only if
    // nothing stands there at that moment, with no window in which a file
    // that appears meanwhile could be replaced. False when the path is taken;
    // the file stays, ready for another path.
    bool commitWithoutReplacing(const std::string& path);

private:
    void flush();
    // Releases the lock and makes the rename durable.
    void settle();
    [[noreturn]] void fail(int error) const;

    std::string m_destination;
    std::string m_folder;
    std::string m_operation;
    std::string m_errorPath;
    std::string m_temporary;
    FileDescriptor m_fd;
    bool m_flushed = false;
    bool m_committed = false;
};

} // namespace ondrel::platform
