// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/catalogue/ModelInfo.h"

#include <cctype>

namespace quillmarch {

ModelInfo::ModelInfo(int index, std::string displayName, std::string mainImageEntry,
                     std::uint16_t resourceId, std::string historyValueName,
                     std::string imageFileName)
    : m_index(index),
      m_displayName(std::move(displayName)),
      m_mainImageEntry(std::move(mainImageEntry)),
      m_resourceId(resourceId),
      m_historyValueName(std::move(historyValueName)),
      m_imageFileName(std::move(imageFileName)) {}

void ModelInfo::AddMatchString(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    m_match.push_back(std::move(lower));
}

bool ModelInfo::Matches(const std::string& text) const {
    for (const auto& match : m_match) {
        if (text.find(match) != std::string::npos) return true;
    }
    return false;
}

std::string ModelInfo::PackName() const {
    if (!m_displayName.empty() || m_match.empty()) return m_displayName;
    std::string name = m_match.front();
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

}  // namespace quillmarch
