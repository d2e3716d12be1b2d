// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/device/BootUiSwitch.h"

#include <chrono>
#include <cstdint>
#include <string>

#include "core/device/RestartWatch.h"
#include "core/device/SystemConnector.h"
#include "core/job/RunContext.h"
#include "core/progress/ProgressProtocol.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

namespace {

constexpr int kStoppedAttempts = 3;
constexpr int kFirstPausePercent = 78;
constexpr int kLastPausePercent = 97;
// A system that restarts too quickly to be seen away is tried after the former fixed pause.
constexpr std::chrono::seconds kFixedPause{20};
// Between logons to a system that answers but is not ready for one yet.
constexpr std::chrono::seconds kRetryPause{5};

}  // namespace

bool BootUiSwitch::PutSystemIntoBootUI() {
    m_app.WriteLog("PutSystemIntoBootUI()", 0);
    ProgressProtocol progress(m_app);
    m_run = progress.TaskStarted(m_app.LoadUiString(181, "Update Mode"), kStepTaskBytes);
    if (!m_run) return false;

    bool result = true;
    if (!m_app.Job().tasks.uploadImage) {
        Log(233, "Not putting any main software, why put in to Update mode!");
    } else {
        result = SwitchWithImage();
        if (!result) RevertToNormalMode();
    }
    const bool done = progress.TaskDone();
    result = result && done;
    m_app.WriteLog("PutSystemIntoBootUI()\tend", 0);
    return result;
}

bool BootUiSwitch::SwitchWithImage() {
    if (!m_app.ImagePresent(m_app.Job().target.systemType)) {
        Log(232, "Can not update date this type of system, not putting into put UI");
        return m_run;
    }
    // The mode below comes from the last logon's FLAG query; on a link that is not logged on
    // it would be stale and could report update mode for a system never asked.
    DeviceLink* link = m_app.m_link.get();
    if (!link || (!link->IsLoggedOn() && !SystemConnector(m_app).ConnectToSystem("", ""))) {
        LogFailure(229, "System not in update mode");
        return false;
    }
    if (link->IsNormalMode() && !RefreshGateway(*link)) {
        LogFailure(229, "System not in update mode");
        return false;
    }
    // A refused file (too large) can end the session; the switch needs one.
    if (!link->IsLoggedOn() && !SystemConnector(m_app).ConnectToSystem("", "")) {
        LogFailure(229, "System not in update mode");
        return false;
    }

    m_switchSent = true;
    const int swus = link->SendCommand("SWUS", nullptr, 0);
    m_run = Report(25);
    if (swus != 200) Log(226, "Could not put system into Quillmarch Mode");
    if (!link->IsNormalMode()) {
        Log(231, "System is already in bootui mode");
        return true;
    }
    // A refused restart leaves the system in normal mode with update mode pending: waiting
    // for a restart that never comes would only end in a box. The run sends it back instead.
    if (link->SendCommand("boot", nullptr, 0) != 200) {
        m_app.WriteFailure(FailureCode::kRestartRefused,
                           "The system did not accept the restart into update mode (boot)");
        // It still runs in normal mode: withdrawing the request is all it needs.
        m_reverted = link->SendCommand("RSWU", nullptr, 0) == 200;
        LogFailure(229, "System not in update mode");
        return false;
    }
    link->Disconnect();
    return RestartAndReconnect();
}

bool BootUiSwitch::RefreshGateway(DeviceLink& link) {
    // A file that cannot be read is left as it is: it is only rewritten without its surrounding
    // blanks. A rewrite the system refused may have left it cut short, and a system restarted
    // without its gateway cannot be reached: no update mode then.
    std::string text;
    if (!link.DownloadToString("gateway.dat", text, filelimit::kValueFileBytes)) return true;
    const std::string trimmed = text::Trim(text);
    if (link.UploadBuffer("gateway.dat", reinterpret_cast<const std::uint8_t*>(trimmed.data()),
                          trimmed.size(), 0))
        return true;
    m_app.WriteLog(
        "The system refused the rewrite of gateway.dat: it is not switched to update mode", 0);
    return false;
}

bool BootUiSwitch::RestartAndReconnect() {
    // Each wait is bounded; after one that ends without the system, the operator may wait once
    // more (a system that restarts slowly) or stop (the run then sends it back if it can).
    for (;;) {
        RestartWatch watch(m_app, RestartWatch::kUpdateModeLimit);
        if (WaitAndReconnect(watch)) return CheckModeAfterRestart();
        if (!AskToRetry(watch)) return GiveUp();
        m_app.WriteLog("Waiting again for the system, as the operator asked", 0);
    }
}

bool BootUiSwitch::WaitAndReconnect(RestartWatch& watch) {
    const std::string address = m_app.Job().target.address;
    const std::string password = m_app.Job().target.password;
    for (int attempt = 1;; ++attempt) {
        const int nextPercent = PauseBeforeAttempt(watch, attempt == 1);
        Log(227, "Trying to connect to system");
        if (watch.Timed(
                [&] { return SystemConnector(m_app).ConnectToSystem(address, password); })) {
            watch.LogWaited("the restart into update mode");
            return true;
        }
        // A signal ends the wait at once, without a box someone would have to click away; a run
        // cancelled in the window does not wait for a slow system: three quick tries, then it
        // gives up.
        if (m_app.Interrupt().ShouldStop() ||
            (m_run ? watch.Expired() : attempt >= kStoppedAttempts)) {
            watch.LogWaited("the restart into update mode");
            return false;
        }
        const bool going = ProgressProtocol(m_app).Percent(
            nextPercent, m_app.LoadUiString(286, "Update Mode-Retry"));
        m_run = m_run && going;
    }
}

// Only an operator who is there and has not stopped the run is asked; a quiet run, a stopped
// one and a terminal without anyone to answer give up at once.
bool BootUiSwitch::AskToRetry(const RestartWatch& watch) {
    if (m_app.Job().options.quiet || !m_run || m_app.Interrupt().Requested()) return false;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(watch.Limit()).count();
    const std::string text =
        m_app.LoadUiString(75,
                           "Could not re-connect to system.\nPlease make sure system is "
                           "operational.") +
        "\n\nThe system did not answer within " + std::to_string(seconds) +
        " s of its restart into update mode. It may still be restarting; its mode is "
        "unknown.\n\nRetry waits for it again. Stop ends the update and sends the system back "
        "to normal mode if it can be reached.";
    return m_app.MessageBox().Show(text, m_app.LoadUiString(76, "Quillmarch"),
                                   MB_RETRYCANCEL | MB_ICONWARNING) == IDRETRY;
}

// Waits in 1 s steps, looking after each, until the system has gone away and answers again
// (after a refused logon: answers, and at least a few seconds have passed). A system never
// seen away is tried after the former fixed pause. A stop ends the pause at once. Answers the
// percentage that follows the pause.
int BootUiSwitch::PauseBeforeAttempt(RestartWatch& watch, bool first) {
    int percent = kFirstPausePercent;
    if (!m_run) return percent;
    const std::chrono::milliseconds start = watch.Elapsed();
    const std::chrono::milliseconds least = first ? std::chrono::milliseconds{0} : kRetryPause;
    for (;;) {
        const bool going = Report(percent);
        m_run = m_run && going;
        if (!m_run) return percent;
        const bool back = watch.PauseUntilBack(std::chrono::seconds(1));
        const std::chrono::milliseconds paused = watch.Elapsed() - start;
        const bool neverAway = !watch.SeenAway() && paused >= kFixedPause;
        if ((paused >= least && (back || neverAway)) || watch.Expired()) return percent + 1;
        if (percent < kLastPausePercent) ++percent;
    }
}

bool BootUiSwitch::CheckModeAfterRestart() {
    static_cast<void>(Report(99));  // its answer is not needed any more
    if (m_app.m_link->IsNormalMode()) {
        if (!m_app.Job().options.quiet) {
            m_app.MessageBox().Show(
                m_app.LoadUiString(
                    292,
                    "Failed to put system into update mode.\n\t- Hold '0' on the remote control\n"
                    "\t- Reboot the system\n\t- Wait until system comes up in update mode\n"
                    "\t- Release '0' on the remote control\n\t- Execute Quillmacrh again."),
                "Quillmarch", MB_OK);
        }
        LogFailure(229, "System not in update mode");
        return false;
    }
    if (!m_run) {
        LogFailure(229, "System not in update mode");
        return false;
    }
    Log(228, "System is update mode");
    return m_run;
}

bool BootUiSwitch::GiveUp() {
    // A quiet run keeps its record of the box; an operator was asked already (AskToRetry). The
    // progress window stays open: the run goes on to send the system back, and its end says
    // where the system was left.
    if (m_app.Job().options.quiet && !m_app.Interrupt().Requested())
        m_app.ShowMessage(m_app.LoadUiString(75,
                                             "Could not re-connect to system.\nPlease make sure "
                                             "system is operational."),
                          m_app.LoadUiString(76, "Quillmarch"), MB_OK);
    m_app.Clock().Wait(std::chrono::milliseconds(500));
    LogFailure(230, "Could not connect to Orbiscope");
    return false;
}

void BootUiSwitch::RevertToNormalMode() {
    // Only a system that answered BOOTUI on the current connection is sent back.
    DeviceLink* link = m_app.m_link.get();
    if (!link || !link->IsLoggedOn() || link->IsNormalMode()) return;
    Log(234, "Trying to put make to normal mode");
    const bool reset = link->SendCommand("RSWU", nullptr, 0) == 200;
    m_reverted = reset && link->SendCommand("BOOT", nullptr, 0) == 200;
    link->Disconnect();
}

bool BootUiSwitch::Report(int percent) {
    return ProgressProtocol(m_app).Percent(percent);
}

void BootUiSwitch::Log(int id, const char* fallback) {
    m_app.WriteLog(m_app.LoadUiString(id, fallback), 0);
}

// Every way the switch fails is one failure to the report: no update mode.
void BootUiSwitch::LogFailure(int id, const char* fallback) {
    m_app.WriteFailure(FailureCode::kUpdateModeFailed, m_app.LoadUiString(id, fallback));
}

}  // namespace quillmarch
