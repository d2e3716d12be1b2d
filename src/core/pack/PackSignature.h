// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillmarch {

// Signatures in minisign's format, checked with libsodium's Ed25519: a public key file (a
// comment line, then base64 of "Ed", an 8-byte key id and the 32-byte key) and a ".minisig" file
// beside the signed file (comment line; base64 of the algorithm, "Ed" over the file itself or
// "ED" over its BLAKE2b-512, key id and signature; "trusted comment: " line; base64 of the
// signature of the signature and that comment).
class PackSignature {
public:
    struct PublicKey {
        std::string keyId;  // 8 bytes
        std::string key;    // 32 bytes
        std::string label;  // where it came from, for messages
    };

    static constexpr std::size_t kMaxFileBytes = 4096;

    // False with `error` when the text is not a minisign public key.
    static bool ParsePublicKey(std::string_view text, PublicKey& key, std::string& error);
    // True when `signatureText` is a good signature of `signed` by one of `keys`; `signer` names
    // the key (its id in hex and where it came from). False with `error` in words otherwise.
    static bool Verify(std::string_view signedText, std::string_view signatureText,
                       const std::vector<PublicKey>& keys, std::string& signer, std::string& error);
    static std::string KeyIdHex(const std::string& keyId);
};

}  // namespace quillmarch
