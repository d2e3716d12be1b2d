// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/pack/PackSignature.h"

#include <sodium.h>

#include "core/pack/PackDigest.h"

namespace quillmarch {

namespace {

constexpr std::size_t kAlgBytes = 2;
constexpr std::size_t kKeyIdBytes = 8;
constexpr std::string_view kTrustedPrefix = "trusted comment: ";

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty() && lines.size() < 8) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

bool Base64(std::string_view text, std::size_t expected, std::string& out) {
    out.assign(expected + 1, '\0');  // one more: a longer decoding is refused, not cut
    std::size_t length = 0;
    const char* end = nullptr;
    if (sodium_base642bin(reinterpret_cast<unsigned char*>(out.data()), out.size(), text.data(),
                          text.size(), nullptr, &length, &end,
                          sodium_base64_VARIANT_ORIGINAL) != 0 ||
        end != text.data() + text.size() || length != expected)
        return false;
    out.resize(length);
    return true;
}

bool Ed25519(std::string_view signature, std::string_view message, const std::string& key) {
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.data()),
                                       reinterpret_cast<const unsigned char*>(message.data()),
                                       message.size(),
                                       reinterpret_cast<const unsigned char*>(key.data())) == 0;
}

}  // namespace

std::string PackSignature::KeyIdHex(const std::string& keyId) {
    // minisign shows the id as the little-endian number it is.
    static const char* const kHex = "0123456789ABCDEF";
    std::string hex;
    for (auto it = keyId.rbegin(); it != keyId.rend(); ++it) {
        hex += kHex[static_cast<unsigned char>(*it) >> 4];
        hex += kHex[static_cast<unsigned char>(*it) & 0xF];
    }
    return hex;
}

bool PackSignature::ParsePublicKey(std::string_view text, PublicKey& key, std::string& error) {
    const auto lines = Lines(text.substr(0, kMaxFileBytes));
    std::string raw;
    // The key alone (as minisign -P takes it) or the file with its comment line.
    const std::string_view line = lines.size() >= 2 ? lines[1] : lines.empty() ? "" : lines[0];
    if (text.size() > kMaxFileBytes ||
        !Base64(line, kAlgBytes + kKeyIdBytes + crypto_sign_PUBLICKEYBYTES, raw) ||
        raw.compare(0, 2, "Ed") != 0) {
        error = "not a minisign public key";
        return false;
    }
    key.keyId = raw.substr(kAlgBytes, kKeyIdBytes);
    key.key = raw.substr(kAlgBytes + kKeyIdBytes);
    return true;
}

bool PackSignature::Verify(std::string_view signedText, std::string_view signatureText,
                           const std::vector<PublicKey>& keys, std::string& signer,
                           std::string& error) {
    const auto lines = Lines(signatureText);
    std::string sig;
    std::string global;
    if (!PackDigest::Ready() || signatureText.size() > kMaxFileBytes || lines.size() < 4 ||
        !Base64(lines[1], kAlgBytes + kKeyIdBytes + crypto_sign_BYTES, sig) ||
        lines[2].substr(0, kTrustedPrefix.size()) != kTrustedPrefix ||
        !Base64(lines[3], crypto_sign_BYTES, global)) {
        error = "the signature file is not in minisign's format";
        return false;
    }
    const std::string alg = sig.substr(0, kAlgBytes);
    if (alg != "Ed" && alg != "ED") {
        error = "the signature's algorithm is not Ed25519";
        return false;
    }
    const std::string keyId = sig.substr(kAlgBytes, kKeyIdBytes);
    const std::string_view signature = std::string_view(sig).substr(kAlgBytes + kKeyIdBytes);
    for (const PublicKey& key : keys) {
        if (key.keyId != keyId) continue;
        const std::string prehashed = alg == "ED" ? PackDigest::Blake2b512(signedText) : "";
        const std::string_view message = alg == "ED" ? std::string_view(prehashed) : signedText;
        // The global signature binds the trusted comment to the signature.
        const std::string comment(lines[2].substr(kTrustedPrefix.size()));
        if (!Ed25519(signature, message, key.key) ||
            !Ed25519(global, std::string(signature) + comment, key.key)) {
            error = "the signature by key " + KeyIdHex(keyId) + " does not match the manifest";
            return false;
        }
        signer = KeyIdHex(keyId) + (key.label.empty() ? "" : " (" + key.label + ")");
        return true;
    }
    error = "the manifest is signed by key " + KeyIdHex(keyId) + ", which is not trusted";
    return false;
}

}  // namespace quillmarch
