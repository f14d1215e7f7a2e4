#pragma once

#include <string>

namespace ondrel::converters {

// The converter's output while it is being written. The program takes an
// output file's existence as proof that the conversion worked, so nothing may
// appear under the final name until the work is complete: the data goes to a
// file beside it (same folder, so the final step is an atomic rename) that is
// removed unless commit() is reached.
//
// Where the file system allows it the file has no name at all until commit
// (O_TMPFILE), so even a converter killed outright leaves nothing behind;
// elsewhere it is a hidden ".<name>.partial-XXXXXX.mp4", or ".partial-XXXXXX.mp4"
// for a long name, so that the partial name fits wherever the final one does.
class PartialOutput {
public:
    // Throws std::runtime_error (std::system_error on POSIX) when the folder of finalPath cannot
    // take the file.
    explicit PartialOutput(std::string finalPath);
    ~PartialOutput();
    PartialOutput(const PartialOutput&) = delete;
    PartialOutput& operator=(const PartialOutput&) = delete;

    // The path to hand the writer. For a nameless file it is the descriptor's
    // /proc entry, valid in a child process because the descriptor is inherited.
    std::string writerPath() const;
    // True when something was written.
    bool hasContent() const;
    // Puts the finished file under the final name, replacing a file there.
    // Throws std::runtime_error (std::system_error on POSIX); the partial file is then gone.
    void commit();
    // Removes the partial file; also done by the destructor unless committed.
    void discard() noexcept;

private:
    bool openNameless();
    void createNamed();
    // Partial files are named ".<name>.partial-" plus a unique part plus ".mp4".
    std::string partialPrefix() const;
    // The folder joined with a name in it.
    std::string inFolder(const std::string& name) const;
    std::string freshName() const;

    std::string m_finalPath;
    std::string m_folder;
    std::string m_name;
    char m_separator = '/';
    std::string m_namedPath; // empty while the file has no name
    int m_descriptor = -1;   // a nameless file's, where the system offers them
    bool m_settled = false;
};

} // namespace ondrel::converters
