// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/run/CallGuard.h"

#include <algorithm>
#include <cstdio>

#include "core/device/SystemConnector.h"
#include "core/job/RunContext.h"
#include "core/job/RunModeOptions.h"
#include "core/link/SystemWebClient.h"
#include "core/run/IRunObserver.h"

namespace quillmarch {

namespace {

std::string SecondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

}  // namespace

std::optional<bool> CallGuard::Look() {
    return SystemWebClient(m_app).CallState();
}

void CallGuard::Tell(const std::string& state, double waitedSeconds) {
    if (IRunObserver* observer = m_app.RunObserver()) observer->OnCallState(state, waitedSeconds);
}

bool CallGuard::MayGoOn(const std::string& moment) {
    const CallPolicy policy = m_app.Job().options.inCall;
    const std::string option =
        std::string("(--in-call ") + RunModeOptions::CallPolicyName(policy) + ")";
    const std::optional<bool> inCall = Look();
    if (!inCall) {
        m_app.WriteLog("Call state before " + moment +
                           ": unknown, the system's web server did not answer; the run goes on",
                       0);
        Tell("unknown", 0);
        return true;
    }
    if (!*inCall) {
        m_app.WriteLog("Call state before " + moment + ": not in a call", 0);
        Tell("no_call", 0);
        return true;
    }
    if (policy != CallPolicy::kWait) Tell("in_call", 0);
    if (policy == CallPolicy::kBreak) {
        m_app.WriteLog("The system is in a call: " + moment + " goes on and ends it " + option, 0);
        return true;
    }
    if (policy == CallPolicy::kSkip) {
        Refuse(std::string(kNotUpdatedRecord) + " " + option + "; nothing was changed");
        return false;
    }
    return WaitForEnd(moment);
}

// Looks again every kLookEvery until the call has ended; the time a look takes counts too.
bool CallGuard::WaitForEnd(const std::string& moment) {
    const int limitSeconds = m_app.Job().options.inCallTimeoutSeconds;
    const std::chrono::milliseconds limit{static_cast<long long>(limitSeconds) * 1000};
    m_app.WriteLog("The system is in a call: waiting for it to end before " + moment +
                       " (--in-call wait, at most " + std::to_string(limitSeconds) + " s)",
                   0);
    std::chrono::milliseconds waited{0};
    while (waited < limit) {
        const std::chrono::milliseconds pause = std::min(kLookEvery, limit - waited);
        m_app.Clock().Wait(pause);
        waited += pause;
        if (m_app.Interrupt().ShouldStop()) {
            Tell("in_call", static_cast<double>(waited.count()) / 1000.0);
            return false;
        }
        const auto before = m_app.Clock().Now();
        const std::optional<bool> inCall = Look();
        // The look's own time, in the run's scaled seconds.
        const double scale = m_app.TimeScale() > 0 ? m_app.TimeScale() : 1.0;
        waited += std::chrono::milliseconds(static_cast<long long>(
            static_cast<double>(std::max<long long>((m_app.Clock().Now() - before).count(), 0)) /
            scale));
        const double seconds = static_cast<double>(waited.count()) / 1000.0;
        if (inCall && !*inCall) {
            m_app.WriteLog(
                "The call ended after " + SecondsText(seconds) + "; " + moment + " goes on", 0);
            Tell("no_call", seconds);
            return Reconnect();
        }
    }
    Tell("in_call", static_cast<double>(waited.count()) / 1000.0);
    Refuse(std::string(kNotUpdatedRecord) + " after " +
           SecondsText(static_cast<double>(waited.count()) / 1000.0) +
           " (--in-call wait); nothing was changed");
    return false;
}

// In the log and on stderr: a script sees why its run did nothing.
void CallGuard::Refuse(const std::string& text) {
    m_app.WriteFailure(FailureCode::kInCall, text);
    m_app.TellOperator(text);
}

// A long wait may have outlasted the system's idle limit: the run goes on in a fresh session.
bool CallGuard::Reconnect() {
    if (!m_app.m_link) return false;
    m_app.m_link->Disconnect();
    if (SystemConnector(m_app).ConnectToSystem("", "")) return true;
    m_app.WriteFailure(FailureCode::kConnectFailed,
                       m_app.LoadUiString(10, "Could not connect to system"));
    return false;
}

}  // namespace quillmarch
