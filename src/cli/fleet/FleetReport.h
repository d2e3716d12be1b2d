// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "cli/fleet/FleetOutcome.h"
#include "cli/fleet/FleetPlan.h"

namespace quillmarch::fleet {

// The one JSON document of a fleet run (--report): the fleet's options, counts, times and
// exit code, and each system's own report (docs/report.schema.json, kind "fleet"). Holds no
// password: the systems' reports hold none, and the options are written field by field.
class FleetReport {
public:
    using Time = std::chrono::system_clock::time_point;

    FleetReport(const FleetPlan& plan, const std::vector<SystemOutcome>& outcomes)
        : m_plan(plan), m_outcomes(outcomes) {}

    std::string ToJson(Time start, Time end, int exitCode) const;
    // Writes the document where the plan says (atomically; "-": stdout). False with `error`.
    bool Write(Time start, Time end, int exitCode, std::string& error) const;

    // A result as the document names it: the summary's words with "_" for blanks.
    static std::string ResultCode(SystemResult result);

private:
    std::string OptionsJson() const;
    std::string CountsJson() const;
    std::string SystemJson(std::size_t system) const;

    const FleetPlan& m_plan;
    const std::vector<SystemOutcome>& m_outcomes;
};

}  // namespace quillmarch::fleet
