// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace quillmarch {

class RunContext;

// A settings file that carries passwords stays readable on the system after it was applied.
// The system reads it once, at the first start after doprovision.dat says "True", and then
// deletes doprovision.dat; from then on the file is never read again and can go. Removing it
// earlier would lose the settings, so the flag is looked at first.
class ProvisioningCleanup {
public:
    explicit ProvisioningCleanup(RunContext& app) : m_app(app) {}

    // Whether the job's settings text holds a password (secure mode switched on).
    [[nodiscard]] static bool CarriesPassword(const std::string& provision);
    // On a logged-on link after the system's restart: removes the settings file and its
    // pointer when the system has applied them. True when they are gone (or none was sent).
    [[nodiscard]] bool RemoveIfApplied();

private:
    RunContext& m_app;
};

}  // namespace quillmarch
