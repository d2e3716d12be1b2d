// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/link/DeviceLink.h"
#include "core/link/FtpSession.h"

namespace quillmarch {

// The device link on the built-in FTP component: every primitive is one component call, every
// component event goes to the link's handler. PlainLink and SecureLink pick the kind.
class SessionLink : public DeviceLink, public FtpSession {
public:
    SessionLink(RunContext& app, bool secure);
    ~SessionLink() override;

    [[nodiscard]] int SetTimeout(int seconds) override;
    [[nodiscard]] int SetRemoteHost(const std::string& host) override;
    int SetLocalFile(const std::string& path) override;
    int SetRemoteFile(const std::string& name) override;
    [[nodiscard]] int SetUploadData(const std::uint8_t* data, std::size_t size) override;
    [[nodiscard]] int Upload() override;
    [[nodiscard]] int Download() override;
    int SetPassive(bool passive) override;
    [[nodiscard]] bool GetPassive() override;
    std::string GetLastReply() override;
    [[nodiscard]] int SetCommand(const std::string& command) override;
    [[nodiscard]] int SetTransferMode(int mode) override;
    [[nodiscard]] int Logon() override;
    [[nodiscard]] int Logoff() override;
    [[nodiscard]] int SetPassword(const std::string& password) override;
    [[nodiscard]] int SetUser(const std::string& user) override;
    [[nodiscard]] int ListDirectory() override;
    std::string GetRemoteFile() override;
    std::string Config(const std::string& setting) override;
    int Interrupt() override;
    int Abort() override;

protected:
    void FireConnectionStatus(const std::string& event, int status,
                              const std::string& description) override;
    void FireDirList(const std::string& entry, const std::string& fileName) override;
    void FireEndTransfer() override;
    void FireError(int code, const std::string& description) override;
    void FirePITrail(int direction, const std::string& message) override;
    void FireStartTransfer() override;
    void FireTransfer(std::int64_t bytesSoFar, const char* chunk, std::size_t length) override;
};

}  // namespace quillmarch
