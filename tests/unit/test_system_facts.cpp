// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <string>

#include "core/device/SystemConnector.h"
#include "core/run/SystemFactsReader.h"
#include "support/FakeAppFixture.h"

namespace quillmarch::test {
namespace {

class SystemFactsTest : public FakeAppFixture {};

// A system that stalls every read (each one ends at its own time-out) must not hold the check
// for the sum of them: past the table's bound, the rest shows as unknown without being asked.
TEST_F(SystemFactsTest, TheTableStopsReadingOnceItsBoundIsSpent) {
    StartLog();
    int reads = 0;
    m_system.onDownload = [this, &reads](const std::string& name) {
        ++reads;
        m_clock.now += std::chrono::seconds(60);  // as long as a read's own time-out
        m_system.failingDownloads.push_back(name);
    };
    const auto rows = SystemFactsReader::Table(*m_app, SystemFacts{});
    ASSERT_EQ(rows.size(), 9u);  // the eight facts and the model
    EXPECT_EQ(reads, 2);
    EXPECT_LE(m_clock.now, std::chrono::milliseconds(SystemFactsReader::kTableBudget));
    for (const auto& [label, value] : rows) {
        if (label != "Model") {
            EXPECT_EQ(value, SystemFactsReader::kUnknown) << label;
        }
    }
    EXPECT_TRUE(Logged("Stopped reading the system's facts: they took longer than 120 s"));
}

TEST_F(SystemFactsTest, EachFactIsShownAsTheSystemSentIt) {
    m_system.files["sysname.dat"] = "  Room 4-B\r\n";
    m_system.files["systemsoftwareversion.dat"] = "9.0.6.2-103 05-September-2011";
    ASSERT_TRUE(SystemConnector(*m_app).ConnectToSystem("127.0.0.1", "secret"));
    const auto rows = SystemFactsReader::Table(*m_app, SystemFactsReader::Read(*m_app));
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows.front().second, "Room 4-B");
    EXPECT_EQ(rows.back().second, "9.0.6.2-103 05-September-2011");
}

}  // namespace
}  // namespace quillmarch::test
