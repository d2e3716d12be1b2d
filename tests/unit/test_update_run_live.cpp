// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Whole runs through the real link against the simulator, for the paths the command line
// cannot choose (the flash erase is a wizard task).
#include <gtest/gtest.h>

#include <algorithm>

#include "core/job/RunContext.h"
#include "core/run/UpdateRun.h"
#include "core/util/RealClock.h"
#include "support/RecordingMessageBox.h"
#include "support/ScopedTempDir.h"
#include "support/SimulatorProcess.h"

namespace quillmarch::test {
namespace {

class LiveRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sim.Started()) << m_sim.StartError();
        m_app.m_helpFilePath = m_dir.Path().string() + "/Quillmarch.hlp";
        m_app.m_lockFolder = m_dir.Str("locks");  // not the user's cache
        m_app.m_payloads.SetFolder(QUILLMARCH_PAYLOAD_DIR);
        m_app.BuildCatalogue();
        m_app.RecordImagePresence();
        ASSERT_TRUE(m_app.CreateLink(false));
        m_app.Job().target.address = m_sim.Address();
        m_app.Job().target.password = m_sim.Password();
        m_app.Job().options.quiet = true;
    }

    std::vector<std::string> UploadedNames() const {
        std::vector<std::string> names;
        for (const auto& upload : m_sim.Events("upload")) names.push_back(upload["name"]);
        return names;
    }

    SimulatorProcess m_sim{SSimOptions{}};
    ScopedTempDir m_dir;
    RealClock m_clock{0.005};  // 20 s pauses take 0.1 s
    RecordingMessageBox m_box;
    RunContext m_app{m_clock, m_box};
};

TEST_F(LiveRunTest, FlashEraseRestoresRetainedFilesByteForByteWithoutSampleSites) {
    const std::string friends = m_sim.ReadFile("friends.abk");
    const std::string speeds = m_sim.ReadFile("speeds.choice");
    ASSERT_FALSE(friends.empty());
    ASSERT_FALSE(m_sim.ReadFile("samples.abk").empty());
    m_app.Job().tasks.updateSoftware = false;
    m_app.Job().tasks.eraseFlash = true;
    m_app.Job().retain.sampleSites = false;

    EXPECT_TRUE(UpdateRun(m_app).RunUpdate(0));

    ASSERT_EQ(m_sim.Events("erase").size(), 1u);
    EXPECT_EQ(m_sim.ReadFile("friends.abk"), friends);
    EXPECT_EQ(m_sim.ReadFile("speeds.choice"), speeds);
    const auto names = UploadedNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "office.abk"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "samples.abk"), names.end());
    EXPECT_EQ(m_sim.ReadFile("samples.abk"), "");
    // Choice files the system never had are not invented by the restore.
    EXPECT_EQ(std::find(names.begin(), names.end(), "prilinesig.choice"), names.end());
}

TEST_F(LiveRunTest, SettingsOnlyRunProvisionsTheSystemAtItsRestart) {
    m_app.Job().tasks.updateSoftware = false;
    m_app.Job().tasks.changeSettings = true;
    m_app.Job().display.changeDisplay = true;
    m_app.Job().display.aspect16x9 = true;

    EXPECT_TRUE(UpdateRun(m_app).RunUpdate(0));

    ASSERT_TRUE(m_sim.WaitForEvent("provisioned", "", std::chrono::seconds(10)));
    EXPECT_EQ(m_sim.ReadFile("monitor1display.dat"), "16:9");
}

}  // namespace
}  // namespace quillmarch::test
