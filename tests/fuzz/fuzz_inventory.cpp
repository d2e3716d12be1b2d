// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A fleet inventory as a spreadsheet or a hand may write it: any bytes, any quoting.
#include "cli/fleet/FleetInventory.h"
#include "tests/fuzz/FuzzInput.h"

using namespace quillmarch::fleet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = quillmarch::fuzz::Text(data, size);
    Inventory inventory;
    std::vector<std::string> errors;
    const bool read = FleetInventory::Parse(text, "systems.csv", {}, inventory, errors);
    // Refused means told why; accepted means every system has an address and a line in range.
    quillmarch::fuzz::Require(read == errors.empty());
    if (!read) return 0;
    quillmarch::fuzz::Require(inventory.systems.size() <= FleetInventory::kMaxSystems);
    for (const FleetSystem& system : inventory.systems) {
        quillmarch::fuzz::Require(!system.address.empty());
        quillmarch::fuzz::Require(system.line >= 2);
        quillmarch::fuzz::Require(system.name.size() <= FleetInventory::kMaxName ||
                                  system.name == system.address);
    }
    return 0;
}
