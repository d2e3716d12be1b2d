// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillmarch {

// One image of a pack as its manifest describes it.
struct ManifestImage {
    std::string file;                 // a plain file name inside the pack's folder
    std::vector<std::string> models;  // model names as the model table shows them
    std::string version;              // the software version text the system reports after it
    std::uint64_t size = 0;
    std::string sha256;  // lower-case hex
};

// The manifest of an image pack (docs/image-pack.schema.json): which image is for which model,
// the version it installs, its size and SHA-256. The reader is strict: a manifest is trusted to
// decide what a system receives, so anything unexpected refuses it rather than being guessed.
class ImageManifest {
public:
    static constexpr const char* kFileName = "manifest.json";
    static constexpr const char* kFormat = "quillmarch-image-pack";
    static constexpr int kFormatVersion = 1;
    static constexpr std::size_t kMaxBytes = 1 << 20;
    static constexpr std::size_t kMaxImages = 256;
    static constexpr std::size_t kMaxText = 200;
    static constexpr std::uint64_t kMaxImageBytes = 1ULL << 32;

    // False with `error` in words; the manifest is then empty.
    bool Parse(std::string_view text, std::string& error);
    // The document for `images` (what --make-manifest writes).
    static std::string ToJson(const std::string& name, bool sample,
                              const std::vector<ManifestImage>& images);

    const std::string& Name() const { return m_name; }
    bool Sample() const { return m_sample; }
    const std::vector<ManifestImage>& Images() const { return m_images; }
    const ManifestImage* ForFile(const std::string& file) const;
    // Model names compare without regard to case.
    static bool ListsModel(const ManifestImage& image, const std::string& model);
    // A name that stays inside the folder: no separators, no "..", no leading dot.
    static bool IsPlainFileName(std::string_view name);

private:
    bool ParseImage(const void* node, std::string& error);

    std::string m_name;
    bool m_sample = false;
    std::vector<ManifestImage> m_images;
};

}  // namespace quillmarch
