#include "cli/CReportedRun.h"

#include <filesystem>
#include <system_error>

#include "core/app/CQuillmarch6App.h"
#include "core/platform/Platform.h"
#include "core/run/CPreflightCheck.h"
#include "core/run/CSystemFacts.h"

namespace quillmarch {

CReportedRun::CReportedRun(CQuillmarch6App& app)
    : m_app(app),
      m_report(app.m_bCheckOnly ? "check" : "update", QUILLMARCH_VERSION),
      m_bWanted(!app.m_strReportPath.empty()) {
    m_report.SetAddress(app.m_strAddress);
    m_report.SetInterrupt(&app.Interrupt());
    m_report.SetOptions(app.m_bVerify, app.m_nVerifyTimeoutSeconds, app.m_bIsdnUpdate,
                        app.m_bUploadImage, app.m_bUpdateSoftware);
    m_report.SetInstalls(CSystemFacts::InstalledVersion(app), {});
    if (m_bWanted) app.SetRunObserver(&m_report);
}

CReportedRun::~CReportedRun() {
    if (m_app.RunObserver() == &m_report) m_app.SetRunObserver(nullptr);
}

std::FILE* CReportedRun::TableStream() const {
    return m_app.m_strReportPath == "-" ? stderr : stdout;
}

const char* CReportedRun::ResultWord(bool check, int exitCode) {
    if (exitCode == 130 || exitCode == 143) return "interrupted";
    if (!check) return exitCode == 0 ? "success" : "failure";
    switch (exitCode) {
        case CPreflightCheck::kReady:
            return "ready";
        case CPreflightCheck::kUpToDate:
            return "up_to_date";
        case CPreflightCheck::kCannotUpdate:
            return "cannot_update";
        case CPreflightCheck::kUnreachable:
            return "unreachable";
        default:
            return "failure";
    }
}

void CReportedRun::Finish(int exitCode) {
    m_app.SetRunObserver(nullptr);
    if (!m_bWanted) return;
    // The image is known once the model is.
    m_report.SetInstalls(CSystemFacts::InstalledVersion(m_app), CSystemFacts::ImageName(m_app));
    // A script reads the log where the report says, wherever it runs from.
    std::error_code ignored;
    const auto log =
        std::filesystem::absolute(platform::PathFromUtf8(m_app.m_log.LastPath()), ignored);
    m_report.SetLogPath(m_app.m_log.LastPath().empty() ? std::string()
                                                       : platform::Utf8FromPath(log));
    m_report.Finish(ResultWord(m_app.m_bCheckOnly, exitCode), exitCode);
    const std::string json = m_report.ToJson();
    if (m_app.m_strReportPath == "-") {
        std::fputs(json.c_str(), stdout);
        std::fflush(stdout);
        return;
    }
    std::string error;
    if (!CRunReport::WriteAtomically(m_app.m_strReportPath, json, error))
        std::fprintf(stderr, "quillmarch: the report was not written: %s\n", error.c_str());
}

}  // namespace quillmarch
