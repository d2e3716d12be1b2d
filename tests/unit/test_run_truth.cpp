// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/link/FtpSession.h"
#include "core/link/LogonReason.h"
#include "core/link/PeerAddress.h"
#include "core/run/RunInterrupt.h"
#include "core/run/UpdateRun.h"
#include "support/FakeAppFixture.h"

namespace quillmarch {
namespace {

using test::FakeAppFixture;

const std::string kStars = "*******************************";

TEST(RunInterruptTest, CriticalSectionHoldsOffTheStopAndTheFirstSignalCounts) {
    RunInterrupt interrupt;
    EXPECT_FALSE(interrupt.ShouldStop());
    EXPECT_EQ(interrupt.Signal(), 0);
    {
        RunInterrupt::CriticalSection erase(interrupt);
        {
            RunInterrupt::CriticalSection nested(interrupt);
            EXPECT_FALSE(interrupt.Request(15));  // the first request
        }
        EXPECT_TRUE(interrupt.Requested());
        EXPECT_FALSE(interrupt.ShouldStop()) << "an outer section is still open";
    }
    EXPECT_TRUE(interrupt.ShouldStop());
    EXPECT_TRUE(interrupt.Request(2));  // a second request: the handler ends the program
    EXPECT_EQ(interrupt.Signal(), 15);
    EXPECT_EQ(interrupt.ExitCode(), 143);
}

// Asks the run to stop when the run announces its tasks, as Ctrl+C in the middle would.
// Otherwise it answers Running to everything.
class StoppingWindow : public IProgressWindow, public IProgressWindowFactory {
public:
    explicit StoppingWindow(RunInterrupt& interrupt) : m_interrupt(interrupt) {}
    ProgressState RunStarted(std::int64_t, std::int64_t) override {
        m_interrupt.Request(2);
        return ProgressState::Running;
    }
    ProgressState Caption(const std::string&) override { return ProgressState::Running; }
    ProgressState TaskStarted(const std::optional<std::string>&, std::int64_t) override {
        return ProgressState::Running;
    }
    ProgressState Percent(std::int64_t, const std::optional<std::string>&) override {
        return ProgressState::Running;
    }
    ProgressState TaskDone() override { return ProgressState::Running; }
    ProgressState RunEnded() override { return ProgressState::Running; }
    ProgressState Close() override { return ProgressState::Running; }
    ProgressState Ping() override { return ProgressState::Running; }
    void Bytes(std::int64_t) override {}
    void PostClose() override {}
    std::shared_ptr<IProgressWindow> Start() override {
        return std::shared_ptr<IProgressWindow>(this, [](IProgressWindow*) {});
    }

private:
    RunInterrupt& m_interrupt;
};

class RunTruthTest : public FakeAppFixture {
protected:
    void SetUp() override {
        FakeAppFixture::SetUp();
        StartLog();
        m_app->Job().tasks.updateSoftware = false;
        m_app->Job().tasks.changeSettings = true;
        m_app->SetConsole([this](const std::string& line) { m_console.push_back(line); });
    }
    bool Run() { return UpdateRun(*m_app).RunUpdate(0); }
    // The run's last records: what a stopped run must end with.
    void ExpectStoppedEnding() {
        const auto records = LogRecords();
        ASSERT_GE(records.size(), 3u);
        const std::vector<std::string> last(records.end() - 3, records.end());
        EXPECT_EQ(last, (std::vector<std::string>{"interrupted", "#### DONE : failure",
                                                  kStars + "Finish Update" + kStars}));
        EXPECT_FALSE(m_app->m_link->IsLoggedOn());
    }

    std::vector<std::string> m_console;
};

TEST_F(RunTruthTest, StopBeforeTheRunTouchesNothing) {
    m_app->Interrupt().Request(15);
    EXPECT_FALSE(Run());
    EXPECT_EQ(m_system.logons, 0);
    ExpectStoppedEnding();
}

TEST_F(RunTruthTest, StopAfterConnectingSendsNothingMore) {
    m_app->Job().options.quiet = false;
    StoppingWindow window(m_app->Interrupt());
    m_app->SetProgressWindowFactory(&window);
    EXPECT_FALSE(Run());
    EXPECT_EQ(m_system.logons, 1);
    EXPECT_EQ(m_system.UploadNames(), std::vector<std::string>{});
    EXPECT_EQ(m_system.CountCommand("BOOT"), 0);
    EXPECT_FALSE(Logged("Starting Update"));
    ExpectStoppedEnding();
}

TEST_F(RunTruthTest, StopDuringACriticalSectionWaitsForItsEnd) {
    RunInterrupt::CriticalSection section(m_app->Interrupt());
    m_app->Interrupt().Request(2);
    EXPECT_FALSE(Run());
    // Every phase ran; the stop shows only in the outcome.
    EXPECT_EQ(m_system.CountCommand("BOOT"), 1);
    EXPECT_TRUE(Logged("Starting Update"));
    ExpectStoppedEnding();
}

struct SReasonCase {
    int code;
    const char* reason;
};

// Every failed connection says why, in the log and (not quiet) on the console.
TEST_F(RunTruthTest, FailedConnectionsSayWhy) {
    const SReasonCase cases[] = {
        {ftpcode::kLogonRefused, "Wrong password"},
        {ftpcode::kConnectionRefused, "Connection refused"},
        {ftpcode::kHostNotFound, "Name not found: the address does not resolve"},
        {ftpcode::kTimeout, "Timed out: the system did not answer in time"},
        {ftpcode::kTlsFailure, "TLS failure: the secure connection could not be set up"},
        {ftpcode::kConnectionLost,
         "Refused by the system: it closed the connection or turned the logon down"},
    };
    m_app->Job().options.quiet = false;
    UseWindow();
    for (const auto& c : cases) {
        m_console.clear();
        m_system.logonCodes = {c.code};
        StartLog();
        EXPECT_FALSE(Run());
        const auto records = LogRecords();
        const auto at = std::find(records.begin(), records.end(), "Cannot connect to system");
        ASSERT_NE(at, records.end()) << c.code;
        ASSERT_NE(at + 1, records.end()) << c.code;
        EXPECT_EQ(*(at + 1), std::string("Reason: ") + c.reason) << c.code;
        EXPECT_EQ(m_console,
                  std::vector<std::string>{std::string("Cannot connect to system: ") + c.reason});
    }
}

TEST_F(RunTruthTest, QuietFailedConnectionLogsTheReasonOnly) {
    m_system.logonCodes = {ftpcode::kLogonRefused};
    EXPECT_FALSE(Run());
    EXPECT_TRUE(Logged("Reason: Wrong password"));
    EXPECT_TRUE(m_console.empty());
}

TEST(LogonReasonTest, EveryCodeHasWordsAndSuccessNone) {
    EXPECT_EQ(LogonFailureReason(ftpcode::kOk), "");
    EXPECT_EQ(LogonFailureReason(ftpcode::kInterrupted), "Interrupted by the operator");
    EXPECT_EQ(LogonFailureReason(4711), "The connection failed (code 4711)");
}

struct SPeerCase {
    const char* a;
    const char* b;
    bool same;
};

TEST(PeerAddressTest, SameHostComparesAddressesNotTexts) {
    const SPeerCase cases[] = {
        {"127.0.0.1", "127.0.0.1", true},
        {"127.0.0.1", "127.0.0.2", false},
        {"::ffff:127.0.0.1", "127.0.0.1", true},
        {"fe80::1%eth0", "fe80:0:0::1", true},
        {"::1", "127.0.0.1", false},
        {"", "", false},
        {"host", "host", false},
        {"10.0.0.1", "", false},
    };
    for (const auto& c : cases) EXPECT_EQ(peer::SameHost(c.a, c.b), c.same) << c.a << " " << c.b;
}

}  // namespace
}  // namespace quillmarch
