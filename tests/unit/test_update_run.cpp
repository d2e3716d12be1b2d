// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "core/provisioning/ProvisioningWriter.h"
#include "core/run/UpdateRun.h"
#include "support/FakeAppFixture.h"
#include "support/FakeSystemWiring.h"

namespace quillmarch::test {
namespace {

using std::chrono::milliseconds;

struct CountCase {
    bool settings, software, image, erase, retainAny, lan, display, securityChange;
    int expected;
};

// Readable case names in test output, e.g. "settings+software+image -> 5".
void PrintTo(const CountCase& c, std::ostream* out) {
    *out << (c.settings ? "settings " : "") << (c.software ? "software " : "")
         << (c.image ? "image " : "") << (c.erase ? "erase " : "") << (c.retainAny ? "retain " : "")
         << (c.lan ? "lan " : "") << (c.display ? "display " : "")
         << (c.securityChange ? "security " : "") << "-> " << c.expected;
}

class CountTasksTest : public FakeAppFixture, public ::testing::WithParamInterface<CountCase> {};

TEST_P(CountTasksTest, CountsTheTasksTheRunAnnounces) {
    const CountCase& c = GetParam();
    RunContext& app = *m_app;
    app.Job().tasks.changeSettings = c.settings;
    app.Job().tasks.updateSoftware = c.software;
    app.Job().tasks.uploadImage = c.image;
    app.Job().tasks.eraseFlash = c.erase;
    app.Job().retain.directory = app.Job().retain.systemSettings = app.Job().retain.sampleSites =
        false;
    app.Job().retain.callDetail = c.retainAny;
    app.Job().lan.changeLan = c.lan;
    app.Job().display.changeDisplay = c.display;
    app.Job().security.secureModeWanted = c.securityChange;
    app.Job().security.secureModeCurrent = false;
    EXPECT_EQ(UpdateRun(app).CountTasks(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Tasks, CountTasksTest,
                         ::testing::Values(
                             // settings, software, image, erase, retained, lan, display, security
                             // -> count; an image is verified by default, one task more
                             CountCase{false, false, false, false, false, false, false, false, 0},
                             CountCase{true, false, false, false, false, false, false, false, 1},
                             CountCase{false, true, true, false, true, false, false, false, 5},
                             CountCase{true, true, true, false, true, false, false, false, 6},
                             CountCase{false, true, false, false, false, false, false, false, 0},
                             CountCase{false, true, true, true, false, false, false, false,
                                       4},  // software wins
                             CountCase{false, false, false, true, false, false, false, false, 2},
                             CountCase{true, false, false, true, false, true, false, false, 5},
                             CountCase{false, false, false, true, false, false, true, false, 4},
                             CountCase{false, false, false, true, false, false, false, true, 4},
                             CountCase{false, false, false, true, true, false, false, false, 4}));

class UpdateRunTest : public FakeAppFixture {
protected:
    void SetUp() override {
        FakeAppFixture::SetUp();
        StartLog();
        m_app->Job().tasks.updateSoftware = false;
    }
    bool Run() { return UpdateRun(*m_app).RunUpdate(0); }
    std::vector<std::string> Commands() const { return m_system.commands; }
};

TEST_F(UpdateRunTest, NoTaskStillRestartsAndSucceeds) {
    UseWindow();
    EXPECT_TRUE(Run());
    std::vector<ProgressEvent> runs;
    for (const auto& event : m_window->sent) {
        if (event.call == ProgressCall::RunStarted || event.call == ProgressCall::RunEnded)
            runs.push_back(event);
    }
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].call, ProgressCall::RunStarted);
    EXPECT_EQ(runs[0].value, 1);  // at least one task is announced
    EXPECT_EQ(runs[1].call, ProgressCall::RunEnded);
    EXPECT_TRUE(m_window->Sent(ProgressCall::TaskStarted).empty());
    EXPECT_EQ(m_system.UploadNames(), std::vector<std::string>{});
    EXPECT_EQ(m_system.CountCommand("BOOT"), 1);
    EXPECT_TRUE(Logged("#### DONE : success"));
    EXPECT_FALSE(m_app->m_link->IsLoggedOn());
    EXPECT_FALSE(m_app->m_log.IsOpen());
}

TEST_F(UpdateRunTest, SettingsOnlySendsTheProvisioningFilesThenBoot) {
    UseWindow();
    m_app->Job().tasks.changeSettings = true;
    m_app->Job().lan.changeLan = true;
    m_app->Job().lan.dhcpWanted = true;
    m_app->Job().lan.dhcpCurrent = false;
    EXPECT_TRUE(Run());
    const auto starts = m_window->Sent(ProgressCall::TaskStarted);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].text, "Change System Settings");
    EXPECT_EQ(m_system.UploadNames(),
              (std::vector<std::string>{"quillmarchprovision.dat", "provisionurl.dat",
                                        "doprovision.dat"}));
    EXPECT_EQ(m_system.files["quillmarchprovision.dat"], "dhcp_flg,Client\n");
    EXPECT_EQ(m_system.files["provisionurl.dat"], "quillmarchprovision.dat");
    EXPECT_EQ(m_system.files["doprovision.dat"], "True");
    EXPECT_EQ(Commands().back(), "BOOT");
}

// The erase runs only without a software update: a job with both would send the image and
// skip the erase, so it is refused before anything reaches the system.
TEST_F(UpdateRunTest, EraseWithUpdateIsRefusedBeforeAnythingIsSent) {
    UseWindow();
    m_app->Job().tasks.updateSoftware = true;
    m_app->Job().tasks.eraseFlash = true;
    EXPECT_FALSE(Run());
    EXPECT_TRUE(Commands().empty());
    EXPECT_TRUE(m_system.UploadNames().empty());
    EXPECT_TRUE(
        Logged("Erasing the flash memory and updating the software cannot be done in "
               "one run. Nothing was sent to the system."));
    EXPECT_TRUE(Logged("#### DONE : failure"));
}

TEST_F(UpdateRunTest, ARefusedSettingsFileStopsTheChainAndFailsTheRun) {
    // Each refused file: the files after it are never sent (an older settings file on the
    // system must not be pointed at or applied), and the run says it failed.
    const std::vector<std::string> chain{"quillmarchprovision.dat", "provisionurl.dat",
                                         "doprovision.dat"};
    for (std::size_t refused = 0; refused < chain.size(); ++refused) {
        SCOPED_TRACE(chain[refused]);
        m_system.uploads.clear();
        m_system.commands.clear();
        m_system.failingUploads = {chain[refused]};
        m_app->Job().tasks.changeSettings = true;
        m_app->Job().lan.changeLan = true;
        m_app->Job().lan.dhcpWanted = true;
        m_app->Job().lan.dhcpCurrent = false;
        StartLog();
        EXPECT_FALSE(Run());
        const std::vector<std::string> sent(chain.begin(), chain.begin() + refused);
        EXPECT_EQ(m_system.UploadNames(), sent);
        EXPECT_TRUE(Logged("The system refused a settings file: its settings are not changed"));
        EXPECT_TRUE(Logged("#### DONE : failure"));
    }
}

TEST_F(UpdateRunTest, ARefusedRecordOrSettingsFileStopsTheUpdateBeforeUpdateMode) {
    const char* const refusedFiles[] = {"BackupFiles.swt", "quillmarchprovision.dat"};
    for (const char* refused : refusedFiles) {
        SCOPED_TRACE(refused);
        m_system.uploads.clear();
        m_system.commands.clear();
        m_system.failingUploads = {refused};
        m_app->Job().tasks.updateSoftware = true;
        m_app->Job().retain.directory = true;
        ProvisioningWriter(m_app->Job()).AddSetting("securemode", "False");
        StartLog();
        EXPECT_FALSE(Run());
        EXPECT_EQ(m_system.CountCommand("SWUS"), 0);
        const auto names = m_system.UploadNames();
        EXPECT_EQ(std::find(names.begin(), names.end(), "BRAMBLE"), names.end());
        EXPECT_TRUE(Logged("#### DONE : failure"));
    }
}

TEST_F(UpdateRunTest, ConnectionFailureEndsAtOnceWithoutRunMessage) {
    UseWindow();
    m_system.logonCodes = {301};
    EXPECT_FALSE(Run());
    EXPECT_TRUE(m_window->Sent(ProgressCall::RunStarted).empty());
    EXPECT_TRUE(m_window->Sent(ProgressCall::RunEnded).empty());
    EXPECT_TRUE(Logged("Cannot connect to system"));
    EXPECT_TRUE(Logged("#### DONE : failure"));
    EXPECT_FALSE(m_app->m_log.IsOpen());
}

TEST_F(UpdateRunTest, SectionImageModelIsUpdated) {
    m_app->Job().tasks.updateSoftware = true;
    m_system.files["systemsoftwareversion.dat"] = kSampleVersion;  // what the check reads
    EXPECT_TRUE(Run());
    EXPECT_EQ(m_app->Job().target.systemType, 9);
    const auto names = m_system.UploadNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "BackupFiles.swt"), names.end());
    EXPECT_EQ(names.back(), "BRAMBLE");
    EXPECT_EQ(m_system.CountCommand("SWUS"), 1);
    EXPECT_EQ(m_system.CountCommand("crc 0x36EF779E"), 1);
    EXPECT_TRUE(Logged("#### DONE : success"));
}

TEST_F(UpdateRunTest, IsdnVariantSkipsRetainRecordAndSwitch) {
    m_app->Job().tasks.updateSoftware = true;
    m_app->Job().tasks.isdnUpdate = true;
    EXPECT_TRUE(Run());
    EXPECT_EQ(m_system.UploadNames(), std::vector<std::string>{"IMAGE1"});
    EXPECT_EQ(m_system.CountCommand("SWUS"), 0);
}

// The dummy file completes an image the system took; sent alone it would restart the system
// with nothing new while the run claimed an update.
TEST_F(UpdateRunTest, OlderGroupWithoutAnImageSentFailsAndSendsNoDummy) {
    struct Case {
        const char* what;
        bool refused;  // the system refuses IMAGE1
        bool carried;  // the catalogue row has an image
    };
    const Case cases[] = {{"image refused", true, true}, {"row without image", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_system.commands.clear();
        m_system.uploads.clear();
        m_system.normalMode = true;
        m_system.failingUploads.clear();
        if (c.refused) m_system.failingUploads = {"IMAGE1"};
        m_app->Job().tasks.updateSoftware = true;
        m_system.modelText = "KDV 14 9.0";  // row 5, older group
        m_app->RecordImagePresence();
        if (!c.carried) m_app->m_imagePresent[5] = false;
        StartLog();
        m_records.clear();
        EXPECT_FALSE(Run());
        EXPECT_TRUE(Logged("#### DONE : failure"));
        const auto names = m_system.UploadNames();
        EXPECT_EQ(std::count(names.begin(), names.end(), "IMAGE0"), 0);
        EXPECT_EQ(std::find(m_clock.waits.begin(), m_clock.waits.end(), milliseconds(15000)),
                  m_clock.waits.end());
    }
    EXPECT_TRUE(Logged("Put Image Failure"));
}

TEST_F(UpdateRunTest, UnknownModelFailsWithoutImage) {
    m_app->Job().tasks.updateSoftware = true;
    m_system.modelText = "unknown box";  // no match string occurs in it
    m_system.files["model.dat"] = "unknown box";
    EXPECT_FALSE(Run());
    EXPECT_TRUE(Logged("Could not update system, do not know what type of system it is!"));
    const auto names = m_system.UploadNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), "BRAMBLE"), 0);
}

TEST_F(UpdateRunTest, CancelDuringImageUploadFailsWithOneCancelRecord) {
    UseWindow();
    m_app->Job().tasks.updateSoftware = true;
    m_window->cancelFromSend = 7;  // the update-mode pause's first report (the fake is quick)
    EXPECT_FALSE(Run());
    EXPECT_EQ(CountLogged("Got IDCANCEL from Progress Dlg"), 1);
    EXPECT_TRUE(Logged("#### DONE : failure"));
    const auto names = m_system.UploadNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), "BRAMBLE"), 0);
    // The system was sent back to normal mode.
    EXPECT_EQ(m_system.CountCommand("RSWU"), 1);
}

class FlashEraseTest : public UpdateRunTest {
protected:
    void SetUp() override {
        UpdateRunTest::SetUp();
        m_app->Job().tasks.eraseFlash = true;
        m_system.files["friends.abk"] = "<entry>friend</entry>\n";
        m_system.files["samples.abk"] = "<entry/>\n<Category category=\"Tessary_Test\"/>\n";
        m_system.files["speeds.choice"] = "384";
        m_system.files["sysname.dat"] = "Room";
        m_system.files["localcdr.csv"] = "call,1";
    }
};

TEST_F(FlashEraseTest, BacksUpErasesAndRestoresWithoutSampleSites) {
    UseWindow();
    m_app->Job().retain.sampleSites = false;
    EXPECT_TRUE(Run());
    std::vector<std::string> tasks;
    for (const auto& start : m_window->Sent(ProgressCall::TaskStarted))
        tasks.push_back(start.text.value_or(""));
    EXPECT_EQ(tasks, (std::vector<std::string>{"Update Mode", "Backup files",
                                               "Erase System Flash Memory", "Restore files"}));
    EXPECT_EQ(m_system.CountCommand("ERFL"), 1);
    EXPECT_EQ(m_system.files["friends.abk"], "<entry>friend</entry>\n");
    EXPECT_EQ(m_system.files["speeds.choice"], "384");
    EXPECT_EQ(m_system.files["localcdr.csv"], "call,1");
    EXPECT_EQ(m_system.files.count("samples.abk"), 0u);
    EXPECT_EQ(Commands().back(), "BOOT");
}

struct DroppedRestoreCase {
    int drops;  // of the upload of friends.abk in the restore
    bool restored;
};

class DroppedRestoreTest : public FlashEraseTest,
                           public ::testing::WithParamInterface<DroppedRestoreCase> {};

TEST_P(DroppedRestoreTest, ReconnectsAndLeavesNoCutOffCopyBehind) {
    const DroppedRestoreCase c = GetParam();
    m_app->Job().retain.sampleSites = false;
    m_system.droppedUploads = {{"friends.abk", c.drops}};
    EXPECT_EQ(Run(), c.restored);
    EXPECT_EQ(m_system.CountCommand("ERFL"), 1);
    EXPECT_EQ(m_system.files["speeds.choice"], "384");  // the other files went back
    EXPECT_EQ(m_system.files["localcdr.csv"], "call,1");
    if (c.restored) {
        EXPECT_EQ(m_system.files["friends.abk"], "<entry>friend</entry>\n");
    } else {
        EXPECT_EQ(m_system.files.count("friends.abk"), 0u);  // no half file passes for it
        EXPECT_TRUE(Logged("Removed the cut-off copy of friends.abk from the system"));
        EXPECT_TRUE(Logged("File not restored: friends.abk"));
    }
    EXPECT_EQ(Commands().back(), "BOOT");
}

INSTANTIATE_TEST_SUITE_P(Drops, DroppedRestoreTest,
                         ::testing::Values(DroppedRestoreCase{1, true}, DroppedRestoreCase{2, true},
                                           DroppedRestoreCase{5, false}));

struct RefusedReturnCase {
    const char* what;
    const char* refused;
    bool stopDuringErase;  // else the backup fails and the erase is refused
    const char* logged;
};

void PrintTo(const RefusedReturnCase& c, std::ostream* out) {
    *out << c.what;
}

class RefusedReturnTest : public FlashEraseTest,
                          public ::testing::WithParamInterface<RefusedReturnCase> {};

// Commands that bring the system back to normal mode are checked: a refusal is said in the log,
// since the system may be left in update mode.
TEST_P(RefusedReturnTest, IsLoggedAndTheRunFails) {
    const RefusedReturnCase& c = GetParam();
    m_system.failingCommands = {c.refused};
    if (c.stopDuringErase) {
        m_system.onCommand = [this](const std::string& command) {
            if (command == "ERFL") m_app->Interrupt().Request(2);
        };
    } else {
        m_system.failingDownloads = {"friends.abk"};
    }
    EXPECT_FALSE(Run());
    m_system.onCommand = nullptr;
    EXPECT_EQ(m_system.CountCommand("ERFL"), c.stopDuringErase ? 1 : 0);
    EXPECT_EQ(m_system.CountCommand(c.refused), 1);
    EXPECT_TRUE(Logged(c.logged));
    EXPECT_TRUE(Logged("#### DONE : failure"));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, RefusedReturnTest,
    ::testing::Values(
        RefusedReturnCase{"stop during the erase, BOOT refused", "BOOT", true,
                          "The system refused RSWU or BOOT; it may still be in update mode"},
        RefusedReturnCase{"backup incomplete, RSWU refused", "RSWU", false,
                          "The system did not accept the withdrawal of update mode (RSWU); it may "
                          "restart in update mode"}));

// A cancel while the system restarts into update mode is a stop: no erase, no settings sent
// after it, and the system is sent back to normal mode rather than left waiting for an image.
TEST_F(FlashEraseTest, CancelDuringSwitchSkipsEraseAndSendsTheSystemBack) {
    UseWindow();
    m_app->Job().tasks.changeSettings = true;
    m_app->Job().lan.changeLan = true;
    m_app->Job().lan.dhcpWanted = false;
    m_app->Job().lan.ipAddress = "10.9.9.9";
    m_window->cancelFromSend = 8;
    EXPECT_FALSE(Run());
    EXPECT_TRUE(Logged("Got IDCANCEL from Progress Dlg"));
    EXPECT_EQ(m_system.CountCommand("ERFL"), 0);
    EXPECT_EQ(m_system.files.count("friends.abk"), 1u);
    EXPECT_FALSE(m_system.files.count("quillmarchprovision.dat"));
    const auto commands = Commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(commands.end() - 2, commands.end()),
              (std::vector<std::string>{"RSWU", "BOOT"}));
    EXPECT_TRUE(Logged("System left in normal mode: it restarts with the software it had"));
    EXPECT_TRUE(Logged("#### DONE : failure"));
}

}  // namespace
}  // namespace quillmarch::test
