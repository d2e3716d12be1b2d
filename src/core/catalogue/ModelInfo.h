// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillmarch {

// One supported model: how to recognise it, which image it takes, what to call it.
class ModelInfo {
public:
    ModelInfo(int index, std::string displayName, std::string mainImageEntry,
              std::uint16_t resourceId, std::string historyValueName, std::string imageFileName);

    // Stores the text lower-cased (byte-wise), as identification lower-cases what it matches.
    void AddMatchString(const std::string& text);
    // True when one of the match strings occurs in the text (case-sensitive bytes).
    bool Matches(const std::string& text) const;

    int Index() const { return m_index; }
    const std::string& DisplayName() const { return m_displayName; }
    const std::string& MainImageEntry() const { return m_mainImageEntry; }
    std::uint16_t ResourceId() const { return m_resourceId; }
    const std::string& HistoryValueName() const { return m_historyValueName; }
    const std::string& ImageFileName() const { return m_imageFileName; }
    const std::vector<std::string>& MatchStrings() const { return m_match; }
    // The name an image pack's manifest lists the model by: its display name, or for a row
    // without one its first match string.
    std::string PackName() const;

private:
    int m_index;
    std::string m_displayName;
    std::string m_mainImageEntry;
    std::uint16_t m_resourceId;
    std::string m_historyValueName;
    std::string m_imageFileName;
    std::vector<std::string> m_match;
};

}  // namespace quillmarch
