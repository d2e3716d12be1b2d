// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/FleetReport.h"

#include <algorithm>
#include <cstdio>

#include "core/job/RunModeOptions.h"
#include "core/run/RunReport.h"

namespace quillmarch::fleet {

namespace {

constexpr SystemResult kAllResults[] = {
    SystemResult::kSucceeded, SystemResult::kFailed,     SystemResult::kUpToDate,
    SystemResult::kSkipped,   SystemResult::kNotStarted, SystemResult::kInterrupted,
    SystemResult::kReady,     SystemResult::kCannot,     SystemResult::kUnreachable,
    SystemResult::kInCall,
};

std::string Quoted(const std::string& text) {
    return RunReport::JsonString(text);
}

std::string OrNull(const std::string& text) {
    return text.empty() ? "null" : Quoted(text);
}

std::string Seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.3f", value);
    return text;
}

std::string List(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + Quoted(item);
    return "[" + text + "]";
}

std::string Bool(bool value) {
    return value ? "true" : "false";
}

}  // namespace

std::string FleetReport::ResultCode(SystemResult result) {
    std::string code = ResultWords(result);
    std::replace(code.begin(), code.end(), ' ', '_');
    return code;
}

std::string FleetReport::ToJson(Time start, Time end, int exitCode) const {
    std::string systems;
    for (std::size_t i = 0; i < m_outcomes.size(); ++i)
        systems += (i ? ",\n    " : "\n    ") + SystemJson(i);
    return "{\n  \"schema_version\": " + std::to_string(RunReport::kSchemaVersion) +
           ",\n  \"program\": {\"name\": \"quillmarch\", \"version\": " +
           Quoted(QUILLMARCH_VERSION) +
           "},\n  \"kind\": \"fleet\",\n  \"inventory\": " + Quoted(m_plan.options.inventoryPath) +
           ",\n  \"resumed_from\": " + OrNull(m_plan.options.resumePath) +
           ",\n  \"options\": " + OptionsJson() + ",\n  \"counts\": " + CountsJson() +
           ",\n  \"started_at\": " + Quoted(RunReport::JsonTime(start)) +
           ",\n  \"ended_at\": " + Quoted(RunReport::JsonTime(end)) +
           ",\n  \"duration_s\": " + Seconds(std::chrono::duration<double>(end - start).count()) +
           ",\n  \"exit_code\": " + std::to_string(exitCode) + ",\n  \"systems\": [" + systems +
           (systems.empty() ? "]" : "\n  ]") + "\n}\n";
}

std::string FleetReport::OptionsJson() const {
    const FleetOptions& o = m_plan.options;
    return "{\"jobs\": " + std::to_string(o.jobs) + ", \"canary\": " + std::to_string(o.canary) +
           ", \"max_failures\": " + (o.maxFailures < 0 ? "null" : std::to_string(o.maxFailures)) +
           ", \"force\": " + Bool(o.force) + ", \"check\": " + Bool(o.check) +
           ", \"verify_timeout_s\": " + std::to_string(o.verifyTimeoutSeconds) +
           ", \"log_dir\": " + Quoted(o.logDir) +
           ", \"in_call\": " + Quoted(RunModeOptions::CallPolicyName(o.inCall)) +
           ", \"in_call_timeout_s\": " + std::to_string(o.inCallTimeoutSeconds) +
           ", \"retry_failed\": " + std::to_string(o.retryFailed) +
           ", \"window\": " + OrNull(o.window.Text()) +
           ", \"system_options\": " + List(o.commonOptions) + "}";
}

std::string FleetReport::CountsJson() const {
    std::string counts;
    for (SystemResult result : kAllResults) {
        const auto n =
            std::count_if(m_outcomes.begin(), m_outcomes.end(),
                          [result](const SystemOutcome& o) { return o.result == result; });
        counts +=
            (counts.empty() ? "" : ", ") + Quoted(ResultCode(result)) + ": " + std::to_string(n);
    }
    return "{" + counts + "}";
}

std::string FleetReport::SystemJson(std::size_t system) const {
    const FleetSystem& s = m_plan.systems[system];
    const SystemOutcome& o = m_outcomes[system];
    // The system's own document, indented to sit in the list.
    std::string report = o.reportJson.empty() ? "null" : o.reportJson;
    while (!report.empty() && report.back() == '\n') report.pop_back();
    for (std::size_t at = report.find('\n'); at != std::string::npos;
         at = report.find('\n', at + 1))
        report.insert(at + 1, "    ");
    return "{\"line\": " + std::to_string(s.line) + ", \"name\": " + Quoted(s.name) +
           ", \"address\": " + Quoted(s.address) + ", \"result\": " + Quoted(ResultCode(o.result)) +
           ", \"reason\": " + OrNull(o.reason) +
           ", \"duration_s\": " + (o.reportJson.empty() ? "null" : Seconds(o.seconds)) +
           ", \"log\": " + OrNull(o.logPath) + ", \"tries\": " + std::to_string(o.tries) +
           ", \"earlier\": " + Bool(o.earlier) + ",\n     \"report\": " + report + "}";
}

bool FleetReport::Write(Time start, Time end, int exitCode, std::string& error) const {
    const std::string json = ToJson(start, end, exitCode);
    if (m_plan.options.reportPath == "-") {
        std::fputs(json.c_str(), stdout);
        std::fflush(stdout);
        return true;
    }
    return RunReport::WriteAtomically(m_plan.options.reportPath, json, error);
}

}  // namespace quillmarch::fleet
