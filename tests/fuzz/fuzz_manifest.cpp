// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// An image pack's manifest as anyone may write it: any bytes. Accepted means every image is a
// plain file name with a real hash, a size and models, and no file or model is listed twice.
#include "core/pack/ImageManifest.h"
#include "core/pack/PackDigest.h"
#include "tests/fuzz/FuzzInput.h"

using namespace quillmarch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = fuzz::Text(data, size);
    ImageManifest manifest;
    std::string error;
    const bool read = manifest.Parse(text, error);
    fuzz::Require(read == error.empty());
    if (!read) {
        fuzz::Require(manifest.Images().empty());
        return 0;
    }
    for (const ManifestImage& image : manifest.Images()) {
        fuzz::Require(ImageManifest::IsPlainFileName(image.file));
        fuzz::Require(manifest.ForFile(image.file) == &image);
        fuzz::Require(PackDigest::IsSha256Hex(image.sha256));
        fuzz::Require(image.size > 0 && !image.models.empty() && !image.version.empty());
    }
    // What the writer makes of it reads back the same.
    ImageManifest again;
    fuzz::Require(again.Parse(
        ImageManifest::ToJson(manifest.Name(), manifest.Sample(), manifest.Images()), error));
    fuzz::Require(again.Images().size() == manifest.Images().size());
    return 0;
}
