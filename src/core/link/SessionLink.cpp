// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/link/SessionLink.h"

namespace quillmarch {

SessionLink::SessionLink(RunContext& app, bool secure) : DeviceLink(app), FtpSession(secure) {
    m_secure = secure;
}

SessionLink::~SessionLink() = default;

// --- primitives: one component call each ---------------------------------------------------

int SessionLink::SetTimeout(int seconds) {
    return FtpSession::SetTimeout(seconds);
}
int SessionLink::SetRemoteHost(const std::string& host) {
    return FtpSession::SetRemoteHost(host);
}
int SessionLink::SetLocalFile(const std::string& path) {
    return FtpSession::SetLocalFile(path);
}
int SessionLink::SetRemoteFile(const std::string& name) {
    return FtpSession::SetRemoteFile(name);
}
int SessionLink::SetUploadData(const std::uint8_t* data, std::size_t size) {
    return FtpSession::SetUploadData(data, size);
}
int SessionLink::Upload() {
    return FtpSession::Upload();
}
int SessionLink::Download() {
    return FtpSession::Download();
}
int SessionLink::SetPassive(bool passive) {
    return FtpSession::SetPassive(passive);
}
bool SessionLink::GetPassive() {
    return FtpSession::GetPassive();
}
std::string SessionLink::GetLastReply() {
    return FtpSession::GetLastReply();
}
int SessionLink::SetCommand(const std::string& command) {
    return FtpSession::SetCommand(command);
}
int SessionLink::SetTransferMode(int mode) {
    return FtpSession::SetTransferMode(mode);
}
int SessionLink::Logon() {
    return FtpSession::Logon();
}
int SessionLink::Logoff() {
    return FtpSession::Logoff();
}
int SessionLink::SetPassword(const std::string& password) {
    return FtpSession::SetPassword(password);
}
int SessionLink::SetUser(const std::string& user) {
    return FtpSession::SetUser(user);
}
int SessionLink::ListDirectory() {
    return FtpSession::ListDirectoryLong();
}
std::string SessionLink::GetRemoteFile() {
    return FtpSession::GetRemoteFile();
}
std::string SessionLink::Config(const std::string& setting) {
    return FtpSession::Config(setting);
}
int SessionLink::Interrupt() {
    return FtpSession::Interrupt();
}
int SessionLink::Abort() {
    return FtpSession::Abort();
}

// --- component events to the link's handlers -----------------------------------------------

void SessionLink::FireConnectionStatus(const std::string& event, int status,
                                       const std::string& description) {
    OnConnectionStatus(event, status, description);
}
void SessionLink::FireDirList(const std::string&, const std::string& fileName) {
    OnDirListEntry(fileName);
}
void SessionLink::FireEndTransfer() {
    OnEndTransfer();
}
void SessionLink::FireError(int code, const std::string& description) {
    OnComponentError(code, description);
}
void SessionLink::FirePITrail(int direction, const std::string& message) {
    OnProtocolTrail(direction, message);
}
void SessionLink::FireStartTransfer() {
    OnStartTransfer();
}
void SessionLink::FireTransfer(std::int64_t bytesSoFar, const char* chunk, std::size_t length) {
    OnTransferData(bytesSoFar, chunk, length);
}

}  // namespace quillmarch
