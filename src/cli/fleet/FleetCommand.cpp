// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/FleetCommand.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "cli/SignalScope.h"
#include "cli/fleet/FleetClock.h"
#include "cli/fleet/FleetPlanLoader.h"
#include "cli/fleet/FleetReport.h"
#include "cli/fleet/FleetRunner.h"
#include "cli/fleet/FleetSummary.h"
#include "cli/fleet/FleetSystemRun.h"
#include "cli/fleet/FleetView.h"
#include "core/catalogue/SharedImages.h"
#include "core/platform/Platform.h"
#include "core/run/RunInterrupt.h"
#include "core/util/TextUtil.h"

namespace quillmarch::fleet {

namespace {

std::vector<std::string> Labels(const FleetPlan& plan) {
    std::vector<std::string> labels;
    for (const FleetSystem& system : plan.systems) {
        const std::string& name = system.name.empty() ? system.address : system.name;
        labels.push_back(text::ForLog(name, 60) + " (" + text::ForLog(system.address, 80) + ")");
    }
    return labels;
}

}  // namespace

bool FleetCommand::Wanted(const std::vector<std::string>& args) {
    return std::find(args.begin(), args.end(), "--fleet") != args.end();
}

int FleetCommand::Main(const std::vector<std::string>& args) {
    FleetPlan plan;
    std::string error;
    if (!LoadFleetPlan(args, plan, error)) {
        std::fprintf(stderr, "quillmarch: %s\n", error.c_str());
        return 2;
    }
    // Another user who controls the logs' folder could swap a log for a link to a file of ours.
    if (!plan.options.logDir.empty()) {
        const std::string why = platform::OthersControl(plan.options.logDir);
        if (!why.empty()) {
            std::fprintf(stderr, "quillmarch: --log-dir refused: %s\n", why.c_str());
            return 2;
        }
        std::error_code ignored;
        std::filesystem::create_directories(platform::PathFromUtf8(plan.options.logDir), ignored);
    }
    FleetClock clock;
    if (!FleetClock::FromEnvironment(clock, error)) {
        std::fprintf(stderr, "quillmarch: %s\n", error.c_str());
        return 2;
    }
    if (clock.Simulated())
        std::fprintf(stderr,
                     "quillmarch: warning: %s is set: the --window is judged on a test "
                     "clock, not the local time\n",
                     FleetClock::kTestVariable);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    // The display and the summary keep out of a report written to stdout.
    std::FILE* out = plan.options.reportPath == "-" ? stderr : stdout;
    FleetView view(out, platform::IsTerminal(out), Labels(plan));
    RunInterrupt stop;
    RunInterrupt abort;
    const auto start = std::chrono::system_clock::now();
    std::vector<SystemOutcome> outcomes;
    {
        SignalScope signals(stop, &abort);
        FleetRunner runner(plan, view, stop, abort,
                           FleetSystemRun::Maker(plan, std::make_shared<SharedImages>(), view),
                           clock);
        outcomes = runner.Run();
    }
    view.Close();
    const FleetSummary summary(plan, outcomes);
    summary.Print(out);
    const int code = summary.ExitCode(stop.Signal());
    if (stop.Requested())
        std::fprintf(out, "Stopped by the operator: systems not started were left alone\n");
    if (!plan.options.reportPath.empty() &&
        !FleetReport(plan, outcomes).Write(start, std::chrono::system_clock::now(), code, error))
        std::fprintf(stderr, "quillmarch: the report was not written: %s\n", error.c_str());
    return code;
}

}  // namespace quillmarch::fleet
