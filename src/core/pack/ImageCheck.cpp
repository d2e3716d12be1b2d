// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/pack/ImageCheck.h"

#include "core/job/RunContext.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

namespace {

bool KnownRow(int row) {
    return row >= 0 && row < ModelCatalogue::kRowCount;
}

}  // namespace

std::string ImageCheck::ImageFile(const RunContext& app) {
    const int row = app.Job().target.systemType;
    if (!KnownRow(row) || app.Catalogue().GetSize() != ModelCatalogue::kRowCount) return {};
    return app.m_imageCatalogue.PayloadFile(app.Catalogue().GetAt(row).MainImageEntry());
}

std::string ImageCheck::PackVersion(const RunContext& app) {
    const std::string file = ImageFile(app);
    if (file.empty()) return {};
    return app.m_pack.VersionFor(app.Catalogue().GetAt(app.Job().target.systemType).PackName(),
                                 file);
}

RunReport::PackFacts ImageCheck::ReportFacts(const RunContext& app) {
    RunReport::PackFacts facts;
    const ImagePack& pack = app.m_pack;
    facts.folder = pack.Folder();
    if (pack.HasManifest()) {
        facts.name = pack.Manifest().Name();
        facts.manifestSha256 = pack.ManifestSha256();
    }
    facts.signer = pack.Signer();
    facts.sample = pack.Sample();
    facts.imageFile = pack.CheckedFile();
    facts.imageSha256 = pack.CheckedSha256();
    return facts;
}

bool ImageCheck::Fail(FailureCode code, const std::string& record) {
    m_code = code;
    m_reason = record;
    m_app.WriteFailure(code, record);
    m_app.m_payloads.Release();
    return false;
}

bool ImageCheck::Confirm() {
    const ImagePack& pack = m_app.m_pack;
    if (pack.GetState() == ImagePack::State::kNotFound)
        return Fail(FailureCode::kNoImage, pack.Problem());
    if (pack.GetState() == ImagePack::State::kRefused)
        return Fail(FailureCode::kPackRefused, pack.Problem());
    const int row = m_app.Job().target.systemType;
    const std::string file = ImageFile(m_app);
    if (!KnownRow(row) || file.empty()) return true;  // the run's own checks refuse these
    const std::string model = m_app.Catalogue().GetAt(row).PackName();
    if (!CheckBytes(file, model)) return false;
    NoteSample();
    return true;
}

bool ImageCheck::CheckBytes(const std::string& file, const std::string& model) {
    const ImagePack& pack = m_app.m_pack;
    const ManifestImage* listed = pack.HasManifest() ? pack.Manifest().ForFile(file) : nullptr;
    const std::string refused = "Image refused: " + text::ForLog(pack.Folder(), 200) + "/" + file;
    if (pack.HasManifest() && (!listed || !ImageManifest::ListsModel(*listed, model)))
        return Fail(
            FailureCode::kImageDamaged,
            refused + ": the pack's manifest lists no such image for " + "the model " + model);
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    const std::uint16_t id = static_cast<std::uint16_t>(std::stoi(file));
    if (!m_app.m_payloads.LoadPayload(id, &data, &size)) {
        if (!listed) return true;  // no manifest: the upload's own "Can not update" says it
        return Fail(FailureCode::kImageDamaged,
                    refused + ": the file is missing or cannot be read");
    }
    const std::string sha256 = m_app.m_payloads.HeldSha256();
    if (listed && size != listed->size)
        return Fail(FailureCode::kImageDamaged, refused + ": " + std::to_string(size) +
                                                    " bytes, the manifest says " +
                                                    std::to_string(listed->size));
    if (listed && sha256 != listed->sha256)
        return Fail(FailureCode::kImageDamaged,
                    refused + ": SHA-256 " + sha256 + ", the manifest says " + listed->sha256);
    m_app.m_pack.SetChecked(file, sha256);
    if (listed) {
        m_app.WriteLog("Image checked: " + file + ", " + std::to_string(size) + " bytes, SHA-256 " +
                           sha256 + ", installs \"" + text::ForLog(listed->version, 200) +
                           "\" (pack " + text::ForLog(pack.Identity(), 200) + ")",
                       0);
    } else {
        m_app.WriteLog("Image " + file + ": SHA-256 " + sha256 +
                           "; the version it installs is not known: the folder " +
                           text::ForLog(pack.Folder(), 200) + " has no manifest",
                       0);
    }
    return true;
}

void ImageCheck::NoteSample() {
    if (!m_app.m_pack.Sample()) return;
    const std::string note = "Warning: sample image pack: the images in " +
                             text::ForLog(m_app.m_pack.Folder(), 200) +
                             " are sample data, not system software";
    m_app.WriteLog(note, 0);
    m_app.TellOperator(note);
}

}  // namespace quillmarch
