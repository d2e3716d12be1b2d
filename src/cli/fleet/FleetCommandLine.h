// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

#include "cli/fleet/FleetPlan.h"

namespace quillmarch::fleet {

// Fleet-wide bounds of the command line.
inline constexpr int kMaxJobs = 256;
inline constexpr int kMaxFleetCount = 10000;  // --canary, --max-failures
inline constexpr int kMaxRetries = 10;        // --retry-failed

// True when the arguments after the program's name ask for a fleet run ("--fleet" among them);
// the caller then takes them through ParseFleetCommandLine or LoadFleetPlan, not the ordinary
// command line.
bool IsFleetCommandLine(const std::vector<std::string>& args);

// Reads a fleet run's arguments (after the program's name): "--fleet FILE", "-j N" or "-jN",
// "--canary K", "--max-failures F", "--force", "--check", "--verify", "--verify-timeout S",
// "--log-dir DIR", "--report FILE|-", "--password-file FILE", "--in-call skip|wait|break",
// "--in-call-timeout S", "--retry-failed N", "--window HH:MM-HH:MM", "--resume REPORT",
// "-q"/"--quiet", and the
// ordinary per-system flags, kept in `out.commonOptions` and checked as a single run checks
// them. A long option's value follows as the next argument or after "=". False for a refused
// command line, with `error` saying which argument and why (never a password). The names of
// the fleet options given go into `out.given` (as "--canary", "-j"), so a resume knows which
// of the earlier run's options the operator overrides.
bool ParseFleetCommandLine(const std::vector<std::string>& args, FleetOptions& out,
                           std::string& error);

}  // namespace quillmarch::fleet
