#include "platform/FoldedNameIndex_posix.h"

#include <QString>

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
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))
        .normalized(QString::NormalizationForm_C)
        .toCaseFolded()
        .toStdString();
}

} // namespace ondrel::platform
