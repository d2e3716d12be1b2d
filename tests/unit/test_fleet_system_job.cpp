// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "cli/fleet/FleetCommandLine.h"
#include "cli/fleet/FleetSystemArguments.h"
#include "cli/fleet/FleetSystemJob.h"
#include "core/job/JobStartup.h"
#include "core/job/RunContext.h"
#include "support/FakeClock.h"
#include "support/FakeLink.h"
#include "support/FakeSystem.h"
#include "support/RecordingMessageBox.h"
#include "support/ScopedTempDir.h"

namespace quillmarch::fleet {
namespace {

using Args = std::vector<std::string>;

FleetPlan PlanOf(const Args& fleetArgs, const FleetSystem& system) {
    Args args = {"--fleet", "f.csv"};
    args.insert(args.end(), fleetArgs.begin(), fleetArgs.end());
    FleetPlan plan;
    std::string error;
    EXPECT_TRUE(ParseFleetCommandLine(args, plan.options, error)) << error;
    plan.systems.push_back(system);
    return plan;
}

FleetSystem SystemOf(const std::string& address, const Args& options, const std::string& password) {
    FleetSystem system;
    system.address = address;
    system.name = "../../etc/passwd";  // a label only: it must not reach the log's path
    system.options = options;
    system.password = password;
    return system;
}

// Every text of a job but its password field: where a password must never be.
std::vector<std::string> TextsBesideThePassword(const UpdateJob& job) {
    std::vector<std::string> texts = {
        job.target.address,        job.target.systemName,        job.target.softwareBefore,
        job.lan.ipAddress,         job.lan.subnetMask,           job.lan.defaultGateway,
        job.security.roomPassword, job.security.newRoomPassword, job.security.newRemotePassword,
        job.options.reportPath,    job.options.passwordFile,     job.options.commandLine,
        job.options.provision,     job.options.progressCaption,  job.pack.folder};
    texts.insert(texts.end(), job.pack.trustedKeyFiles.begin(), job.pack.trustedKeyFiles.end());
    return texts;
}

// A log path as the platform joins folder and name ('\\' on Windows).
std::string Native(std::string path) {
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

struct JobCase {
    const char* name;
    Args fleetArgs;  // after "--fleet f.csv"
    Args rowOptions;
    std::string address;
    std::string password;
    // What the job must hold.
    std::string logPath;
    std::string commandLine;  // the log's "Command Line: " record, as a single run shows it
    bool checkOnly;
    bool passive;
    bool uploadImage;
    bool updateSoftware;
    bool retainDirectory;
    int uploadTimeoutSeconds;
    int verifyTimeoutSeconds;
    CallPolicy inCall;
    std::string imagesFolder;
    const char* secretWord;  // a part of the password no other text of the job may hold
};

TEST(FleetSystemJob, TheJobHoldsTheFleetsAndTheRowsChoicesAndThePasswordOnlyInItsField) {
    const JobCase cases[] = {
        {"common flags, a row flag, an IPv6 address",
         {"--log-dir", "out", "--verify-timeout=60", "-m", "-t:30"},
         {"-fa"},
         "[::1]:2121",
         "a \"secret\" -q",
         "out/___1__2121.log",
         "-m -t:30 -fa -q -p:**** -f:out/___1__2121.log --verify-timeout 60 --in-call skip "
         "--in-call-timeout 1800 [::1]:2121",
         false,
         true,
         true,
         true,
         false,
         30,
         60,
         CallPolicy::kSkip,
         "",
         "secret"},
        {"a check fleet waiting for calls, a log folder with a blank",
         {"--check", "--in-call", "wait", "--in-call-timeout", "120", "--log-dir", "my logs"},
         {"-s", "-ks"},
         "10.1.2.3",
         "pw with blanks ",
         "my logs/10_1_2_3.log",
         "-s -ks -q -p:**** \"-f:my logs/10_1_2_3.log\" --check --verify-timeout 900 --in-call "
         "wait --in-call-timeout 120 10.1.2.3",
         true,
         false,
         false,
         false,
         true,
         0,
         900,
         CallPolicy::kWait,
         "",
         "blanks"},
        {"an image pack for one row, no password at all",
         {"--log-dir", "l"},
         {"--images", "packs/a"},
         "host-7.example:2100",
         "",
         "l/host-7_example_2100.log",
         "--images packs/a -q -p: -f:l/host-7_example_2100.log --verify-timeout 900 --in-call "
         "skip --in-call-timeout 1800 host-7.example:2100",
         false,
         false,
         true,
         true,
         true,
         0,
         900,
         CallPolicy::kSkip,
         "packs/a",
         ""},
    };
    for (const JobCase& c : cases) {
        SCOPED_TRACE(c.name);
        const FleetPlan plan = PlanOf(c.fleetArgs, SystemOf(c.address, c.rowOptions, c.password));
        FleetSystemJob built;
        std::string error;
        ASSERT_TRUE(FleetSystemArguments::Job(plan, plan.systems[0], built, error)) << error;
        const UpdateJob& job = built.job;
        const std::string logPath = Native(c.logPath);
        std::string commandLine = c.commandLine;
        const std::size_t at = commandLine.find(c.logPath);
        ASSERT_NE(at, std::string::npos);
        commandLine.replace(at, c.logPath.size(), logPath);
        EXPECT_EQ(built.logPath, logPath);
        EXPECT_EQ(job.options.commandLine, commandLine);
        EXPECT_EQ(job.target.address, c.address);
        EXPECT_EQ(job.target.password, c.password);
        EXPECT_TRUE(job.options.quiet);
        EXPECT_TRUE(job.options.verify);
        EXPECT_EQ(job.options.checkOnly, c.checkOnly);
        EXPECT_EQ(job.target.passiveMode, c.passive);
        EXPECT_EQ(job.tasks.uploadImage, c.uploadImage);
        EXPECT_EQ(job.tasks.updateSoftware, c.updateSoftware);
        EXPECT_EQ(job.retain.directory, c.retainDirectory);
        EXPECT_EQ(job.options.uploadTimeoutSeconds, c.uploadTimeoutSeconds);
        EXPECT_EQ(job.options.verifyTimeoutSeconds, c.verifyTimeoutSeconds);
        EXPECT_EQ(job.options.inCall, c.inCall);
        EXPECT_EQ(job.options.inCallTimeoutSeconds, plan.options.inCallTimeoutSeconds);
        EXPECT_EQ(job.pack.folder, c.imagesFolder);
        if (c.password.empty()) continue;
        std::vector<std::string> texts = TextsBesideThePassword(job);
        texts.push_back(built.logPath);
        for (const std::string& text : texts) {
            EXPECT_EQ(text.find(c.password), std::string::npos) << text;
            EXPECT_EQ(text.find(c.secretWord), std::string::npos) << text;
        }
    }
}

TEST(FleetSystemJob, RefusedFlagsAreAnErrorAndGiveNoJob) {
    const struct {
        Args common;
        Args row;
        const char* says;
    } cases[] = {
        {{"-m"}, {"--passive"}, "is given twice"},
        {{}, {"-t:soon"}, "needs a number of seconds"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        FleetPlan plan;
        plan.options.commonOptions = c.common;
        plan.systems.push_back(SystemOf("10.1.2.3", c.row, "hunter2"));
        FleetSystemJob built;
        std::string error;
        EXPECT_FALSE(FleetSystemArguments::Job(plan, plan.systems[0], built, error));
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_EQ(error.find("hunter2"), std::string::npos) << error;
        EXPECT_TRUE(built.job.target.password.empty());
        EXPECT_TRUE(built.logPath.empty());
    }
}

// A fleet's system starts from its job as a single run starts from the same command line: the
// log (with its "Command Line: " record and option dump) is the same byte for byte, and holds
// no password.
TEST(FleetSystemJob, AStartedJobLogsWhatTheSameCommandLineWould) {
    test::ScopedTempDir dir;
    const std::string password = "S3cr3t pw";
    const FleetPlan plan = PlanOf({"--log-dir", dir.Str(), "-m", "--in-call", "break"},
                                  SystemOf("127.0.0.1:2121", {"-fs", "-fp"}, password));
    FleetSystemJob built;
    std::string error;
    ASSERT_TRUE(FleetSystemArguments::Job(plan, plan.systems[0], built, error)) << error;
    const std::string commandLineLog = dir.Str("single.log");
    const Args singleRun = {"-m",
                            "-fs",
                            "-fp",
                            "-q",
                            "-p:" + password,
                            "-f:" + commandLineLog,
                            "--verify-timeout",
                            "900",
                            "--in-call",
                            "break",
                            "--in-call-timeout",
                            "1800",
                            "127.0.0.1:2121"};
    std::string logs[2];
    for (int i = 0; i < 2; ++i) {
        test::FakeSystem system;
        test::FakeClock clock;
        test::RecordingMessageBox box;
        RunContext app(clock, box);
        app.m_payloads.SetFolder(QUILLMARCH_PAYLOAD_DIR);
        app.m_log.SetStampSource([] { return std::string("T"); });
        app.SetLinkFactory([&system](RunContext& context, bool secure) {
            return std::unique_ptr<DeviceLink>(
                std::make_unique<test::FakeLink>(context, system, secure));
        });
        const StartupResult started =
            i == 0 ? JobStartup::Start(app, built.job, built.logPath) : app.Startup(singleRun);
        ASSERT_EQ(started.state, StartupState::kReady) << started.message;
        EXPECT_EQ(app.Job().target.password, password);
        app.CloseLog();
        logs[i] = test::ReadFile(i == 0 ? built.logPath : commandLineLog);
    }
    const std::string single = "-f:" + commandLineLog;
    const std::string fleet = "-f:" + built.logPath;
    ASSERT_NE(logs[1].find(single), std::string::npos) << logs[1];
    logs[1].replace(logs[1].find(single), single.size(), fleet);
    EXPECT_EQ(logs[0], logs[1]);
    EXPECT_NE(logs[0].find("Command Line: " + built.job.options.commandLine), std::string::npos);
    EXPECT_EQ(logs[0].find(password), std::string::npos) << logs[0];
}

}  // namespace
}  // namespace quillmarch::fleet
