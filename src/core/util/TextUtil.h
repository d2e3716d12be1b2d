// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Byte-wise text helpers shared by the engine (ASCII case rules, as the systems use them).
namespace quillmarch::text {

inline constexpr std::string_view kBlanks = " \t\r\n\v\f";

std::string Trim(std::string_view text, std::string_view blanks = kBlanks);
std::string Lower(std::string text);
std::string Upper(std::string text);
[[nodiscard]] bool EqualsNoCase(std::string_view a, std::string_view b);

// Longest text from outside (a reply, a listing name, a file's contents, an error) that one log
// record carries; enough for any honest reply, too little to fill a disk.
inline constexpr std::size_t kLogTextLimit = 512;

// Text that came from a system, made safe for one log record: control characters and the
// backslash become visible escapes (\r, \n, \0, \e, \x7f, \\), so no reply can
// start a record of its own, and anything past `limit` bytes is cut and says so.
std::string ForLog(std::string_view untrusted, std::size_t limit = kLogTextLimit);

}  // namespace quillmarch::text
