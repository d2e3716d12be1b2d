// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/platform/FileLock.h"
#include "core/run/RunInterrupt.h"

namespace quillmarch {

class RunContext;

// One update job from start to end, in its fixed order: settings, then the software update or
// the flash erase, then the final restart. Every step's result, and every answer of the
// progress window, is folded into one outcome.
class UpdateRun {
public:
    explicit UpdateRun(RunContext& app) : m_app(app) {}

    // parentWindow: the window the progress window reports its end to, 0 for none.
    [[nodiscard]] bool RunUpdate(std::int64_t parentWindow);
    [[nodiscard]] bool RunUpdateNoParent() { return RunUpdate(0); }
    [[nodiscard]] int CountTasks() const;

private:
    [[nodiscard]] bool AnyRetained() const;
    [[nodiscard]] bool SendsPassword() const;
    void RemoveSettingsFileAfterRestart();
    void RunTasks(bool& result);
    [[nodiscard]] bool SendsImage() const;
    void ChangeSettings(bool& result);
    void UpdateSoftware(bool& result);
    void NotifyUpdate();
    [[nodiscard]] bool SwitchToUpdateMode();
    void NoteImageSent(bool sent);
    void SendImage(bool& result);
    void SendOlderGroupImage(bool& result);
    void NoteUnchecked();
    void EraseFlash(bool& result);
    [[nodiscard]] bool RunTask(int nameId, const char* fallback, const std::function<void()>& work);
    [[nodiscard]] bool Erase();
    void RefuseErase();
    [[nodiscard]] bool LoggedOn();
    // One run per system at a time: false (and the reason logged and shown) when another run
    // holds the system's lock. Held until this object goes.
    [[nodiscard]] bool LockSystem();
    [[nodiscard]] bool RefuseEraseWithUpdate();
    // Empty, with `why` naming the folder and the fix, when no private place for it exists.
    std::string LockPath(std::string& why) const;
    [[nodiscard]] bool Restart();
    // False when the system could not be reached or refused RSWU or BOOT.
    [[nodiscard]] bool ReturnToNormalMode();
    [[nodiscard]] bool Finish(bool result, bool announceEnd = false);

    RunContext& m_app;
    platform::FileLock m_systemLock;
    // Update mode was asked for and the system has not taken an image (nor been sent back).
    bool m_returnToNormal = false;
    std::optional<RunInterrupt::ExitHold> m_exitHold;
};

}  // namespace quillmarch
