// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

#include "cli/fleet/FleetPlan.h"

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
    // The arguments one system's run parses: quiet, verified within the fleet's bound (--check
    // for a fleet check), its log under --log-dir named from the address as a single run names
    // it, the common and the row's flags, its password and address. Built in memory for
    // CommandLine::Parse; never a process's argv.
    static std::vector<std::string> RunArguments(const FleetOptions& options,
                                                 const FleetSystem& system);
};

}  // namespace quillmarch::fleet
