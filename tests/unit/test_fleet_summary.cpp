// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/fleet/FleetSummary.h"

namespace quillmarch::fleet {
namespace {

// The summary's last line: its counts, whatever their words.
int CountedSystems(const FleetPlan& plan, const std::vector<SystemOutcome>& outcomes) {
    std::FILE* out = std::tmpfile();
    if (out == nullptr) return -1;
    FleetSummary(plan, outcomes).Print(out);
    std::rewind(out);
    std::string text;
    for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out)) text += static_cast<char>(c);
    std::fclose(out);
    const std::string last = text.substr(text.rfind('\n', text.size() - 2) + 1);
    int total = 0;
    for (const char* at = last.c_str(); *at != '\0';) {
        char* end = nullptr;
        const long n =
            std::isdigit(static_cast<unsigned char>(*at)) ? std::strtol(at, &end, 10) : 0;
        total += static_cast<int>(n);
        at = end != nullptr ? end : at + 1;
    }
    return total;
}

TEST(FleetSummary, EverySystemCountsInTheLastLineWhateverItsEnd) {
    const SystemResult results[] = {
        SystemResult::kSucceeded, SystemResult::kFailed,     SystemResult::kUpToDate,
        SystemResult::kSkipped,   SystemResult::kNotStarted, SystemResult::kInterrupted,
        SystemResult::kReady,     SystemResult::kCannot,     SystemResult::kUnreachable,
        SystemResult::kInCall,
    };
    for (const bool check : {true, false}) {
        FleetPlan plan;
        plan.options.check = check;
        plan.systems.push_back(FleetSystem{2, "127.0.0.1:2121", "room", {}, "secret"});
        for (const SystemResult result : results) {
            // Update results in an update's summary, check results in a check's.
            const bool checkResult = result == SystemResult::kReady ||
                                     result == SystemResult::kCannot ||
                                     result == SystemResult::kUnreachable;
            const bool updateOnly = result == SystemResult::kSucceeded ||
                                    result == SystemResult::kSkipped ||
                                    result == SystemResult::kInCall;
            if ((check && updateOnly) || (!check && checkResult)) continue;
            SCOPED_TRACE(std::string(ResultWords(result)) + (check ? " (check)" : " (update)"));
            SystemOutcome outcome;
            outcome.result = result;
            EXPECT_EQ(CountedSystems(plan, {outcome}), 1);
        }
    }
}

}  // namespace
}  // namespace quillmarch::fleet
