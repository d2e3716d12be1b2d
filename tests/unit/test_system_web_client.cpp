// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/job/RunContext.h"
#include "core/link/SystemWebClient.h"
#include "support/FakeClock.h"
#include "support/FakeLink.h"
#include "support/FakeSystem.h"
#include "support/RecordingMessageBox.h"

extern char** environ;

namespace quillmarch {
namespace {

namespace fs = std::filesystem;

fs::path MakeTempDir(const std::string& prefix) {
    std::string pattern = (fs::temp_directory_path() / (prefix + "XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) return {};
    return pattern;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// tests/support/http_fixture.py as a child process: a web server on loopback that keeps every
// request it receives byte for byte.
class CFixtureServer {
public:
    CFixtureServer() = default;
    ~CFixtureServer() { Stop(); }
    CFixtureServer(const CFixtureServer&) = delete;
    CFixtureServer& operator=(const CFixtureServer&) = delete;

    // False, with the fixture's reason, when it could not listen (a privileged port, no IPv6).
    bool Start(const std::vector<std::string>& options, std::string& error) {
        m_dir = MakeTempDir("web-fixture-");
        std::vector<std::string> argv = {
            QUILLMARCH_PYTHON,
            std::string(QUILLMARCH_SOURCE_DIR) + "/tests/support/http_fixture.py", "--record-dir",
            m_dir.string()};
        argv.insert(argv.end(), options.begin(), options.end());
        const std::string line = SpawnAndReadLine(argv);
        const auto at = line.find("\"port\": ");
        if (at == std::string::npos) {
            error = line.empty() ? "no answer from the fixture" : line;
            Stop();
            return false;
        }
        m_port = std::atoi(line.c_str() + at + 8);
        return m_port > 0;
    }

    void Stop() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            int status = 0;
            for (int i = 0; i < 500 && waitpid(m_pid, &status, WNOHANG) == 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (waitpid(m_pid, &status, WNOHANG) == 0) {
                kill(m_pid, SIGKILL);
                waitpid(m_pid, &status, 0);
            }
            m_pid = -1;
        }
        if (!m_dir.empty()) fs::remove_all(m_dir);
        m_dir.clear();
    }

    int Port() const { return m_port; }

    // What arrived, in order: the kinds ("request", "handshake-failed", "not-http").
    std::vector<std::string> Events() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir)) {
            const std::string name = entry.path().filename().string();
            if (name.find(".tmp") == std::string::npos) names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        for (std::string& name : names) name = name.substr(name.find('.') + 1);
        return names;
    }

    // The raw bytes of every HTTP request received, in order.
    std::vector<std::string> Requests() const {
        std::vector<fs::path> paths;
        for (const auto& entry : fs::directory_iterator(m_dir))
            if (entry.path().extension() == ".request") paths.push_back(entry.path());
        std::sort(paths.begin(), paths.end());
        std::vector<std::string> requests;
        for (const fs::path& path : paths) requests.push_back(ReadFile(path));
        return requests;
    }

private:
    std::string SpawnAndReadLine(const std::vector<std::string>& argv) {
        int fds[2];
        if (pipe(fds) != 0) return {};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::vector<char*> args;
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        const int rc = posix_spawn(&m_pid, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (rc != 0) m_pid = -1;
        std::string line;
        char c = 0;
        pollfd reader{fds[0], POLLIN, 0};
        // Bounded: a fixture that never answers fails the test instead of hanging it.
        while (m_pid > 0 && poll(&reader, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            line += c;
        close(fds[0]);
        return line;
    }

    pid_t m_pid = -1;
    int m_port = 0;
    fs::path m_dir;
};

// Sets an environment variable for one scope.
class CScopedEnv {
public:
    CScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        setenv(name, value, 1);
    }
    ~CScopedEnv() {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }
    CScopedEnv(const CScopedEnv&) = delete;
    CScopedEnv& operator=(const CScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string RequestLine(const std::string& raw) {
    return raw.substr(0, raw.find("\r\n"));
}

std::string Body(const std::string& raw) {
    const auto end = raw.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : raw.substr(end + 4);
}

// Every value of a header, whatever the case of its name.
std::vector<std::string> HeaderValues(const std::string& raw, const std::string& name) {
    std::vector<std::string> values;
    const std::string head = raw.substr(0, raw.find("\r\n\r\n"));
    std::istringstream lines(head);
    std::string line;
    std::getline(lines, line);  // the request line
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto colon = line.find(':');
        if (colon == std::string::npos || Lower(line.substr(0, colon)) != Lower(name)) continue;
        const auto start = line.find_first_not_of(' ', colon + 1);
        values.push_back(start == std::string::npos ? "" : line.substr(start));
    }
    return values;
}

using Strings = std::vector<std::string>;

// ---------------------------------------------------------------------------------------------
// Pure rules

TEST(SystemWebClientRules, LineSpeedDecidesTheCallState) {
    const struct {
        const char* response;
        bool inCall;
    } cases[] = {
        {"<?xml?><ConfStatus><LINESPEED>0</LINESPEED></ConfStatus>", false},
        {"<?xml?><ConfStatus><LINESPEED>384</LINESPEED></ConfStatus>", true},
        {"<LINESPEED>1</LINESPEED>", true},
        {"<LINESPEED> 64</LINESPEED>", true},
        {"<LINESPEED>-384</LINESPEED>", false},
        {"<LINESPEED>fast</LINESPEED>", false},
        {"<LINESPEED></LINESPEED>", false},
        // Without the opening tag the digits are read from 10 characters in.
        {"0123456789384</LINESPEED>", true},
        {"0123456789x384</LINESPEED>", false},
        {"ABCDEFGHI-5</LINESPEED>", true},
        {"ABCDEFGHI5x</LINESPEED>", false},
        {"0123456789</LINESPEED>", false},
        // No closing tag after the value: no call, whatever the digits.
        {"<LINESPEED>384", false},
        {"</LINESPEED><LINESPEED>384", false},
        // The first element decides.
        {"<LINESPEED>0</LINESPEED><LINESPEED>384</LINESPEED>", false},
        // Ten characters or fewer are never a status.
        {"", false},
        {"384</LINES", false},
        {"0123456789", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.response);
        EXPECT_EQ(SystemWebClient::LineSpeedShowsCall(c.response), c.inCall);
    }
}

TEST(SystemWebClientRules, NotificationBodyTurnsOnlySpacesIntoPlus) {
    const struct {
        const char* message;
        const char* body;
    } cases[] = {
        {"Update begins now", "message=Update+begins+now\r\n"},
        {"", "message=\r\n"},
        {"  two  spaces", "message=++two++spaces\r\n"},
        {"a&b=c%20+d", "message=a&b=c%20+d\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(SystemWebClient::NotificationBody(c.message), c.body);
    }
}

TEST(SystemWebClientRules, PortFileNamesLeadingDigitsElse80) {
    const struct {
        const char* text;
        int port;
    } cases[] = {
        {"8080", 8080},     {"8080\r\n", 8080}, {" \t 8080", 8080},
        {"8080 tcp", 8080}, {"443x", 443},      {"65535", 65535},
        {"1", 1},           {"", 80},           {"   ", 80},
        {"port 8080", 80},  {"-8080", 80},      {"+8080", 80},
        {"0", 80},          {"65536", 80},      {"99999999999999999999", 80},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SystemWebClient::PortFromText(c.text), c.port);
    }
}

// ---------------------------------------------------------------------------------------------
// Requests through a fake link to a web server on loopback

class SystemWebClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = MakeTempDir("web-client-test-");
        ASSERT_FALSE(m_dir.empty());
        app.m_log.SetStampSource([] { return std::string("T"); });
        std::string error;
        ASSERT_TRUE(app.m_log.Open((m_dir / "web.log").string(), error)) << error;
        app.SetLinkFactory([this](RunContext& owner, bool secure) {
            return std::make_unique<test::FakeLink>(owner, system, secure);
        });
        app.Job().target.address = "127.0.0.1";
        app.Job().target.password = "admin";
    }
    void TearDown() override {
        app.m_log.Close();
        fs::remove_all(m_dir);
    }

    void Connect(bool secure) {
        app.BuildCatalogue();
        ASSERT_TRUE(app.CreateLink(secure));
        ASSERT_TRUE(app.m_link->LogonToSystem("127.0.0.1", "admin", app.Job().target.password));
    }

    // Starts a fixture and points webaccessport.dat at it.
    void Serve(CFixtureServer& server, const Strings& options) {
        std::string error;
        ASSERT_TRUE(server.Start(options, error)) << error;
        system.files["webaccessport.dat"] = std::to_string(server.Port());
    }

    int LogCount(const std::string& text) const {
        const std::string log = ReadFile(m_dir / "web.log");
        const std::string record = "T : " + text + "\n";
        int count = 0;
        for (auto at = log.find(record); at != std::string::npos; at = log.find(record, at + 1))
            ++count;
        return count;
    }

    fs::path m_dir;
    test::FakeClock clock;
    test::RecordingMessageBox box;
    test::FakeSystem system;  // outlives the link inside the application
    RunContext app{clock, box};
    SystemWebClient client{app};
};

TEST_F(SystemWebClientTest, WebEnabledFileGatesBothRequests) {
    CFixtureServer server;
    Serve(server, {"--linespeed", "384"});
    Connect(false);
    const struct {
        std::optional<std::string> content;  // nullopt: the system has no such file
        bool allowed;
    } cases[] = {
        {"false", false},       {" FALSE \n", false}, {"False", false},
        {"\tfAlSe\r\n", false}, {"True", true},       {"", true},
        {"falsely", true},      {"not false", true},  {std::nullopt, true},
    };
    int disabledCases = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content.value_or("(no file)"));
        if (c.content)
            system.files["webenabled.dat"] = *c.content;
        else
            system.files.erase("webenabled.dat");
        const std::size_t before = server.Requests().size();
        EXPECT_EQ(client.IsSystemInCall(), c.allowed);
        EXPECT_EQ(client.NotifySystem("Update begins now"), c.allowed);
        EXPECT_EQ(server.Requests().size(), before + (c.allowed ? 2 : 0));
        disabledCases += c.allowed ? 0 : 1;
        EXPECT_EQ(LogCount("Webserver not enabled on the system"), 2 * disabledCases);
    }
    EXPECT_EQ(LogCount("System NOT notified about update"), disabledCases);
}

TEST_F(SystemWebClientTest, CallStateComesFromTheServersLineSpeed) {
    // A proxy in the environment must not catch requests meant for the system.
    CScopedEnv httpProxy("http_proxy", "http://127.0.0.1:9");
    CScopedEnv allProxy("ALL_PROXY", "http://127.0.0.1:9");
    for (const auto& [lineSpeed, inCall] : {std::pair{"0", false}, std::pair{"384", true}}) {
        SCOPED_TRACE(lineSpeed);
        CFixtureServer server;
        Serve(server, {"--linespeed", lineSpeed});
        Connect(false);
        system.downloads.clear();
        EXPECT_EQ(client.IsSystemInCall(), inCall);
        EXPECT_EQ(system.downloads, (Strings{"webenabled.dat", "webaccessport.dat"}));
        EXPECT_EQ(LogCount("Webserver port: " + std::to_string(server.Port())), 1);
        const Strings requests = server.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(RequestLine(requests[0]), "GET /confstatus.xml HTTP/1.1");
        EXPECT_EQ(HeaderValues(requests[0], "Content-Type"), Strings{"plain/text"});
        EXPECT_EQ(HeaderValues(requests[0], "Authorization"), Strings{"Basic QWRtaW46YWRtaW4="});
        EXPECT_EQ(HeaderValues(requests[0], "Content-Length"), Strings{});
        EXPECT_EQ(Body(requests[0]), "");
    }
}

TEST_F(SystemWebClientTest, NotificationOnTheWire) {
    CFixtureServer server;
    Serve(server, {"--password", "secret"});
    app.Job().target.password = "secret";
    Connect(false);
    EXPECT_TRUE(client.NotifySystem("Update begins now"));
    EXPECT_EQ(LogCount("System notified about update"), 1);
    const Strings requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string& raw = requests[0];
    EXPECT_EQ(RequestLine(raw), "POST /a_sendmessage.cgi HTTP/1.1");
    EXPECT_EQ(HeaderValues(raw, "Content-Length"), Strings{"27"});
    EXPECT_EQ(HeaderValues(raw, "Content-Type"), Strings{"application/x-www-form-urlencoded"});
    EXPECT_EQ(HeaderValues(raw, "Authorization"), Strings{"Basic QWRtaW46c2VjcmV0"});
    EXPECT_EQ(HeaderValues(raw, "Host"), Strings{"127.0.0.1:" + std::to_string(server.Port())});
    EXPECT_EQ(Body(raw), "message=Update+begins+now\r\n");
}

TEST_F(SystemWebClientTest, CredentialsDecideTheAnswer) {
    const struct {
        const char* appPassword;
        const char* serverPassword;
        const char* authorization;
        bool notified;
    } cases[] = {
        {"secret", "secret", "Basic QWRtaW46c2VjcmV0", true},
        {"wrong", "secret", "Basic QWRtaW46d3Jvbmc=", false},  // 401: answered, refused
        {"", " ", "Basic QWRtaW46IA==", true},                 // an empty password is " "
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.appPassword);
        CFixtureServer server;
        Serve(server, {"--password", c.serverPassword});
        app.Job().target.password = c.appPassword;
        Connect(false);
        const int good = LogCount("System notified about update");
        const int bad = LogCount("System NOT notified about update");
        EXPECT_EQ(client.NotifySystem("Update begins now"), c.notified);
        EXPECT_EQ(LogCount("System notified about update"), good + (c.notified ? 1 : 0));
        EXPECT_EQ(LogCount("System NOT notified about update"), bad + (c.notified ? 0 : 1));
        const Strings requests = server.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(HeaderValues(requests[0], "Authorization"), Strings{c.authorization});
    }
}

TEST_F(SystemWebClientTest, AddressKeepsItsHostAndDropsTheFtpPort) {
    const struct {
        const char* address;
        const char* listenOn;
        const char* hostHeader;
    } cases[] = {
        {"127.0.0.1:2121", "127.0.0.1", "127.0.0.1"},
        {"[::1]:2121", "::1", "[::1]"},
        {"::1", "::1", "[::1]"},
    };
    Connect(false);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        CFixtureServer server;
        std::string error;
        // Some machines have no IPv6 loopback; the IPv4 case has run by then.
        if (!server.Start({"--host", c.listenOn, "--linespeed", "1"}, error))
            GTEST_SKIP() << "cannot listen on " << c.listenOn << " (" << error << ")";
        system.files["webaccessport.dat"] = std::to_string(server.Port());
        app.Job().target.address = c.address;
        EXPECT_TRUE(client.IsSystemInCall());
        const Strings requests = server.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(HeaderValues(requests[0], "Host"),
                  Strings{std::string(c.hostHeader) + ":" + std::to_string(server.Port())});
    }
}

TEST_F(SystemWebClientTest, MissingPortFileMeansPort80WithoutALogLine) {
    Connect(false);
    system.files.erase("webaccessport.dat");
    // Port 80 needs privileges and may be taken: observe it only when this test can listen.
    CFixtureServer server;
    std::string error;
    const bool listening = server.Start({"--port", "80", "--linespeed", "384"}, error);
    const bool inCall = client.IsSystemInCall();
    EXPECT_EQ(system.downloads, (Strings{"webenabled.dat", "webaccessport.dat"}));
    EXPECT_EQ(ReadFile(m_dir / "web.log").find("Webserver port:"), std::string::npos);
    if (!listening) GTEST_SKIP() << "cannot listen on 127.0.0.1:80 (" << error << ")";
    EXPECT_TRUE(inCall);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(HeaderValues(server.Requests()[0], "Host"), Strings{"127.0.0.1"});
}

TEST_F(SystemWebClientTest, SecureLinkRetriesOnlyForAnUntrustedCertificate) {
    Connect(true);
    system.files["webaccessport.dat"] = "8080";  // not read for the secure link
    {
        CFixtureServer server;
        std::string error;
        if (!server.Start({"--port", "443", "--tls", "--linespeed", "384"}, error))
            GTEST_SKIP() << "cannot listen on 127.0.0.1:443 (" << error << ")";
        // The first send checks the certificate and fails; the second goes without checks.
        EXPECT_TRUE(client.IsSystemInCall());
        EXPECT_EQ(server.Events(), (Strings{"handshake-failed", "request"}));
        ASSERT_EQ(server.Requests().size(), 1u);
        EXPECT_EQ(RequestLine(server.Requests()[0]), "GET /confstatus.xml HTTP/1.1");
    }
    EXPECT_EQ(system.downloads, (Strings{"webenabled.dat"}));
    EXPECT_EQ(LogCount("Webserver port: 8080"), 0);
    {
        // A server that speaks no TLS: a failure no retry can cure, so one send only.
        CFixtureServer server;
        std::string error;
        if (!server.Start({"--port", "443"}, error))
            GTEST_SKIP() << "127.0.0.1:443 taken meanwhile (" << error << ")";
        EXPECT_FALSE(client.IsSystemInCall());
        EXPECT_EQ(server.Events(), Strings{"not-http"});
    }
}

}  // namespace
}  // namespace quillmarch
