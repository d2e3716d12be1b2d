// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "core/run/FailureCode.h"
#include "core/run/SystemFactsReader.h"

namespace quillmarch {

// Watches a run from the side, for its JSON report: every log record, every progress task,
// every failure with its code, what the system said about itself before and after, and the
// verification's outcome. It never changes what the run does.
class IRunObserver {
public:
    virtual ~IRunObserver() = default;
    virtual void OnLogRecord(const std::string& text) = 0;
    virtual void OnTaskStart(const std::string& name) = 0;
    virtual void OnTaskDone() = 0;
    // A failure where the engine meets it: its code and the log record written for it (the
    // record is words for people; the code alone says what failed).
    virtual void OnFailure(FailureCode code, const std::string& record) = 0;
    // Why the connection of the failure before failed, in words (the "Reason: " record's), and
    // whether the system turned the password down.
    virtual void OnConnectReason(const std::string& reason, bool logonRefused) = 0;
    virtual void OnSystemFacts(bool after, const SystemFacts& facts) = 0;
    // outcome: "verified" or "failed"; text: the log record.
    virtual void OnVerification(const std::string& outcome, const std::string& text) = 0;
    // The call state read before the system is changed: "in_call", "no_call" or "unknown",
    // once per look (a wait tells its end), and how long that look waited for a call to end.
    virtual void OnCallState(const std::string& state, double waitedSeconds) {
        static_cast<void>(state);
        static_cast<void>(waitedSeconds);
    }
};

}  // namespace quillmarch
