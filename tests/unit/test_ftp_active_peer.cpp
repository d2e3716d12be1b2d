// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Active mode: the data connection must come from the host of the control connection.
#ifndef _WIN32

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "core/link/FtpSession.h"

namespace quillmarch {
namespace {

// One FTP session on loopback whose data connection for RETR comes from `dataSource` (another
// loopback address plays a host that is not the system).
class ActiveModeServer {
public:
    explicit ActiveModeServer(std::string dataSource) : m_dataSource(std::move(dataSource)) {
        m_listen = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = Loopback("127.0.0.1", 0);
        bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        listen(m_listen, 1);
        socklen_t length = sizeof(address);
        getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~ActiveModeServer() {
        shutdown(m_listen, SHUT_RDWR);
        if (m_thread.joinable()) m_thread.join();
        close(m_listen);
    }
    int Port() const { return m_port; }
    bool DataSent() const { return m_dataSent; }

private:
    static sockaddr_in Loopback(const char* ip, int port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        inet_pton(AF_INET, ip, &address.sin_addr);
        return address;
    }
    static void Say(int fd, const std::string& line) {
        const std::string text = line + "\r\n";
        send(fd, text.data(), text.size(), MSG_NOSIGNAL);
    }
    static bool ReadLine(int fd, std::string& line) {
        line.clear();
        char c = 0;
        while (recv(fd, &c, 1, 0) == 1) {
            if (c == '\n') return true;
            if (c != '\r') line += c;
        }
        return false;
    }
    void Serve() {
        const int control = accept(m_listen, nullptr, nullptr);
        if (control < 0) return;
        timeval bound{10, 0};  // a client that never speaks cannot hold the test
        setsockopt(control, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof(bound));
        Say(control, "220 fake system");
        std::string line;
        while (ReadLine(control, line)) {
            const std::string verb = line.substr(0, 4);
            if (verb == "USER")
                Say(control, "331 password");
            else if (verb == "PASS")
                Say(control, "230 in");
            else if (verb == "PWD")
                Say(control, "257 \"/\"");
            else if (verb == "TYPE")
                Say(control, "200 type");
            else if (verb == "PORT")
                Port(control, line.substr(5));
            else if (verb == "RETR")
                Retrieve(control);
            else if (verb == "QUIT")
                break;
            else
                Say(control, "500 unknown");
        }
        close(control);
    }
    void Port(int control, const std::string& portArgument) {
        unsigned h[4], p[2];
        if (std::sscanf(portArgument.c_str(), "%u,%u,%u,%u,%u,%u", &h[0], &h[1], &h[2], &h[3],
                        &p[0], &p[1]) == 6)
            m_dataPort = static_cast<int>(p[0] * 256 + p[1]);
        Say(control, "200 port");
    }
    void Retrieve(int control) {
        Say(control, "150 opening");
        const int data = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in source = Loopback(m_dataSource.c_str(), 0);
        sockaddr_in target = Loopback("127.0.0.1", m_dataPort);
        if (bind(data, reinterpret_cast<sockaddr*>(&source), sizeof(source)) == 0 &&
            connect(data, reinterpret_cast<sockaddr*>(&target), sizeof(target)) == 0) {
            m_dataSent = send(data, "hello", 5, MSG_NOSIGNAL) == 5;
        }
        close(data);
        Say(control, "226 done");
    }

    std::string m_dataSource;
    int m_listen = -1;
    int m_port = 0;
    int m_dataPort = 0;
    std::atomic<bool> m_dataSent{false};
    std::thread m_thread;
};

class RecordingComponent : public FtpSession {
public:
    RecordingComponent() : FtpSession(false) {}
    std::string received;
    std::vector<std::string> info;

protected:
    void FireTransfer(std::int64_t, const char* chunk, std::size_t length) override {
        received.append(chunk, length);
    }
    void FirePITrail(int direction, const std::string& message) override {
        if (direction == 2) info.push_back(message);
    }
};

struct SPeerCase {
    const char* dataSource;
    bool accepted;
};

TEST(FtpActivePeer, DataConnectionOnlyFromTheControlPeer) {
    for (const SPeerCase c : {SPeerCase{"127.0.0.1", true}, SPeerCase{"127.0.0.2", false}}) {
        ActiveModeServer server(c.dataSource);
        RecordingComponent ftp;
        std::vector<std::string> notices;
        ftp.SetNoticeHook([&](const std::string& text) { notices.push_back(text); });
        EXPECT_EQ(ftp.SetRemoteHost("127.0.0.1:" + std::to_string(server.Port())), ftpcode::kOk);
        EXPECT_EQ(ftp.SetUser("admin"), ftpcode::kOk);
        EXPECT_EQ(ftp.SetPassword("pw"), ftpcode::kOk);
        ftp.SetPassive(false);
        ASSERT_EQ(ftp.Logon(), ftpcode::kOk) << c.dataSource;
        ftp.SetLocalFile("");
        ftp.SetRemoteFile("model.dat");
        const int code = ftp.Download();
        if (c.accepted) {
            EXPECT_EQ(code, ftpcode::kOk);
            EXPECT_EQ(ftp.received, "hello");
            EXPECT_TRUE(notices.empty());
        } else {
            EXPECT_NE(code, ftpcode::kOk);
            EXPECT_EQ(ftp.received, "");
            ASSERT_EQ(notices.size(), 1u);
            EXPECT_EQ(notices[0],
                      "FTP: data connection from 127.0.0.2 refused: the system is at 127.0.0.1");
        }
    }
}

}  // namespace
}  // namespace quillmarch

#endif  // _WIN32
