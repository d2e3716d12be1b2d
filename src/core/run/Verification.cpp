// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/run/Verification.h"

#include <algorithm>

#include "core/device/RestartWatch.h"
#include "core/device/SystemConnector.h"
#include "core/device/SystemProbe.h"
#include "core/job/RunContext.h"
#include "core/progress/ProgressProtocol.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

namespace {

using std::chrono::milliseconds;

// A quarter second: a system that is back is noticed soon, and a bare connection costs nothing.
constexpr milliseconds kPollStep{250};

std::string Quoted(const std::string& text) {
    return "\"" + text::ForLog(text, 100) + "\"";
}

}  // namespace

Verification::Verification(RunContext& app)
    : m_app(app),
      m_modelRowBefore(app.Job().target.systemType),
      m_modelNameBefore(SystemFactsReader::ModelName(app.Job(), app.Catalogue())) {}

bool Verification::VerifyUpdate(milliseconds fixedWait) {
    ProgressProtocol progress(m_app);
    bool going =
        progress.TaskStarted(m_app.LoadUiString(179, "Waiting for Reboot"), kWaitTaskBytes);
    const State state = AwaitSystem(fixedWait);
    m_app.WriteLog(RestartWatch::WaitedRecord("the restart after the image", m_waited, Limit()), 0);
    going = progress.TaskDone() && going;
    // A stop is no verdict: the wait stays the run's last task, and the run logs the stop.
    if (state == State::kStopped) {
        m_app.Job().target.systemType = m_modelRowBefore;
        return false;
    }
    going = progress.TaskStarted("Verifying the update", kWaitTaskBytes) && going;
    std::string verified;
    const std::string reason = Judge(state, verified);
    if (reason.empty())
        m_app.WriteLog("Verified: " + verified, 0);
    else
        m_app.WriteFailure(FailureCode::kVerificationFailed, "Verification failed: " + reason);
    if (IRunObserver* observer = m_app.RunObserver()) {
        if (m_after.known) observer->OnSystemFacts(true, m_after);
        observer->OnVerification(reason.empty() ? "verified" : "failed",
                                 reason.empty() ? "Verified: " + verified : reason);
    }
    going = progress.TaskDone() && going;
    // The run goes on with the model it identified before (its report names that image).
    m_app.Job().target.systemType = m_modelRowBefore;
    return reason.empty() && going;
}

// Polls once a second (scaled) with a bare connection: away, back, then a logon. Counts both
// the pauses and the time the looks took, so the time-out holds whatever the network does.
Verification::State Verification::AwaitSystem(milliseconds fixedWait) {
    const milliseconds limit = Limit();
    const milliseconds fixed = std::min(fixedWait, limit);
    if (m_app.m_link) m_app.m_link->Disconnect();  // the restart has ended the session
    m_waited = milliseconds{0};
    bool away = false;
    for (;;) {
        if (m_app.Interrupt().ShouldStop()) return State::kStopped;
        const milliseconds before = m_app.Clock().Now();
        const bool answers = SystemProbe::Answers(m_app);
        m_waited += std::max(m_app.Clock().Now() - before, milliseconds{0});
        if (!answers) {
            away = m_everAway = true;
        } else if (away || m_waited >= fixed) {
            const milliseconds look = m_app.Clock().Now();
            const State state = LookAt(m_waited >= fixed);
            m_waited += std::max(m_app.Clock().Now() - look, milliseconds{0});  // a slow logon
            if (state != State::kWaiting) return state;
            away = false;  // still in update mode: its restart is still to come
        }
        if (m_waited >= limit) return answers ? State::kNoLogon : State::kGone;
        if (!Percent(m_waited, fixed)) return State::kStopped;
        m_app.Clock().Wait(kPollStep);
        m_waited += kPollStep;
    }
}

Verification::State Verification::LookAt(bool fixedWaitPassed) {
    DeviceLink* link = m_app.m_link.get();
    if (!link) return State::kNoLogon;
    link->Disconnect();
    m_app.Job().target.systemType = ModelCatalogue::kUnknown;  // identified anew
    if (!SystemConnector(m_app).ConnectToSystem("", "")) {
        m_logonError = link->GetLastErrorText();
        if (m_logonError.empty()) m_logonError = "the system did not say which model it is";
        return State::kWaiting;
    }
    m_logonError.clear();
    if (link->IsNormalMode()) return State::kNormal;
    if (fixedWaitPassed) return State::kUpdateMode;
    link->Disconnect();
    return State::kWaiting;
}

std::string Verification::Judge(State state, std::string& verified) {
    const std::string seconds = std::to_string(m_app.Job().options.verifyTimeoutSeconds);
    switch (state) {
        case State::kStopped:
            return "stopped by the operator";
        case State::kGone:
            return "the system did not come back within " + seconds + " s";
        case State::kNoLogon:
            return "the system answers, but the logon failed within " + seconds +
                   " s: " + text::ForLog(m_logonError, 200);
        case State::kUpdateMode:
            ReadFactsAfter();
            return m_everAway ? "the system came back in update mode"
                              : "the system did not restart after the image; it is still in "
                                "update mode";
        case State::kNormal:
        case State::kWaiting:
            break;
    }
    return JudgeNormalSystem(verified);
}

std::string Verification::JudgeNormalSystem(std::string& verified) {
    ReadFactsAfter();
    if (m_app.Job().target.systemType != m_modelRowBefore) {
        const std::string now = m_after.model.empty() ? "an unknown model" : m_after.model;
        return "the system came back as " + now + ", not as " + m_modelNameBefore;
    }
    if (m_app.Job().tasks.isdnUpdate) {
        verified = m_after.model + " is back in normal mode";
        return {};
    }
    // An empty text is not a version: say that it could not be read, not that it is "".
    if (!m_after.versionRead)
        return "the system's software version could not be read (see the log)";
    const std::string installs = SystemFactsReader::InstalledVersion(m_app);
    if (installs.empty()) return JudgeUnknownVersion(verified);
    if (!SystemFactsReader::IsInstalledVersion(m_app, m_after.softwareVersion))
        return "the system runs version " + Quoted(m_after.softwareVersion) + ", not " +
               Quoted(installs);
    verified =
        m_after.model + " is back in normal mode with version " + Quoted(m_after.softwareVersion);
    return {};
}

// Without a manifest the image's version is not known: a system that came back on another
// version than before took something, which is all that can be said.
std::string Verification::JudgeUnknownVersion(std::string& verified) {
    const std::string before = SystemFactsReader::Clean(m_app.Job().target.softwareBefore);
    const std::string now = SystemFactsReader::Clean(m_after.softwareVersion);
    if (now.empty() || now == before)
        return "the system still runs version " + Quoted(m_after.softwareVersion) +
               ", the version it ran before the update";
    verified = m_after.model + " is back in normal mode with version " +
               Quoted(m_after.softwareVersion) + ", not the version it ran before (" +
               Quoted(m_app.Job().target.softwareBefore) +
               "); the image's own version is not known (its pack has no manifest), so this is "
               "all that was checked";
    return {};
}

void Verification::ReadFactsAfter() {
    m_after = SystemFactsReader::Read(m_app);
}

milliseconds Verification::Limit() const {
    return milliseconds{static_cast<long long>(m_app.Job().options.verifyTimeoutSeconds) * 1000};
}

bool Verification::Percent(milliseconds elapsed, milliseconds whole) {
    const long long part = whole.count() > 0 ? elapsed.count() * 100 / whole.count() : 99;
    return ProgressProtocol(m_app).Percent(std::min<long long>(part, 99));
}

}  // namespace quillmarch
