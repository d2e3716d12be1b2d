// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <string>

#include "core/util/AddressNames.h"

namespace quillmarch::address {
namespace {

struct SSplitCase {
    const char* address;
    const char* host;
    int port;
    bool valid;
};

TEST(AddressSplit, HostAndOptionalPort) {
    const SSplitCase cases[] = {
        {"10.1.2.3", "10.1.2.3", 0, true},
        {"10.1.2.3:2121", "10.1.2.3", 2121, true},
        {"sys.example:21", "sys.example", 21, true},
        {"host:65535", "host", 65535, true},
        {"[::1]:2121", "::1", 2121, true},
        {"[fe80::1]", "fe80::1", 0, true},
        {"::1", "::1", 0, true},  // bare v6: no port
        {"fe80::2:3", "fe80::2:3", 0, true},
        {"host:", "host", 0, false},
        {"host:0", "host", 0, false},
        {"host:65536", "host", 0, false},
        {"host:123456", "host", 0, false},
        {"host:21x", "host", 0, false},
        {"host:-21", "host", 0, false},
        {"[::1]:", "::1", 0, false},
        {"[::1]x21", "::1", 0, false},
        {"[::1", "[::1", 0, false},
        {"", "", 0, true},
    };
    for (const auto& c : cases) {
        const HostPort split = SplitHostPort(c.address);
        EXPECT_EQ(split.host, c.host) << c.address;
        EXPECT_EQ(split.valid, c.valid) << c.address;
        if (c.valid) {
            EXPECT_EQ(split.port, c.port) << c.address;
        }
    }
}

struct SNameCase {
    const char* address;
    const char* name;
};

TEST(AddressLocalName, ForbiddenFileNameCharactersBecomeUnderscores) {
    const SNameCase cases[] = {
        {"10.1.2.3", "10_1_2_3"},
        {"sys.example:2121", "sys_example_2121"},
        {"[::1]:2121", "___1__2121"},
        {"a<b>c\"d/e\\f|g?h*i", "a_b_c_d_e_f_g_h_i"},
        {"tab\there", "tab_here"},
        {"plain-name_1", "plain-name_1"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(LocalName(c.address), c.name) << c.address;
}

TEST(AddressNormalise, DottedFieldsLoseUpToTwoLeadingZeros) {
    const SNameCase cases[] = {
        {"192.168.001.010", "192.168.1.10"},
        {"000.00.0.0000", "0.0.0.00"},  // never empty, at most two zeros
        {"10.1.2.3", "10.1.2.3"},
        {"007.070.700.1", "7.70.700.1"},
        {"1.2.3.04.05", "1.2.3.4.05"},  // the fourth field keeps its further dots
        {"010.001.002.003:2121", "10.1.2.3:2121"},
        {"a.0b.c", "a.0b.c"},  // fewer than three dots: unchanged
        {"sys.example", "sys.example"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Normalise(c.address), c.name) << c.address;
}

}  // namespace
}  // namespace quillmarch::address
