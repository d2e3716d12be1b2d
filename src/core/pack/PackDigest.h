// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillmarch {

// Digests of image bytes and manifests (libsodium): SHA-256 as lower-case hex, BLAKE2b-512 raw
// for signatures made over a prehashed file.
class PackDigest {
public:
    // False when libsodium cannot start (no entropy source on a broken system).
    static bool Ready();
    static std::string Sha256Hex(const std::uint8_t* data, std::size_t size);
    static std::string Sha256Hex(std::string_view text);
    static std::string Blake2b512(std::string_view text);
    // Exactly 64 lower- or upper-case hex digits.
    static bool IsSha256Hex(std::string_view text);
};

}  // namespace quillmarch
