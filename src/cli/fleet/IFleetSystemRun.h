// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "cli/fleet/FleetOutcome.h"

namespace quillmarch::fleet {

// One system's run as the fleet runner drives it. The runner makes it on the fleet's thread,
// calls Run on the system's own thread and may call Stop from the fleet's thread while Run goes
// on; it destroys the run once its outcome is taken in.
class IFleetSystemRun {
public:
    virtual ~IFleetSystemRun() = default;

    // The update (or, in a --check fleet, the check) from start to end.
    virtual SystemOutcome Run() = 0;
    // The operator's second stop: the run ends at its next safe point.
    virtual void Stop(int signalNumber) = 0;
};

// Makes the run of the plan's system at index `system`. `tries` says why its tries before
// failed ("try 1: ..."), for --retry-failed; empty for its first try.
using FleetSystemRunMaker =
    std::function<std::unique_ptr<IFleetSystemRun>(std::size_t system, const std::string& tries)>;

}  // namespace quillmarch::fleet
