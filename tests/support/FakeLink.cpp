#include "support/FakeLink.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

namespace quillmarch::test {

namespace {

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

FakeLink::FakeLink(CQuillmarch6App& app, FakeSystem& system, bool secure)
    : CFTPBase(app), m_system(system) {
    m_bSecure = secure;
}

int FakeLink::SetTimeout(int seconds) {
    m_nTimeout = seconds;
    return 0;
}

int FakeLink::SetRemoteHost(const std::string& host) {
    m_strGivenHost = host;
    return 0;
}

int FakeLink::SetLocalFile(const std::string& path) {
    m_strLocalFile = path;
    return 0;
}

int FakeLink::SetRemoteFile(const std::string& name) {
    m_strRemoteFile = name;
    return 0;
}

int FakeLink::SetPassive(bool passive) {
    m_bPassive = passive;
    return 0;
}

int FakeLink::SetPassword(const std::string& password) {
    m_strGivenPassword = password;
    return 0;
}

int FakeLink::SetUser(const std::string& user) {
    m_strGivenUser = user;
    return 0;
}

int FakeLink::Logon() {
    ++m_system.logons;
    if (m_system.awayLeft > 0) {
        --m_system.awayLeft;
        return 10061;
    }
    int code = 0;
    if (!m_system.logonCodes.empty()) {
        code = m_system.logonCodes.front();
        m_system.logonCodes.erase(m_system.logonCodes.begin());
    }
    m_system.connected = code == 0;
    return code;
}

int FakeLink::Logoff() {
    m_system.connected = false;
    return 0;
}

void FakeLink::RunCommand(const std::string& command) {
    m_strLastReply = "200 OK";
    if (command == "FLAG") {
        m_strLastReply =
            "200 " + (m_system.flagOverride.empty()
                          ? (m_system.normalMode ? "NORMAL " : "BOOTUI ") + m_system.modelText
                          : m_system.flagOverride);
    } else if (command == "SWUS") {
        m_system.swusPending = true;
    } else if (command == "RSWU") {
        m_system.swusPending = false;
    } else if (command == "boot" || command == "BOOT") {
        m_system.Restart();
    } else if (command == "ERFL") {
        m_system.files.clear();
    }
}

int FakeLink::SetCommand(const std::string& command) {
    if (!m_system.connected) return kNotConnected;
    m_system.commands.push_back(command);
    if (Contains(m_system.failingCommands, command)) return kNotConnected;
    RunCommand(command);
    return 0;
}

int FakeLink::Upload() {
    if (!m_system.connected) return kNotConnected;
    std::ifstream in(m_strLocalFile, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    OnStartTransfer();
    OnTransferData(static_cast<std::int64_t>(content.size()), content.data(), content.size());
    OnEndTransfer();
    if (Contains(m_system.failingUploads, m_strRemoteFile)) return kTransferFailed;
    m_system.uploads.emplace_back(m_strRemoteFile, content);
    m_system.files[m_strRemoteFile] = content;
    // An image makes the system restart by itself.
    if (m_strRemoteFile == "BRAMBLE" || m_strRemoteFile == "IMAGE0") m_system.Restart();
    return 0;
}

int FakeLink::Download() {
    if (!m_system.connected) return kNotConnected;
    m_system.downloads.push_back(m_strRemoteFile);
    const auto it = m_system.files.find(m_strRemoteFile);
    if (it == m_system.files.end()) return kFileNotFound;
    OnStartTransfer();
    if (m_strLocalFile.empty()) {
        OnTransferData(static_cast<std::int64_t>(it->second.size()), it->second.data(),
                       it->second.size());
    } else {
        std::ofstream(m_strLocalFile, std::ios::binary) << it->second;
    }
    OnEndTransfer();
    return 0;
}

int FakeLink::ListDirectory() {
    if (!m_system.connected) return kNotConnected;
    if (m_system.listingFails) return kTransferFailed;
    for (const auto& file : m_system.files) OnDirListEntry(file.first);
    return 0;
}

std::string FakeLink::Config(const std::string& setting) {
    const auto eq = setting.find('=');
    if (setting.substr(0, eq) == "OutBufferSize") {
        if (eq == std::string::npos) return std::to_string(m_nOutBufferSize);
        m_nOutBufferSize = std::stoll(setting.substr(eq + 1));
    }
    return {};
}

}  // namespace quillmarch::test
