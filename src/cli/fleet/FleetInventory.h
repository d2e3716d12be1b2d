// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "cli/fleet/FleetPlan.h"

namespace quillmarch::fleet {

// What an inventory file gave: its systems, and whether it has a password column (then the
// file must be private to its owner).
struct Inventory {
    std::vector<FleetSystem> systems;
    bool hasPasswordColumn = false;
};

// The fleet's inventory: a CSV file with a header row naming its columns, in any order and
// any case: "address" (required), "name", "options", "password". Every row is checked the
// way its run will parse it, and every fault of every row is found before anything is sent.
class FleetInventory {
public:
    static constexpr std::size_t kMaxFileBytes = std::size_t{4} * 1024 * 1024;
    static constexpr std::size_t kMaxSystems = 10000;
    static constexpr std::size_t kMaxName = 200;

    // Reads the file at `path`. False when anything is wrong; `errors` then holds one line per
    // fault, "PATH:LINE: why" (a password is never named).
    static bool Read(const std::string& path, const std::vector<std::string>& commonOptions,
                     Inventory& out, std::vector<std::string>& errors);
    // The same for a file's contents; `shownPath` names it in the errors.
    static bool Parse(std::string_view contents, const std::string& shownPath,
                      const std::vector<std::string>& commonOptions, Inventory& out,
                      std::vector<std::string>& errors);
    // The address as a duplicate is recognised: host in lower case without leading zeros in
    // its dotted fields, and the FTP port (21 when none is given).
    static std::string AddressKey(const std::string& address);
};

}  // namespace quillmarch::fleet
