// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "core/device/BootUiSwitch.h"
#include "support/DeviceTestBench.h"

namespace quillmarch::test {
namespace {

using namespace std::chrono_literals;
using Waits = std::vector<std::chrono::milliseconds>;
using Percents = std::vector<std::int64_t>;

const char* const kInUpdateMode = "System is in update mode";
const char* const kNotInUpdateMode = "System not in update mode";
const char* const kBackToNormal = "Trying to put make to normal mode";

Percents Join(std::initializer_list<Percents> parts) {
    Percents all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The fake system is back a second after its restart: the pause ends within its first step.
const Percents kQuickPause{78};

std::chrono::milliseconds Sum(const Waits& waits) {
    return std::accumulate(waits.begin(), waits.end(), std::chrono::milliseconds{0});
}

// A KDV 18 (type 9, which has an image) in normal mode, logged on, with a progress window.
class BootUiSwitchTest : public ::testing::Test {
protected:
    void SetUp() override {
        bench.system.files["gateway.dat"] = "  192.168.1.1 \r\n";
        window = bench.UseWindow();
    }
    bool Connect() { return bench.ConnectAndForget(); }
    bool Switch() { return BootUiSwitch(bench.app).PutSystemIntoBootUI(); }

    DeviceTestBench bench;
    std::shared_ptr<ScriptedProgressWindow> window;
};

TEST_F(BootUiSwitchTest, NormalSystemIsRestartedIntoUpdateMode) {
    ASSERT_TRUE(Connect());

    EXPECT_TRUE(Switch());
    EXPECT_EQ(bench.system.commands, (std::vector<std::string>{"SWUS", "boot", "FLAG", "FLAG"}));
    EXPECT_EQ(bench.system.downloads, std::vector<std::string>{"gateway.dat"});
    ASSERT_EQ(bench.system.uploads.size(), 1u);
    EXPECT_EQ(bench.system.uploads[0].first, "gateway.dat");
    EXPECT_EQ(bench.system.uploads[0].second, "192.168.1.1");
    EXPECT_EQ(bench.system.restarts, 1);
    EXPECT_FALSE(bench.system.normalMode);
    EXPECT_TRUE(bench.Link().IsLoggedOn());  // stays on for the image upload

    EXPECT_EQ(bench.clock.waits, Waits(4, 250ms));  // away three looks, back at the fourth
    EXPECT_EQ(window->Percentages(), Join({{25}, kQuickPause, {99}}));
    const auto start = window->Sent(ProgressCall::TaskStarted);
    ASSERT_EQ(start.size(), 1u);
    EXPECT_EQ(start[0].text, "Update Mode");
    EXPECT_EQ(start[0].totalBytes, 1);
    const auto done = window->Sent(ProgressCall::TaskDone);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(window->SentCalls().back(), ProgressCall::TaskDone);  // after the last percentage

    EXPECT_EQ(bench.StepLines(),
              (std::vector<std::string>{"PutSystemIntoBootUI()", "Trying to connect to system",
                                        "Waited 1.0 s for the restart into update mode (limit "
                                        "600 s)",
                                        kInUpdateMode, "PutSystemIntoBootUI()\tend"}));
    EXPECT_TRUE(bench.box.shown.empty());
}

TEST_F(BootUiSwitchTest, SystemAlreadyInUpdateModeStillGetsSwusButNoRestart) {
    bench.system.normalMode = false;
    ASSERT_TRUE(Connect());

    EXPECT_TRUE(Switch());
    EXPECT_EQ(bench.system.commands, std::vector<std::string>{"SWUS"});
    EXPECT_TRUE(bench.system.downloads.empty());  // gateway.dat only in normal mode
    EXPECT_EQ(bench.system.restarts, 0);
    EXPECT_TRUE(bench.clock.waits.empty());
    EXPECT_TRUE(bench.Logged("System is already in bootui mode"));
    EXPECT_EQ(window->Percentages(), Percents{25});
}

struct SNothingCase {
    const char* name;
    bool uploadImage;
    int systemType;
    const char* logLine;
};

class NothingToSwitchTest : public BootUiSwitchTest,
                            public ::testing::WithParamInterface<SNothingCase> {};

TEST_P(NothingToSwitchTest, TrueWithoutAnyCommand) {
    const SNothingCase& c = GetParam();
    ASSERT_TRUE(Connect());
    bench.app.Job().tasks.uploadImage = c.uploadImage;
    bench.app.Job().target.systemType = c.systemType;

    EXPECT_TRUE(Switch());
    EXPECT_TRUE(bench.system.commands.empty());
    EXPECT_TRUE(bench.system.downloads.empty());
    EXPECT_TRUE(bench.Logged(c.logLine));
    EXPECT_EQ(window->SentCalls(),
              (std::vector<ProgressCall>{ProgressCall::TaskStarted, ProgressCall::TaskDone}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NothingToSwitchTest,
    ::testing::Values(
        SNothingCase{"ImageTaskOff", false, 9,
                     "Not putting any main software, why put in to Update mode!"},
        SNothingCase{"TypeWithoutImage", true, 0,
                     "Can not update this type of system so not putting into put update mode"},
        SNothingCase{"LastTypeWithoutImage", true, 13,
                     "Can not update this type of system so not putting into put update mode"},
        SNothingCase{"UnknownType", true, 14,
                     "Can not update this type of system so not putting into put update mode"}),
    [](const ::testing::TestParamInfo<SNothingCase>& info) { return info.param.name; });

// How long the system stays away after "boot", and how many logons it refuses once it answers:
// the pause ends when it is back, however slow, and the switch gives up only at the limit.
struct SRestartCase {
    const char* name;
    int probesAway;  // looks (four a second) that find it away; -1: never back
    int logonsAway;  // logons refused once it answers
    bool switched;
    int logons;
    int seconds;  // the pauses' sum
};

class RestartWaitTest : public BootUiSwitchTest,
                        public ::testing::WithParamInterface<SRestartCase> {};

TEST_P(RestartWaitTest, EndsWhenTheSystemIsBackWithinTheLimit) {
    const SRestartCase& c = GetParam();
    ASSERT_TRUE(Connect());
    bench.system.probesAwayAfterRestart = c.probesAway;
    bench.system.attemptsAwayAfterRestart = c.logonsAway;

    EXPECT_EQ(Switch(), c.switched);
    EXPECT_EQ(bench.system.logons, c.logons);
    Waits waits = bench.clock.waits;
    if (!c.switched) {
        ASSERT_FALSE(waits.empty());
        EXPECT_EQ(waits.back(), 500ms);  // after the give-up message
        waits.pop_back();
    }
    EXPECT_EQ(Sum(waits), std::chrono::seconds(c.seconds));
    EXPECT_LE(*std::max_element(waits.begin(), waits.end()), 250ms);  // it keeps looking
    char waited[100];
    std::snprintf(waited, sizeof waited,
                  "Waited %d.0 s for the restart into update mode (limit 600 s)", c.seconds);
    EXPECT_TRUE(bench.Logged(waited)) << waited;
    EXPECT_EQ(bench.Logged(kInUpdateMode), c.switched);
    // Every retry says so, and only a retry.
    int retries = 0;
    for (const auto& message : window->Sent(ProgressCall::Percent)) {
        if (!message.text.has_value()) continue;
        EXPECT_EQ(message.text, "Update Mode - Retrying");
        ++retries;
    }
    EXPECT_EQ(retries, c.logons - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RestartWaitTest,
    ::testing::Values(SRestartCase{"Quick", 3, 0, true, 1, 1},
                      SRestartCase{"OneMinute", 239, 0, true, 1, 60},
                      SRestartCase{"ThreeMinutes", 719, 0, true, 1, 180},
                      // Too quick to be seen away: tried after the former fixed 20 s.
                      SRestartCase{"NeverSeenAway", 0, 0, true, 1, 20},
                      // Answers before it takes a logon: 5 s between tries.
                      SRestartCase{"RefusesThreeLogons", 3, 3, true, 4, 1 + 3 * 5},
                      SRestartCase{"AwayTooLong", 2400, 100000, false, 1, 600},
                      SRestartCase{"NeverBack", -1, 100000, false, 1, 600},
                      SRestartCase{"NeverTakesALogon", 3, 100000, false, 121, 600}),
    [](const auto& info) { return std::string(info.param.name); });

// A system that is not back within the wait: the operator is told why and what may be the
// matter, and chooses; Stop gives up with the window still open, so that the run's end can
// say where the system was left (it used to close the window, and the run vanished).
TEST_F(BootUiSwitchTest, ASystemNeverBackAsksToRetryAndStopKeepsTheWindow) {
    ASSERT_TRUE(Connect());
    bench.system.probesAwayAfterRestart = -1;
    bench.system.attemptsAwayAfterRestart = 100000;
    bench.box.answer = IDCANCEL;  // Stop

    EXPECT_FALSE(Switch());
    const auto ids = window->SentCalls();
    EXPECT_EQ(std::count(ids.begin(), ids.end(), ProgressCall::Close), 0);
    const Percents shown = window->Percentages();
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_EQ(shown.back(), 97);  // the pause's display stops short of the end

    ASSERT_EQ(bench.box.shown.size(), 1u);
    const auto& box = bench.box.shown[0];
    EXPECT_EQ(box.text.rfind(
                  "Could not re-connect to system.\nPlease make sure system is operational.", 0),
              0u);
    EXPECT_NE(box.text.find("within 600 s"), std::string::npos);
    EXPECT_NE(box.text.find("its mode is unknown"), std::string::npos);
    EXPECT_EQ(box.style & 0xFu, MB_RETRYCANCEL);
    EXPECT_EQ(box.caption, "Quillmarch");
    EXPECT_EQ(bench.system.CountCommand("RSWU"), 0);  // the system is out of reach: no revert
    const auto lines = bench.StepLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Trying to connect to system"), 1);
    EXPECT_TRUE(bench.Logged("Could not connect to Orbiscope"));
}

// Retry waits the whole bound again; a system that answers in the second wait is switched.
TEST_F(BootUiSwitchTest, RetryWaitsAgainAndASystemBackThenIsInUpdateMode) {
    ASSERT_TRUE(Connect());
    bench.system.attemptsAwayAfterRestart = 125;  // 121 refused logons fill the first wait
    bench.box.answers = {IDRETRY};

    EXPECT_TRUE(Switch());
    ASSERT_EQ(bench.box.shown.size(), 1u);
    EXPECT_TRUE(bench.Logged("Waiting again for the system, as the operator asked"));
    EXPECT_TRUE(bench.Logged(kInUpdateMode));
    EXPECT_FALSE(bench.Logged("Could not connect to Orbiscope"));
}

// Nobody to ask: a quiet run and a run already stopped give up at once, without a question.
TEST_F(BootUiSwitchTest, AQuietRunGivesUpWithoutAQuestion) {
    ASSERT_TRUE(Connect());
    bench.system.probesAwayAfterRestart = -1;
    bench.system.attemptsAwayAfterRestart = 100000;
    bench.app.Job().options.quiet = true;
    bench.box.answer = IDRETRY;  // would loop for ever if it were asked

    EXPECT_FALSE(Switch());
    EXPECT_TRUE(bench.box.shown.empty());
    // The box's record as before (one record, two lines).
    EXPECT_TRUE(bench.Logged("MessageBox(Could not re-connect to system."));
    EXPECT_TRUE(bench.Logged("Please make sure system is operational.)"));
    EXPECT_TRUE(bench.Logged("Could not connect to Orbiscope"));
}

struct SNormalAgainCase {
    const char* name;
    bool quiet;
    size_t boxes;
};

class CameBackNormalTest : public BootUiSwitchTest,
                           public ::testing::WithParamInterface<SNormalAgainCase> {};

TEST_P(CameBackNormalTest, FailsWithTheHoldZeroAdviceUnlessQuiet) {
    ASSERT_TRUE(Connect());
    bench.system.swusIgnored = true;
    bench.app.Job().options.quiet = GetParam().quiet;

    EXPECT_FALSE(Switch());
    ASSERT_EQ(bench.box.shown.size(), GetParam().boxes);
    if (GetParam().boxes) {
        EXPECT_EQ(bench.box.shown[0].text.rfind(
                      "Failed to put system into update mode.\n\t- Hold '0'", 0),
                  0u);
    }
    EXPECT_TRUE(bench.Logged(kNotInUpdateMode));
    EXPECT_FALSE(bench.Logged(kInUpdateMode));
    EXPECT_FALSE(bench.Logged(kBackToNormal));  // a normal system needs no revert
    EXPECT_EQ(bench.system.CountCommand("RSWU"), 0);
    EXPECT_EQ(window->Percentages(), Join({{25}, kQuickPause, {99}}));
}

INSTANTIATE_TEST_SUITE_P(Cases, CameBackNormalTest,
                         ::testing::Values(SNormalAgainCase{"Shown", false, 1},
                                           SNormalAgainCase{"Quiet", true, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BootUiSwitchTest, CancelWhileRestartingSendsTheSystemBackToNormal) {
    ASSERT_TRUE(Connect());
    bench.system.probesAwayAfterRestart = 8;  // two seconds
    window->cancelFromSend = 4;               // task start, 25, 78, then 79 is answered with Cancel

    EXPECT_FALSE(Switch());
    EXPECT_EQ(bench.clock.waits, Waits(4, 250ms));  // the pause ends at once
    EXPECT_EQ(bench.system.commands,
              (std::vector<std::string>{"SWUS", "boot", "FLAG", "FLAG", "RSWU", "BOOT"}));
    EXPECT_FALSE(bench.Link().IsLoggedOn());
    EXPECT_EQ(bench.system.restarts, 2);
    EXPECT_TRUE(bench.system.normalMode);
    EXPECT_EQ(
        bench.StepLines(),
        (std::vector<std::string>{"PutSystemIntoBootUI()", "Got IDCANCEL from Progress Dlg",
                                  "Trying to connect to system",
                                  "Waited 1.0 s for the restart into update mode (limit "
                                  "600 s)",
                                  kNotInUpdateMode, kBackToNormal, "PutSystemIntoBootUI()\tend"}));
}

TEST_F(BootUiSwitchTest, CancelBeforeThePauseMakesTheAttemptsWithoutWaiting) {
    ASSERT_TRUE(Connect());
    bench.system.attemptsAwayAfterRestart = 3;
    window->cancelFromSend = 2;  // the report of 25

    EXPECT_FALSE(Switch());
    EXPECT_EQ(bench.system.logons, 3);
    EXPECT_EQ(bench.clock.waits, Waits{500ms});
    EXPECT_EQ(window->Percentages(), Percents{25});
    EXPECT_TRUE(bench.Logged("Could not connect to Orbiscope"));
}

TEST_F(BootUiSwitchTest, RefusedSwusIsLoggedAndTheSwitchGoesOn) {
    ASSERT_TRUE(Connect());
    bench.system.failingCommands = {"SWUS"};

    EXPECT_FALSE(Switch());  // without SWUS the system restarts into normal mode
    EXPECT_TRUE(bench.Logged("Could not put system into Quillmarch Mode"));
    EXPECT_EQ(bench.system.CountCommand("boot"), 1);
    EXPECT_TRUE(bench.Logged(kNotInUpdateMode));
}

// A refused restart leaves the system in normal mode with update mode pending: the request is
// withdrawn at once rather than waiting for a restart that never comes.
TEST_F(BootUiSwitchTest, RefusedBootWithdrawsTheRequestWithoutWaiting) {
    ASSERT_TRUE(Connect());
    bench.system.failingCommands = {"boot"};
    BootUiSwitch modeSwitch(bench.app);

    EXPECT_FALSE(modeSwitch.PutSystemIntoBootUI());
    EXPECT_EQ(bench.system.commands, (std::vector<std::string>{"SWUS", "boot", "RSWU"}));
    EXPECT_FALSE(bench.system.swusPending);
    EXPECT_FALSE(modeSwitch.LeftInUpdateMode());
    EXPECT_EQ(bench.system.restarts, 0);
    EXPECT_TRUE(bench.clock.waits.empty());
    EXPECT_TRUE(bench.Logged("The system did not accept the restart into update mode (boot)"));
    EXPECT_TRUE(bench.Logged(kNotInUpdateMode));
}

TEST_F(BootUiSwitchTest, CancelAtTaskStartDoesNothing) {
    ASSERT_TRUE(Connect());
    window->cancelFromSend = 1;

    EXPECT_FALSE(Switch());
    EXPECT_TRUE(bench.system.commands.empty());
    EXPECT_EQ(bench.StepLines(), (std::vector<std::string>{"PutSystemIntoBootUI()",
                                                           "Got IDCANCEL from Progress Dlg"}));
}

// A link that never logged on still says "update mode" (its initial state); asking it would
// report a switch that never happened. The switch logs on first.
TEST_F(BootUiSwitchTest, FreshLinkLogsOnBeforeTrustingTheMode) {
    bench.app.Job().target.address = DeviceTestBench::kAddress;
    bench.app.Job().target.password = DeviceTestBench::kPassword;
    bench.app.Job().target.systemType = 9;

    EXPECT_TRUE(Switch());
    EXPECT_EQ(bench.system.CountCommand("SWUS"), 1);
    EXPECT_EQ(bench.system.restarts, 1);
    EXPECT_FALSE(bench.system.normalMode);
}

}  // namespace
}  // namespace quillmarch::test
