#include "core/run/CVerification.h"

#include <algorithm>

#include "core/app/CQuillmarch6App.h"
#include "core/app/TextUtil.h"
#include "core/device/CSystemConnector.h"
#include "core/device/CSystemProbe.h"
#include "core/progress/CProgressProtocol.h"

namespace quillmarch {

namespace {

using std::chrono::milliseconds;

// A quarter second: a system that is back is noticed soon, and a bare connection costs nothing.
constexpr milliseconds kPollStep{250};

std::string Quoted(const std::string& text) {
    return "\"" + text::ForLog(text, 100) + "\"";
}

}  // namespace

CVerification::CVerification(CQuillmarch6App& app)
    : m_app(app),
      m_nModelBefore(app.m_nSystemType),
      m_strModelBefore(CSystemFacts::ModelName(app)) {}

bool CVerification::VerifyUpdate(milliseconds fixedWait) {
    CProgressProtocol progress(m_app);
    bool going = progress.SendProgress(UM_PROGRESS_TASK_START, 0, 0,
                                       m_app.LoadUiString(179, "Waiting for Reboot"));
    const EState state = AwaitSystem(fixedWait);
    going = progress.SendProgress(UM_PROGRESS_TASK_DONE, 0, 0) && going;
    going = progress.SendProgress(UM_PROGRESS_TASK_START, 0, 0, "Verifying the update") && going;
    std::string verified;
    const std::string reason = Judge(state, verified);
    m_app.WriteLog(reason.empty() ? "Verified: " + verified : "Verification failed: " + reason, 0);
    if (IRunObserver* observer = m_app.RunObserver()) {
        if (m_after.known) observer->OnSystemFacts(true, m_after);
        observer->OnVerification(reason.empty() ? "verified" : "failed",
                                 reason.empty() ? "Verified: " + verified : reason);
    }
    going = progress.SendProgress(UM_PROGRESS_TASK_DONE, 0, 0) && going;
    // The run goes on with the model it identified before (its report names that image).
    m_app.m_nSystemType = m_nModelBefore;
    return reason.empty() && going;
}

// Polls once a second (scaled) with a bare connection: away, back, then a logon. Counts both
// the pauses and the time the looks took, so the time-out holds whatever the network does.
CVerification::EState CVerification::AwaitSystem(milliseconds fixedWait) {
    const milliseconds limit{static_cast<long long>(m_app.m_nVerifyTimeoutSeconds) * 1000};
    const milliseconds fixed = std::min(fixedWait, limit);
    if (m_app.m_pLink) m_app.m_pLink->Disconnect();  // the restart has ended the session
    milliseconds elapsed{0};
    bool away = false;
    for (;;) {
        if (m_app.Interrupt().ShouldStop()) return EState::kStopped;
        const milliseconds before = m_app.Clock().Now();
        const bool answers = CSystemProbe::Answers(m_app);
        elapsed += std::max(m_app.Clock().Now() - before, milliseconds{0});
        if (!answers) {
            away = m_bEverAway = true;
        } else if (away || elapsed >= fixed) {
            const EState state = LookAt(elapsed >= fixed);
            if (state != EState::kWaiting) return state;
            away = false;  // still in update mode: its restart is still to come
        }
        if (elapsed >= limit) return answers ? EState::kNoLogon : EState::kGone;
        if (!Percent(elapsed, fixed)) return EState::kStopped;
        m_app.Clock().Wait(kPollStep);
        elapsed += kPollStep;
    }
}

CVerification::EState CVerification::LookAt(bool fixedWaitPassed) {
    CFTPBase* link = m_app.m_pLink.get();
    if (!link) return EState::kNoLogon;
    link->Disconnect();
    m_app.m_nSystemType = CSystemInformationArray::kUnknown;  // identified anew
    if (!CSystemConnector(m_app).ConnectToSystem("", "")) {
        m_strLogonError = link->GetLastErrorText();
        if (m_strLogonError.empty()) m_strLogonError = "the system did not say which model it is";
        return EState::kWaiting;
    }
    m_strLogonError.clear();
    if (link->IsNormalMode()) return EState::kNormal;
    if (fixedWaitPassed) return EState::kUpdateMode;
    link->Disconnect();
    return EState::kWaiting;
}

std::string CVerification::Judge(EState state, std::string& verified) {
    const std::string seconds = std::to_string(m_app.m_nVerifyTimeoutSeconds);
    switch (state) {
        case EState::kStopped:
            return "stopped by the operator";
        case EState::kGone:
            return "the system did not come back within " + seconds + " s";
        case EState::kNoLogon:
            return "the system answers, but the logon failed within " + seconds +
                   " s: " + text::ForLog(m_strLogonError, 200);
        case EState::kUpdateMode:
            ReadFactsAfter();
            return m_bEverAway ? "the system came back in update mode"
                               : "the system did not restart after the image; it is still in "
                                 "update mode";
        case EState::kNormal:
        case EState::kWaiting:
            break;
    }
    return JudgeNormalSystem(verified);
}

std::string CVerification::JudgeNormalSystem(std::string& verified) {
    ReadFactsAfter();
    if (m_app.m_nSystemType != m_nModelBefore) {
        const std::string now = m_after.model.empty() ? "an unknown model" : m_after.model;
        return "the system came back as " + now + ", not as " + m_strModelBefore;
    }
    if (m_app.m_bIsdnUpdate) {
        verified = m_after.model + " is back in normal mode";
        return {};
    }
    const std::string installs = CSystemFacts::InstalledVersion(m_app);
    if (!CSystemFacts::IsInstalledVersion(m_app, m_after.softwareVersion))
        return "the system runs version " + Quoted(m_after.softwareVersion) + ", not " +
               Quoted(installs);
    verified =
        m_after.model + " is back in normal mode with version " + Quoted(m_after.softwareVersion);
    return {};
}

void CVerification::ReadFactsAfter() {
    m_after = CSystemFacts::Read(m_app);
}

bool CVerification::Percent(milliseconds elapsed, milliseconds whole) {
    const long long part = whole.count() > 0 ? elapsed.count() * 100 / whole.count() : 99;
    return CProgressProtocol(m_app).SendProgress(UM_PROGRESS_TASK_PERCENT,
                                                 std::min<long long>(part, 99), 0);
}

}  // namespace quillmarch
