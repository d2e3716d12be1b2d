// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/pack/ImagePack.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/catalogue/PayloadLoader.h"
#include "core/pack/PackDigest.h"
#include "core/pack/PackSignature.h"
#include "core/platform/Platform.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxKeyFiles = 64;

// A small file read whole; false when missing, not a regular file or larger than `limit`.
bool ReadSmallFile(const fs::path& path, std::size_t limit, std::string& text) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
    const auto size = fs::file_size(path, ec);
    if (ec || size > limit) return false;
    std::ifstream in(path, std::ios::binary);
    text.assign(static_cast<std::size_t>(size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(size));
    return in.gcount() == static_cast<std::streamsize>(size);
}

std::string ProgramDataFolder(const char* leaf) {
#ifdef _WIN32
    std::string base = platform::EnvironmentVariable("ProgramData");
    if (base.empty()) base = "C:\\ProgramData";
    return base + "\\Quillmarch\\" + leaf;
#else
    return std::string(leaf == std::string("images") ? "/var/lib/quillmarch/"
                                                     : "/etc/quillmarch/") +
           leaf;
#endif
}

}  // namespace

std::string ImagePack::TrustedKeysFolder() {
    return ProgramDataFolder("trusted-keys");
}

std::string ImagePack::OperatorFolder() {
    return ProgramDataFolder("images");
}

void ImagePack::Open(const PackRequest& request) {
    *this = ImagePack();
    m_folder = request.folder;
    std::error_code ec;
    if (m_folder.empty() || !fs::is_directory(platform::PathFromUtf8(m_folder), ec)) {
        std::vector<std::string> looked = {request.folder};
        if (request.folder.empty()) PayloadLoader::DefaultFolder(&looked);
        std::string places;
        for (const std::string& place : looked) places += (places.empty() ? "" : ", ") + place;
        m_problem = "No image pack found; looked in: " + places;
        m_folder.clear();
        return;
    }
    m_state = ReadManifest(request) ? m_state : State::kRefused;
}

bool ImagePack::ReadManifest(const PackRequest& request) {
    const fs::path path = platform::PathFromUtf8(m_folder) / ImageManifest::kFileName;
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        m_state = State::kNoManifest;
        if (request.requireSigned) Refuse("the folder has no manifest to check a signature of");
        return !request.requireSigned;
    }
    std::string text;
    if (!ReadSmallFile(path, ImageManifest::kMaxBytes, text)) {
        Refuse("its manifest cannot be read or is larger than " +
               std::to_string(ImageManifest::kMaxBytes) + " bytes");
        return false;
    }
    std::string error;
    if (!m_manifest.Parse(text, error)) {
        Refuse("its manifest is not valid: " + error);
        return false;
    }
    if (!CheckSignature(text, request)) return false;
    m_manifestSha256 = PackDigest::Sha256Hex(text);
    m_state = State::kReady;
    return true;
}

bool ImagePack::CheckSignature(const std::string& text, const PackRequest& request) {
    const fs::path folder = platform::PathFromUtf8(m_folder);
    const fs::path sigPath = folder / (std::string(ImageManifest::kFileName) + ".minisig");
    std::string signature;
    std::error_code ec;
    const bool present = fs::exists(sigPath, ec);
    if (!present && !request.requireSigned) return true;
    if (!present) {
        Refuse("the manifest is not signed (" + platform::Utf8FromPath(sigPath) + " is missing)");
        return false;
    }
    std::vector<PackSignature::PublicKey> keys;
    std::vector<fs::path> files;
    for (const std::string& file : request.trustedKeyFiles)
        files.push_back(platform::PathFromUtf8(file));
    for (fs::directory_iterator it(platform::PathFromUtf8(TrustedKeysFolder()), ec), end;
         !ec && it != end && files.size() < kMaxKeyFiles; it.increment(ec)) {
        if (it->path().extension() == ".pub") files.push_back(it->path());
    }
    for (const fs::path& file : files) {
        std::string keyText;
        std::string error;
        PackSignature::PublicKey key;
        key.label = platform::Utf8FromPath(file);
        if (!ReadSmallFile(file, PackSignature::kMaxFileBytes, keyText) ||
            !PackSignature::ParsePublicKey(keyText, key, error)) {
            Refuse("the trusted key " + text::ForLog(key.label, 200) +
                   " is not a minisign public key");
            return false;
        }
        keys.push_back(key);
    }
    std::string error;
    if (!ReadSmallFile(sigPath, PackSignature::kMaxFileBytes, signature) ||
        !PackSignature::Verify(text, signature, keys, m_signer, error)) {
        Refuse(error.empty() ? "its signature file cannot be read" : error);
        return false;
    }
    return true;
}

void ImagePack::Refuse(const std::string& why) {
    m_state = State::kRefused;
    m_problem = "Image pack refused: " + text::ForLog(m_folder, 200) + ": " + why;
}

std::string ImagePack::VersionFor(const std::string& model, const std::string& file) const {
    if (!HasManifest()) return {};
    const ManifestImage* image = m_manifest.ForFile(file);
    return image && ImageManifest::ListsModel(*image, model) ? image->version : std::string();
}

std::string ImagePack::Identity() const {
    if (!HasManifest()) return "no manifest";
    return m_manifest.Name() + ", manifest sha256 " + m_manifestSha256.substr(0, 16);
}

}  // namespace quillmarch
