// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace quillmarch {

struct SystemFacts;

class RunContext;
class RunReport;

// --check: connects, logs on, identifies the system and reads what it says about itself, then
// tells what a run with the same options would do. Sends nothing that changes the system: no
// mode switch, restart, erase, upload or notice; only the logon's FLAG queries, file reads and
// the call-state request.
class PreflightCheck {
public:
    // Exit codes of a check (beside 2, 3 and 130/143, which mean what they mean for a run).
    enum Outcome {
        kReady = 0,         // an update would run
        kUpToDate = 4,      // the system already runs the version this program installs
        kCannotUpdate = 5,  // refused logon, unknown model, no image, a damaged image or pack
        kUnreachable = 6,   // nothing answered at the address
    };

    explicit PreflightCheck(RunContext& app) : m_app(app) {}

    // Runs the check, prints its table to `out`, logs it, fills the report when given.
    [[nodiscard]] int Run(RunReport* report, std::FILE* out);

private:
    using Rows = std::vector<std::pair<std::string, std::string>>;

    [[nodiscard]] int ConnectFailure(RunReport* report, Rows& rows);
    [[nodiscard]] int Judge(const SystemFacts& facts, RunReport* report, std::string& words);
    std::vector<std::string> PlannedTasks() const;
    std::string RetainRecord() const;
    std::string PackRow() const;
    [[nodiscard]] int End(int code, const std::string& words, const Rows& rows, std::FILE* out);

    RunContext& m_app;
};

}  // namespace quillmarch
