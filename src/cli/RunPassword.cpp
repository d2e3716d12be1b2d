// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/RunPassword.h"

#include <cstdlib>

#include "cli/fleet/PasswordSource.h"
#include "core/job/RunContext.h"

namespace quillmarch {

bool RunPassword::Resolve(RunContext& app, std::string& error) {
    UpdateJob& job = app.Job();
    const std::string& file = job.options.passwordFile;
    if (job.options.passwordOnCommandLine) {
        if (file.empty()) return true;
        error = "-p: and --password-file both give a password; give it one way";
        return false;
    }
    using fleet::PasswordSource;
    if (!file.empty()) return PasswordSource::ReadFile(file, job.target.password, error);
    if (std::getenv(PasswordSource::kEnvironmentVariable) != nullptr)
        return PasswordSource::Resolve("", nullptr, job.target.password, error);
    // A quiet run asks nothing; without a terminal there is no one to ask.
    if (job.options.quiet || !PasswordSource::CanAsk()) return true;
    return PasswordSource::Ask("Password for " + job.target.address + " (none: Enter): ", true,
                               job.target.password, error);
}

}  // namespace quillmarch
