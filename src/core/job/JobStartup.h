// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "core/job/RunContext.h"
#include "core/job/UpdateJob.h"

namespace quillmarch {

// Start-up of a run context once its job is known. A command line's run comes here from
// RunContext::Startup once its arguments are read; a fleet's system comes here with the job
// built from its inventory row, its password already in the job.
class JobStartup {
public:
    // Puts `job` and the log path in place and starts the run as a command line giving the same
    // job would: the output places checked, then as Open.
    static StartupResult Start(RunContext& app, const UpdateJob& job, const std::string& logPath);
    // With the job in place and its output places checked: the image pack it names (else the
    // payload folder), its log, a plain link.
    static StartupResult Open(RunContext& app);
};

}  // namespace quillmarch
