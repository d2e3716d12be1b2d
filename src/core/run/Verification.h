// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <string>

#include "core/run/SystemFactsReader.h"

namespace quillmarch {

class RunContext;

// After the image (unless --no-verify), the run ends when the system is back, and says whether
// it really is. Two progress tasks: the restart wait (it ends as soon as the system has gone away
// and answers again in normal mode) and the check itself (logged on, FLAG says NORMAL with the same
// model, systemsoftwareversion.dat names the version the image pack says the image installs, or
// without a manifest a version other than the one before; for an ISDN update normal mode is
// enough). Every wait is bounded by the job's verification time-out.
class Verification {
public:
    explicit Verification(RunContext& app);

    // `fixedWait`: today's restart wait. An answering system that was never seen away is
    // looked at only once it has passed. Logs "Verified: ..." or "Verification failed: ...";
    // true when verified.
    [[nodiscard]] bool VerifyUpdate(std::chrono::milliseconds fixedWait);

private:
    enum class State { kWaiting, kNormal, kUpdateMode, kGone, kNoLogon, kStopped };

    State AwaitSystem(std::chrono::milliseconds fixedWait);
    State LookAt(bool fixedWaitPassed);
    // Empty when verified, else the reason; `verified` gets the success record's words.
    std::string Judge(State state, std::string& verified);
    std::string JudgeNormalSystem(std::string& verified);
    std::string JudgeUnknownVersion(std::string& verified);
    void ReadFactsAfter();
    [[nodiscard]] bool Percent(std::chrono::milliseconds elapsed, std::chrono::milliseconds whole);
    std::chrono::milliseconds Limit() const;

    RunContext& m_app;
    int m_modelRowBefore;
    std::string m_modelNameBefore;
    bool m_everAway = false;
    std::chrono::milliseconds m_waited{0};  // the restart wait so far, looks included
    std::string m_logonError;
    SystemFacts m_after;
};

}  // namespace quillmarch
