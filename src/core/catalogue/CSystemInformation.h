#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillmarch {

// One supported model: how to recognise it, which image it takes, what to call it.
class CSystemInformation {
public:
    CSystemInformation(int index, std::string displayName, std::string mainImageEntry,
                       std::uint16_t resourceId, std::string historyValueName,
                       std::string imageFileName);

    // Stores the text lower-cased (byte-wise), as identification lower-cases what it matches.
    void AddMatchString(const std::string& text);
    // True when one of the match strings occurs in the text (case-sensitive bytes).
    bool Matches(const std::string& text) const;

    int Index() const { return m_nIndex; }
    const std::string& DisplayName() const { return m_strDisplayName; }
    const std::string& MainImageEntry() const { return m_strMainImageEntry; }
    std::uint16_t ResourceId() const { return m_nResourceId; }
    const std::string& HistoryValueName() const { return m_strHistoryValueName; }
    const std::string& ImageFileName() const { return m_strImageFileName; }
    const std::vector<std::string>& MatchStrings() const { return m_astrMatch; }

private:
    int m_nIndex;
    std::string m_strDisplayName;
    std::string m_strMainImageEntry;
    std::uint16_t m_nResourceId;
    std::string m_strHistoryValueName;
    std::string m_strImageFileName;
    std::vector<std::string> m_astrMatch;
};

}  // namespace quillmarch
