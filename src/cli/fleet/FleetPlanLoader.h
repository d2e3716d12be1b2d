// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

#include "cli/fleet/FleetPlan.h"
#include "cli/fleet/PasswordSource.h"

namespace quillmarch::fleet {

// Most faults one refusal lists; the rest are counted.
inline constexpr std::size_t kMaxListedErrors = 100;

// Turns a fleet run's arguments (after the program's name) into a validated plan: the command
// line, the inventory with every row checked, and a password for every system. False when the
// run must not start (exit status 2); `error` then lists every fault found, one per line, and
// never a password. `prompt` is asked for the password when a row has none and neither
// --password-file nor QUILLMARCH_PASSWORD gives one.
bool LoadFleetPlan(const std::vector<std::string>& args, const PasswordSource::Prompt& prompt,
                   FleetPlan& plan, std::string& error);
// The same, asking on the terminal.
bool LoadFleetPlan(const std::vector<std::string>& args, FleetPlan& plan, std::string& error);

}  // namespace quillmarch::fleet
