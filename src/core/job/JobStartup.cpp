// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/job/JobStartup.h"

namespace quillmarch {

StartupResult JobStartup::Start(RunContext& app, const UpdateJob& job, const std::string& logPath) {
    app.BuildCatalogue();
    app.Job() = job;
    app.m_logPath = logPath;
    StartupResult result;
    if (!app.OutputPlacesUsable(result.message)) {
        result.state = StartupState::kBadCommandLine;
        return result;
    }
    return Open(app);
}

StartupResult JobStartup::Open(RunContext& app) {
    StartupResult result;
    // The images are looked for in the pack the job names.
    app.OpenImagePack();
    // Without an address the wizard opens its log once it knows the system.
    const bool wantLog = app.Job().options.logLevel == 0 && !app.m_logPath.empty();
    if (wantLog && !app.StartLog(app.m_logPath)) {
        result.state = app.m_log.Busy()      ? StartupState::kLogBusy
                       : app.m_log.Refused() ? StartupState::kLogRefused
                                             : StartupState::kNoLog;
        result.message = app.m_log.FailureReason();
        return result;
    }
    result.state = StartupState::kReady;
    app.CreateLink(false);
    return result;
}

}  // namespace quillmarch
