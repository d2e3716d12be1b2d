// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Data safety through the real link against a hostile simulator: names that climb out of the
// work folder, a file without end, a file dripped a byte at a time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/job/RunContext.h"
#include "core/link/FtpSession.h"
#include "core/run/UpdateRun.h"
#include "core/util/RealClock.h"
#include "support/RecordingMessageBox.h"
#include "support/ScopedTempDir.h"
#include "support/SimulatorProcess.h"

namespace quillmarch::test {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kHostileNames = {"../escape.abk",     "../../escape2.dat",
                                                "/tmp/absolute.abk", "sub\\back.abk",
                                                "C:drive.dat",       "esc\x1b]0;x\x07.abk"};

SSimOptions Hostile(std::vector<std::string> faults) {
    SSimOptions options;
    options.faults = std::move(faults);
    return options;
}

class LiveSafetyTest : public ::testing::Test {
protected:
    void Start(SSimOptions options) {
        m_sim = std::make_unique<SimulatorProcess>(std::move(options));
        ASSERT_TRUE(m_sim->Started()) << m_sim->StartError();
        m_app.m_helpFilePath = m_dir.Str("Quillmarch.hlp");
        m_app.m_lockFolder = m_dir.Str("locks");
        m_app.m_payloads.SetFolder(QUILLMARCH_PAYLOAD_DIR);
        m_app.BuildCatalogue();
        m_app.RecordImagePresence();
        ASSERT_TRUE(m_app.CreateLink(false));
        m_app.Job().target.address = m_sim->Address();
        m_app.Job().target.password = m_sim->Password();
        m_app.Job().options.quiet = true;
        m_app.Job().tasks.updateSoftware = false;
        m_app.Job().tasks.eraseFlash = true;
        std::string error;
        ASSERT_TRUE(m_app.m_log.Open(m_dir.Str("run.log"), error)) << error;
    }
    std::map<std::string, std::string> Files(const std::vector<std::string>& names) const {
        std::map<std::string, std::string> files;
        for (const auto& name : names) files[name] = m_sim->ReadFile(name);
        return files;
    }
    std::vector<std::string> Downloaded() const {
        std::vector<std::string> names;
        for (const auto& event : m_sim->Events("download")) names.push_back(event["name"]);
        return names;
    }
    std::string Log() {
        m_app.m_log.Close();
        return ReadFile(m_dir.Path() / "run.log");
    }
    bool WorkFoldersLeft() const {
        for (const auto& entry : fs::directory_iterator(m_dir.Path()))
            if (entry.path().filename().string().rfind("127_0_0_1_", 0) == 0) return true;
        return false;
    }

    const std::vector<std::string> m_kept = {"friends.abk", "office.abk",   "speeds.choice",
                                             "sysname.dat", "localcdr.csv", "mylogo.png"};
    std::unique_ptr<SimulatorProcess> m_sim;
    ScopedTempDir m_dir;
    RealClock m_clock{0.005};
    RecordingMessageBox m_box;
    RunContext m_app{m_clock, m_box};
};

TEST_F(LiveSafetyTest, NamesThatClimbOutAreNeverFetchedAndTheEraseRestoresTheRest) {
    std::vector<std::string> faults;
    for (const auto& name : kHostileNames) faults.push_back("list-name:" + name);
    Start(Hostile(faults));
    const auto before = Files(m_kept);

    EXPECT_TRUE(UpdateRun(m_app).RunUpdate(0));

    ASSERT_EQ(m_sim->Events("erase").size(), 1u);
    EXPECT_EQ(Files(m_kept), before);  // every retained file is back, byte for byte
    const auto fetched = Downloaded();
    for (const auto& name : kHostileNames)
        EXPECT_EQ(std::count(fetched.begin(), fetched.end(), name), 0) << name;
    EXPECT_FALSE(fs::exists(m_dir.Path().parent_path() / "escape.abk"));
    EXPECT_FALSE(fs::exists("/tmp/absolute.abk"));
    EXPECT_FALSE(WorkFoldersLeft());
    const std::string log = Log();
    EXPECT_NE(log.find("Skipped a listed name that is not a plain file name: ../escape.abk"),
              std::string::npos);
    EXPECT_NE(log.find("plain file name: esc\\e]0;x\\x07.abk"), std::string::npos);
}

// A file without end fills the backup's byte budget, never the disk: no erase, and the system
// is back in normal mode at the end with all its files.
TEST_F(LiveSafetyTest, AFileWithoutEndStopsTheBackupBeforeTheErase) {
    Start(Hostile({"endless-file:friends.abk"}));
    const auto before = Files(m_kept);
    const auto started = std::chrono::steady_clock::now();

    EXPECT_FALSE(UpdateRun(m_app).RunUpdate(0));

    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
    EXPECT_TRUE(m_sim->Events("erase").empty());
    EXPECT_EQ(Files(m_kept), before);
    const auto restarts = m_sim->Events("restart");
    ASSERT_FALSE(restarts.empty());
    EXPECT_EQ(restarts.back()["to_mode"], "NORMAL");
    EXPECT_FALSE(WorkFoldersLeft());
    const std::string log = Log();
    EXPECT_NE(log.find("Backup failed: the files pass the limit of 256 MB at friends.abk"),
              std::string::npos);
    EXPECT_NE(log.find("#### DONE : failure"), std::string::npos);
}

// A file dripped just fast enough for the stall bound ends the backup at its own bound (300 s,
// scaled here to 3 s), before the erase; the system goes back to normal mode with its files.
TEST_F(LiveSafetyTest, ADrippedBackupFileEndsTheBackupBeforeTheErase) {
    Start(Hostile({"drip-file:friends.abk"}));
    m_app.SetTimeScale(0.01);
    const auto started = std::chrono::steady_clock::now();

    EXPECT_FALSE(UpdateRun(m_app).RunUpdate(0));

    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
    EXPECT_TRUE(m_sim->Events("erase").empty());
    const auto restarts = m_sim->Events("restart");
    ASSERT_FALSE(restarts.empty());
    EXPECT_EQ(restarts.back()["to_mode"], "NORMAL");
    const std::string log = Log();
    EXPECT_NE(log.find("Backup failed: the file friends.abk could not be fetched"),
              std::string::npos);
}

class LiveBoundTest : public LiveSafetyTest {};

// The overall bound ends a transfer that trickles just fast enough for the stall bound.
TEST_F(LiveBoundTest, ADrippedFileIsCutOffByTheOverallBound) {
    Start(Hostile({"drip-file:slow.abk"}));
    ASSERT_TRUE(m_app.m_link->LogonToSystem(m_sim->Address(), "admin", m_sim->Password()));
    EXPECT_EQ(m_app.m_link->Config("TransferTimeout=2"), "2");
    const std::string dir = m_app.m_link->GetWorkDirectory();
    const auto started = std::chrono::steady_clock::now();
    const auto fetch = m_app.m_link->FetchToFile("slow.abk", dir + "slow.abk", 1 << 20);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(fetch.outcome, DeviceLink::FetchKind::kTransferError);
    EXPECT_EQ(fetch.error, "transfer failed - " + std::to_string(ftpcode::kTimeout));
    EXPECT_GE(took, std::chrono::milliseconds(1900));
    EXPECT_LT(took, std::chrono::seconds(8));
    EXPECT_FALSE(fs::exists(dir + "slow.abk"));
}

TEST_F(LiveBoundTest, AnEndlessFileReadIntoMemoryIsCutOffAtItsLimit) {
    Start(Hostile({"endless-file:sysinfo.txt"}));
    ASSERT_TRUE(m_app.m_link->LogonToSystem(m_sim->Address(), "admin", m_sim->Password()));
    std::string text;
    EXPECT_FALSE(m_app.m_link->DownloadToString("sysinfo.txt", text));
    EXPECT_TRUE(text.empty());
    EXPECT_NE(Log().find("FTP: File too large - sysinfo.txt (more than 65536 bytes)"),
              std::string::npos);
}

}  // namespace
}  // namespace quillmarch::test
