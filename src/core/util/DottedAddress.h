// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The dotted IPv4 text the address control reads and shows; no widgets, so the rule can be
// tested and fuzzed on its own.
namespace quillmarch::dotted {

using Bytes = std::array<std::uint8_t, 4>;

// Four numbers separated by dots; a missing dot or an empty last part gives 0.0.0.0. Each
// part is its leading decimal number (0 without one), kept to its low 8 bits; anything
// after a fourth dot belongs to the last part.
Bytes Parse(std::string_view text);
// The leading decimal number of a text as the C library's atoi reads it, without its
// overflow: saturated to int's range; 0 without one.
[[nodiscard]] int LeadingNumber(std::string_view text);

}  // namespace quillmarch::dotted
