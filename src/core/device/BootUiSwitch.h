// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace quillmarch {

class RunContext;
class DeviceLink;
class RestartWatch;

// Switches the system into its update mode (BOOTUI): SWUS, restart, reconnect, check; sends it
// back to normal mode when the run was stopped after it got there. The wait for the restart
// ends when the system is back, within RestartWatch::kUpdateModeLimit.
class BootUiSwitch {
public:
    explicit BootUiSwitch(RunContext& app) : m_app(app) {}
    [[nodiscard]] bool PutSystemIntoBootUI();
    // SWUS was sent, and the system was not sent back again here: until it takes an image it
    // is in update mode, or on its way there.
    [[nodiscard]] bool LeftInUpdateMode() const { return m_switchSent && !m_reverted; }

private:
    [[nodiscard]] bool SwitchWithImage();
    [[nodiscard]] bool RefreshGateway(DeviceLink& link);
    [[nodiscard]] bool RestartAndReconnect();
    [[nodiscard]] bool WaitAndReconnect(RestartWatch& watch);
    [[nodiscard]] bool AskToRetry(const RestartWatch& watch);
    [[nodiscard]] int PauseBeforeAttempt(RestartWatch& watch, bool first);
    [[nodiscard]] bool CheckModeAfterRestart();
    [[nodiscard]] bool GiveUp();
    void RevertToNormalMode();
    [[nodiscard]] bool Report(int percent);
    void Log(int id, const char* fallback);
    void LogFailure(int id, const char* fallback);

    RunContext& m_app;
    // Running AND of the progress answers: false once the operator stopped the run.
    bool m_run = true;
    bool m_switchSent = false;
    bool m_reverted = false;
};

}  // namespace quillmarch
