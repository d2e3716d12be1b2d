// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/prefs/AddressHistory.h"

namespace quillmarch {
namespace {

using Entries = std::vector<std::string>;

struct SRememberCase {
    const char* history;
    const char* address;
    const char* expected;
};

const SRememberCase kRemember[] = {
    {"", "10.0.0.1", "10.0.0.1"},
    {"a,b,c", "B", "B,a,c"},                          // moves to the front, written as used
    {"a,b,c", "a", "a,b,c"},                          // already first: unchanged
    {"A,b,c", "a", "A,b,c"},                          // ... letter case included
    {"a,b,c", "d", "d,a,b,c"},                        // new: put in front
    {"a,b,c", "C", "C,a,b"},                          // the last entry
    {"10.0.0.12", "10.0.0.1", "10.0.0.1,10.0.0.12"},  // a prefix is no match
    {"a,b,,c", "c", "c,a,b,"},                        // empty pieces keep their place
    {"a,b,b", "b", "b,a,b"},                          // only the first match moves
    {"a,b,", "x", "x,a,b,"},  // a new address keeps the stored text behind it
};

TEST(AddressHistory, RememberPutsTheUsedAddressFirst) {
    for (const auto& c : kRemember) {
        EXPECT_EQ(AddressHistory::Remember(c.history, c.address), c.expected)
            << c.history << " + " << c.address;
    }
}

struct SListCase {
    const char* current;
    const char* history;
    Entries expected;
};

const SListCase kList[] = {
    {"", "", {}},
    {"", "a,,b,", {"a", "b"}},
    {"10.1.1.1", "", {"10.1.1.1"}},
    {"host.Example", "a,HOST.example,b", {"host.Example", "a", "b"}},
    {"x", "a,a,b", {"x", "a", "a", "b"}},  // repeats in the history stay
    {"", "a,b", {"a", "b"}},
};

TEST(AddressHistory, ListHasTheCurrentAddressOnceAtTheTop) {
    for (const auto& c : kList) {
        EXPECT_EQ(AddressHistory::ListEntries(c.current, c.history), c.expected)
            << c.current << " / " << c.history;
    }
}

TEST(AddressHistory, SplitKeepsEmptyPieces) {
    EXPECT_EQ(AddressHistory::Split("a,,b"), (Entries{"a", "", "b"}));
    EXPECT_EQ(AddressHistory::Split(",a"), (Entries{"", "a"}));
    EXPECT_TRUE(AddressHistory::Split("").empty());
}

}  // namespace
}  // namespace quillmarch
