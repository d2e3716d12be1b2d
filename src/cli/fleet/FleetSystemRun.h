// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "cli/fleet/FleetOutcome.h"
#include "cli/fleet/FleetPlan.h"
#include "cli/fleet/IFleetSystemRun.h"

namespace quillmarch {
class RunContext;
class RealClock;
class ConsoleMessageBox;
class SharedImages;
class RunReport;
}  // namespace quillmarch

namespace quillmarch::fleet {

class FleetView;

// One system of a fleet: its own clock, run context, log, lock and report, built here from
// the plan so the rest of the fleet never reaches into a run context. Made on the fleet's
// thread; Run goes on the system's own thread; Stop may be asked from the fleet's thread while
// Run goes on.
class FleetSystemRun final : public IFleetSystemRun {
public:
    // `tries`: why the tries before failed ("try 1: ..."), for this try's log (--retry-failed).
    FleetSystemRun(const FleetPlan& plan, std::size_t system, std::shared_ptr<SharedImages> images,
                   FleetView& view, std::string tries);
    ~FleetSystemRun() override;
    FleetSystemRun(const FleetSystemRun&) = delete;
    FleetSystemRun& operator=(const FleetSystemRun&) = delete;

    SystemOutcome Run() override;
    void Stop(int signalNumber) override;

    // The real runs of the plan's systems, for the fleet runner; they share the images.
    static FleetSystemRunMaker Maker(const FleetPlan& plan, std::shared_ptr<SharedImages> images,
                                     FleetView& view);

private:
    void MakeReport();
    SystemOutcome Checked(int code);
    SystemOutcome Updated(int checkCode);
    SystemOutcome Ended(SystemOutcome outcome, const char* word, int exitCode);

    const FleetPlan& m_plan;
    const FleetSystem& m_system;
    std::size_t m_index;
    FleetView& m_view;
    std::unique_ptr<RealClock> m_clock;
    std::unique_ptr<ConsoleMessageBox> m_messageBox;
    std::unique_ptr<RunContext> m_app;
    std::unique_ptr<RunReport> m_report;
    std::string m_tries;
};

}  // namespace quillmarch::fleet
