// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/fleet/FleetCommandLine.h"

namespace quillmarch::fleet {
namespace {

using Args = std::vector<std::string>;

TEST(FleetCommandLine, FleetIsRecognisedInAnyPlaceAndCase) {
    EXPECT_TRUE(IsFleetCommandLine({"-j", "4", "--fleet", "a.csv"}));
    EXPECT_TRUE(IsFleetCommandLine({"--FLEET=a.csv"}));
    EXPECT_FALSE(IsFleetCommandLine({"-p:--fleet", "10.0.0.1"}));
    EXPECT_FALSE(IsFleetCommandLine({"--fleetwide"}));
}

TEST(FleetCommandLine, DefaultsWhenOnlyTheInventoryIsGiven) {
    FleetOptions out;
    std::string error;
    ASSERT_TRUE(ParseFleetCommandLine({"--fleet", "systems.csv"}, out, error)) << error;
    EXPECT_EQ(out.inventoryPath, "systems.csv");
    EXPECT_EQ(out.jobs, 8);
    EXPECT_EQ(out.canary, 0);
    EXPECT_EQ(out.maxFailures, -1);
    EXPECT_FALSE(out.force);
    EXPECT_FALSE(out.check);
    EXPECT_TRUE(out.verify);
    EXPECT_EQ(out.verifyTimeoutSeconds, 900);
    EXPECT_EQ(out.logDir, "logs");
    EXPECT_TRUE(out.reportPath.empty());
    EXPECT_TRUE(out.commonOptions.empty());
}

TEST(FleetCommandLine, EveryOptionReachesItsField) {
    FleetOptions out;
    std::string error;
    const Args args = {"--fleet=f.csv",
                       "-j16",
                       "--canary",
                       "3",
                       "--max-failures=2",
                       "--force",
                       "--check",
                       "--verify",
                       "--verify-timeout",
                       "1200",
                       "--log-dir",
                       "out/logs",
                       "--report",
                       "-",
                       "--password-file",
                       "pw.txt",
                       "-q",
                       "-m",
                       "-s",
                       "-T:600",
                       "-ks"};
    ASSERT_TRUE(ParseFleetCommandLine(args, out, error)) << error;
    EXPECT_EQ(out.inventoryPath, "f.csv");
    EXPECT_EQ(out.jobs, 16);
    EXPECT_EQ(out.canary, 3);
    EXPECT_EQ(out.maxFailures, 2);
    EXPECT_TRUE(out.force);
    EXPECT_TRUE(out.check);
    EXPECT_EQ(out.verifyTimeoutSeconds, 1200);
    EXPECT_EQ(out.logDir, "out/logs");
    EXPECT_EQ(out.reportPath, "-");
    EXPECT_EQ(out.passwordFile, "pw.txt");
    // -q is implied for every system and not passed on; the per-system flags keep their order.
    EXPECT_EQ(out.commonOptions, (Args{"-m", "-s", "-T:600", "-ks"}));
}

TEST(FleetCommandLine, JobsTakeTheSeparateAndTheJoinedForm) {
    for (const auto& [args, jobs] :
         std::vector<std::pair<Args, int>>{{{"--fleet", "f", "-j", "1"}, 1},
                                           {{"--fleet", "f", "-j256"}, 256},
                                           {{"--fleet", "f", "-J", "32"}, 32}}) {
        FleetOptions out;
        std::string error;
        ASSERT_TRUE(ParseFleetCommandLine(args, out, error)) << args[2] << ": " << error;
        EXPECT_EQ(out.jobs, jobs) << args[2];
    }
}

struct Refused {
    Args args;
    std::string says;  // a piece of the error
};

TEST(FleetCommandLine, RefusedCommandLinesSayWhy) {
    const std::vector<Refused> cases = {
        {{"-j", "4"}, "needs --fleet FILE"},
        {{"--fleet"}, "\"--fleet\" needs a value"},
        {{"--fleet", "-j"}, "\"--fleet\" needs a file name"},
        {{"--fleet", "f", "10.0.0.1"}, "not an option"},
        {{"--fleet", "f", "-p:secret"}, "--password-file"},
        {{"--fleet", "f", "-P:secret"}, "QUILLMARCH_PASSWORD"},
        {{"--fleet", "f", "-f:x.log"}, "--log-dir"},
        {{"--fleet", "f", "--bogus"}, "unknown option \"--bogus\""},
        {{"--fleet", "f", "-x"}, "unknown option \"-x\""},
        {{"--fleet", "f", "--fleet", "g"}, "given twice"},
        {{"--fleet", "f", "-j", "2", "-j3"}, "given twice"},
        {{"--fleet", "f", "-m", "--passive"}, "given twice"},
        {{"--fleet", "f", "-t:5", "-T:6"}, "given twice"},
        {{"--fleet", "f", "--force", "--force"}, "given twice"},
        {{"--fleet", "f", "-j", "0"}, "from 1 to 256"},
        {{"--fleet", "f", "-j257"}, "from 1 to 256"},
        {{"--fleet", "f", "-j", "four"}, "from 1 to 256"},
        {{"--fleet", "f", "-j"}, "\"-j\" needs a value"},
        {{"--fleet", "f", "--canary", "0"}, "--canary"},
        {{"--fleet", "f", "--canary", "-1"}, "--canary"},
        {{"--fleet", "f", "--max-failures", "x"}, "--max-failures"},
        {{"--fleet", "f", "--verify-timeout", "0"}, "from 1 to 86400"},
        {{"--fleet", "f", "--No-Verify"}, "every update of a fleet is verified"},
        {{"--fleet", "f", "--report", "-q"}, "or - for standard output"},
        {{"--fleet", "f", "--log-dir="}, "needs a folder name"},
        {{"--fleet", "f", "--password-file", ""}, "needs a file name"},
        {{"--fleet", "f", "-t:abc"}, "needs a number of seconds"},
        {{"--fleet", "f", ""}, "not an option"},
    };
    for (const Refused& c : cases) {
        FleetOptions out;
        std::string error;
        std::string shown;
        for (const auto& a : c.args) shown += a + " ";
        EXPECT_FALSE(ParseFleetCommandLine(c.args, out, error)) << shown;
        EXPECT_NE(error.find(c.says), std::string::npos) << shown << "-> " << error;
    }
}

TEST(FleetCommandLine, NoRefusalRepeatsAPasswordOrAStrayWord) {
    for (const Args& args : {Args{"--fleet", "f", "-p:hunter2"}, Args{"--fleet", "f", "hunter2"},
                             Args{"hunter2", "--fleet", "f"}}) {
        FleetOptions out;
        std::string error;
        EXPECT_FALSE(ParseFleetCommandLine(args, out, error));
        EXPECT_EQ(error.find("hunter2"), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace quillmarch::fleet
