// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/provisioning/ProvisioningWriter.h"
#include "core/run/RetainBackup.h"
#include "support/FakeAppFixture.h"

namespace quillmarch::test {
namespace {

namespace fs = std::filesystem;

class RetainBackupTest : public FakeAppFixture {
protected:
    void SetUp() override {
        FakeAppFixture::SetUp();
        m_app->m_updateRunning = true;
        ASSERT_TRUE(m_app->m_link->LogonToSystem("127.0.0.1", "admin", "secret"));
    }
    void Retain(bool directory, bool settings, bool samples, bool cdr) {
        m_app->Job().retain.directory = directory;
        m_app->Job().retain.systemSettings = settings;
        m_app->Job().retain.sampleSites = samples;
        m_app->Job().retain.callDetail = cdr;
    }
};

TEST(RetainMask, SubtractsTheBitOfEveryRetainedKind) {
    struct Case {
        bool directory, settings, samples, cdr, user;
        int mask;
    };
    const Case cases[] = {{false, false, false, false, false, 79},
                          {true, true, true, true, true, 0},
                          {true, true, false, false, true, 12},
                          {false, false, false, true, false, 71},
                          {false, false, true, false, false, 75}};
    for (const auto& c : cases) {
        EXPECT_EQ(RetainBackup::RetainMask(c.directory, c.settings, c.samples, c.cdr, c.user),
                  c.mask);
    }
}

TEST_F(RetainBackupTest, NothingRetainedShowsNoTaskAndWrites079) {
    UseWindow();
    m_app->m_progressWnd = m_window;
    Retain(false, false, false, false);
    EXPECT_TRUE(RetainBackup(*m_app).WriteRetainRecord());
    EXPECT_TRUE(m_window->sent.empty());
    EXPECT_EQ(m_system.files["BackupFiles.swt"], "079");
}

TEST_F(RetainBackupTest, TaskTextListsKindsAndUserConfiguration) {
    m_app->m_progressWnd = m_window;
    Retain(true, true, false, false);
    ProvisioningWriter(m_app->Job()).AddSetting("dhcp_flg", "Client");
    EXPECT_TRUE(RetainBackup(*m_app).WriteRetainRecord());
    const auto starts = m_window->Sent(ProgressCall::TaskStarted);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].text, "Retaining : Address Book files,System files,User configuration");
    EXPECT_EQ(m_system.files["BackupFiles.swt"], "012");
    EXPECT_EQ(m_system.files["quillmarchprovision.dat"], "dhcp_flg,Client\n");
}

TEST_F(RetainBackupTest, IsdnVariantShowsTheTaskButWritesNoRecord) {
    m_app->m_progressWnd = m_window;
    m_app->Job().tasks.isdnUpdate = true;
    EXPECT_TRUE(RetainBackup(*m_app).WriteRetainRecord());
    EXPECT_EQ(m_window->Sent(ProgressCall::TaskStarted).size(), 1u);
    EXPECT_EQ(m_system.files.count("BackupFiles.swt"), 0u);
}

TEST_F(RetainBackupTest, CancelledWindowFailsTheRecordButNotWhenLoggedOff) {
    m_app->m_progressWnd = m_window;
    m_window->cancelFromSend = 1;
    EXPECT_FALSE(RetainBackup(*m_app).WriteRetainRecord());
    m_app->m_link->Disconnect();
    EXPECT_FALSE(RetainBackup(*m_app).WriteRetainRecord());
}

TEST_F(RetainBackupTest, BackupFetchesByKind) {
    m_system.files = {{"a.abk", "A"},        {"b.dat", "B"},      {"speeds.choice", "S"},
                      {"localcdr.csv", "C"}, {"mylogo.png", "P"}, {"other.txt", "O"}};
    Retain(false, false, false, true);  // only the call detail report
    EXPECT_TRUE(RetainBackup(*m_app).BackupFiles());
    EXPECT_EQ(m_system.downloads,
              (std::vector<std::string>{"localcdr.csv", "localcdr_archive.csv"}));

    m_system.downloads.clear();
    Retain(false, true, true, false);
    EXPECT_TRUE(RetainBackup(*m_app).BackupFiles());
    const auto& fetched = m_system.downloads;
    ASSERT_EQ(fetched.size(), RetainBackup::ChoiceFiles().size() + 2 + 2);
    EXPECT_EQ(fetched.front(), "selectsite.choice");
    EXPECT_EQ(fetched[62], "mylogo.png");
    EXPECT_EQ(fetched[63], "myoemlogo.png");
    EXPECT_EQ(std::vector<std::string>(fetched.end() - 2, fetched.end()),
              (std::vector<std::string>{"a.abk", "b.dat"}));
    EXPECT_TRUE(fs::exists(WorkDir() + "a.abk"));
    EXPECT_FALSE(fs::exists(WorkDir() + "myoemlogo.png"));  // missing on the system: skipped
}

TEST_F(RetainBackupTest, NamesInAnyCaseAreKeptAndTheOthersAreNamedInTheLog) {
    StartLog();
    m_system.files = {{"OFFICE2.ABK", "A"},
                      {"UserSetting.DAT", "U"},
                      {"Lobby.Abk", "L"},
                      {"room notes.txt", "R"}};
    Retain(true, true, false, false);
    ASSERT_TRUE(RetainBackup(*m_app).BackupFiles());
    const auto& fetched = m_system.downloads;
    for (const char* name : {"OFFICE2.ABK", "UserSetting.DAT", "Lobby.Abk"}) {
        EXPECT_NE(std::find(fetched.begin(), fetched.end(), name), fetched.end()) << name;
        EXPECT_TRUE(fs::exists(WorkDir() + name)) << name;
    }
    EXPECT_EQ(std::find(fetched.begin(), fetched.end(), "room notes.txt"), fetched.end());
    EXPECT_TRUE(Logged("Not kept, the erase removes it: room notes.txt"));
    EXPECT_FALSE(Logged("Not kept, the erase removes it: OFFICE2.ABK"));
    EXPECT_TRUE(Logged("1 file(s) on the system are not kept"));
}

TEST_F(RetainBackupTest, FailedListingStopsTheBackup) {
    m_system.listingFails = true;
    EXPECT_FALSE(RetainBackup(*m_app).BackupFiles());
    EXPECT_TRUE(m_system.downloads.empty());
}

TEST_F(RetainBackupTest, RestoreDropsMarkedAddressBooksOnlyWhenSampleSitesAreNotRetained) {
    m_system.files = {{"plain.abk", "<entry/>\n"},
                      {"marked.abk", "x\n  <CATEGORY category=\"TESSARY_TEST\"/>\n"}};
    Retain(true, false, true, false);
    RetainBackup backup(*m_app);
    ASSERT_TRUE(backup.BackupFiles());
    m_system.files.clear();
    EXPECT_TRUE(backup.RestoreFiles());
    EXPECT_EQ(m_system.files.size(), 2u);

    m_system.files.clear();
    m_app->Job().retain.sampleSites = false;
    EXPECT_TRUE(backup.RestoreFiles());
    EXPECT_EQ(m_system.files.count("marked.abk"), 0u);
    EXPECT_EQ(m_system.files["plain.abk"], "<entry/>\n");
}

}  // namespace
}  // namespace quillmarch::test
