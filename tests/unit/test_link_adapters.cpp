// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The plain and secure device links on the FTP component, against the system simulator.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/job/RunContext.h"
#include "core/link/FtpSession.h"
#include "core/link/LinkFactory.h"
#include "core/link/PlainLink.h"
#include "core/link/SecureLink.h"
#include "support/FakeClock.h"
#include "support/RecordingMessageBox.h"
#include "support/ScopedTempDir.h"
#include "support/ScriptedProgressWindow.h"
#include "support/SimulatorProcess.h"

namespace quillmarch {
namespace {

using test::PatternBytes;
using test::SimulatorProcess;
using test::SSimOptions;

constexpr char kPassword[] = "pw-Link-42";

SSimOptions SimOptions(bool tls, int ftpPort = 0) {
    SSimOptions options;
    options.tls = tls;
    options.password = kPassword;
    options.ftpPort = ftpPort;
    return options;
}

// An application with the advanced log on, in a folder of the test's own, and one link.
class LinkTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        m_app.Job().options.logLevel = 1;
        m_app.m_helpFilePath = m_dir.Str("Quillmarch.hlp");
        std::string error;
        ASSERT_TRUE(m_app.m_log.Open(m_dir.Str("run.log"), error)) << error;
        m_link = MakeComponentLink(m_app, GetParam());
        ASSERT_NE(m_link, nullptr);
    }
    void TearDown() override { m_link.reset(); }

    std::string Log() {
        m_app.m_log.Close();
        return test::ReadFile(m_dir.Path() / "run.log");
    }
    bool Logon(const SimulatorProcess& sim) {
        return m_link->LogonToSystem(sim.Address(), "admin", sim.Password());
    }
    std::vector<std::int64_t> PostedBytes() const {
        std::vector<std::int64_t> counts;
        for (const auto& message : m_window->posted) {
            if (message.call == test::ProgressCall::Bytes) counts.push_back(message.value);
        }
        return counts;
    }

    test::ScopedTempDir m_dir;
    test::FakeClock m_clock;
    test::RecordingMessageBox m_box;
    RunContext m_app{m_clock, m_box};
    std::unique_ptr<DeviceLink> m_link;
    std::shared_ptr<test::ScriptedProgressWindow> m_window =
        std::make_shared<test::ScriptedProgressWindow>();
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool Increasing(const std::vector<std::int64_t>& counts) {
    return std::adjacent_find(counts.begin(), counts.end(), std::greater_equal<>()) == counts.end();
}

TEST_P(LinkTest, FactoryMakesTheLinkOfTheRequestedKind) {
    EXPECT_EQ(m_link->IsSecure(), GetParam());
    if (GetParam()) {
        EXPECT_NE(dynamic_cast<SecureLink*>(m_link.get()), nullptr);
    } else {
        EXPECT_NE(dynamic_cast<PlainLink*>(m_link.get()), nullptr);
    }
    EXPECT_FALSE(m_link->IsLoggedOn());
}

TEST_P(LinkTest, LogonToSystemLogsTheComponentEventsWithoutThePassword) {
    SimulatorProcess sim(SimOptions(GetParam()));
    ASSERT_TRUE(sim.Started()) << sim.StartError();
    ASSERT_TRUE(Logon(sim));
    EXPECT_TRUE(m_link->IsLoggedOn());
    EXPECT_TRUE(m_link->IsNormalMode());
    const std::string log = Log();
    EXPECT_TRUE(Contains(log, "FTP Trail: Client: USER admin\n"));
    EXPECT_TRUE(Contains(log, "FTP Trail: Client: PASS ****\n"));
    EXPECT_TRUE(Contains(log, "FTP Trail: Server: 230 "));
    EXPECT_TRUE(Contains(log, "FTP Trail: Info: "));
    EXPECT_TRUE(Contains(log, "FTP:Connection Status: Connected - 0 - "));
    EXPECT_TRUE(Contains(log, "FTP Quote FLAG > NORMAL KDV 18 9.0\n"));
    EXPECT_FALSE(Contains(log, kPassword));
}

TEST_P(LinkTest, RefusedLogonsGiveTheOperatorTexts) {
    SimulatorProcess sim(SimOptions(GetParam()));
    ASSERT_TRUE(sim.Started()) << sim.StartError();
    const struct {
        const char* name;
        std::string address;
        std::string password;
        const char* logged;
        int text;
    } cases[] = {
        {"wrong password", sim.Address(), "wrong", "FTP: Logon failed - 301", 290},
        {"nothing listening", "127.0.0.1:1", kPassword, "FTP: Logon failed - 10061", 291},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(m_link->LogonToSystem(c.address, "admin", c.password)) << c.name;
        EXPECT_FALSE(m_link->IsLoggedOn()) << c.name;
        EXPECT_EQ(m_link->GetLastErrorText(), m_app.LoadUiString(c.text, "")) << c.name;
    }
    const std::string log = Log();
    for (const auto& c : cases) EXPECT_TRUE(Contains(log, c.logged)) << c.name;
    EXPECT_TRUE(Contains(log, "FTP Error: "));
}

TEST_P(LinkTest, InMemoryDownloadCollectsTheTextAndPostsByteCounts) {
    SimulatorProcess sim(SimOptions(GetParam()));
    ASSERT_TRUE(sim.Started()) << sim.StartError();
    ASSERT_TRUE(Logon(sim));
    m_link->SetNotifyWindow(m_window);
    std::string text;
    ASSERT_TRUE(m_link->DownloadToString("gateway.dat", text));
    EXPECT_EQ(text, "  10.0.0.1  \n");
    EXPECT_EQ(PostedBytes(), std::vector<std::int64_t>{13});
    EXPECT_FALSE(m_link->DownloadToString("missing.dat", text));
    EXPECT_TRUE(text.empty());
    EXPECT_TRUE(m_link->IsLoggedOn());
    const std::string log = Log();
    EXPECT_TRUE(Contains(log, "Start Transfer\n"));
    EXPECT_TRUE(Contains(log, "End Transfer\n"));
    EXPECT_TRUE(Contains(
        log, "FTP: File Download failed - " + std::to_string(ftpcode::kRemoteFileNotFound)));
}

// A large buffer goes up through the work directory with the send buffer raised for it.
TEST_P(LinkTest, UploadBufferSendsTheBytesAndReportsTheSendBufferItSet) {
    SimulatorProcess sim(SimOptions(GetParam()));
    ASSERT_TRUE(sim.Started()) << sim.StartError();
    ASSERT_TRUE(Logon(sim));
    m_link->SetNotifyWindow(m_window);
    const std::string image = PatternBytes(3000000, 7);
    ASSERT_TRUE(m_link->UploadBuffer(
        "upload-test.bin", reinterpret_cast<const std::uint8_t*>(image.data()), image.size(), 60));
    EXPECT_TRUE(sim.ReadFile("upload-test.bin") == image);
    const auto counts = PostedBytes();
    ASSERT_FALSE(counts.empty());
    EXPECT_TRUE(Increasing(counts));
    EXPECT_EQ(counts.back(), 3000000);
    const std::string log = Log();
    EXPECT_TRUE(Contains(log, "Before setting out buffer size = 65536\n"));
    EXPECT_TRUE(Contains(log, "After setting out buffer size = 3000000\n"));
}

TEST_P(LinkTest, FilteredListingFindsTheSystemsFiles) {
    SimulatorProcess sim(SimOptions(GetParam()));
    ASSERT_TRUE(sim.Started()) << sim.StartError();
    ASSERT_TRUE(Logon(sim));
    m_link->ClearFileFilter();
    m_link->AddFileFilter(".abk");
    m_link->AddFileFilter("notes");
    std::vector<std::string> names;
    ASSERT_TRUE(m_link->ListFiles(names));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"friends.abk", "office.abk", "room notes.txt",
                                               "samples.abk"}));
}

TEST_P(LinkTest, AfterARestartCommandsFailAsNotConnectedWithoutALogon) {
    SimulatorProcess sim(SimOptions(GetParam()));
    ASSERT_TRUE(sim.Started()) << sim.StartError();
    ASSERT_TRUE(Logon(sim));
    EXPECT_EQ(m_link->SendCommand("boot", nullptr, 0), 200);
    ASSERT_TRUE(sim.WaitForEvent("listening", "after_restart", std::chrono::seconds(10)));
    std::string reply = "unchanged";
    EXPECT_EQ(m_link->SendCommand("FLAG", &reply, 1), 0);
    EXPECT_EQ(m_link->GetLastErrorText(), "Not connected yet");
    EXPECT_EQ(reply, "unchanged");
    EXPECT_EQ(sim.Events("login").size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(PlainAndSecure, LinkTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Secure" : "Plain"; });

// Without a port in the address the plain link goes to 21 and the secure link to 990. Those
// ports need root and must be free; otherwise the case is skipped.
class LinkDefaultPortTest : public LinkTest {};

TEST_P(LinkDefaultPortTest, AddressWithoutPortUsesTheKindsPort) {
    SimulatorProcess sim(SimOptions(GetParam(), GetParam() ? 990 : 21));
    if (!sim.Started()) GTEST_SKIP() << "port not available: " << sim.StartError();
    EXPECT_TRUE(m_link->LogonToSystem("127.0.0.1", "admin", kPassword));
    EXPECT_EQ(sim.Events("login").size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(PlainAndSecure, LinkDefaultPortTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Secure" : "Plain"; });

}  // namespace
}  // namespace quillmarch
