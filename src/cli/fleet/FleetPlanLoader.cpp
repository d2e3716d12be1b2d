// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/FleetPlanLoader.h"

#include <algorithm>

#include "cli/fleet/FleetCommandLine.h"
#include "cli/fleet/FleetInventory.h"
#include "cli/fleet/FleetResume.h"

namespace quillmarch::fleet {

namespace {

std::string Listed(const std::vector<std::string>& errors) {
    std::string text;
    const std::size_t shown = std::min(errors.size(), kMaxListedErrors);
    for (std::size_t i = 0; i < shown; ++i) text += (i == 0 ? "" : "\n") + errors[i];
    if (errors.size() > shown) text += "\n(and " + std::to_string(errors.size() - shown) + " more)";
    return text;
}

// Rows without a password take the fleet's; it is asked for only when one is missing, but a
// --password-file given is always read, so a wrong one is found now.
bool FillPasswords(const FleetOptions& options, const PasswordSource::Prompt& prompt,
                   std::vector<FleetSystem>& systems, std::string& error) {
    const bool missing = std::any_of(systems.begin(), systems.end(),
                                     [](const FleetSystem& s) { return !s.rowPassword; });
    if (!missing && options.passwordFile.empty()) return true;
    std::string password;
    if (!PasswordSource::Resolve(options.passwordFile, prompt, password, error)) return false;
    for (FleetSystem& system : systems) {
        if (!system.rowPassword) system.password = password;
    }
    return true;
}

}  // namespace

bool LoadFleetPlan(const std::vector<std::string>& args, const PasswordSource::Prompt& prompt,
                   FleetPlan& plan, std::string& error) {
    plan = FleetPlan{};
    if (!ParseFleetCommandLine(args, plan.options, error)) return false;
    FleetResume::Document earlier;
    if (!plan.options.resumePath.empty()) {
        if (!FleetResume::Read(plan.options.resumePath, earlier, error)) return false;
        FleetResume::MergeOptions(earlier, plan.options);
    }
    Inventory inventory;
    std::vector<std::string> errors;
    if (!FleetInventory::Read(plan.options.inventoryPath, plan.options.commonOptions, inventory,
                              errors)) {
        error = Listed(errors);
        return false;
    }
    if (inventory.hasPasswordColumn &&
        !PasswordSource::CheckPrivate(plan.options.inventoryPath, error))
        return false;
    if (!plan.options.resumePath.empty() &&
        !FleetResume::MatchSystems(earlier, inventory.systems, error))
        return false;
    if (!FillPasswords(plan.options, prompt, inventory.systems, error)) return false;
    plan.systems = std::move(inventory.systems);
    return true;
}

bool LoadFleetPlan(const std::vector<std::string>& args, FleetPlan& plan, std::string& error) {
    return LoadFleetPlan(args, PasswordSource::AskTerminal, plan, error);
}

}  // namespace quillmarch::fleet
