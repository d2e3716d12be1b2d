// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

// What every target shares: the input as text, and a property check that stops the fuzzer
// with a crash (a finding) when it fails.
namespace quillmarch::fuzz {

inline std::string Text(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

inline void Require(bool holds) {
    if (!holds) std::abort();
}

inline bool HasControlCharacter(const std::string& text) {
    for (const unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) return true;
    }
    return false;
}

}  // namespace quillmarch::fuzz
