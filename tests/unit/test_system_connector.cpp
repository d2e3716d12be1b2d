// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "core/device/SystemConnector.h"
#include "support/DeviceTestBench.h"

namespace quillmarch::test {
namespace {

using namespace std::chrono_literals;

struct SIdentifyCase {
    const char* name;
    const char* flagReply;                // whole FLAG reply text after the code
    std::optional<std::string> modelDat;  // served model.dat, if any
    int expectedType;
    bool modelDatRead;
};

class IdentifyTest : public ::testing::TestWithParam<SIdentifyCase> {};

TEST_P(IdentifyTest, FlagReplyThenModelDat) {
    const SIdentifyCase& c = GetParam();
    DeviceTestBench bench;
    bench.system.flagOverride = c.flagReply;
    if (c.modelDat) bench.system.files["model.dat"] = *c.modelDat;

    EXPECT_TRUE(SystemConnector(bench.app).ConnectToSystem("10.0.0.5", "secret"));
    EXPECT_EQ(bench.app.Job().target.systemType, c.expectedType);
    EXPECT_TRUE(bench.Link().IsLoggedOn());
    EXPECT_EQ(bench.system.downloads == std::vector<std::string>{"model.dat"}, c.modelDatRead);
    // Once in the logon for the mode, once for the model.
    EXPECT_EQ(bench.system.CountCommand("FLAG"), 2);
    EXPECT_TRUE(bench.clock.waits.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IdentifyTest,
    ::testing::Values(
        SIdentifyCase{"LaterRowWins18S", "NORMAL KDV 18S 9.0", std::nullopt, 10, false},
        SIdentifyCase{"LaterRowWins18x", "NORMAL KDV 18x", std::nullopt, 11, false},
        SIdentifyCase{"ShortNgInsideLongerName", "BOOTUI HeronMinus-NG", std::nullopt, 9, false},
        SIdentifyCase{"PlusMeansLastRow", "NORMAL heronplus-ng", std::nullopt, 13, false},
        SIdentifyCase{"UpperCaseReplyMatches", "NORMAL KDV 14", std::nullopt, 5, false},
        // Trimming the reply loses the blank "t21 " needs; model.dat keeps its blanks.
        SIdentifyCase{"ReplyTrimmedModelDatNot", "NORMAL T21 \r\n", std::string("T21 \n"), 1, true},
        SIdentifyCase{"ModelDatFallback", "NORMAL", std::string("KDV 22 release"), 12, true},
        SIdentifyCase{"NothingNamesAModel", "NORMAL", std::string("unknown box"), 14, true}),
    [](const ::testing::TestParamInfo<SIdentifyCase>& info) { return info.param.name; });

TEST(SystemConnector, MissingModelDatDisconnectsWaitsAndFails) {
    DeviceTestBench bench;
    bench.system.flagOverride = "NORMAL";

    EXPECT_FALSE(SystemConnector(bench.app).ConnectToSystem("10.0.0.5", "secret"));
    EXPECT_FALSE(bench.Link().IsLoggedOn());
    EXPECT_FALSE(bench.system.connected);
    EXPECT_EQ(bench.app.Job().target.systemType, 14);
    EXPECT_EQ(bench.clock.waits, (std::vector<std::chrono::milliseconds>{10s}));
}

TEST(SystemConnector, FailedLogonReportsFalseWithoutIdentifying) {
    DeviceTestBench bench;
    bench.system.logonCodes = {301};

    EXPECT_FALSE(SystemConnector(bench.app).ConnectToSystem("10.0.0.5", "wrong"));
    EXPECT_FALSE(bench.Link().IsLoggedOn());
    EXPECT_TRUE(bench.system.commands.empty());
    EXPECT_EQ(bench.Link().GetLastErrorText(), "Wrong password");
    EXPECT_TRUE(bench.clock.waits.empty());
}

TEST(SystemConnector, EmptyAddressReconnectsWithStoredValues) {
    DeviceTestBench bench;
    bench.app.Job().target.address = "10.0.0.7";
    bench.app.Job().target.password = "pw";

    EXPECT_TRUE(SystemConnector(bench.app).ConnectToSystem("", ""));
    EXPECT_EQ(bench.Link().m_givenHost, "10.0.0.7");
    EXPECT_EQ(bench.Link().m_givenUser, "admin");
    EXPECT_EQ(bench.Link().m_givenPassword, "pw");
    EXPECT_EQ(bench.app.Job().target.address, "10.0.0.7");
    EXPECT_EQ(bench.app.Job().target.password, "pw");
}

TEST(SystemConnector, NewAddressReplacesAnEmptyPasswordToo) {
    DeviceTestBench bench;
    bench.app.Job().target.password = "old";

    EXPECT_TRUE(SystemConnector(bench.app).ConnectToSystem("10.0.0.8", ""));
    EXPECT_EQ(bench.app.Job().target.password, "");
    EXPECT_EQ(bench.Link().m_givenPassword, " ");
}

TEST(SystemConnector, AlreadyLoggedOnStoresButDoesNotLogOnAgain) {
    DeviceTestBench bench;
    ASSERT_TRUE(bench.ConnectAndForget());

    EXPECT_TRUE(SystemConnector(bench.app).ConnectToSystem("10.0.0.9", "other"));
    EXPECT_EQ(bench.system.logons, 0);
    EXPECT_TRUE(bench.system.commands.empty());
    EXPECT_EQ(bench.app.Job().target.address, "10.0.0.9");
    EXPECT_EQ(bench.app.Job().target.password, "other");
}

// The model survives a reconnection to the same system (the update-mode restart answers FLAG
// without a model), but not a turn to another address.
TEST(SystemConnector, ModelKeptForSameSystemForgottenForAnother) {
    DeviceTestBench bench;
    ASSERT_TRUE(bench.ConnectAndForget());
    ASSERT_EQ(bench.app.Job().target.systemType, 9);
    bench.Link().Disconnect();
    bench.system.flagOverride = "BOOTUI";
    bench.system.files["model.dat"] = "kdv 14";

    EXPECT_TRUE(SystemConnector(bench.app).ConnectToSystem("", ""));
    EXPECT_EQ(bench.app.Job().target.systemType, 9);
    EXPECT_TRUE(SystemConnector(bench.app).ConnectToSystem("10.0.0.5", "secret"));
    EXPECT_EQ(bench.app.Job().target.systemType, 9);
    EXPECT_TRUE(bench.system.downloads.empty());

    bench.Link().Disconnect();
    EXPECT_TRUE(SystemConnector(bench.app).ConnectToSystem("10.0.0.6", "secret"));
    EXPECT_EQ(bench.app.Job().target.systemType, 5);
    EXPECT_EQ(bench.system.downloads, std::vector<std::string>{"model.dat"});
}

TEST(SystemConnector, NoLinkIsAFailureNotACrash) {
    DeviceTestBench bench;
    bench.app.m_link.reset();
    EXPECT_FALSE(SystemConnector(bench.app).ConnectToSystem("10.0.0.5", "secret"));
}

}  // namespace
}  // namespace quillmarch::test
