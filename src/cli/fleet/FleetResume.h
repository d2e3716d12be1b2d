// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/fleet/FleetPlan.h"

namespace quillmarch::fleet {

// --resume REPORT: an earlier fleet report (docs/report.schema.json, kind "fleet") read as
// hostile input: bounded in size, every field checked before it is believed. It gives the
// earlier run's options and how each system ended; never a password (a report holds none).
class FleetResume {
public:
    static constexpr std::size_t kMaxBytes = std::size_t{64} * 1024 * 1024;

    struct Earlier {
        std::string address;
        std::string result;  // the fleet report's result code ("succeeded", "failed", ...)
    };
    struct Document {
        FleetOptions options;  // only the options a fleet report holds
        std::vector<Earlier> systems;
    };

    // Reads and checks the report at `path`; false with `error` in words.
    static bool Read(const std::string& path, Document& out, std::string& error);
    // Checks a report's text; false with `error` in words.
    static bool Parse(const std::string& text, Document& out, std::string& error);
    // The earlier run's options for every option the command line did not give
    // (`options.given`); per-system flags given on the command line replace the earlier list
    // as a whole.
    static void MergeOptions(const Document& earlier, FleetOptions& options);
    // Marks the systems the earlier run left succeeded or up to date; false, with every
    // mismatch listed in `error`, when the inventory and the report do not name the same
    // systems.
    static bool MatchSystems(const Document& earlier, std::vector<FleetSystem>& systems,
                             std::string& error);
};

}  // namespace quillmarch::fleet
