// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <string>

#include "core/platform/SystemKey.h"

namespace quillmarch::test {
namespace {

using platform::SystemKey;

// Every spelling of one system must take the same lock, or two runs update it at once.
TEST(SystemKeyTest, SpellingsOfOneSystemShareAKey) {
    const std::string key = SystemKey::Of("127.0.0.1:2121", 21);
    for (const char* spelling :
         {"127.0.0.1:2121", "localhost:2121", "LOCALHOST:2121", "127.1:2121", "2130706433:2121",
          "[::ffff:127.0.0.1]:2121", "127.000.000.001:2121"})
        EXPECT_EQ(SystemKey::Of(spelling, 21), key) << spelling;
    EXPECT_EQ(SystemKey::Of("127.0.0.1", 21), SystemKey::Of("127.0.0.1:21", 21));
    EXPECT_EQ(SystemKey::Of("Room.Example:2121", 21), SystemKey::Of("room.example:2121", 21));
}

TEST(SystemKeyTest, OtherSystemsAndPortsKeepTheirOwnKeys) {
    EXPECT_NE(SystemKey::Of("127.0.0.1:2121", 21), SystemKey::Of("127.0.0.1:2122", 21));
    EXPECT_NE(SystemKey::Of("127.0.0.1", 21), SystemKey::Of("127.0.0.2", 21));
    EXPECT_NE(SystemKey::Of("room1.example", 21), SystemKey::Of("room2.example", 21));
    EXPECT_NE(SystemKey::Of("[::1]:21", 21), SystemKey::Of("127.0.0.1:21", 21));
}

}  // namespace
}  // namespace quillmarch::test
