// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/FleetSummary.h"

#include <algorithm>
#include <string>

#include "core/util/TextUtil.h"

namespace quillmarch::fleet {

namespace {

std::string Shown(const std::string& text, std::size_t limit = 60) {
    return text.empty() ? "-" : text::ForLog(text, limit);
}

std::string Duration(const SystemOutcome& outcome) {
    if (outcome.reportJson.empty()) return "-";
    char text[32];
    std::snprintf(text, sizeof(text), "%.0f s", outcome.seconds);
    return text;
}

// Columns as wide as their widest cell, so names of any length line up.
void PrintTable(std::FILE* out, const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size()) line += std::string(widths[c] - row[c].size() + 2, ' ');
        }
        std::fprintf(out, "%s\n", line.c_str());
    }
}

}  // namespace

int FleetSummary::Count(SystemResult result) const {
    return static_cast<int>(
        std::count_if(m_outcomes.begin(), m_outcomes.end(),
                      [result](const SystemOutcome& o) { return o.result == result; }));
}

int FleetSummary::ExitCode(int stopSignal) const {
    if (stopSignal != 0) return 128 + stopSignal;
    const bool good = std::all_of(m_outcomes.begin(), m_outcomes.end(), [](const SystemOutcome& o) {
        return o.result == SystemResult::kSucceeded || o.result == SystemResult::kUpToDate ||
               o.result == SystemResult::kReady;
    });
    return good ? 0 : 1;
}

void FleetSummary::Print(std::FILE* out) const {
    if (m_plan.options.check) {
        PrintChecks(out);
    } else {
        PrintUpdates(out);
    }
    std::fflush(out);
}

void FleetSummary::PrintUpdates(std::FILE* out) const {
    std::vector<std::vector<std::string>> rows = {
        {"NAME", "ADDRESS", "RESULT", "BEFORE", "AFTER", "TIME", "LOG"}};
    for (std::size_t i = 0; i < m_outcomes.size(); ++i) {
        const SystemOutcome& o = m_outcomes[i];
        const FleetSystem& system = m_plan.systems[i];
        rows.push_back({Shown(system.name), Shown(system.address), ResultWords(o.result),
                        Shown(o.versionBefore), Shown(o.versionAfter), Duration(o),
                        Shown(o.logPath, 300)});
    }
    PrintTable(out, rows);
    for (std::size_t i = 0; i < m_outcomes.size(); ++i) {
        if (m_outcomes[i].reason.empty()) continue;
        std::fprintf(out, "%s: %s\n", Shown(m_plan.systems[i].name).c_str(),
                     text::ForLog(m_outcomes[i].reason, 300).c_str());
    }
    std::fprintf(out,
                 "%d succeeded, %d failed, %d up to date, %d skipped, %d not started, %d "
                 "interrupted, %d in a call\n",
                 Count(SystemResult::kSucceeded), Count(SystemResult::kFailed),
                 Count(SystemResult::kUpToDate), Count(SystemResult::kSkipped),
                 Count(SystemResult::kNotStarted), Count(SystemResult::kInterrupted),
                 Count(SystemResult::kInCall));
}

void FleetSummary::PrintChecks(std::FILE* out) const {
    std::vector<std::vector<std::string>> rows = {
        {"NAME", "ADDRESS", "MODEL", "VERSION", "RESULT"}};
    for (std::size_t i = 0; i < m_outcomes.size(); ++i) {
        const SystemOutcome& o = m_outcomes[i];
        const FleetSystem& system = m_plan.systems[i];
        rows.push_back({Shown(system.name), Shown(system.address), Shown(o.model),
                        Shown(o.versionBefore), ResultWords(o.result)});
    }
    PrintTable(out, rows);
    // Every system counts somewhere: one whose check could not even start failed.
    std::fprintf(out,
                 "%d ready, %d up to date, %d cannot, %d unreachable, %d failed, %d not started, "
                 "%d interrupted\n",
                 Count(SystemResult::kReady), Count(SystemResult::kUpToDate),
                 Count(SystemResult::kCannot), Count(SystemResult::kUnreachable),
                 Count(SystemResult::kFailed), Count(SystemResult::kNotStarted),
                 Count(SystemResult::kInterrupted));
}

}  // namespace quillmarch::fleet
