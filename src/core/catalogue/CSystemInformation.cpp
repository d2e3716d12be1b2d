#include "core/catalogue/CSystemInformation.h"

#include <cctype>

namespace quillmarch {

CSystemInformation::CSystemInformation(int index, std::string displayName,
                                       std::string mainImageEntry, std::uint16_t resourceId,
                                       std::string historyValueName, std::string imageFileName)
    : m_nIndex(index),
      m_strDisplayName(std::move(displayName)),
      m_strMainImageEntry(std::move(mainImageEntry)),
      m_nResourceId(resourceId),
      m_strHistoryValueName(std::move(historyValueName)),
      m_strImageFileName(std::move(imageFileName)) {}

void CSystemInformation::AddMatchString(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    m_astrMatch.push_back(std::move(lower));
}

bool CSystemInformation::Matches(const std::string& text) const {
    for (const auto& match : m_astrMatch) {
        if (text.find(match) != std::string::npos) return true;
    }
    return false;
}

}  // namespace quillmarch
