#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/run/SystemLock.h"

namespace quillmarch {

class RunContext;

// One update job from start to end, in its fixed order: settings, then the software update or
// the flash erase, then the final restart. Every step's result, and every answer of the
// progress window, is folded into one outcome.
class UpdateRun {
public:
    explicit UpdateRun(RunContext& app) : m_app(app) {}

    // parentWindow: the window the progress window reports its end to, 0 for none.
    bool RunUpdate(std::int64_t parentWindow);
    bool RunUpdateNoParent() { return RunUpdate(0); }
    int CountTasks() const;

private:
    bool AnyRetained() const;
    void ChangeSettings(bool& result);
    void UpdateSoftware(bool& result);
    void NotifyUpdate();
    void SendImage(bool& result);
    void SendOlderGroupImage(bool& result);
    void EraseFlash(bool& result);
    bool RunTask(int nameId, const char* fallback, const std::function<void()>& work);
    bool Erase();
    void RefuseErase();
    bool LoggedOn();
    // One run per system at a time: false (and the reason logged and shown) when another run
    // holds the system's lock. Held until this object goes.
    bool LockSystem();
    void Restart();
    void ReturnToNormalMode();
    bool Finish(bool result, bool announceEnd = false);

    RunContext& m_app;
    SystemLock m_systemLock;
};

}  // namespace quillmarch
