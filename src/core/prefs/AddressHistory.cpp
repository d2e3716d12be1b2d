// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/prefs/AddressHistory.h"

#include "core/util/TextUtil.h"

namespace quillmarch {

std::vector<std::string> AddressHistory::Split(const std::string& history) {
    std::vector<std::string> pieces;
    std::string::size_type start = 0;
    for (;;) {
        const auto comma = history.find(',', start);
        if (comma == std::string::npos) break;
        pieces.push_back(history.substr(start, comma - start));
        start = comma + 1;
    }
    if (start < history.size()) pieces.push_back(history.substr(start));
    return pieces;
}

std::vector<std::string> AddressHistory::ListEntries(const std::string& currentAddress,
                                                     const std::string& history) {
    std::vector<std::string> candidates;
    if (!currentAddress.empty()) candidates.push_back(currentAddress);
    for (auto& piece : Split(history)) candidates.push_back(std::move(piece));

    std::vector<std::string> entries;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (candidates[i].empty()) continue;
        if (i > 0 && text::EqualsNoCase(candidates[i], currentAddress)) continue;
        entries.push_back(candidates[i]);
    }
    return entries;
}

std::string AddressHistory::Remember(const std::string& history, const std::string& address) {
    if (history.empty()) return address;
    const std::vector<std::string> entries = Split(history);
    std::size_t match = 0;
    while (match < entries.size() && !text::EqualsNoCase(entries[match], address)) ++match;
    if (match == entries.size()) return address + "," + history;
    if (match == 0) return history;  // already the most recent, letter case and all
    std::string result = address;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i != match) result += "," + entries[i];
    }
    return result;
}

}  // namespace quillmarch
