// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <set>
#include <string>
#include <vector>

#include "cli/fleet/MaintenanceWindow.h"
#include "core/job/CallPolicy.h"

namespace quillmarch::fleet {

// One system of a fleet inventory, as read from its row.
struct FleetSystem {
    int line = 0;                      // line number in the inventory file (1: the header)
    std::string address;               // as the ordinary command line takes it (host[:port])
    std::string name;                  // label for the operator; the address when empty
    std::vector<std::string> options;  // per-system flags of the ordinary command line
    std::string password;              // from the row, or else from the fleet's password source
    bool rowPassword = false;          // the row gave one (a quoted "" is the empty password)
    // --resume: "succeeded" or "up_to_date" when the earlier run ended so (the system is not
    // run again); empty otherwise.
    std::string earlierResult{};
};

// What the operator asked of the fleet run as a whole.
struct FleetOptions {
    std::string inventoryPath;               // --fleet FILE
    int jobs = 8;                            // -j N: updates at once
    int canary = 0;                          // --canary K: K systems first, all must verify
    int maxFailures = -1;                    // --max-failures F: no new start after F; -1 none
    bool force = false;                      // --force: update systems already up to date
    bool check = false;                      // --check: one table, nothing changed
    bool verify = true;                      // always on in a fleet run
    int verifyTimeoutSeconds = 900;          // --verify-timeout
    std::string logDir = "logs";             // --log-dir
    std::string reportPath;                  // --report FILE ("-" for stdout)
    std::string passwordFile;                // --password-file FILE
    std::vector<std::string> commonOptions;  // ordinary per-system flags given for all (-m, -s...)
    CallPolicy inCall = CallPolicy::kSkip;   // --in-call: a fleet leaves calls alone by default
    int inCallTimeoutSeconds = 1800;         // --in-call-timeout
    int retryFailed = 0;                     // --retry-failed N: tries again at the end
    MaintenanceWindow window;                // --window HH:MM-HH:MM; unset: any time
    std::string resumePath;                  // --resume REPORT: the earlier fleet report
    std::set<std::string> given;             // the fleet options named on the command line
};

// A whole fleet run's input: the options and the validated systems.
struct FleetPlan {
    FleetOptions options;
    std::vector<FleetSystem> systems;
};

}  // namespace quillmarch::fleet
