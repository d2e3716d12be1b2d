// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/util/AddressNames.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace quillmarch::address {

namespace {

bool ParsePort(const std::string& text, int& port) {
    if (text.empty() || text.size() > 5) return false;
    if (!std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    const int value = std::stoi(text);
    if (value < 1 || value > 65535) return false;  // a refused port is never kept
    port = value;
    return true;
}

std::string StripLeadingZeros(std::string field) {
    for (int i = 0; i < 2; ++i) {
        if (field.size() >= 2 && field[0] == '0') field.erase(0, 1);
    }
    return field;
}

}  // namespace

HostPort SplitHostPort(const std::string& address) {
    HostPort result;
    if (!address.empty() && address[0] == '[') {
        const auto close = address.find(']');
        if (close == std::string::npos) return {address, 0, false};
        result.host = address.substr(1, close - 1);
        const std::string rest = address.substr(close + 1);
        if (rest.empty()) return result;
        if (rest[0] != ':' || !ParsePort(rest.substr(1), result.port)) result.valid = false;
        return result;
    }
    const auto first = address.find(':');
    if (first == std::string::npos || address.find(':', first + 1) != std::string::npos) {
        result.host = address;  // no port, or a bare IPv6 address
        return result;
    }
    result.host = address.substr(0, first);
    if (!ParsePort(address.substr(first + 1), result.port)) result.valid = false;
    return result;
}

std::string LocalName(const std::string& address) {
    static constexpr std::string_view kForbidden = ".:[]<>\"/\\|?*";
    std::string name = address;
    for (char& c : name) {
        if (kForbidden.find(c) != std::string_view::npos || static_cast<unsigned char>(c) < 32)
            c = '_';
    }
    return name;
}

std::string Normalise(const std::string& address) {
    std::array<std::string::size_type, 3> dots{};
    std::string::size_type from = 0;
    for (auto& dot : dots) {
        dot = address.find('.', from);
        if (dot == std::string::npos) return address;
        from = dot + 1;
    }
    const std::array<std::string, 4> fields = {
        address.substr(0, dots[0]), address.substr(dots[0] + 1, dots[1] - dots[0] - 1),
        address.substr(dots[1] + 1, dots[2] - dots[1] - 1), address.substr(dots[2] + 1)};
    return StripLeadingZeros(fields[0]) + '.' + StripLeadingZeros(fields[1]) + '.' +
           StripLeadingZeros(fields[2]) + '.' + StripLeadingZeros(fields[3]);
}

}  // namespace quillmarch::address
