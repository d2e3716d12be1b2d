// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

#include "core/pack/ImageManifest.h"

namespace quillmarch {

// What the operator asked of the pack on the command line.
struct PackRequest {
    std::string folder;  // --images, else the usual places' first; empty: none found
    bool requireSigned = false;
    std::vector<std::string> trustedKeyFiles;  // --trusted-key, beside the trusted-keys folder
};

// The image pack a run takes its images from: the folder, its manifest (when it has one) and
// whether its signature holds. Opening reads only the manifest and its signature, never an image.
class ImagePack {
public:
    enum class State {
        kNotFound,    // no folder in any of the places looked
        kNoManifest,  // images without a manifest: versions are not known
        kReady,       // manifest read (and signed, where asked)
        kRefused,     // a manifest or signature that must not be used
    };

    void Open(const PackRequest& request);

    State GetState() const { return m_state; }
    const std::string& Folder() const { return m_folder; }
    // Why the pack cannot be used (refused or not found), in words for the operator.
    const std::string& Problem() const { return m_problem; }
    const ImageManifest& Manifest() const { return m_manifest; }
    bool HasManifest() const { return m_state == State::kReady; }
    bool Sample() const { return HasManifest() && m_manifest.Sample(); }
    const std::string& ManifestSha256() const { return m_manifestSha256; }
    // The image a run checked against the pack (its file and SHA-256), for the report.
    void SetChecked(const std::string& file, const std::string& sha256) {
        m_checkedFile = file;
        m_checkedSha256 = sha256;
    }
    const std::string& CheckedFile() const { return m_checkedFile; }
    const std::string& CheckedSha256() const { return m_checkedSha256; }
    // The key that signed the manifest; empty for an unsigned pack.
    const std::string& Signer() const { return m_signer; }
    // The version text for the model's image file; empty when the pack does not say.
    std::string VersionFor(const std::string& model, const std::string& file) const;
    // "name, manifest sha256 <first 16 digits>" or a note that the folder has no manifest.
    std::string Identity() const;

    // The folder of trusted public keys: /etc/quillmarch/trusted-keys, or
    // %ProgramData%\Quillmarch\trusted-keys on Windows.
    static std::string TrustedKeysFolder();
    // The operator's own pack when nothing else is named: /var/lib/quillmarch/images, or
    // %ProgramData%\Quillmarch\images. Packages never write there.
    static std::string OperatorFolder();

private:
    bool ReadManifest(const PackRequest& request);
    bool CheckSignature(const std::string& text, const PackRequest& request);
    void Refuse(const std::string& why);

    State m_state = State::kNotFound;
    std::string m_folder;
    std::string m_problem;
    ImageManifest m_manifest;
    std::string m_manifestSha256;
    std::string m_signer;
    std::string m_checkedFile;
    std::string m_checkedSha256;
};

}  // namespace quillmarch
