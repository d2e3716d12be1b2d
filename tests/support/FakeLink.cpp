// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/FakeLink.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>

#include "core/job/RunContext.h"

namespace quillmarch::test {

namespace {

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

FakeLink::FakeLink(RunContext& app, FakeSystem& system, bool secure)
    : DeviceLink(app), m_system(system) {
    m_secure = secure;
}

int FakeLink::SetTimeout(int seconds) {
    m_timeout = seconds;
    return 0;
}

int FakeLink::SetRemoteHost(const std::string& host) {
    m_givenHost = host;
    return 0;
}

int FakeLink::SetLocalFile(const std::string& path) {
    m_localFile = path;
    return 0;
}

int FakeLink::SetRemoteFile(const std::string& name) {
    m_remoteFile = name;
    return 0;
}

int FakeLink::SetUploadData(const std::uint8_t* data, std::size_t size) {
    m_uploadData = data;
    m_uploadSize = size;
    m_uploadFromMemory = true;
    return 0;
}

int FakeLink::SetPassive(bool passive) {
    m_passive = passive;
    return 0;
}

int FakeLink::SetPassword(const std::string& password) {
    m_givenPassword = password;
    return 0;
}

int FakeLink::SetUser(const std::string& user) {
    m_givenUser = user;
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
    m_lastReply = "200 OK";
    if (command == "FLAG") {
        m_lastReply =
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
    } else if (command.rfind("DELE ", 0) == 0) {
        m_system.files.erase(command.substr(5));
    }
}

int FakeLink::SetCommand(const std::string& command) {
    if (!m_system.connected) return kNotConnected;
    m_system.commands.push_back(command);
    if (m_system.onCommand) m_system.onCommand(command);
    if (Contains(m_system.failingCommands, command)) return kNotConnected;
    RunCommand(command);
    return 0;
}

int FakeLink::Upload() {
    const bool fromMemory = std::exchange(m_uploadFromMemory, false);
    if (!m_system.connected) return kNotConnected;
    // As the real component's cancel hook does: an operator's stop ends a transfer.
    if (m_app.Interrupt().ShouldStop()) return kAborted;
    std::string content;
    if (fromMemory) {
        content.assign(reinterpret_cast<const char*>(m_uploadData), m_uploadSize);
    } else {
        std::ifstream in(m_localFile, std::ios::binary);
        if (!in) return kTransferFailed;
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    OnStartTransfer();
    OnTransferData(static_cast<std::int64_t>(content.size()), content.data(), content.size());
    OnEndTransfer();
    if (Contains(m_system.failingUploads, m_remoteFile)) return kTransferFailed;
    if (auto drop = m_system.droppedUploads.find(m_remoteFile);
        drop != m_system.droppedUploads.end() && drop->second > 0) {
        --drop->second;
        m_system.files[m_remoteFile] = content.substr(0, content.size() / 2);
        m_system.connected = false;
        return kTransferFailed;
    }
    m_system.uploads.emplace_back(m_remoteFile, content);
    m_system.files[m_remoteFile] = content;
    // An image makes the system restart by itself.
    if (m_remoteFile == "BRAMBLE" || m_remoteFile == "IMAGE0") m_system.Restart();
    return 0;
}

int FakeLink::Download() {
    m_aborted = false;
    if (!m_system.connected) return kNotConnected;
    if (m_app.Interrupt().ShouldStop()) return kAborted;
    m_system.downloads.push_back(m_remoteFile);
    if (m_system.onDownload) m_system.onDownload(m_remoteFile);
    const auto it = m_system.files.find(m_remoteFile);
    if (it == m_system.files.end()) {
        m_lastReply = "550 No such file.";
        return kFileNotFound;
    }
    if (Contains(m_system.failingDownloads, m_remoteFile)) {
        m_lastReply = "426 Transfer aborted.";
        return kTransferFailed;
    }
    m_lastReply = "226 Transfer complete.";
    OnStartTransfer();
    if (m_localFile.empty()) {
        // Delivered in chunks, as a real transfer is, so that a handler can stop it midway.
        const std::string& content = it->second;
        std::size_t sent = 0;
        do {
            const std::size_t n = std::min(kChunk, content.size() - sent);
            sent += n;
            OnTransferData(static_cast<std::int64_t>(sent), content.data() + sent - n, n);
        } while (sent < content.size() && !m_aborted);
    } else {
        std::ofstream(m_localFile, std::ios::binary) << it->second;
    }
    OnEndTransfer();
    if (std::exchange(m_aborted, false)) return kAborted;
    return 0;
}

int FakeLink::ListDirectory() {
    m_aborted = false;
    if (!m_system.connected) return kNotConnected;
    if (m_system.listingFails) return kTransferFailed;
    for (const auto& file : m_system.files) {
        OnDirListEntry(file.first);
        if (m_aborted) break;
    }
    return std::exchange(m_aborted, false) ? kAborted : 0;
}

std::string FakeLink::Config(const std::string& setting) {
    const auto eq = setting.find('=');
    if (setting.substr(0, eq) == "OutBufferSize") {
        if (eq == std::string::npos) return std::to_string(m_outBufferSize);
        m_outBufferSize = std::stoll(setting.substr(eq + 1));
    }
    return {};
}

}  // namespace quillmarch::test
