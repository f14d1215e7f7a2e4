#include "converters/PartialOutput.h"

#include "converters/FileSystem.h"

#include <random>

namespace ondrel::converters {

namespace {

// Longer names get a partial name of their own length, not 19 bytes more:
// the folder may allow no more than the final name holds (255 bytes on
// Linux, 255 UTF-16 units on Windows; a UTF-8 name is never shorter).
constexpr std::size_t kLongestNameKept = 200;

// Built, not assigned: GCC 12 at -O2 warns falsely (-Wrestrict) on assignments here.
std::string folderOf(const std::string& path) {
    const std::size_t separator = lastSeparator(path);
    if (separator == std::string::npos)
        return std::string(1, '.');
    // "/" and "C:\" are folders whose separator belongs to their name.
    const bool root = separator == 0 || path[separator - 1] == ':';
    return path.substr(0, root ? separator + 1 : separator);
}

std::string nameOf(const std::string& path) {
    const std::size_t separator = lastSeparator(path);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

} // namespace

PartialOutput::PartialOutput(std::string finalPath)
    : m_finalPath(std::move(finalPath)), m_folder(folderOf(m_finalPath)),
      m_name(nameOf(m_finalPath)) {
    const std::size_t separator = lastSeparator(m_finalPath);
    if (separator != std::string::npos)
        m_separator = m_finalPath[separator];
    if (!openNameless())
        createNamed();
}

PartialOutput::~PartialOutput() {
    discard();
}

std::string PartialOutput::inFolder(const std::string& name) const {
    const char last = m_folder.back();
    const bool separated = last == m_separator || last == '/';
    return separated ? m_folder + name : m_folder + m_separator + name;
}

std::string PartialOutput::partialPrefix() const {
    if (m_name.size() > kLongestNameKept)
        return inFolder(".partial-");
    return inFolder("." + m_name + ".partial-");
}

std::string PartialOutput::freshName() const {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string suffix(6, 'x');
    for (char& letter : suffix)
        letter = kLetters[pick(device)];
    return partialPrefix() + suffix + ".mp4";
}

} // namespace ondrel::converters
