// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/util/StrictJson.h"

#include <set>
#include <vector>

namespace quillmarch {

bool StrictJson::Parse(std::string_view text, int maxDepth, const std::string& tooDeep,
                       nlohmann::json& out, std::string& error) {
    using Json = nlohmann::json;
    std::vector<std::set<std::string>> keys;
    bool duplicate = false;
    bool deep = false;
    auto callback = [&](int depth, Json::parse_event_t event, Json& parsed) {
        if (depth > maxDepth) deep = true;
        if (event == Json::parse_event_t::object_start) keys.emplace_back();
        if (event == Json::parse_event_t::object_end && !keys.empty()) keys.pop_back();
        if (event == Json::parse_event_t::key && !keys.empty() &&
            !keys.back().insert(parsed.get<std::string>()).second)
            duplicate = true;
        return !deep;
    };
    out = Json::parse(text.begin(), text.end(), callback, false);
    error.clear();
    if (deep)
        error = tooDeep;
    else if (duplicate)
        error = "a field is given twice";
    else if (out.is_discarded())
        error = "not valid JSON";
    return error.empty();
}

}  // namespace quillmarch
