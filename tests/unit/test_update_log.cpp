// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <csignal>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "core/job/CommandLine.h"
#include "core/job/RunContext.h"
#include "core/log/UpdateLog.h"
#include "support/FakeClock.h"
#include "support/RecordingMessageBox.h"
#include "support/ScopedTempDir.h"

namespace quillmarch {
namespace {

namespace fs = std::filesystem;
using test::FakeClock;
using test::ReadFile;
using test::RecordingMessageBox;
using test::ScopedTempDir;
using test::WriteFile;

const std::string kStars = "*******************************";

// An application whose log writes a fixed stamp and falls back inside the test's folder.
class UpdateLogTest : public ::testing::Test {
protected:
    UpdateLogTest() : m_app(m_clock, m_box) {
        m_app.BuildCatalogue();
        m_app.m_log.SetStampSource([] { return std::string("T"); });
        m_app.m_log.SetTempDirectory(m_dir.Str("temp"));
    }

    // One update run's worth of log: start, one record, close.
    void RunOnce(const std::string& path, const std::string& record) {
        m_app.StartLog(path);
        m_app.WriteLog(record, 0);
        m_app.CloseLog();
    }

    std::string DumpRecord() const { return "T : " + CommandLine::OptionDump(m_app) + "\n"; }

    ScopedTempDir m_dir;
    FakeClock m_clock;
    RecordingMessageBox m_box;
    RunContext m_app;
};

TEST_F(UpdateLogTest, StartWritesCommandLineAndDumpAndCloseWritesFinish) {
    m_app.Job().options.commandLine = " -q 10.1.2.3";
    m_app.Job().target.address = "10.1.2.3";
    const std::string path = m_dir.Str("a.log");
    RunOnce(path, "step");
    EXPECT_EQ(ReadFile(path), "T : Command Line:  -q 10.1.2.3\n" + DumpRecord() +
                                  "T : step\n"
                                  "T : " +
                                  kStars + "Finish Update" + kStars + "\n");
    EXPECT_EQ(m_app.m_logPath, path);
}

TEST_F(UpdateLogTest, EmptyCommandLineWritesNoCommandLineRecord) {
    const std::string path = m_dir.Str("a.log");
    m_app.StartLog(path);
    EXPECT_EQ(ReadFile(path), DumpRecord());
}

TEST_F(UpdateLogTest, EmptyPathReopensTheLastLogPath) {
    m_app.m_logPath = m_dir.Str("kept.log");
    m_app.StartLog("");
    EXPECT_TRUE(fs::exists(m_dir.Path() / "kept.log"));
    EXPECT_EQ(m_app.m_logPath, m_dir.Str("kept.log"));
}

// Every run keeps the one before it: the newest log and its predecessor always exist (the old
// program sent the third run's log to the temporary folder, and lost it there on the fourth).
TEST_F(UpdateLogTest, EachRunRotatesSoTheNewestTwoLogsAreAlwaysThere) {
    m_app.Job().options.commandLine = "-q h";
    const std::string path = m_dir.Str("a.log");
    const std::string backup = m_dir.Str("a_bak.log");

    RunOnce(path, "first");
    EXPECT_FALSE(fs::exists(backup));
    for (const char* run : {"second", "third", "fourth"}) {
        const std::string before = ReadFile(path);
        RunOnce(path, run);
        EXPECT_EQ(m_app.m_log.LastPath(), path) << run;
        EXPECT_EQ(ReadFile(backup), before) << run;
        EXPECT_EQ(ReadFile(path), "T : Command Line: -q h\n" + DumpRecord() + "T : " + run +
                                      "\nT : " + kStars + "Finish Update" + kStars + "\n");
    }
    EXPECT_FALSE(fs::exists(m_dir.Path() / "temp"));
}

TEST_F(UpdateLogTest, NameWithoutLogSuffixRotatesToBakSuffix) {
    const std::string path = m_dir.Str("run.txt");
    RunOnce(path, "first");
    RunOnce(path, "second");
    EXPECT_NE(ReadFile(m_dir.Path() / "run.txt_bak").find("T : first\n"), std::string::npos);
    EXPECT_NE(ReadFile(path).find("T : second\n"), std::string::npos);
}

// A folder that cannot be written sends the log to the same relative path under the temporary
// folder, first record the reason.
TEST_F(UpdateLogTest, UnwritableFolderFallsBackToTemporaryFolder) {
    WriteFile(m_dir.Path() / "plain", "x");
    m_app.Job().options.commandLine = "-q h";
    const std::string path = m_dir.Str("plain/a.log");
    ASSERT_TRUE(m_app.StartLog(path));
    const fs::path fallback = fs::path(m_dir.Str("temp")) / fs::path(path).relative_path();
    EXPECT_EQ(fs::path(m_app.m_log.OpenPath()), fallback);
    m_app.WriteLog("third", 0);
    m_app.CloseLog();
    EXPECT_EQ(ReadFile(m_dir.Path() / "plain"), "x");
    const std::string text = ReadFile(fallback);
    const std::string error = "T : Error opening log file : ";
    ASSERT_EQ(text.compare(0, error.size(), error), 0) << text;
    const auto firstEnd = text.find('\n');
    EXPECT_GT(firstEnd, error.size()) << "the reason follows the UI string";
    EXPECT_EQ(text.substr(firstEnd + 1), "T : Command Line: -q h\n" + DumpRecord() +
                                             "T : third\nT : " + kStars + "Finish Update" + kStars +
                                             "\n");
}

TEST_F(UpdateLogTest, SecondWriterOfTheSameLogIsRefusedAndChangesNothing) {
    const std::string path = m_dir.Str("a.log");
    RunOnce(path, "earlier");
    ASSERT_TRUE(m_app.StartLog(path));  // this run holds the log now
    m_app.WriteLog("mine", 0);
    const std::string mine = ReadFile(path);
    const std::string backup = ReadFile(m_dir.Path() / "a_bak.log");

    UpdateLog other;
    other.SetTempDirectory(m_dir.Str("temp"));
    std::string error;
    EXPECT_FALSE(other.Open(path, error));
    EXPECT_TRUE(other.Busy());
    EXPECT_NE(other.FailureReason().find("a.log.lock"), std::string::npos) << other.FailureReason();
    EXPECT_FALSE(other.IsOpen());
    EXPECT_EQ(ReadFile(path), mine);
    EXPECT_EQ(ReadFile(m_dir.Path() / "a_bak.log"), backup);
    EXPECT_FALSE(fs::exists(m_dir.Path() / "temp"));

    // Once the first run is over, the next one gets the log.
    m_app.CloseLog();
    m_app.m_log.Open(m_dir.Str("elsewhere.log"), error);
    EXPECT_TRUE(other.Open(path, error)) << other.FailureReason();
}

#ifndef _WIN32
// A file-size limit of 0 refuses every write as a full disk does (EFBIG once SIGXFSZ is ignored).
TEST_F(UpdateLogTest, FailedWritesAreReportedOnceAndTheLogGoesOn) {
    std::vector<std::string> told;
    m_app.SetConsole([&](const std::string& line) { told.push_back(line); });
    const std::string path = m_dir.Str("full.log");
    ASSERT_TRUE(m_app.StartLog(path));
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit none = saved;
    none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
    m_app.WriteLog("one", 0);
    m_app.WriteLog("two", 0);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(m_app.m_log.WriteFailed());
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].rfind("cannot write the log " + path + ": ", 0), 0u) << told[0];
    EXPECT_NE(told[0].find("the run goes on"), std::string::npos) << told[0];
    m_app.CloseLog();
}

// A device is never the log: /dev/full is refused, not replaced, and gets no lock beside it.
TEST_F(UpdateLogTest, DevicesAndPipesAreRefusedAndLeftAlone) {
    const std::string fifo = m_dir.Str("pipe.log");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {std::string("/dev/full"), std::string("/dev/null"), fifo}) {
        if (!fs::exists(path)) continue;
        // Older builds left a lock beside devices; only a new one counts here.
        const bool lockBefore = fs::exists(path + ".lock");
        UpdateLog log;
        std::string error;
        EXPECT_FALSE(log.Open(path, error)) << path;
        EXPECT_TRUE(log.Refused()) << path;
        EXPECT_FALSE(fs::is_regular_file(path)) << path;
        EXPECT_EQ(fs::exists(path + ".lock"), lockBefore) << path;
    }
}
#endif

TEST_F(UpdateLogTest, RecordsCarryLocalTimeStampAndOneLineFeed) {
    UpdateLog log;
    std::string error;
    const std::string path = m_dir.Str("stamp.log");
    ASSERT_TRUE(log.Open(path, error));
    EXPECT_TRUE(error.empty());
    log.Write("first line\r\n\twith a tab");
    log.Write("");
    log.Write("second");
    log.Close();
    const std::regex record(R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d : first line\r\n\twith a tab\n)"
                            R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d : second\n)");
    const std::string text = ReadFile(path);
    EXPECT_TRUE(std::regex_match(text, record)) << text;
}

TEST_F(UpdateLogTest, AdvancedRecordsFollowTheLogLevel) {
    const std::string path = m_dir.Str("level.log");
    m_app.StartLog(path);
    const std::string before = ReadFile(path);
    m_app.WriteLog("advanced", 1);
    m_app.WriteLog("", 0);
    EXPECT_EQ(ReadFile(path), before);

    m_app.Job().options.logLevel = 1;
    m_app.WriteLog("advanced", 1);
    m_app.WriteLog("", 1);
    EXPECT_EQ(ReadFile(path), before + "T : advanced\n");
}

TEST_F(UpdateLogTest, ClosedLogDropsRecordsAndCloseCreatesNothing) {
    m_app.m_logPath = m_dir.Str("never.log");
    m_app.WriteLog("dropped", 0);
    m_app.CloseLog();
    EXPECT_FALSE(m_app.m_log.IsOpen());
    EXPECT_TRUE(fs::is_empty(m_dir.Path()));
}

TEST_F(UpdateLogTest, MissingFoldersAreCreated) {
    const std::string path = m_dir.Str("x/y/z/deep.log");
    m_app.StartLog(path);
    EXPECT_TRUE(m_app.m_log.IsOpen());
    EXPECT_TRUE(fs::is_regular_file(path));
}

TEST_F(UpdateLogTest, NoLogAnywhereIsReportedWithTheReason) {
    // A folder on the path is a file, and so is the temporary folder.
    WriteFile(m_dir.Path() / "plain", "x");
    m_app.m_log.SetTempDirectory(m_dir.Str("plain"));
    EXPECT_FALSE(m_app.StartLog(m_dir.Str("plain/a.log")));
    EXPECT_FALSE(m_app.m_log.IsOpen());
    EXPECT_FALSE(m_app.m_log.Busy());
    EXPECT_NE(m_app.m_log.FailureReason().find("a.log.lock"), std::string::npos)
        << m_app.m_log.FailureReason();
    m_app.WriteLog("dropped", 0);
    m_app.CloseLog();
    EXPECT_EQ(ReadFile(m_dir.Path() / "plain"), "x");
    EXPECT_FALSE(fs::exists(m_dir.Path() / "temp"));
}

struct SBackupCase {
    const char* path;
    const char* backup;
};

TEST(UpdateLogBackupName, ReplacesEveryLogSuffix) {
    const SBackupCase cases[] = {{"a.log", "a_bak.log"},
                                 {"dir/10_1_2_3.log", "dir/10_1_2_3_bak.log"},
                                 {"x.log.log", "x_bak.log_bak.log"},
                                 {"my.logs/a.log", "my.logs/a_bak.log"},
                                 {"fleet.logs\\x.log", "fleet.logs\\x_bak.log"},
                                 {"noext", "noext"},
                                 {"", ""}};
    for (const auto& c : cases) EXPECT_EQ(UpdateLog::BackupName(c.path), c.backup) << c.path;
}

}  // namespace
}  // namespace quillmarch
