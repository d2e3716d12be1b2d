// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#ifndef _WIN32
#include <sys/types.h>
#endif

#include <chrono>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace quillmarch::test {

// How to start the system simulator (tools/system-sim/system_sim.py).
struct SSimOptions {
    bool tls = false;
    std::string mode = "normal";      // "normal" or "bootui"
    std::vector<std::string> faults;  // e.g. "silent-banner", "drop-upload:4096"
    std::string password = "secret";
    int model = 9;
    int ftpPort = 0;  // 0: a free port of the simulator's choice
    double timeScale = 0.05;
    int inCall = 0;  // LINESPEED of confstatus.xml: above 0 means the system is in a call
    std::optional<std::string> flagModel =
        std::nullopt;  // model text of the FLAG reply instead of the row's
};

// The simulator as a child process on loopback: started in the constructor (on free ports
// unless told otherwise), stopped with SIGTERM in the destructor. Its state folder is a fresh
// temporary folder, removed afterwards. Check Started() before use.
// On Windows tests/support/sim_guard.py starts and stops it, held by a loopback connection: a
// Windows test under wine can start the Linux interpreter but neither pipe to it nor stop it.
class SimulatorProcess {
public:
    explicit SimulatorProcess(SSimOptions options = {});
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    bool Started() const { return m_ftpPort > 0; }
    const std::string& StartError() const { return m_error; }
    int FtpPort() const { return m_ftpPort; }
    int HttpPort() const { return m_httpPort; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_ftpPort); }
    const std::string& StateDir() const { return m_stateDir; }
    const std::string& Password() const { return m_options.password; }

    // Every complete record of the journal so far, in order.
    std::vector<nlohmann::json> Journal() const;
    // The records whose "event" is `event`.
    std::vector<nlohmann::json> Events(const std::string& event) const;
    // Waits (polling, at most `limit`) until a record with that event and, when given, that
    // boolean field set appears. True when it did.
    bool WaitForEvent(const std::string& event, const std::string& trueField,
                      std::chrono::milliseconds limit) const;

    // Writes a file into the simulator's state folder (served over FTP).
    bool PutFile(const std::string& name, const std::string& content) const;
    // Reads a file of the state folder; empty when it is missing.
    std::string ReadFile(const std::string& name) const;

private:
#ifdef _WIN32
    bool StartGuard(const std::vector<std::string>& options);
    bool ReadAnnouncement();
#else
    bool Spawn(const std::vector<std::string>& arguments, int& readFd);
    bool ReadAnnouncement(int readFd);
#endif
    bool TakeAnnouncement(const std::string& line);
    void Stop();

    SSimOptions m_options;
#ifdef _WIN32
    std::uintptr_t m_guard = ~std::uintptr_t{0};  // the connection to the guard (a SOCKET)
#else
    pid_t m_pid = -1;
    int m_pipe = -1;
#endif
    int m_ftpPort = 0;
    int m_httpPort = 0;
    std::string m_stateDir;
    std::string m_journal;
    std::string m_error;
};

// Deterministic bytes of every value, for transfer tests.
std::string PatternBytes(std::size_t size, unsigned seed);

}  // namespace quillmarch::test
