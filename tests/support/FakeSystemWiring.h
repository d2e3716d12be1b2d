// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <memory>

#include "core/job/RunContext.h"
#include "support/FakeLink.h"
#include "support/FakeSystem.h"

namespace quillmarch::test {

// The version the sample pack's manifest says its images install (what a system reports after).
inline constexpr const char* kSampleVersion = "Release_ru 9.0.6.2-103 05-September-2011 02:10";

// Points an application at a FakeSystem: its work directory and system lock inside `folder`,
// the sample image pack (opened, as start-up does), the catalogue with the image flags, a fake
// link as the current link, and a probe that sees its restarts.
inline void WireToFakeSystem(RunContext& app, FakeSystem& system,
                             const std::filesystem::path& folder) {
    app.m_helpFilePath = (folder / "Quillmarch.hlp").string();
    // Every fake system is 127.0.0.1: test processes running side by side lock apart.
    app.m_lockFolder = (folder / "locks").string();
    app.m_payloads.SetFolder(QUILLMARCH_PAYLOAD_DIR);
    app.BuildCatalogue();
    app.OpenImagePack();
    app.SetLinkFactory([&system](RunContext& linked, bool secure) {
        return std::make_unique<FakeLink>(linked, system, secure);
    });
    app.CreateLink(false);
    // Restart waits look at the system; the fake answers for it, so nothing leaves the process.
    app.SetSystemProbe([&system] { return system.ProbeAnswers(); });
}

}  // namespace quillmarch::test
