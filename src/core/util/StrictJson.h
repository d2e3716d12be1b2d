// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace quillmarch {

// JSON read from files others wrote (manifests, earlier reports): parsed without exceptions,
// refusing a key given twice (the last would silently win) and nesting deeper than maxDepth.
class StrictJson {
public:
    // False with error set ("not valid JSON", "a field is given twice", or tooDeep).
    [[nodiscard]] static bool Parse(std::string_view text, int maxDepth, const std::string& tooDeep,
                                    nlohmann::json& out, std::string& error);
};

}  // namespace quillmarch
