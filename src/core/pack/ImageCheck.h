// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "core/run/FailureCode.h"
#include "core/run/RunReport.h"

namespace quillmarch {

class RunContext;

// The image a run would send, checked against its pack before anything on the system changes
// (and in --check): listed for the model, present, of the manifest's size and SHA-256, the pack
// itself found and, where asked, signed. The image is read once; the bytes checked stay held
// and are the bytes the upload sends.
class ImageCheck {
public:
    explicit ImageCheck(RunContext& app) : m_app(app) {}

    // True when the run may send the image. Otherwise the log says why, and the run's observer
    // gets the failure with its code (image_damaged, no_image, pack_refused).
    bool Confirm();
    // The failure in words (empty after a success), and its code.
    const std::string& Reason() const { return m_reason; }
    FailureCode Code() const { return m_code; }

    // The version text the pack says the identified model's image installs; empty when it does
    // not say (no manifest, an unknown model, an image not listed for it).
    static std::string PackVersion(const RunContext& app);
    // What the report says of the pack and the image checked.
    static RunReport::PackFacts ReportFacts(const RunContext& app);
    // The identified model's image file ("155.bin"); empty for an unknown model.
    static std::string ImageFile(const RunContext& app);

private:
    bool Fail(FailureCode code, const std::string& record);
    bool CheckBytes(const std::string& file, const std::string& model);
    void NoteSample();

    RunContext& m_app;
    std::string m_reason;
    FailureCode m_code = FailureCode::kNone;
};

}  // namespace quillmarch
