// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

namespace quillmarch {

// The per-model list of addresses used before: one stored text of addresses separated by
// single commas, most recent first, no limit on the count.
class AddressHistory {
public:
    // The pieces between the commas, empty ones included ("a,,b" gives a, "", b).
    static std::vector<std::string> Split(const std::string& history);

    // What the address box lists: the current address (when there is one) at the top, then the
    // stored entries in order, without empty entries and without later entries that equal the
    // current address ignoring letter case. Repeats among the stored entries stay.
    static std::vector<std::string> ListEntries(const std::string& currentAddress,
                                                const std::string& history);

    // The stored text after `address` was used: put in front, or moved there (written as given)
    // when an entry equals it ignoring letter case; unchanged when it is already first.
    static std::string Remember(const std::string& history, const std::string& address);
};

}  // namespace quillmarch
