// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/progress/ProgressFormat.h"

#include <cstddef>

namespace quillmarch::progress {

namespace {

std::string Grouped(std::int64_t value) {
    std::string digits = std::to_string(value);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

}  // namespace

std::string FormatByteCount(std::int64_t count, bool withUnit) {
    std::string number;
    const char* unit = "KB";
    if (count < 1000) {
        number = std::to_string(count);
        unit = "B";
    } else if (count < 1000000) {
        number = std::to_string(count / 1000);
    } else {
        number = Grouped(count / 1000);
    }
    return withUnit ? number + " " + unit : number;
}

int BytePercent(std::int64_t bytes, std::int64_t& done, std::int64_t& total) {
    if (done >= total) {
        total = done;
        return 100;
    }
    done = bytes;
    const double share = static_cast<double>(bytes) / static_cast<double>(total) * 100.0;
    return share >= 100.0 ? 100 : (share <= 0.0 ? 0 : static_cast<int>(share));
}

}  // namespace quillmarch::progress
