// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/util/TextUtil.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace quillmarch::text {

std::string Trim(std::string_view text, std::string_view blanks) {
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(blanks) - first + 1));
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

namespace {

void AppendEscaped(std::string& out, unsigned char c) {
    switch (c) {
        case '\r':
            out += "\\r";
            return;
        case '\n':
            out += "\\n";
            return;
        case '\t':
            out += "\\t";
            return;
        case '\0':
            out += "\\0";
            return;
        case 0x1B:
            out += "\\e";
            return;
        case '\\':
            out += "\\\\";
            return;
        default:
            break;
    }
    if (c < 0x20 || c == 0x7F) {
        char hex[8];
        std::snprintf(hex, sizeof(hex), "\\x%02x", static_cast<unsigned>(c));
        out += hex;
        return;
    }
    out += static_cast<char>(c);
}

}  // namespace

std::string ForLog(std::string_view untrusted, std::size_t limit) {
    const std::string_view kept = untrusted.substr(0, limit);
    std::string out;
    out.reserve(kept.size() + 16);
    for (const char c : kept) AppendEscaped(out, static_cast<unsigned char>(c));
    if (kept.size() < untrusted.size())
        out += "...[cut, " + std::to_string(untrusted.size()) + " bytes]";
    return out;
}

}  // namespace quillmarch::text
