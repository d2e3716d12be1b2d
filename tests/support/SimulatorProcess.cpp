#include "support/SimulatorProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#ifndef QUILLMARCH_PYTHON
#define QUILLMARCH_PYTHON "/usr/bin/python3"
#endif

namespace quillmarch::test {

namespace fs = std::filesystem;

namespace {

constexpr auto kStartLimit = std::chrono::seconds(30);  // TLS start-up makes a key
constexpr auto kStopLimit = std::chrono::seconds(5);

std::vector<std::string> SimArguments(const SSimOptions& options, const std::string& stateDir) {
    std::vector<std::string> arguments = {
        QUILLMARCH_PYTHON, std::string(QUILLMARCH_SOURCE_DIR) + "/tools/system-sim/system_sim.py",
        "--model",         std::to_string(options.model),
        "--password",      options.password,
        "--mode",          options.mode,
        "--time-scale",    std::to_string(options.timeScale),
        "--state-dir",     stateDir,
        "--ftp-port",      std::to_string(options.ftpPort)};
    if (options.tls) arguments.push_back("--tls");
    if (options.flagModel) {
        arguments.push_back("--flag-model");
        arguments.push_back(*options.flagModel);
    }
    if (options.inCall > 0) {
        arguments.push_back("--in-call");
        arguments.push_back(std::to_string(options.inCall));
    }
    for (const auto& fault : options.faults) {
        arguments.push_back("--fault");
        arguments.push_back(fault);
    }
    return arguments;
}

std::string MakeStateDir() {
    std::string pattern = (fs::temp_directory_path() / "quillmarch-sim-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return {};
    return pattern;
}

}  // namespace

SimulatorProcess::SimulatorProcess(SSimOptions options) : m_options(std::move(options)) {
    m_strStateDir = MakeStateDir();
    if (m_strStateDir.empty()) {
        m_strError = "cannot make a state folder";
        return;
    }
    int readFd = -1;
    if (!Spawn(SimArguments(m_options, m_strStateDir), readFd)) return;
    m_nPipe = readFd;
    if (!ReadAnnouncement(readFd)) Stop();
}

SimulatorProcess::~SimulatorProcess() {
    Stop();
    if (m_nPipe >= 0) close(m_nPipe);
    std::error_code ignored;
    if (!m_strStateDir.empty()) fs::remove_all(m_strStateDir, ignored);
}

bool SimulatorProcess::Spawn(const std::vector<std::string>& arguments, int& readFd) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        m_strError = "pipe failed";
        return false;
    }
    const pid_t parent = getpid();
    m_nPid = fork();
    if (m_nPid == 0) {
        // Only async-signal-safe calls between fork and exec. The simulator dies with us.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        dup2(fds[1], STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    if (m_nPid < 0) {
        close(fds[0]);
        m_strError = "fork failed";
        return false;
    }
    readFd = fds[0];
    return true;
}

bool SimulatorProcess::ReadAnnouncement(int readFd) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    while (line.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd entry{readFd, POLLIN, 0};
        if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) <= 0) {
            m_strError = "the simulator did not announce its ports: " + line;
            return false;
        }
        char buffer[512];
        const ssize_t got = read(readFd, buffer, sizeof buffer);
        if (got <= 0) {
            m_strError = "the simulator ended before announcing its ports: " + line;
            return false;
        }
        line.append(buffer, static_cast<std::size_t>(got));
    }
    const auto ready = nlohmann::json::parse(line.substr(0, line.find('\n')), nullptr, false);
    if (ready.is_discarded() || !ready.contains("ftp_port") || !ready.contains("journal")) {
        m_strError = "unreadable announcement: " + line;
        return false;
    }
    m_nFtpPort = ready["ftp_port"].get<int>();
    m_nHttpPort = ready.value("http_port", 0);
    m_strJournal = ready["journal"].get<std::string>();
    return true;
}

void SimulatorProcess::Stop() {
    if (m_nPid <= 0) return;
    kill(m_nPid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kStopLimit;
    int status = 0;
    while (waitpid(m_nPid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(m_nPid, SIGKILL);
            waitpid(m_nPid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_nPid = -1;
}

std::vector<nlohmann::json> SimulatorProcess::Journal() const {
    std::vector<nlohmann::json> records;
    std::ifstream file(m_strJournal);
    std::string line;
    while (std::getline(file, line)) {
        auto record = nlohmann::json::parse(line, nullptr, false);
        if (!record.is_discarded()) records.push_back(std::move(record));
    }
    return records;
}

std::vector<nlohmann::json> SimulatorProcess::Events(const std::string& event) const {
    std::vector<nlohmann::json> matching;
    for (auto& record : Journal()) {
        if (record.value("event", "") == event) matching.push_back(std::move(record));
    }
    return matching;
}

bool SimulatorProcess::WaitForEvent(const std::string& event, const std::string& trueField,
                                    std::chrono::milliseconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        for (const auto& record : Events(event)) {
            if (trueField.empty() || record.value(trueField, false)) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

bool SimulatorProcess::PutFile(const std::string& name, const std::string& content) const {
    std::ofstream file(fs::path(m_strStateDir) / name, std::ios::binary | std::ios::trunc);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
    return static_cast<bool>(file);
}

std::string SimulatorProcess::ReadFile(const std::string& name) const {
    std::ifstream file(fs::path(m_strStateDir) / name, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

std::string PatternBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (auto& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}

}  // namespace quillmarch::test
