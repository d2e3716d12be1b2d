// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/SimulatorProcess.h"

#ifdef _WIN32
#include <winsock2.h>  // and <windows.h>
#include <ws2tcpip.h>

#include "core/platform/Platform.h"
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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

// The simulator's options but its state folder.
std::vector<std::string> SimOptionArguments(const SSimOptions& options) {
    std::vector<std::string> arguments = {"--model",      std::to_string(options.model),
                                          "--password",   options.password,
                                          "--mode",       options.mode,
                                          "--time-scale", std::to_string(options.timeScale),
                                          "--ftp-port",   std::to_string(options.ftpPort)};
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

#ifndef _WIN32
std::vector<std::string> SimArguments(const SSimOptions& options, const std::string& stateDir) {
    std::vector<std::string> arguments = {
        QUILLMARCH_PYTHON, std::string(QUILLMARCH_SOURCE_DIR) + "/tools/system-sim/system_sim.py",
        "--state-dir", stateDir};
    for (auto& option : SimOptionArguments(options)) arguments.push_back(std::move(option));
    return arguments;
}

std::string MakeStateDir() {
    std::string pattern = (fs::temp_directory_path() / "quillmarch-sim-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return {};
    return pattern;
}
#endif

}  // namespace

bool SimulatorProcess::TakeAnnouncement(const std::string& line) {
    const auto ready = nlohmann::json::parse(line.substr(0, line.find('\n')), nullptr, false);
    if (ready.is_discarded() || !ready.contains("ftp_port") || !ready.contains("journal")) {
        m_error = "unreadable announcement: " + line;
        return false;
    }
    m_ftpPort = ready["ftp_port"].get<int>();
    m_httpPort = ready.value("http_port", 0);
    m_journal = ready["journal"].get<std::string>();
    if (m_stateDir.empty()) m_stateDir = ready.value("state_dir", "");  // the guard's
    return true;
}

#ifndef _WIN32
SimulatorProcess::SimulatorProcess(SSimOptions options) : m_options(std::move(options)) {
    m_stateDir = MakeStateDir();
    if (m_stateDir.empty()) {
        m_error = "cannot make a state folder";
        return;
    }
    int readFd = -1;
    if (!Spawn(SimArguments(m_options, m_stateDir), readFd)) return;
    m_pipe = readFd;
    if (!ReadAnnouncement(readFd)) Stop();
}

SimulatorProcess::~SimulatorProcess() {
    Stop();
    if (m_pipe >= 0) close(m_pipe);
    std::error_code ignored;
    if (!m_stateDir.empty()) fs::remove_all(m_stateDir, ignored);
}

bool SimulatorProcess::Spawn(const std::vector<std::string>& arguments, int& readFd) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        m_error = "pipe failed";
        return false;
    }
    const pid_t parent = getpid();
    m_pid = fork();
    if (m_pid == 0) {
        // Only async-signal-safe calls between fork and exec. The simulator dies with us.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        dup2(fds[1], STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    if (m_pid < 0) {
        close(fds[0]);
        m_error = "fork failed";
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
            m_error = "the simulator did not announce its ports: " + line;
            return false;
        }
        char buffer[512];
        const ssize_t got = read(readFd, buffer, sizeof buffer);
        if (got <= 0) {
            m_error = "the simulator ended before announcing its ports: " + line;
            return false;
        }
        line.append(buffer, static_cast<std::size_t>(got));
    }
    return TakeAnnouncement(line);
}

void SimulatorProcess::Stop() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kStopLimit;
    int status = 0;
    while (waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_pid = -1;
}
#else
namespace {

std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                         wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(size > 0 ? size : 0));
    return wide;
}

// One argument of a Windows command line, quoted so that it is read back unchanged.
std::wstring Quoted(const std::string& argument) {
    const std::wstring text = Wide(argument);
    if (!text.empty() && text.find_first_of(L" \t\"") == std::wstring::npos) return text;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : text) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// A path of the build machine as this process names it: under wine a Unix path becomes its
// drive form through wine's own kernel32 export; on Windows itself paths are native already.
std::string LocalPath(const std::string& path) {
    using ToDos = WCHAR*(CDECL*)(const char*);
    static const auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (toDos == nullptr || path.empty() || path[0] != '/') return path;
    WCHAR* dos = toDos(path.c_str());
    if (dos == nullptr) return path;
    std::string local = platform::Utf8FromWide(dos);
    HeapFree(GetProcessHeap(), 0, dos);
    return local;
}

bool WaitReadable(SOCKET socket, std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval timeout{static_cast<long>(left.count() / 1000),
                    static_cast<long>(left.count() % 1000 * 1000)};
    return select(0, &readable, nullptr, nullptr, &timeout) > 0;
}

}  // namespace

SimulatorProcess::SimulatorProcess(SSimOptions options) : m_options(std::move(options)) {
    WSADATA winsock;
    if (WSAStartup(MAKEWORD(2, 2), &winsock) != 0) {
        m_error = "winsock did not start";
        return;
    }
    if (!StartGuard(SimOptionArguments(m_options)) || !ReadAnnouncement()) Stop();
}

SimulatorProcess::~SimulatorProcess() {
    Stop();  // the guard removes the state folder
    WSACleanup();
}

bool SimulatorProcess::StartGuard(const std::vector<std::string>& options) {
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (listener == INVALID_SOCKET ||
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener != INVALID_SOCKET) closesocket(listener);
        m_error = "cannot listen for the simulator's guard";
        return false;
    }
    std::wstring commandLine =
        Quoted(QUILLMARCH_PYTHON) + L" " +
        Quoted(std::string(QUILLMARCH_SOURCE_DIR) + "/tests/support/sim_guard.py") + L" " +
        std::to_wstring(ntohs(address.sin_port));
    for (const auto& option : options) commandLine += L" " + Quoted(option);
    const std::wstring program = Wide(LocalPath(QUILLMARCH_PYTHON));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr,
                                        FALSE, 0, nullptr, nullptr, &startup, &process) != 0;
    // The connection, not a handle, ties the guard to this process (wine gives none for it).
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    if (started && WaitReadable(listener, std::chrono::steady_clock::now() + kStartLimit))
        m_guard = accept(listener, nullptr, nullptr);
    closesocket(listener);
    if (m_guard == INVALID_SOCKET) {
        m_error = started ? "the simulator's guard did not connect"
                          : "cannot start " + std::string(QUILLMARCH_PYTHON);
        return false;
    }
    return true;
}

bool SimulatorProcess::ReadAnnouncement() {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    while (line.find('\n') == std::string::npos) {
        if (!WaitReadable(m_guard, deadline)) {
            m_error = "the simulator did not announce its ports: " + line;
            return false;
        }
        char buffer[512];
        const int got = recv(m_guard, buffer, sizeof buffer, 0);
        if (got <= 0) {
            m_error = "the simulator's guard ended before announcing its ports: " + line;
            return false;
        }
        line.append(buffer, static_cast<std::size_t>(got));
    }
    if (!TakeAnnouncement(line)) return false;
    m_journal = LocalPath(m_journal);
    m_stateDir = LocalPath(m_stateDir);
    return true;
}

// The guard stops the simulator once this end is shut, then closes its own end.
void SimulatorProcess::Stop() {
    if (m_guard == INVALID_SOCKET) return;
    shutdown(m_guard, SD_SEND);
    const auto deadline = std::chrono::steady_clock::now() + 2 * kStopLimit;
    char buffer[512];
    while (WaitReadable(m_guard, deadline) && recv(m_guard, buffer, sizeof buffer, 0) > 0) {
    }
    closesocket(m_guard);
    m_guard = INVALID_SOCKET;
}
#endif

std::vector<nlohmann::json> SimulatorProcess::Journal() const {
    std::vector<nlohmann::json> records;
    std::ifstream file(m_journal);
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
    std::ofstream file(fs::path(m_stateDir) / name, std::ios::binary | std::ios::trunc);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
    return static_cast<bool>(file);
}

std::string SimulatorProcess::ReadFile(const std::string& name) const {
    std::ifstream file(fs::path(m_stateDir) / name, std::ios::binary);
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
