// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdio>
#include <vector>

#include "cli/fleet/FleetOutcome.h"
#include "cli/fleet/FleetPlan.h"

namespace quillmarch::fleet {

// The end of a fleet run: one table of every system, and the exit code.
class FleetSummary {
public:
    FleetSummary(const FleetPlan& plan, const std::vector<SystemOutcome>& outcomes)
        : m_plan(plan), m_outcomes(outcomes) {}

    void Print(std::FILE* out) const;
    // 0: every system succeeded or was up to date (a check: ready or up to date); 1: any
    // other end; 128 + the signal when the operator stopped the fleet.
    int ExitCode(int stopSignal) const;
    // How many systems ended with `result`.
    int Count(SystemResult result) const;

private:
    void PrintUpdates(std::FILE* out) const;
    void PrintChecks(std::FILE* out) const;

    const FleetPlan& m_plan;
    const std::vector<SystemOutcome>& m_outcomes;
};

}  // namespace quillmarch::fleet
