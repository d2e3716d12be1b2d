// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

#include "core/catalogue/ModelInfo.h"

namespace quillmarch {

// The 14 supported models, by row index. Index 14 means "not recognised".
class ModelCatalogue {
public:
    static constexpr int kRowCount = 14;
    static constexpr int kUnknown = 14;

    // Appends the 14 rows with their match strings; called once at start-up.
    void Build();
    int GetSize() const { return static_cast<int>(m_rows.size()); }
    // Row by index; indexes outside the catalogue are a programming error and throw.
    const ModelInfo& GetAt(int index) const { return m_rows.at(static_cast<size_t>(index)); }

    // Every matching row overwrites the result, so the last matching row wins; kUnknown when
    // none matches. Callers lower-case the text first.
    int Identify(const std::string& text, int previous = kUnknown) const;

    static bool IsFirstModel(int index);
    static bool IsLanOnlyModel(int index);
    static bool IsSectionImageModel(int index);
    static bool IsDisplaySettingsModel(int index);

private:
    std::vector<ModelInfo> m_rows;
};

}  // namespace quillmarch
