// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/job/RunContext.h"
#include "core/platform/FileLock.h"
#include "core/util/RealClock.h"
#include "support/FakeClock.h"
#include "support/FakeLink.h"
#include "support/FakeSystem.h"
#include "support/RecordingMessageBox.h"
#include "support/ScopedTempDir.h"

namespace quillmarch {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::ScopedCurrentDir;
using test::ScopedTempDir;

// Start-up in a folder of its own, with the sample payloads and a fake link.
class AppStartupTest : public ::testing::Test {
protected:
    AppStartupTest() : m_cwd(m_dir.Path()), m_app(m_clock, m_box) {
        m_app.m_payloads.SetFolder(QUILLMARCH_PAYLOAD_DIR);
        m_app.m_log.SetStampSource([] { return std::string("T"); });
        m_app.m_log.SetTempDirectory(m_dir.Str("fallback"));
        m_app.SetLinkFactory([this](RunContext& app, bool secure) -> std::unique_ptr<DeviceLink> {
            ++m_linksMade;
            return std::make_unique<test::FakeLink>(app, m_system, secure);
        });
    }

    ScopedTempDir m_dir;
    ScopedCurrentDir m_cwd;
    test::FakeSystem m_system;
    test::FakeClock m_clock;
    test::RecordingMessageBox m_box;
    RunContext m_app;
    int m_linksMade = 0;
};

TEST_F(AppStartupTest, NoArgumentsBuildsEverythingButOpensNoLog) {
    EXPECT_EQ(m_app.Startup({}).state, StartupState::kNoArguments);
    EXPECT_EQ(m_app.Catalogue().GetSize(), ModelCatalogue::kRowCount);
    EXPECT_FALSE(m_app.ImagePresent(0));
    EXPECT_TRUE(m_app.ImagePresent(1));
    EXPECT_FALSE(m_app.ImagePresent(13));
    EXPECT_EQ(m_linksMade, 1);
    ASSERT_NE(m_app.m_link, nullptr);
    EXPECT_FALSE(m_app.m_log.IsOpen());
    EXPECT_TRUE(fs::is_empty(m_dir.Path()));
    EXPECT_TRUE(m_box.shown.empty());
}

// A second context reads the first one's model table: its start-up must not build that table
// again, and the images it finds follow the shared table.
TEST_F(AppStartupTest, SharedCatalogueIsReadNotBuiltAgain) {
    ASSERT_EQ(m_app.Startup({}).state, StartupState::kNoArguments);
    RunContext other(m_clock, m_box, m_app.SharedCatalogue());
    other.m_payloads.SetFolder(QUILLMARCH_PAYLOAD_DIR);
    other.SetLinkFactory([this](RunContext& app, bool secure) -> std::unique_ptr<DeviceLink> {
        return std::make_unique<test::FakeLink>(app, m_system, secure);
    });
    EXPECT_EQ(other.Startup({}).state, StartupState::kNoArguments);
    EXPECT_EQ(&other.Catalogue(), &m_app.Catalogue());
    EXPECT_EQ(m_app.Catalogue().GetSize(), ModelCatalogue::kRowCount);
    for (int row = 0; row < ModelCatalogue::kRowCount; ++row)
        EXPECT_EQ(other.ImagePresent(row), m_app.ImagePresent(row)) << "row " << row;
}

TEST_F(AppStartupTest, JobDefaultsAfterAnAddressArgument) {
    EXPECT_EQ(m_app.Startup({"10.1.2.3"}).state, StartupState::kReady);
    EXPECT_TRUE(m_app.Job().tasks.uploadImage);
    EXPECT_TRUE(m_app.Job().retain.directory);
    EXPECT_TRUE(m_app.Job().retain.systemSettings);
    EXPECT_TRUE(m_app.Job().retain.sampleSites);
    EXPECT_TRUE(m_app.Job().retain.callDetail);
    EXPECT_TRUE(m_app.Job().tasks.updateSoftware);
    EXPECT_EQ(m_app.Job().options.language, 0);
    EXPECT_EQ(m_app.Job().options.logLevel, 0);
    EXPECT_EQ(m_app.Job().target.systemType, ModelCatalogue::kUnknown);
    const std::string log = ReadFile(m_dir.Path() / "10_1_2_3.log");
    EXPECT_NE(log.find("\tSystem Type      = \r\n"), std::string::npos) << log;
}

// Without an address there is no system to name the log after: no ".log" is left behind (the
// wizard opens its log once it knows the system).
TEST_F(AppStartupTest, OnlyQuietOpensNoLog) {
    EXPECT_EQ(m_app.Startup({"-q"}).state, StartupState::kReady);
    EXPECT_TRUE(m_app.Job().target.address.empty());
    EXPECT_FALSE(m_app.m_log.IsOpen());
    EXPECT_FALSE(fs::exists(m_dir.Path() / ".log"));
    EXPECT_FALSE(fs::exists(m_dir.Path() / ".log.lock"));
}

TEST_F(AppStartupTest, QuietAddressLogsTheArgumentsAsGiven) {
    // The arguments come one by one, so the program's path plays no part any more.
    EXPECT_EQ(m_app.Startup({"-q", "10.1.2.3"}).state, StartupState::kReady);
    EXPECT_TRUE(m_app.Job().options.quiet);
    EXPECT_EQ(m_app.Job().target.address, "10.1.2.3");
    const std::string log = ReadFile(m_dir.Path() / "10_1_2_3.log");
    EXPECT_EQ(log.rfind("T : Command Line: -q 10.1.2.3\n", 0), 0u) << log;
}

// Refusals touch nothing: no log, no lock file, no link that could reach a system.
struct SRefusalCase {
    const char* name;
    std::vector<std::string> args;
    StartupState state;
};

TEST_F(AppStartupTest, RefusedStartsLeaveNoTrace) {
    test::WriteFile(m_dir.Path() / "file", "x");
    const std::string underFile = m_dir.Str("file/sub/run.log");
    const SRefusalCase cases[] = {
        {"unknown option", {"-q", "--dry-run", "10.1.2.3"}, StartupState::kBadCommandLine},
        {"second address", {"10.1.2.3", "10.9.9.9"}, StartupState::kBadCommandLine},
        {"no log anywhere", {"-q", "-f:" + underFile, "10.1.2.3"}, StartupState::kNoLog},
    };
    for (const auto& c : cases) {
        RunContext app(m_clock, m_box);
        // The fallback folder cannot be made either: it would have to live under a file.
        app.m_log.SetTempDirectory(m_dir.Str("file/temp"));
        int links = 0;
        app.SetLinkFactory([&](RunContext& a, bool secure) -> std::unique_ptr<DeviceLink> {
            ++links;
            return std::make_unique<test::FakeLink>(a, m_system, secure);
        });
        const StartupResult started = app.Startup(c.args);
        EXPECT_EQ(started.state, c.state) << c.name;
        EXPECT_FALSE(started.message.empty()) << c.name;
        EXPECT_EQ(links, 0) << c.name;
        EXPECT_FALSE(app.m_log.IsOpen()) << c.name;
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_dir.Path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"file"});
    EXPECT_EQ(m_system.logons, 0);
}

TEST_F(AppStartupTest, LogHeldByAnotherRunIsRefusedAndKept) {
    test::WriteFile(m_dir.Path() / "10_1_2_3.log", "the other run's log");
    platform::FileLock other;
    std::string error;
    ASSERT_TRUE(other.TryLock(m_dir.Str("10_1_2_3.log.lock"), error)) << error;
    const StartupResult started = m_app.Startup({"-q", "10.1.2.3"});
    EXPECT_EQ(started.state, StartupState::kLogBusy);
    EXPECT_NE(started.message.find("10_1_2_3.log.lock"), std::string::npos) << started.message;
    EXPECT_EQ(ReadFile(m_dir.Path() / "10_1_2_3.log"), "the other run's log");
    EXPECT_FALSE(fs::exists(m_dir.Path() / "10_1_2_3_bak.log"));
    EXPECT_EQ(m_linksMade, 0);
}

TEST_F(AppStartupTest, TimeScaleOtherThanOneIsAnnouncedAtTheTop) {
    std::vector<std::string> console;
    m_app.SetConsole([&](const std::string& line) { console.push_back(line); });
    m_app.SetTimeScale(0.01);
    ASSERT_EQ(m_app.Startup({"-q", "10.1.2.3"}).state, StartupState::kReady);
    const std::string warning =
        "Warning: QUILLMARCH_TIME_SCALE is 0.01: every fixed wait is scaled, so this run does "
        "not wait for a real system to restart";
    const std::string log = ReadFile(m_dir.Path() / "10_1_2_3.log");
    EXPECT_EQ(
        log.rfind("T : Command Line: -q 10.1.2.3\nT : " + warning + "\nT : Quillmarch\r\n", 0), 0u)
        << log;
    EXPECT_EQ(console, std::vector<std::string>{warning});
}

TEST_F(AppStartupTest, PassiveOptionReachesTheLink) {
    EXPECT_EQ(m_app.Startup({"-m", "10.1.2.3"}).state, StartupState::kReady);
    ASSERT_NE(m_app.m_link, nullptr);
    EXPECT_TRUE(m_app.m_link->GetPassive());
}

TEST_F(AppStartupTest, FailedLinkIsReportedAndStartupGoesOn) {
    m_app.SetLinkFactory([](RunContext&, bool) { return std::unique_ptr<DeviceLink>(); });
    EXPECT_EQ(m_app.Startup({"-q", "10.1.2.3"}).state, StartupState::kReady);
    EXPECT_EQ(m_app.m_link, nullptr);
    // A plain box, shown even in a quiet run.
    ASSERT_EQ(m_box.shown.size(), 1u);
    EXPECT_EQ(m_box.shown[0].text, "Failed to create FTP control. Please reboot and try again.");
}

TEST_F(AppStartupTest, QuietMessageGoesToTheLogAndAnswersOk) {
    ASSERT_EQ(m_app.Startup({"-q", "10.1.2.3"}).state, StartupState::kReady);
    m_box.answer = IDCANCEL;
    const std::string text =
        "Could not re-connect to system.\nPlease make sure system is operational.";
    EXPECT_EQ(m_app.ShowMessage(text, "Caption", MB_OKCANCEL), IDOK);
    EXPECT_TRUE(m_box.shown.empty());
    const std::string log = ReadFile(m_dir.Path() / "10_1_2_3.log");
    EXPECT_NE(log.find("T : MessageBox(" + text + ")\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("Caption"), std::string::npos);
}

TEST_F(AppStartupTest, NotQuietMessageIsShownWithDefaultCaption) {
    m_box.answer = IDNO;
    EXPECT_EQ(m_app.ShowMessage("Question?", "", MB_YESNO), IDNO);
    EXPECT_EQ(m_app.ShowMessage("Note", "Own caption", MB_OK), IDNO);
    ASSERT_EQ(m_box.shown.size(), 2u);
    EXPECT_EQ(m_box.shown[0].text, "Question?");
    EXPECT_EQ(m_box.shown[0].caption, "Quillmarch");
    EXPECT_EQ(m_box.shown[0].style, MB_YESNO);
    EXPECT_EQ(m_box.shown[1].caption, "Own caption");
}

struct SScaleCase {
    const char* text;
    double scale;
};

TEST(RealClockScale, OnlyPositiveFiniteNumbersCount) {
    const SScaleCase cases[] = {
        {"", 1.0},    {"0.01", 0.01}, {"2", 2.0},   {"1e-3", 0.001}, {"0", 1.0},     {"-2", 1.0},
        {"abc", 1.0}, {"2x", 1.0},    {"inf", 1.0}, {"nan", 1.0},    {"1e999", 1.0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(RealClock::ParseScale(c.text), c.scale) << c.text;
    EXPECT_DOUBLE_EQ(RealClock(0.0).Scale(), 1.0);
    EXPECT_DOUBLE_EQ(RealClock(-3.0).Scale(), 1.0);
    EXPECT_DOUBLE_EQ(RealClock(0.5).Scale(), 0.5);
}

}  // namespace
}  // namespace quillmarch
