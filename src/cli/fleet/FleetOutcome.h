// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace quillmarch::fleet {

// How one system of a fleet ended. An update ends in the first six or in a call; a check in
// ready, up to date, cannot or unreachable.
enum class SystemResult {
    kSucceeded,    // updated and verified
    kFailed,       // the update (or the check before it) failed
    kUpToDate,     // already ran the version this program installs: left alone
    kSkipped,      // held back: the canaries failed or too many failures
    kNotStarted,   // the operator stopped the fleet before its turn
    kInterrupted,  // stopped by the operator while it ran
    kReady,        // check: an update would run
    kCannot,       // check: cannot update (refused logon, unknown model, no image)
    kUnreachable,  // check: nothing answered
    kInCall,       // left alone: it was in a call (--in-call skip, or wait until the timeout)
};

// The words a summary, a live line and the fleet report use for a result.
const char* ResultWords(SystemResult result);

// What a fleet run keeps of one system.
struct SystemOutcome {
    SystemResult result = SystemResult::kNotStarted;
    std::string reason;  // why it failed, was skipped or could not be updated
    std::string model;
    std::string versionBefore;
    std::string versionAfter;
    double seconds = 0;
    std::string logPath;
    std::string reportJson;  // the system's own report; empty when it never started
    int tries = 0;           // updates started for it in this run (--retry-failed adds to 1)
    bool earlier = false;    // --resume: its result is the earlier run's; not run again
};

}  // namespace quillmarch::fleet
