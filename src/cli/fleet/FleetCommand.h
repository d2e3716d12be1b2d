// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

namespace quillmarch::fleet {

// quillmarch --fleet FILE [options]: loads the plan, runs it, shows the summary, writes the
// report, answers the exit code (2 for a plan that cannot be loaded; nothing is sent then).
class FleetCommand {
public:
    static bool Wanted(const std::vector<std::string>& args);
    static int Main(const std::vector<std::string>& args);
};

}  // namespace quillmarch::fleet
