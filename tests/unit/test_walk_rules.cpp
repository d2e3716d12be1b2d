// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/job/RunContext.h"
#include "core/wizard/WalkRules.h"
#include "support/FakeClock.h"
#include "support/RecordingMessageBox.h"

namespace quillmarch {
namespace {

using W = WalkRules;

constexpr int kFirstModel = 0;
constexpr int kLanOnlyModel = 9;  // KDV 18
constexpr int kOtherModel = 5;    // KDV 14: neither first nor LAN-only
constexpr int kDisplayModel = 11;

// The job choices the walk depends on, as the pages write them.
struct SChoices {
    int model = kOtherModel;
    bool update = true;
    bool custom = false;
    bool change = false;
    bool erase = false;
    bool lan = false;
    bool secureWanted = false;
    bool secureCurrent = false;
    bool display = false;
};

class WalkRulesTest : public ::testing::Test {
protected:
    void Apply(const SChoices& c) {
        m_app.Job().target.systemType = c.model;
        m_app.Job().tasks.updateSoftware = c.update;
        m_app.Job().tasks.customUpdate = c.custom;
        m_app.Job().tasks.changeSettings = c.change;
        m_app.Job().tasks.eraseFlash = c.erase;
        m_app.Job().lan.changeLan = c.lan;
        m_app.Job().security.secureModeWanted = c.secureWanted;
        m_app.Job().security.secureModeCurrent = c.secureCurrent;
        m_app.Job().display.changeDisplay = c.display;
    }
    // The pages a walk visits from `start` when every page accepts Next, `start` included.
    std::vector<int> Walk(int start = W::kInfoAlert) {
        std::vector<int> pages{start};
        while (pages.size() < 20 && W::NextPage(pages.back(), m_app.Job()) != W::kNone)
            pages.push_back(W::NextPage(pages.back(), m_app.Job()));
        return pages;
    }

    test::FakeClock m_clock;
    test::RecordingMessageBox m_box;
    RunContext m_app{m_clock, m_box};
};

struct SStepCase {
    const char* name;
    int page;
    SChoices choices;
    int expected;
};

const SStepCase kSteps[] = {
    {"note leads to the connection", W::kInfoAlert, {}, W::kIPAddress},
    {"connection leads to the facts", W::kIPAddress, {}, W::kSystemInfo},
    {"facts, first model: retained data",
     W::kSystemInfo,
     {.model = kFirstModel},
     W::kSoftwareUpgrade},
    {"facts, unknown model: update type", W::kSystemInfo, {.model = 14}, W::kUpgradeType},
    {"facts, other model: update type", W::kSystemInfo, {}, W::kUpgradeType},
    {"type leads to the tasks", W::kUpgradeType, {}, W::kUpgradeChoice},
    {"tasks: update wins over settings",
     W::kUpgradeChoice,
     {.update = true, .custom = true, .change = true},
     W::kSoftwareUpgrade},
    {"tasks: settings, LAN-only model",
     W::kUpgradeChoice,
     {.model = kLanOnlyModel, .update = false, .change = true, .erase = true},
     W::kNetworkSettings},
    {"tasks: settings, other model",
     W::kUpgradeChoice,
     {.update = false, .change = true},
     W::kChangeSettings},
    {"tasks: erase only", W::kUpgradeChoice, {.update = false, .erase = true}, W::kSoftwareUpgrade},
    {"tasks: nothing", W::kUpgradeChoice, {.update = false}, W::kResults},
    {"retained: custom update with settings",
     W::kSoftwareUpgrade,
     {.custom = true, .change = true},
     W::kChangeSettings},
    {"retained: same, LAN-only model",
     W::kSoftwareUpgrade,
     {.model = kLanOnlyModel, .custom = true, .change = true},
     W::kNetworkSettings},
    {"retained: typical keeps an earlier settings choice out",
     W::kSoftwareUpgrade,
     {.custom = false, .change = true},
     W::kResults},
    {"retained: first model never gets settings",
     W::kSoftwareUpgrade,
     {.model = kFirstModel, .custom = true, .change = true},
     W::kResults},
    {"retained: reached for erase only",
     W::kSoftwareUpgrade,
     {.update = false, .custom = true, .change = true, .erase = true},
     W::kResults},
    {"choice: LAN first",
     W::kChangeSettings,
     {.lan = true, .secureWanted = true, .display = true},
     W::kNetworkSettings},
    {"choice: security to switch on",
     W::kChangeSettings,
     {.secureWanted = true, .display = true},
     W::kSecureMode},
    {"choice: security already on is skipped",
     W::kChangeSettings,
     {.secureWanted = true, .secureCurrent = true, .display = true},
     W::kDisplaySettings},
    {"choice: nothing", W::kChangeSettings, {}, W::kResults},
    {"LAN: security", W::kNetworkSettings, {.secureWanted = true}, W::kSecureMode},
    {"LAN: display", W::kNetworkSettings, {.display = true}, W::kDisplaySettings},
    {"LAN: erase without update",
     W::kNetworkSettings,
     {.update = false, .erase = true},
     W::kSoftwareUpgrade},
    {"LAN: erase with update", W::kNetworkSettings, {.update = true, .erase = true}, W::kResults},
    {"security: display", W::kSecureMode, {.display = true}, W::kDisplaySettings},
    {"security: erase without update",
     W::kSecureMode,
     {.update = false, .erase = true},
     W::kSoftwareUpgrade},
    {"security: nothing more", W::kSecureMode, {}, W::kResults},
    {"display: erase without update",
     W::kDisplaySettings,
     {.update = false, .erase = true},
     W::kSoftwareUpgrade},
    {"display: nothing more", W::kDisplaySettings, {.erase = true}, W::kResults},
    {"summary ends the walk", W::kResults, {}, W::kNone},
    {"outside the table", 11, {}, W::kNone},
    {"negative index", -1, {}, W::kNone},
};

TEST_F(WalkRulesTest, EachPageAppendsThePageItsRuleNames) {
    for (const auto& c : kSteps) {
        Apply(c.choices);
        EXPECT_EQ(W::NextPage(c.page, m_app.Job()), c.expected) << c.name;
    }
}

struct SWalkCase {
    const char* name;
    SChoices choices;
    std::vector<int> pages;
};

const SWalkCase kWalks[] = {
    {"first model skips type and tasks",
     {.model = kFirstModel, .custom = true, .change = true},
     {0, 1, 2, 5, 10}},
    {"typical update", {}, {0, 1, 2, 3, 4, 5, 10}},
    {"custom update with LAN settings, LAN-only model",
     {.model = kLanOnlyModel, .custom = true, .change = true, .lan = true},
     {0, 1, 2, 3, 4, 5, 7, 10}},
    {"custom update with every setting, display model",
     {.model = kDisplayModel,
      .custom = true,
      .change = true,
      .lan = true,
      .secureWanted = true,
      .display = true},
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"erase and settings without update: retained data after the settings",
     {.update = false, .custom = true, .change = true, .erase = true, .lan = true},
     {0, 1, 2, 3, 4, 6, 7, 5, 10}},
    {"erase only", {.update = false, .custom = true, .erase = true}, {0, 1, 2, 3, 4, 5, 10}},
    {"no task at all", {.update = false, .custom = true}, {0, 1, 2, 3, 4, 10}},
};

TEST_F(WalkRulesTest, WholeWalksVisitTheExpectedPages) {
    for (const auto& c : kWalks) {
        Apply(c.choices);
        EXPECT_EQ(Walk(), c.pages) << c.name;
    }
}

// Back to the task choice after a custom walk, then Typical: the settings choice made earlier
// stays in the job but no longer leads anywhere.
TEST_F(WalkRulesTest, BackAndChangeBuildsTheNewTailFromTheJob) {
    Apply({.custom = true, .change = true, .lan = true});
    EXPECT_EQ(Walk(W::kUpgradeChoice), (std::vector<int>{4, 5, 6, 7, 10}));

    m_app.Job().tasks.customUpdate = false;  // the update type page, revisited
    EXPECT_EQ(Walk(W::kUpgradeChoice), (std::vector<int>{4, 5, 10}));

    m_app.Job().tasks.customUpdate = true;  // back again: Custom, Update Software unticked
    m_app.Job().tasks.updateSoftware = false;
    EXPECT_EQ(Walk(W::kUpgradeChoice), (std::vector<int>{4, 6, 7, 10}));
}

}  // namespace
}  // namespace quillmarch
