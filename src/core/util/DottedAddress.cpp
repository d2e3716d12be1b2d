// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/util/DottedAddress.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace quillmarch::dotted {

namespace {

std::uint8_t LowByte(int value) {
    return static_cast<std::uint8_t>(static_cast<unsigned>(value) & 0xFFu);
}

}  // namespace

int LeadingNumber(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    long long number = 0;
    for (; pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])); ++pos)
        number = std::min<long long>(number * 10 + (text[pos] - '0'), LLONG_MAX / 16);
    if (negative) number = -number;
    return static_cast<int>(std::clamp<long long>(number, INT_MIN, INT_MAX));
}

Bytes Parse(std::string_view text) {
    const auto first = text.find('.');
    if (first == std::string_view::npos) return {};
    const auto second = text.find('.', first + 1);
    if (second == std::string_view::npos) return {};
    const auto third = text.find('.', second + 1);
    if (third == std::string_view::npos || third + 1 >= text.size()) return {};
    return {LowByte(LeadingNumber(text.substr(0, first))),
            LowByte(LeadingNumber(text.substr(first + 1, second - first - 1))),
            LowByte(LeadingNumber(text.substr(second + 1, third - second - 1))),
            LowByte(LeadingNumber(text.substr(third + 1)))};
}

}  // namespace quillmarch::dotted
