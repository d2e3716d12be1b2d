// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/ReportedRun.h"

#include <filesystem>
#include <system_error>

#include "core/job/RunContext.h"
#include "core/job/RunModeOptions.h"
#include "core/pack/ImageCheck.h"
#include "core/platform/Platform.h"
#include "core/run/PreflightCheck.h"
#include "core/run/SystemFactsReader.h"

namespace quillmarch {

ReportedRun::ReportedRun(RunContext& app)
    : m_app(app),
      m_report(app.Job().options.checkOnly ? "check" : "update", QUILLMARCH_VERSION),
      m_wanted(!app.Job().options.reportPath.empty()) {
    m_report.SetAddress(app.Job().target.address);
    m_report.SetInterrupt(&app.Interrupt());
    m_report.SetOptions(app.Job().options.verify, app.Job().options.verifyTimeoutSeconds,
                        app.Job().tasks.isdnUpdate, app.Job().tasks.uploadImage,
                        app.Job().tasks.updateSoftware);
    m_report.SetCallPolicy(RunModeOptions::CallPolicyName(app.Job().options.inCall),
                           app.Job().options.inCallTimeoutSeconds);
    m_report.SetInstalls(SystemFactsReader::InstalledVersion(app), {});
    if (m_wanted) app.SetRunObserver(&m_report);
}

ReportedRun::~ReportedRun() {
    if (m_app.RunObserver() == &m_report) m_app.SetRunObserver(nullptr);
}

std::FILE* ReportedRun::TableStream() const {
    return m_app.Job().options.reportPath == "-" ? stderr : stdout;
}

const char* ReportedRun::ResultWord(bool check, int exitCode) {
    if (exitCode == 129 || exitCode == 130 || exitCode == 143) return "interrupted";
    if (!check) return exitCode == 0 || exitCode == kUncheckedSuccess ? "success" : "failure";
    switch (exitCode) {
        case PreflightCheck::kReady:
            return "ready";
        case PreflightCheck::kUpToDate:
            return "up_to_date";
        case PreflightCheck::kCannotUpdate:
            return "cannot_update";
        case PreflightCheck::kUnreachable:
            return "unreachable";
        default:
            return "failure";
    }
}

void ReportedRun::Finish(int exitCode) {
    m_app.SetRunObserver(nullptr);
    if (!m_wanted) return;
    // The image is known once the model is.
    m_report.SetInstalls(
        SystemFactsReader::InstalledVersion(m_app),
        SystemFactsReader::ImageName(m_app.Job(), m_app.Catalogue(), m_app.m_imageCatalogue));
    m_report.SetPack(ImageCheck::ReportFacts(m_app));
    m_report.SetSystemLeftIn(m_app.m_systemEndMode);
    // A script reads the log where the report says, wherever it runs from.
    std::error_code ignored;
    const auto log =
        std::filesystem::absolute(platform::PathFromUtf8(m_app.m_log.LastPath()), ignored);
    m_report.SetLogPath(m_app.m_log.LastPath().empty() ? std::string()
                                                       : platform::Utf8FromPath(log));
    m_report.Finish(ResultWord(m_app.Job().options.checkOnly, exitCode), exitCode);
    const std::string json = m_report.ToJson();
    if (m_app.Job().options.reportPath == "-") {
        std::fputs(json.c_str(), stdout);
        std::fflush(stdout);
        return;
    }
    std::string error;
    if (!RunReport::WriteAtomically(m_app.Job().options.reportPath, json, error))
        std::fprintf(stderr, "quillmarch: the report was not written: %s\n", error.c_str());
}

}  // namespace quillmarch
