// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "core/job/UpdateJob.h"

namespace quillmarch::fleet {

// What one system's run of a fleet starts from, built from the plan and the system's row.
struct FleetSystemJob {
    UpdateJob job;        // the only place the system's password is kept
    std::string logPath;  // <log dir>/<the name a single run gives the address's log>
};

}  // namespace quillmarch::fleet
