// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

// Helpers for the address an operator types: "host", "host:port", "[v6]:port".
namespace quillmarch::address {

struct HostPort {
    std::string host;   // without brackets
    int port = 0;       // 0 when the address names none
    bool valid = true;  // false for a malformed port or bracket
};

// Splits an address into host and optional port. A bare IPv6 address (several colons, no
// brackets) is a host without port.
HostPort SplitHostPort(const std::string& address);

// A local file name for an address: ".", ":" and every character Windows forbids in file names
// become "_", so 10.1.2.3 gives 10_1_2_3 and [::1]:2121 gives ___1__2121.
std::string LocalName(const std::string& address);

// Dotted addresses lose up to two leading zeros per field (192.168.001.010 -> 192.168.1.10).
std::string Normalise(const std::string& address);

}  // namespace quillmarch::address
