#include "platform/linux/FoldedNameIndex.h"

#include <QString>

#include <algorithm>

namespace ondrel::platform {

FoldedNameIndex::FoldedNameIndex(const std::vector<std::string>& storedNames) {
    m_byFoldedName.reserve(storedNames.size());
    for (const std::string& name : storedNames)
        m_byFoldedName[fold(name)].push_back(name);
}

const std::vector<std::string>& FoldedNameIndex::candidates(const std::string& spelling) const {
    static const std::vector<std::string> none;
    const auto found = m_byFoldedName.find(fold(spelling));
    return found == m_byFoldedName.end() ? none : found->second;
}

std::string FoldedNameIndex::fold(const std::string& name) {
    // Most names are plain ASCII, where folding is lower-casing; the general
    // way costs about a hundred times more, which shows at 32767 names.
    if (std::all_of(name.begin(), name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::string folded = name;
        for (char& c : folded) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return folded;
    }
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))
        .normalized(QString::NormalizationForm_C)
        .toCaseFolded()
        .toStdString();
}

} // namespace ondrel::platform
