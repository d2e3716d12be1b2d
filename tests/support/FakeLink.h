// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "core/link/DeviceLink.h"
#include "support/FakeSystem.h"

namespace quillmarch::test {

// A device link whose component is an in-memory FakeSystem: the link's own logic (logon,
// commands, transfers through the work directory, listings, events) runs unchanged.
class FakeLink : public DeviceLink {
public:
    static constexpr int kNotConnected = 20001;
    static constexpr int kFileNotFound = 20550;
    static constexpr int kTransferFailed = 20426;
    static constexpr int kAborted = 20312;
    static constexpr std::size_t kChunk = 16 * 1024;

    FakeLink(RunContext& app, FakeSystem& system, bool secure = false);

    int SetTimeout(int seconds) override;
    int SetRemoteHost(const std::string& host) override;
    int SetLocalFile(const std::string& path) override;
    int SetRemoteFile(const std::string& name) override;
    int SetUploadData(const std::uint8_t* data, std::size_t size) override;
    int Upload() override;
    int Download() override;
    int SetPassive(bool passive) override;
    bool GetPassive() override { return m_passive; }
    std::string GetLastReply() override { return m_lastReply; }
    int SetCommand(const std::string& command) override;
    int SetTransferMode(int) override { return 0; }
    int Logon() override;
    int Logoff() override;
    int SetPassword(const std::string& password) override;
    int SetUser(const std::string& user) override;
    int ListDirectory() override;
    std::string GetRemoteFile() override { return m_remoteFile; }
    std::string Config(const std::string& setting) override;
    int Interrupt() override { return Abort(); }
    int Abort() override {
        m_aborted = true;
        return 0;
    }

    // What the component was given, for assertions.
    std::string m_givenHost, m_givenUser, m_givenPassword;
    int m_timeout = 0;
    long long m_outBufferSize = 65536;

private:
    void RunCommand(const std::string& command);

    FakeSystem& m_system;
    bool m_passive = false;
    std::string m_localFile, m_remoteFile, m_lastReply;
    const std::uint8_t* m_uploadData = nullptr;
    std::size_t m_uploadSize = 0;
    bool m_uploadFromMemory = false;
    bool m_aborted = false;
};

}  // namespace quillmarch::test
