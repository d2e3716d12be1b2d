// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The FTP component against the system simulator on loopback: plain and TLS, passive and
// active data connections.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "core/link/FtpHelpers.h"
#include "core/link/FtpSession.h"
#include "support/ScopedTempDir.h"
#include "support/SimulatorProcess.h"

namespace quillmarch {
namespace {

namespace fs = std::filesystem;
using test::PatternBytes;
using test::SimulatorProcess;
using test::SSimOptions;

// The component with every event recorded.
class CRecorder : public FtpSession {
public:
    using FtpSession::FtpSession;
    struct STransfer {
        std::int64_t bytesSoFar;
        std::size_t length;
    };

    std::vector<std::string> Trail(int direction) const {
        std::vector<std::string> lines;
        for (const auto& [dir, line] : trail) {
            if (dir == direction) lines.push_back(line);
        }
        return lines;
    }
    bool HasStatus(const std::string& event, int code) const {
        return std::find(status.begin(), status.end(), std::make_pair(event, code)) != status.end();
    }
    // True when every Transfer event carried the running total of the chunks so far.
    bool RunningCounts() const {
        std::int64_t total = 0;
        for (const auto& transfer : transfers) {
            total += static_cast<std::int64_t>(transfer.length);
            if (transfer.bytesSoFar != total) return false;
        }
        return true;
    }
    void Clear() {
        trail.clear();
        status.clear();
        errors.clear();
        names.clear();
        transfers.clear();
        data.clear();
        starts = ends = 0;
    }

    std::vector<std::pair<int, std::string>> trail;
    std::vector<std::pair<std::string, int>> status;
    std::vector<std::pair<int, std::string>> errors;
    std::vector<std::string> names;
    std::vector<STransfer> transfers;
    std::string data;
    std::string certificate;
    int starts = 0;
    int ends = 0;
    bool abortOnFirstChunk = false;

protected:
    void FireConnectionStatus(const std::string& event, int code, const std::string&) override {
        status.emplace_back(event, code);
    }
    void FireDirList(const std::string&, const std::string& fileName) override {
        names.push_back(fileName);
    }
    void FireEndTransfer() override { ++ends; }
    void FireError(int code, const std::string& text) override { errors.emplace_back(code, text); }
    void FirePITrail(int direction, const std::string& line) override {
        trail.emplace_back(direction, line);
    }
    void FireSSLServerAuthentication(const std::string& text) override { certificate = text; }
    void FireStartTransfer() override { ++starts; }
    void FireTransfer(std::int64_t bytesSoFar, const char* chunk, std::size_t length) override {
        transfers.push_back({bytesSoFar, length});
        data.append(chunk, length);
        if (abortOnFirstChunk) Abort();
    }
};

SSimOptions SimOptions(bool tls, std::vector<std::string> faults = {},
                       std::string password = "secret") {
    SSimOptions options;
    options.tls = tls;
    options.faults = std::move(faults);
    options.password = std::move(password);
    return options;
}

int LogonTo(FtpSession& ftp, const SimulatorProcess& sim, bool passive = true) {
    EXPECT_EQ(ftp.SetRemoteHost(sim.Address()), ftpcode::kOk);
    EXPECT_EQ(ftp.SetUser("admin"), ftpcode::kOk);
    EXPECT_EQ(ftp.SetPassword(sim.Password()), ftpcode::kOk);
    ftp.SetPassive(passive);
    EXPECT_EQ(ftp.SetTimeout(10), ftpcode::kOk);  // nothing in these tests may hang
    ftp.Config("AbsoluteTimeout=true");
    return ftp.Logon();
}

// A loopback port nobody listens on (bound, read, released).
int ClosedPort() {
#ifdef _WIN32
    WSADATA winsock;
    WSAStartup(MAKEWORD(2, 2), &winsock);
#endif
    const auto fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
#ifdef _WIN32
    closesocket(fd);
    WSACleanup();
#else
    close(fd);
#endif
    return ntohs(address.sin_port);
}

// --- pure parts ----------------------------------------------------------------------------

TEST(FtpListingName, TakesTheTextAfterEightFields) {
    const struct {
        const char* line;
        const char* name;
    } cases[] = {
        {"-rw-r--r--   1 owner group   40 Jan 01 12:00 room notes.txt", "room notes.txt"},
        {"drwxr-xr-x 2 u g 4096 Mar  3  2023 folder\r", "folder"},
        {"-rw-r--r-- 1 u g 7 Jan 1 12:00 two  inner  blanks", "two  inner  blanks"},
        {"lrwxrwxrwx 1 u g 7 Jan 1 12:00 link -> target", "link"},
        {"-rw-r--r-- 1 u g 7 Jan 1 12:00 plain -> arrow", "plain -> arrow"},
        {"total 12", ""},
        {"-rw-r--r-- 1 u g 7 Jan 1 12:00", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ftp::ListingName(c.line), c.name) << c.line;
}

TEST(FtpComponentConfig, AnswersTheValueInForce) {
    FtpSession ftp(false);
    const struct {
        const char* setting;
        const char* answer;
    } steps[] = {
        {"OutBufferSize", "65536"},
        {"OutBufferSize=30000000", "30000000"},  // beyond libcurl's range: still reported
        {"outbuffersize", "30000000"},
        {"OutBufferSize=12abc", ""},
        {"OutBufferSize", "30000000"},
        {"UseRemoteHostAddressForPassive", "true"},
        {"UseRemoteHostAddressForPassive=false", "false"},
        {"AbsoluteTimeout=TRUE", "true"},
        {"AbsoluteTimeout=maybe", ""},
        {"AbsoluteTimeout", "true"},
        {"ReplyTimeout=0", ""},
        {"ReplyTimeout = 5", "5"},
        {"NoSuchSetting", ""},
        {"NoSuchSetting=1", ""},
    };
    for (const auto& step : steps) EXPECT_EQ(ftp.Config(step.setting), step.answer) << step.setting;
}

TEST(FtpComponentNoSession, EveryOperationAnswersNotConnected) {
    CRecorder ftp(false);
    ftp.SetRemoteFile("model.dat");
    ftp.SetLocalFile("");
    EXPECT_EQ(ftp.SetCommand("FLAG"), ftpcode::kNotConnected);
    EXPECT_EQ(ftp.Download(), ftpcode::kNotConnected);
    EXPECT_EQ(ftp.Upload(), ftpcode::kNotConnected);
    EXPECT_EQ(ftp.ListDirectoryLong(), ftpcode::kNotConnected);
    EXPECT_EQ(ftp.errors.size(), 4u);
    EXPECT_EQ(ftp.Logoff(), ftpcode::kOk);
    EXPECT_TRUE(ftp.trail.empty());
}

// --- logon and commands, plain and TLS -----------------------------------------------------

class FtpComponentSession : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { ASSERT_TRUE(m_sim.Started()) << m_sim.StartError(); }
    SimulatorProcess m_sim{SimOptions(GetParam(), {}, "pw-Quill-77")};
};

TEST_P(FtpComponentSession, LogonAnswersTheDocumentedCodes) {
    const struct {
        const char* name;
        std::string address;
        std::string password;
        int code;
    } cases[] = {
        {"accepted", m_sim.Address(), m_sim.Password(), ftpcode::kOk},
        {"wrong password", m_sim.Address(), "wrong", ftpcode::kLogonRefused},
        {"nothing listening", "127.0.0.1:" + std::to_string(ClosedPort()), m_sim.Password(),
         ftpcode::kConnectionRefused},
        {"malformed port", "127.0.0.1:99999", m_sim.Password(), ftpcode::kInvalidArgument},
        {"URL characters", "user@127.0.0.1", m_sim.Password(), ftpcode::kInvalidArgument},
    };
    for (const auto& c : cases) {
        CRecorder ftp(GetParam());
        // The setter already refuses the address the logon refuses as malformed.
        EXPECT_EQ(ftp.SetRemoteHost(c.address) == ftpcode::kInvalidArgument,
                  c.code == ftpcode::kInvalidArgument)
            << c.name;
        EXPECT_EQ(ftp.SetUser("admin"), ftpcode::kOk);
        EXPECT_EQ(ftp.SetPassword(c.password), ftpcode::kOk);
        EXPECT_EQ(ftp.SetTimeout(10), ftpcode::kOk);
        EXPECT_EQ(ftp.Logon(), c.code) << c.name;
        EXPECT_EQ(ftp.IsConnected(), c.code == ftpcode::kOk) << c.name;
        EXPECT_EQ(ftp.HasStatus("Connected", 0), c.code == ftpcode::kOk) << c.name;
        EXPECT_EQ(ftp.errors.size(), c.code == ftpcode::kOk ? 0u : 1u) << c.name;
    }
}

TEST_P(FtpComponentSession, TrailShowsEveryLineWithThePasswordMasked) {
    CRecorder ftp(GetParam());
    ASSERT_EQ(LogonTo(ftp, m_sim), ftpcode::kOk);
    const auto client = ftp.Trail(0);
    EXPECT_NE(std::find(client.begin(), client.end(), "USER admin"), client.end());
    EXPECT_NE(std::find(client.begin(), client.end(), "PASS ****"), client.end());
    const auto server = ftp.Trail(1);
    EXPECT_TRUE(std::any_of(server.begin(), server.end(),
                            [](const std::string& line) { return line.rfind("230", 0) == 0; }));
    EXPECT_FALSE(ftp.Trail(2).empty());
    for (const auto& [direction, line] : ftp.trail) {
        EXPECT_EQ(line.find(m_sim.Password()), std::string::npos) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos);
    }
}

TEST_P(FtpComponentSession, RawCommandKeepsTheReplyAndSurvivesARefusal) {
    CRecorder ftp(GetParam());
    ASSERT_EQ(LogonTo(ftp, m_sim), ftpcode::kOk);
    EXPECT_EQ(ftp.SetCommand("FLAG"), ftpcode::kOk);
    EXPECT_EQ(ftp.GetLastReply(), "200 NORMAL KDV 18 9.0");
    EXPECT_EQ(ftp.SetCommand("NOSUCHCOMMAND"), ftpcode::kServerRefused);
    EXPECT_EQ(ftp.GetLastReply().substr(0, 4), "500 ");
    EXPECT_EQ(ftp.SetCommand("size IMAGE1_1234"), ftpcode::kOk);
    EXPECT_EQ(ftp.GetLastReply(), "200 OK");
    EXPECT_EQ(ftp.SetCommand("FLAG\r\nDELE model.dat"), ftpcode::kInvalidArgument);
    EXPECT_EQ(ftp.SetCommand("FLAG"), ftpcode::kOk);
    EXPECT_EQ(m_sim.Events("login").size(), 1u);
    EXPECT_FALSE(m_sim.ReadFile("model.dat").empty());
}

TEST_P(FtpComponentSession, LogoffSendsQuitAndEndsTheSession) {
    CRecorder ftp(GetParam());
    ASSERT_EQ(LogonTo(ftp, m_sim), ftpcode::kOk);
    EXPECT_EQ(ftp.Logoff(), ftpcode::kOk);
    EXPECT_EQ(ftp.Trail(0).back(), "QUIT");
    EXPECT_EQ(ftp.Trail(1).back().substr(0, 3), "221");
    EXPECT_TRUE(ftp.HasStatus("Disconnected", 0));
    EXPECT_EQ(ftp.SetCommand("FLAG"), ftpcode::kNotConnected);
    EXPECT_EQ(ftp.Logon(), ftpcode::kOk);  // and a new logon starts afresh
    EXPECT_EQ(ftp.SetCommand("FLAG"), ftpcode::kOk);
    EXPECT_EQ(m_sim.Events("login").size(), 2u);
}

// The system restarts on "boot" and drops the connection: the session is gone for good, and
// nothing logs on again behind the caller's back, not even once the system is back.
TEST_P(FtpComponentSession, DroppedSessionAnswersNotConnectedWithoutReconnecting) {
    CRecorder ftp(GetParam());
    ASSERT_EQ(LogonTo(ftp, m_sim), ftpcode::kOk);
    EXPECT_EQ(ftp.SetCommand("boot"), ftpcode::kOk);
    // At once: the drop may or may not have reached us yet, but this must fail either way.
    EXPECT_NE(ftp.SetCommand("FLAG"), ftpcode::kOk);
    ASSERT_TRUE(m_sim.WaitForEvent("listening", "after_restart", std::chrono::seconds(10)));
    ftp.SetRemoteFile("model.dat");
    ftp.SetLocalFile("");
    EXPECT_EQ(ftp.SetCommand("FLAG"), ftpcode::kNotConnected);
    EXPECT_EQ(ftp.Download(), ftpcode::kNotConnected);
    EXPECT_EQ(ftp.ListDirectoryLong(), ftpcode::kNotConnected);
    EXPECT_FALSE(ftp.IsConnected());
    // Reported once, with the code of whichever operation found it lost.
    EXPECT_EQ(std::count_if(ftp.status.begin(), ftp.status.end(),
                            [](const auto& status) { return status.first == "Disconnected"; }),
              1);
    EXPECT_TRUE(ftp.transfers.empty());
    EXPECT_EQ(m_sim.Events("connect").size(), 1u);
    EXPECT_EQ(m_sim.Events("login").size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(PlainAndTls, FtpComponentSession, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Tls" : "Plain"; });

// --- transfers and listings in every data-connection mode ----------------------------------

struct SDataMode {
    const char* name;
    bool tls;
    bool passive;
};

class FtpComponentTransfer : public ::testing::TestWithParam<SDataMode> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sim.Started()) << m_sim.StartError();
        ASSERT_EQ(LogonTo(m_ftp, m_sim, GetParam().passive), ftpcode::kOk);
        m_ftp.Clear();
    }
    SimulatorProcess m_sim{SimOptions(GetParam().tls)};
    CRecorder m_ftp{GetParam().tls};
    test::ScopedTempDir m_local;
};

TEST_P(FtpComponentTransfer, DownloadToMemoryRaisesTransferEventsWithRunningCounts) {
    const std::string content = PatternBytes(300000, 1);
    ASSERT_TRUE(m_sim.PutFile("big.bin", content));
    m_ftp.SetLocalFile("");
    m_ftp.SetRemoteFile("big.bin");
    ASSERT_EQ(m_ftp.Download(), ftpcode::kOk);
    EXPECT_GT(m_ftp.transfers.size(), 1u);
    EXPECT_TRUE(m_ftp.RunningCounts());
    EXPECT_EQ(m_ftp.transfers.back().bytesSoFar, 300000);
    EXPECT_TRUE(m_ftp.data == content);  // binary: no line-end translation
    EXPECT_EQ(m_ftp.starts, 1);
    EXPECT_EQ(m_ftp.ends, 1);
    EXPECT_TRUE(m_ftp.errors.empty());
}

TEST_P(FtpComponentTransfer, DownloadToFileWritesItAndAMissingFileLeavesNone) {
    m_ftp.SetLocalFile((m_local.Path() / "notes.txt").string());
    m_ftp.SetRemoteFile("room notes.txt");
    ASSERT_EQ(m_ftp.Download(), ftpcode::kOk);
    EXPECT_EQ(test::ReadFile(m_local.Path() / "notes.txt"), m_sim.ReadFile("room notes.txt"));
    EXPECT_EQ(m_ftp.data, m_sim.ReadFile("room notes.txt"));

    m_ftp.SetLocalFile((m_local.Path() / "missing.bin").string());
    m_ftp.SetRemoteFile("missing.bin");
    EXPECT_EQ(m_ftp.Download(), ftpcode::kRemoteFileNotFound);
    EXPECT_FALSE(fs::exists(m_local.Path() / "missing.bin"));
    EXPECT_EQ(m_ftp.errors.size(), 1u);
    EXPECT_EQ(m_ftp.SetCommand("FLAG"), ftpcode::kOk);  // a 550 keeps the session
}

TEST_P(FtpComponentTransfer, UploadSendsTheLocalFileWithTransferEvents) {
    const std::string content = PatternBytes(250000, 2);
    test::WriteFile(m_local.Path() / "image.bin", content);
    m_ftp.SetLocalFile((m_local.Path() / "image.bin").string());
    m_ftp.SetRemoteFile("up load.bin");
    ASSERT_EQ(m_ftp.Upload(), ftpcode::kOk);
    EXPECT_TRUE(m_sim.ReadFile("up load.bin") == content);
    EXPECT_TRUE(m_ftp.RunningCounts());
    ASSERT_FALSE(m_ftp.transfers.empty());
    EXPECT_EQ(m_ftp.transfers.back().bytesSoFar, 250000);
    EXPECT_EQ(m_ftp.starts, 1);
    EXPECT_EQ(m_ftp.ends, 1);
    // The system journals the upload once its data connection has closed.
    ASSERT_TRUE(m_sim.WaitForEvent("upload", "complete", std::chrono::seconds(5)));
    const auto uploads = m_sim.Events("upload");
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(uploads[0].value("name", ""), "up load.bin");
    EXPECT_EQ(uploads[0].value("size", 0), 250000);

    m_ftp.SetLocalFile((m_local.Path() / "absent.bin").string());
    EXPECT_EQ(m_ftp.Upload(), ftpcode::kLocalFileError);
    EXPECT_EQ(m_sim.Events("upload").size(), 1u);
}

TEST_P(FtpComponentTransfer, ListingRaisesOneEventPerEntry) {
    ASSERT_EQ(m_ftp.ListDirectoryLong(), ftpcode::kOk);
    std::set<std::string> expected;
    for (const auto& entry : fs::directory_iterator(m_sim.StateDir())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("sim-tls-", 0) != 0 && name != "journal.jsonl") expected.insert(name);
    }
    const std::set<std::string> listed(m_ftp.names.begin(), m_ftp.names.end());
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(m_ftp.names.size(), listed.size());
    EXPECT_EQ(listed.count("room notes.txt"), 1u);
    EXPECT_TRUE(m_ftp.transfers.empty());
}

TEST_P(FtpComponentTransfer, AbortFromATransferHandlerStopsTheDownload) {
    ASSERT_TRUE(m_sim.PutFile("big.bin", PatternBytes(2000000, 3)));
    m_ftp.abortOnFirstChunk = true;
    m_ftp.SetLocalFile("");
    m_ftp.SetRemoteFile("big.bin");
    EXPECT_EQ(m_ftp.Download(), ftpcode::kInterrupted);
    EXPECT_EQ(m_ftp.transfers.size(), 1u);
    EXPECT_EQ(m_ftp.ends, 1);
}

INSTANTIATE_TEST_SUITE_P(Modes, FtpComponentTransfer,
                         ::testing::Values(SDataMode{"PlainPassive", false, true},
                                           SDataMode{"PlainActive", false, false},
                                           SDataMode{"TlsPassive", true, true}),
                         [](const auto& info) { return info.param.name; });

// --- faults: bounds, broken transfers, refused combinations --------------------------------

TEST(FtpComponentBounds, SilentBannerIsBoundedByTimeoutOrTheReplyBound) {
    SimulatorProcess sim(SimOptions(false, {"silent-banner"}));
    ASSERT_TRUE(sim.Started()) << sim.StartError();
    const struct {
        const char* name;
        int timeout;
        const char* setting;
    } cases[] = {
        {"caller's timeout", 1, "AbsoluteTimeout=true"},
        {"no caller's timeout, shortened reply bound", 0, "ReplyTimeout=1"},
    };
    for (const auto& c : cases) {
        CRecorder ftp(false);
        EXPECT_EQ(ftp.SetRemoteHost(sim.Address()), ftpcode::kOk);
        EXPECT_EQ(ftp.SetUser("admin"), ftpcode::kOk);
        EXPECT_EQ(ftp.SetPassword(sim.Password()), ftpcode::kOk);
        EXPECT_EQ(ftp.SetTimeout(c.timeout), ftpcode::kOk);
        ASSERT_FALSE(ftp.Config(c.setting).empty());
        EXPECT_EQ(ftp.Logon(), ftpcode::kTimeout) << c.name;
        EXPECT_FALSE(ftp.IsConnected());
    }
}

TEST(FtpComponentBounds, StalledDownloadEndsAtTheStallBoundAndClosesTheSession) {
    SimulatorProcess sim(SimOptions(false, {"stall-download"}));
    ASSERT_TRUE(sim.Started()) << sim.StartError();
    ASSERT_TRUE(sim.PutFile("big.bin", PatternBytes(100000, 4)));
    CRecorder ftp(false);
    ASSERT_EQ(LogonTo(ftp, sim), ftpcode::kOk);
    EXPECT_EQ(ftp.SetTimeout(0), ftpcode::kOk);
    ASSERT_EQ(ftp.Config("StallTimeout=1"), "1");
    ftp.SetLocalFile("");
    ftp.SetRemoteFile("big.bin");
    EXPECT_EQ(ftp.Download(), ftpcode::kTimeout);
    EXPECT_EQ(ftp.data.size(), 1024u);  // what the system sent before it stalled
    EXPECT_EQ(ftp.SetCommand("FLAG"), ftpcode::kNotConnected);
}

TEST(FtpComponentBounds, SilentAfterLogonIsBoundedByTheReplyBound) {
    SimulatorProcess sim(SimOptions(false, {"silent-after-login"}));
    ASSERT_TRUE(sim.Started()) << sim.StartError();
    CRecorder ftp(false);
    EXPECT_EQ(ftp.SetRemoteHost(sim.Address()), ftpcode::kOk);
    EXPECT_EQ(ftp.SetUser("admin"), ftpcode::kOk);
    EXPECT_EQ(ftp.SetPassword(sim.Password()), ftpcode::kOk);
    ASSERT_EQ(ftp.Config("ReplyTimeout=1"), "1");
    EXPECT_EQ(ftp.Logon(), ftpcode::kTimeout);  // the PWD after USER/PASS goes unanswered
    EXPECT_EQ(sim.Events("login").size(), 1u);
}

TEST(FtpComponentFaults, UploadCutOffMidwayLosesTheSession) {
    SimulatorProcess sim(SimOptions(false, {"drop-upload:65536"}));
    ASSERT_TRUE(sim.Started()) << sim.StartError();
    test::ScopedTempDir local;
    const std::string content = PatternBytes(1000000, 5);
    test::WriteFile(local.Path() / "image.bin", content);
    CRecorder ftp(false);
    ASSERT_EQ(LogonTo(ftp, sim), ftpcode::kOk);
    ftp.SetLocalFile((local.Path() / "image.bin").string());
    ftp.SetRemoteFile("IMAGE1");
    const int code = ftp.Upload();
    EXPECT_TRUE(code == ftpcode::kConnectionLost || code == ftpcode::kTransferFailed) << code;
    EXPECT_EQ(ftp.SetCommand("FLAG"), ftpcode::kNotConnected);
    EXPECT_EQ(sim.Events("connect").size(), 1u);
}

TEST(FtpComponentTls, ActiveModeIsRefusedOnThisLibcurlAndTheSessionStays) {
    if (curl_version_info(CURLVERSION_NOW)->version_num >= 0x080000)
        GTEST_SKIP() << "libcurl 8 carries active mode over TLS";
    SimulatorProcess sim(SimOptions(true));
    ASSERT_TRUE(sim.Started()) << sim.StartError();
    CRecorder ftp(true);
    ASSERT_EQ(LogonTo(ftp, sim, false), ftpcode::kOk);
    ftp.SetLocalFile("");
    ftp.SetRemoteFile("model.dat");
    EXPECT_EQ(ftp.Download(), ftpcode::kUnsupported);
    EXPECT_EQ(ftp.ListDirectoryLong(), ftpcode::kUnsupported);
    ASSERT_EQ(ftp.errors.size(), 2u);
    EXPECT_NE(ftp.errors[0].second.find("Active mode over TLS"), std::string::npos);
    EXPECT_EQ(ftp.SetCommand("FLAG"), ftpcode::kOk);
    EXPECT_TRUE(sim.Events("download").empty());
    EXPECT_TRUE(sim.Events("list").empty());
}

TEST(FtpComponentTls, SelfSignedCertificateIsAcceptedAndReported) {
    SimulatorProcess sim(SimOptions(true));
    ASSERT_TRUE(sim.Started()) << sim.StartError();
    CRecorder ftp(true);
    ASSERT_EQ(LogonTo(ftp, sim), ftpcode::kOk);
    EXPECT_NE(ftp.certificate.find("tessary-system-sim"), std::string::npos) << ftp.certificate;
}

}  // namespace
}  // namespace quillmarch
