// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "core/run/IRunObserver.h"
#include "core/run/RunEnding.h"
#include "core/run/RunReport.h"

namespace quillmarch {

class RunContext;

// Watches one run for the facts of its closing sentence (first failure, verification), and
// passes everything on to the observer that was there before (a command line's report). Takes
// its place in the run context for its lifetime.
class RunEndingWatch : public IRunObserver {
public:
    explicit RunEndingWatch(RunContext& app);
    ~RunEndingWatch() override;
    RunEndingWatch(const RunEndingWatch&) = delete;
    RunEndingWatch& operator=(const RunEndingWatch&) = delete;

    void OnLogRecord(const std::string& text) override;
    void OnTaskStart(const std::string& name) override;
    void OnTaskDone() override;
    void OnFailure(FailureCode code, const std::string& record) override;
    void OnConnectReason(const std::string& reason, bool logonRefused) override;
    void OnSystemFacts(bool after, const SystemFacts& facts) override;
    void OnVerification(const std::string& outcome, const std::string& text) override;
    void OnCallState(const std::string& state, double waitedSeconds) override;

    // The facts of the run so far, with its outcome.
    RunEnding::SFacts Facts(bool success) const;

private:
    RunContext& m_app;
    IRunObserver* m_next;
    RunReport m_seen;
};

}  // namespace quillmarch
