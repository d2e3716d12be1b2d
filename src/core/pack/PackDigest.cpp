// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/pack/PackDigest.h"

#include <sodium.h>

#include <algorithm>
#include <cctype>

namespace quillmarch {

bool PackDigest::Ready() {
    // sodium_init is safe to call from several threads and again after success.
    return sodium_init() >= 0;
}

std::string PackDigest::Sha256Hex(const std::uint8_t* data, std::size_t size) {
    unsigned char digest[crypto_hash_sha256_BYTES];
    static const std::uint8_t kNothing = 0;
    crypto_hash_sha256(digest, data ? data : &kNothing, size);
    char hex[crypto_hash_sha256_BYTES * 2 + 1];
    sodium_bin2hex(hex, sizeof(hex), digest, sizeof(digest));
    return hex;
}

std::string PackDigest::Sha256Hex(std::string_view text) {
    return Sha256Hex(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

std::string PackDigest::Blake2b512(std::string_view text) {
    unsigned char digest[crypto_generichash_BYTES_MAX];
    crypto_generichash(digest, sizeof(digest), reinterpret_cast<const unsigned char*>(text.data()),
                       text.size(), nullptr, 0);
    return std::string(reinterpret_cast<const char*>(digest), sizeof(digest));
}

bool PackDigest::IsSha256Hex(std::string_view text) {
    return text.size() == 64 && std::all_of(text.begin(), text.end(),
                                            [](unsigned char c) { return std::isxdigit(c) != 0; });
}

}  // namespace quillmarch
