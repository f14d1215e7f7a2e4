#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace ondrel::platform {

// The names stored in one folder of a case-insensitive volume, found by any
// spelling that the volume takes for the same name. Built from one scan of the
// folder, so that looking up all 32767 files of a folder costs one scan, not
// one per file.
class FoldedNameIndex {
public:
    explicit FoldedNameIndex(const std::vector<std::string>& storedNames);

    // The stored names that the spelling may designate (normally at most one).
    const std::vector<std::string>& candidates(const std::string& spelling) const;

    // Unicode case folding of the NFC form: what case-insensitive volumes compare.
    static std::string fold(const std::string& name);

private:
    std::unordered_map<std::string, std::vector<std::string>> m_byFoldedName;
};

} // namespace ondrel::platform
