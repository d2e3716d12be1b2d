// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

#include "cli/fleet/FleetPlan.h"
#include "cli/fleet/FleetSystemJob.h"

namespace quillmarch::fleet {

// The ordinary command line's per-system flags as a fleet run takes them: given once for all
// systems on the fleet's command line, or for one system in its inventory row. Both are checked
// by the ordinary parser, so a fleet refuses exactly what a single run would.
class FleetSystemArguments {
public:
    // Where a flag was given, for the words of a refusal.
    enum class Origin { kCommandLine, kInventoryRow };

    // Empty when `arg` may be given per system from `origin`; otherwise why not. A password
    // argument is never repeated in the answer.
    static std::string Refusal(const std::string& arg, Origin origin);
    // Checks the flags given on the fleet's command line for every system.
    static bool CheckCommon(const std::vector<std::string>& common, std::string& error);
    // Checks one row as its run would parse it: the common flags, the row's, a stand-in
    // password and the address.
    static bool CheckRow(const std::vector<std::string>& common,
                         const std::vector<std::string>& rowOptions, const std::string& address,
                         std::string& error);
    // One system's job: the common and the row's flags as the ordinary parser reads them, then
    // what the fleet decides for every system (quiet, verified within the fleet's bound, --check,
    // the call policy), the address, the password and the log under --log-dir, set directly. The
    // password is kept in the job's password field alone; the job's "Command Line: " record
    // reads as a single run's with the same flags, its password masked. False with `error` when
    // the flags are refused (the rows were checked when the inventory was read).
    static bool Job(const FleetPlan& plan, const FleetSystem& system, FleetSystemJob& out,
                    std::string& error);
    // The log of a system: <log dir>/<the name a single run gives the address's log>; never
    // named from the row's name.
    static std::string LogPath(const FleetOptions& options, const std::string& address);
};

}  // namespace quillmarch::fleet
