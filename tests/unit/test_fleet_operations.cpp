// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/fleet/FleetClock.h"
#include "cli/fleet/FleetCommandLine.h"
#include "cli/fleet/FleetResume.h"
#include "cli/fleet/MaintenanceWindow.h"
#include "core/job/CommandLine.h"
#include "core/job/RunContext.h"
#include "core/ui/ConsoleMessageBox.h"
#include "core/util/RealClock.h"

namespace quillmarch::fleet {
namespace {

using Args = std::vector<std::string>;

constexpr int At(int hours, int minutes, int seconds = 0) {
    return hours * 3600 + minutes * 60 + seconds;
}

TEST(MaintenanceWindow, OnlyTwoDifferentTimesOfDayAreAWindow) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"02:00-04:30", true},  {"22:00-02:00", true},  {"00:00-23:59", true},
        {"2:00-04:00", false},  {"02:00-24:00", false}, {"02:60-03:00", false},
        {"02:00-02:00", false}, {"02:00", false},       {"02:00-04:00 ", false},
        {"02.00-04.00", false}, {"02:00_04:00", false}, {"", false},
        {"0a:00-04:00", false}, {"-2:00-04:00", false},
    };
    for (const auto& [text, good] : cases) {
        MaintenanceWindow window;
        std::string error;
        EXPECT_EQ(MaintenanceWindow::Parse(text, window, error), good) << text;
        EXPECT_EQ(window.Set(), good) << text;
        if (good) {
            EXPECT_EQ(window.Text(), text);
        } else {
            EXPECT_NE(error.find("--window"), std::string::npos) << text;
        }
    }
}

TEST(MaintenanceWindow, ContainsItsStartButNotItsEndAlsoAcrossMidnight) {
    struct Case {
        const char* window;
        int time;
        bool inside;
        int untilOpen;
    };
    const Case cases[] = {
        {"02:00-04:00", At(1, 59, 59), false, 1}, {"02:00-04:00", At(2, 0), true, 0},
        {"02:00-04:00", At(3, 59, 59), true, 0},  {"02:00-04:00", At(4, 0), false, At(22, 0)},
        {"22:00-02:00", At(23, 30), true, 0},     {"22:00-02:00", At(0, 0), true, 0},
        {"22:00-02:00", At(1, 59, 59), true, 0},  {"22:00-02:00", At(2, 0), false, At(20, 0)},
        {"22:00-02:00", At(21, 59), false, 60},
    };
    for (const Case& c : cases) {
        MaintenanceWindow window;
        std::string error;
        ASSERT_TRUE(MaintenanceWindow::Parse(c.window, window, error)) << error;
        EXPECT_EQ(window.Contains(c.time), c.inside) << c.window << " at " << c.time;
        EXPECT_EQ(window.SecondsUntilOpen(c.time), c.untilOpen) << c.window << " at " << c.time;
    }
    EXPECT_TRUE(MaintenanceWindow{}.Contains(At(12, 0)));  // no window: any time
}

TEST(FleetClock, TheTestClockIsRefusedUnlessWellFormed) {
    for (const char* text : {"24:00:00", "02:00", "02:00:00*", "02:00:00*0", "02:00:00*-5",
                             "02:00:00*nan", "02:00:00*2x", "x"}) {
        FleetClock clock;
        std::string error;
        EXPECT_FALSE(FleetClock::FromText(text, clock, error)) << text;
        EXPECT_NE(error.find(FleetClock::kTestVariable), std::string::npos) << text;
    }
    FleetClock clock;
    std::string error;
    ASSERT_TRUE(FleetClock::FromText("23:59:59", clock, error)) << error;
    EXPECT_TRUE(clock.Simulated());
    // Started a moment ago at 23:59:59: still then, or just past midnight.
    EXPECT_TRUE(clock.SecondOfDay() == At(23, 59, 59) || clock.SecondOfDay() == 0)
        << clock.SecondOfDay();
    ASSERT_TRUE(FleetClock::FromText("", clock, error));
    EXPECT_FALSE(clock.Simulated());
}

// The smallest fleet report a resume believes, with room for one change.
std::string Report(const std::string& options, const std::string& systems) {
    return "{\"schema_version\": 1, \"kind\": \"fleet\", \"options\": " + options +
           ", \"systems\": " + systems + "}";
}

constexpr const char* kOptions =
    "{\"jobs\": 2, \"canary\": 1, \"max_failures\": 3, \"force\": false, \"check\": false, "
    "\"verify_timeout_s\": 120, \"log_dir\": \"night\", \"in_call\": \"wait\", "
    "\"in_call_timeout_s\": 600, \"retry_failed\": 1, \"window\": \"22:00-02:00\", "
    "\"system_options\": [\"-m\"]}";
constexpr const char* kSystems =
    "[{\"address\": \"127.0.0.1:2121\", \"result\": \"succeeded\"},"
    " {\"address\": \"127.0.0.1:2122\", \"result\": \"failed\"},"
    " {\"address\": \"127.0.0.1:2123\", \"result\": \"up_to_date\"},"
    " {\"address\": \"127.0.0.1:2124\", \"result\": \"in_a_call\"}]";

TEST(FleetResume, AnEarlierReportIsCheckedBeforeItIsBelieved) {
    struct Case {
        std::string name;
        std::string text;
        std::string says;
    };
    const std::string options = kOptions;
    const auto with = [&options](const std::string& from, const std::string& to) {
        std::string changed = options;
        changed.replace(changed.find(from), from.size(), to);
        return Report(changed, kSystems);
    };
    const std::vector<Case> cases = {
        {"not JSON", "{\"kind\": ", "not valid JSON"},
        {"a key twice", "{\"kind\": \"fleet\", \"kind\": \"fleet\"}", "given twice"},
        {"deep", std::string(40, '[') + std::string(40, ']'), "nested deeper"},
        {"a run's report", "{\"schema_version\": 1, \"kind\": \"update\"}", "not a fleet report"},
        {"a later schema", "{\"schema_version\": 2, \"kind\": \"fleet\"}", "not a fleet report"},
        {"a list", "[1, 2]", "not a fleet report"},
        {"no systems", "{\"schema_version\": 1, \"kind\": \"fleet\", \"options\": {}}",
         "no options or no systems"},
        {"a check", with("\"check\": false", "\"check\": true"), "report of a check"},
        {"jobs out of range", with("\"jobs\": 2", "\"jobs\": 999"), "\"jobs\""},
        {"jobs as text", with("\"jobs\": 2", "\"jobs\": \"2\""), "\"jobs\""},
        {"an unknown policy", with("\"wait\"", "\"hangup\""), "\"in_call\""},
        {"a bad window", with("22:00-02:00", "22:00-22:00"), "\"window\""},
        {"a password among the flags", with("[\"-m\"]", "[\"-p:secret\"]"), "system_options"},
        {"an unknown flag", with("[\"-m\"]", "[\"--wipe\"]"), "system_options"},
        {"a word among the flags", with("[\"-m\"]", "[\"10.0.0.1\"]"), "system_options"},
        {"a system without an address", Report(kOptions, "[{\"result\": \"failed\"}]"),
         "no usable address"},
        {"an unknown result",
         Report(kOptions, "[{\"address\": \"10.0.0.1\", \"result\": \"great\"}]"),
         "no usable address or result"},
        {"an address that is none",
         Report(kOptions, "[{\"address\": \"a b\", \"result\": \"failed\"}]"), "no usable address"},
    };
    for (const Case& c : cases) {
        FleetResume::Document document;
        std::string error;
        EXPECT_FALSE(FleetResume::Parse(c.text, document, error)) << c.name;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(error.find("secret"), std::string::npos) << c.name << ": " << error;
    }
}

TEST(FleetResume, TheCommandLineOverridesTheEarlierOptions) {
    FleetResume::Document earlier;
    std::string error;
    ASSERT_TRUE(FleetResume::Parse(Report(kOptions, kSystems), earlier, error)) << error;
    FleetOptions options;
    ASSERT_TRUE(ParseFleetCommandLine({"--fleet", "f.csv", "--resume", "r.json", "-j", "5",
                                       "--in-call=skip", "--window", "01:00-03:00"},
                                      options, error))
        << error;
    FleetResume::MergeOptions(earlier, options);
    EXPECT_EQ(options.jobs, 5);
    EXPECT_EQ(options.inCall, CallPolicy::kSkip);
    EXPECT_EQ(options.window.Text(), "01:00-03:00");
    // The rest come from the earlier run.
    EXPECT_EQ(options.canary, 1);
    EXPECT_EQ(options.maxFailures, 3);
    EXPECT_EQ(options.verifyTimeoutSeconds, 120);
    EXPECT_EQ(options.logDir, "night");
    EXPECT_EQ(options.inCallTimeoutSeconds, 600);
    EXPECT_EQ(options.retryFailed, 1);
    EXPECT_EQ(options.commonOptions, Args{"-m"});
    EXPECT_EQ(options.inventoryPath, "f.csv");

    // Per-system flags on the command line replace the earlier ones as a whole.
    ASSERT_TRUE(
        ParseFleetCommandLine({"--fleet", "f.csv", "--resume", "r.json", "-s"}, options, error));
    FleetResume::MergeOptions(earlier, options);
    EXPECT_EQ(options.commonOptions, Args{"-s"});
    EXPECT_EQ(options.window.Text(), "22:00-02:00");
}

FleetSystem Row(int line, const std::string& address) {
    FleetSystem system;
    system.line = line;
    system.address = address;
    return system;
}

TEST(FleetResume, OnlySystemsDoneBeforeAreLeftOutAndTheInventoryMustMatch) {
    FleetResume::Document earlier;
    std::string error;
    ASSERT_TRUE(FleetResume::Parse(Report(kOptions, kSystems), earlier, error)) << error;
    // Another order, and other spellings of the same systems.
    std::vector<FleetSystem> systems = {Row(2, "127.0.0.1:2124"), Row(3, "127.1:2123"),
                                        Row(4, "localhost:2122"), Row(5, "2130706433:2121")};
    ASSERT_TRUE(FleetResume::MatchSystems(earlier, systems, error)) << error;
    EXPECT_EQ(systems[0].earlierResult, "");  // in a call: tried again
    EXPECT_EQ(systems[1].earlierResult, "up_to_date");
    EXPECT_EQ(systems[2].earlierResult, "");  // failed
    EXPECT_EQ(systems[3].earlierResult, "succeeded");

    std::vector<FleetSystem> other = {Row(2, "127.0.0.1:2121"), Row(3, "127.0.0.1:2122"),
                                      Row(4, "127.0.0.1:2123"), Row(5, "10.9.9.9")};
    EXPECT_FALSE(FleetResume::MatchSystems(earlier, other, error));
    EXPECT_NE(error.find("line 5: 10.9.9.9 is not in the report"), std::string::npos) << error;
    EXPECT_NE(error.find("the report's 127.0.0.1:2124 is not in the inventory"), std::string::npos)
        << error;
}

TEST(FleetOperationsCommandLine, NewOptionsReachTheirFieldsOrAreRefused) {
    FleetOptions out;
    std::string error;
    ASSERT_TRUE(
        ParseFleetCommandLine({"--fleet", "f", "--in-call", "WAIT", "--in-call-timeout", "90",
                               "--retry-failed=3", "--window=22:00-02:00", "--resume", "old.json"},
                              out, error))
        << error;
    EXPECT_EQ(out.inCall, CallPolicy::kWait);
    EXPECT_EQ(out.inCallTimeoutSeconds, 90);
    EXPECT_EQ(out.retryFailed, 3);
    EXPECT_EQ(out.window.Text(), "22:00-02:00");
    EXPECT_EQ(out.resumePath, "old.json");
    ASSERT_TRUE(ParseFleetCommandLine({"--fleet", "f"}, out, error));
    EXPECT_EQ(out.inCall, CallPolicy::kSkip);  // a fleet leaves calls alone unless told
    EXPECT_EQ(out.inCallTimeoutSeconds, 1800);

    const std::vector<std::pair<Args, std::string>> refused = {
        {{"--fleet", "f", "--in-call", "hangup"}, "skip, wait or break"},
        {{"--fleet", "f", "--in-call"}, "needs a value"},
        {{"--fleet", "f", "--in-call-timeout", "0"}, "from 1 to 86400"},
        {{"--fleet", "f", "--retry-failed", "11"}, "from 1 to 10"},
        {{"--fleet", "f", "--window", "25:00-01:00"}, "HH:MM-HH:MM"},
        {{"--fleet", "f", "--resume", "r.json", "--check"}, "a check has nothing to resume"},
        {{"--fleet", "f", "--resume", "r.json", "--report", "r.json"}, "--resume"},
        {{"--fleet", "f", "--in-call", "skip", "--in-call", "wait"}, "given twice"},
    };
    for (const auto& [args, says] : refused) {
        EXPECT_FALSE(ParseFleetCommandLine(args, out, error)) << args.back();
        EXPECT_NE(error.find(says), std::string::npos) << args.back() << ": " << error;
    }
}

TEST(InCallCommandLine, ASingleRunGoesOnThroughCallsUnlessToldOtherwise) {
    const std::vector<std::pair<Args, CallPolicy>> cases = {
        {{"10.0.0.1"}, CallPolicy::kBreak},
        {{"--in-call", "skip", "10.0.0.1"}, CallPolicy::kSkip},
        {{"--IN-CALL=Wait", "10.0.0.1"}, CallPolicy::kWait},
        {{"10.0.0.1", "--in-call=break"}, CallPolicy::kBreak},
        // Each option keeps its own "given already" mark: the pack's and the call's differ.
        {{"--images", "pack", "--require-signed", "--in-call", "wait", "--in-call-timeout", "9",
          "--trusted-key", "k.pub", "10.0.0.1"},
         CallPolicy::kWait},
    };
    for (const auto& [args, policy] : cases) {
        RealClock clock;
        ConsoleMessageBox messageBox;
        RunContext app(clock, messageBox);
        std::string error;
        ASSERT_TRUE(CommandLine::Parse(app, args, error)) << args[0] << ": " << error;
        EXPECT_EQ(app.Job().options.inCall, policy) << args[0];
        EXPECT_EQ(app.Job().options.inCallTimeoutSeconds, args.size() > 4 ? 9 : 1800);
    }
}

}  // namespace
}  // namespace quillmarch::fleet
