// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The preflight/verify/report options on the command line, and the JSON report's own rules:
// failure codes from the engine's failures (never from log words), task outcomes, escaping, the
// atomic write.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/job/CommandLine.h"
#include "core/job/RunContext.h"
#include "core/run/FailureCode.h"
#include "core/run/RunReport.h"
#include "support/FakeClock.h"
#include "support/RecordingMessageBox.h"
#include "support/ScopedTempDir.h"

namespace quillmarch {
namespace {

using test::FakeClock;
using test::RecordingMessageBox;
using test::ScopedTempDir;

struct SOptionCase {
    std::vector<std::string> args;
    bool accepted;
    bool check;
    bool verify;
    int timeout;
    std::string report;
    std::string error;  // part of the error for a refused line
};

TEST(RunModeOptions, AreTakenOrRefusedWhole) {
    const SOptionCase cases[] = {
        {{"h", "--check"}, true, true, true, 900, "", ""},
        {{"--VERIFY", "h"}, true, false, true, 900, "", ""},
        {{"--verify-timeout", "60", "h"}, true, false, true, 60, "", ""},
        {{"--verify-timeout=120", "--verify", "h"}, true, false, true, 120, "", ""},
        {{"--report", "out.json", "h"}, true, false, true, 900, "out.json", ""},
        {{"--report=-", "h"}, true, false, true, 900, "-", ""},
        {{"h", "--report", "-"}, true, false, true, 900, "-", ""},
        // Verification is the default; --no-verify opts out, and never with a verify option.
        {{"h"}, true, false, true, 900, "", ""},
        {{"--No-Verify", "h"}, true, false, false, 900, "", ""},
        {{"--no-verify", "--verify", "h"}, false, false, false, 900, "", "cannot be given with"},
        {{"--verify", "--no-verify", "h"}, false, false, false, 900, "", "cannot be given with"},
        {{"--verify-timeout=60", "--no-verify", "h"},
         false,
         false,
         false,
         900,
         "",
         "cannot be given with"},
        {{"--no-verify", "--verify-timeout", "60", "h"},
         false,
         false,
         false,
         900,
         "",
         "cannot be given with"},
        {{"--no-verify", "--no-verify", "h"}, false, false, false, 900, "", "given twice"},
        {{"h", "--report"}, false, false, false, 900, "", "\"--report\" needs a value"},
        {{"--report", "-q", "h"}, false, false, false, 900, "", "needs a file name"},
        {{"--report=", "h"}, false, false, false, 900, "", "needs a file name"},
        {{"--verify-timeout", "0", "h"}, false, false, false, 900, "", "from 1 to 86400"},
        {{"--verify-timeout=abc", "h"}, false, false, false, 900, "", "from 1 to 86400"},
        {{"--verify-timeout", "86401", "h"}, false, false, false, 900, "", "from 1 to 86400"},
        {{"--check", "--check", "h"}, false, false, false, 900, "", "given twice"},
        {{"--report", "a", "--report", "b", "h"}, false, false, false, 900, "", "given twice"},
        {{"--verifyx", "h"}, false, false, false, 900, "", "unknown option \"--verifyx\""},
    };
    for (const SOptionCase& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        FakeClock clock;
        RecordingMessageBox box;
        RunContext app(clock, box);
        std::string error;
        const bool ok = CommandLine::Parse(app, c.args, error);
        ASSERT_EQ(ok, c.accepted) << error;
        if (!ok) {
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
            continue;
        }
        EXPECT_EQ(app.Job().target.address, "h");  // a value is never taken for the address
        EXPECT_EQ(app.Job().options.checkOnly, c.check);
        EXPECT_EQ(app.Job().options.verify, c.verify);
        EXPECT_EQ(app.Job().options.verifyTimeoutSeconds, c.timeout);
        EXPECT_EQ(app.Job().options.reportPath, c.report);
    }
}

TEST(RunReport, FirstFailureRecordNamesTheCauseAndFailsItsTask) {
    RunReport report("update", "1.2.3");
    report.OnTaskStart("Update Mode");
    report.OnLogRecord("FTP Quote SWUS > OK");
    report.OnTaskDone();
    report.OnTaskStart("Main Image");
    report.OnFailure(FailureCode::kUploadFailed, "Put Image Failure");
    report.OnFailure(FailureCode::kVerificationFailed,
                     "Verification failed: later records do not replace the cause");
    report.OnTaskDone();
    report.OnTaskStart("Waiting for Reboot");  // never done: the run stopped inside it
    report.Finish("failure", 1);

    const auto json = nlohmann::json::parse(report.ToJson());
    EXPECT_EQ(json["failure"]["code"], "upload_failed");
    EXPECT_EQ(json["failure"]["reason"], "Put Image Failure");
    ASSERT_EQ(json["tasks"].size(), 3u);
    EXPECT_EQ(json["tasks"][0]["outcome"], "done");
    EXPECT_EQ(json["tasks"][1]["outcome"], "failed");
    EXPECT_EQ(json["tasks"][2]["outcome"], "unfinished");
    EXPECT_EQ(json["exit_code"], 1);
    EXPECT_EQ(json["result"], "failure");
}

TEST(RunReport, ConnectFailureTakesItsReasonAndAWrongPasswordIsARefusedLogon) {
    const struct {
        const char* reason;
        bool logonRefused;
        const char* code;
    } cases[] = {{"Wrong password", true, "logon_refused"},
                 {"Connection refused: nothing listens", false, "connect_failed"}};
    for (const auto& c : cases) {
        RunReport report("update", "1");
        report.OnFailure(FailureCode::kConnectFailed, "Could not connect to system");
        report.OnConnectReason(c.reason, c.logonRefused);
        report.Finish("failure", 1);
        const auto json = nlohmann::json::parse(report.ToJson());
        EXPECT_EQ(json["failure"]["code"], c.code);
        EXPECT_EQ(json["failure"]["reason"],
                  std::string("Could not connect to system: ") + c.reason);
    }
}

// The code is the engine's, whatever the log says: records in the words that once named a
// failure name none, and a failure given without any words keeps its code.
TEST(RunReport, TheCodeComesWithTheFailureNotFromTheLogsWords) {
    const struct {
        const char* what;
        std::vector<std::string> records;
        FailureCode failure;  // kNone: the run gives none
        const char* record;   // the failure's own record
        const char* code;
    } cases[] = {
        {"former failure words alone",
         {"Put Image Failure", "Got IDCANCEL from Progress Dlg", "Could not connect to system",
          "Reason: Wrong password", "interrupted"},
         FailureCode::kNone,
         "",
         "failed"},
        {"a code without words", {}, FailureCode::kCancelled, "", "cancelled"},
        {"reworded record",
         {},
         FailureCode::kUploadFailed,
         "The image did not arrive",
         "upload_failed"},
        {"a reason with no connect failure before it",
         {"Reason: Wrong password"},
         FailureCode::kRestartRefused,
         "BOOT refused",
         "restart_refused"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RunReport report("update", "1");
        for (const std::string& record : c.records) report.OnLogRecord(record);
        if (c.failure != FailureCode::kNone) report.OnFailure(c.failure, c.record);
        report.OnConnectReason("Wrong password", true);  // refines only a connect failure
        report.Finish("failure", 1);
        const auto json = nlohmann::json::parse(report.ToJson());
        EXPECT_EQ(json["failure"]["code"], c.code);
        EXPECT_EQ(report.FailureCode(), c.code);
    }
}

TEST(RunReport, SystemTextCannotBreakTheDocument) {
    RunReport report("check", "1");
    SystemFacts facts;
    facts.known = true;
    facts.model = "KDV \"18\"\\";
    facts.mode = "NORMAL";
    facts.softwareVersion = std::string("9.0\n\x01\xff\xc3\xa9", 8);  // control, stray, é
    report.OnSystemFacts(false, facts);
    report.Finish("ready", 0);
    const auto json = nlohmann::json::parse(report.ToJson());  // throws on a broken document
    EXPECT_EQ(json["before"]["model"], "KDV \"18\"\\\\");      // ForLog shows the backslash
    const std::string version = json["before"]["software_version"];
    EXPECT_EQ(version.find('\n'), std::string::npos);
    EXPECT_NE(version.find("\xc3\xa9"), std::string::npos);  // valid UTF-8 stays
    EXPECT_TRUE(json["after"].is_null());
    EXPECT_TRUE(json["failure"].is_null());
}

TEST(RunReport, InterruptionOverridesTheCause) {
    RunReport report("update", "1");
    report.OnFailure(FailureCode::kUploadFailed, "Put Image Failure");
    report.Finish("interrupted", 130);
    const auto json = nlohmann::json::parse(report.ToJson());
    EXPECT_EQ(json["failure"]["code"], "interrupted");
}

TEST(RunReport, WrittenAtomicallyOverAnOlderReport) {
    ScopedTempDir dir;
    const std::string path = dir.Str("report.json");
    std::ofstream(path) << "old";
    std::string error;
    ASSERT_TRUE(RunReport::WriteAtomically(path, "{\"new\": 1}\n", error)) << error;
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "{\"new\": 1}\n");
    // Nothing but the report is left in the folder: the temporary file went in the rename.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
    EXPECT_FALSE(RunReport::WriteAtomically(dir.Str("missing/report.json"), "{}", error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace quillmarch
