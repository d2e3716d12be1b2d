#include "core/link/CFTPNonSecure.h"

namespace quillmarch {

CFTPNonSecure::CFTPNonSecure(CQuillmarch6App& app) : CFTPBase(app), CFtpComponent(false) {
    m_bSecure = false;
}

CFTPNonSecure::~CFTPNonSecure() = default;

// --- primitives: one component call each ---------------------------------------------------

int CFTPNonSecure::SetTimeout(int seconds) {
    return CFtpComponent::SetTimeout(seconds);
}
int CFTPNonSecure::SetRemoteHost(const std::string& host) {
    return CFtpComponent::SetRemoteHost(host);
}
int CFTPNonSecure::SetLocalFile(const std::string& path) {
    return CFtpComponent::SetLocalFile(path);
}
int CFTPNonSecure::SetRemoteFile(const std::string& name) {
    return CFtpComponent::SetRemoteFile(name);
}
int CFTPNonSecure::Upload() {
    return CFtpComponent::Upload();
}
int CFTPNonSecure::Download() {
    return CFtpComponent::Download();
}
int CFTPNonSecure::SetPassive(bool passive) {
    return CFtpComponent::SetPassive(passive);
}
bool CFTPNonSecure::GetPassive() {
    return CFtpComponent::GetPassive();
}
std::string CFTPNonSecure::GetLastReply() {
    return CFtpComponent::GetLastReply();
}
int CFTPNonSecure::SetCommand(const std::string& command) {
    return CFtpComponent::SetCommand(command);
}
int CFTPNonSecure::SetTransferMode(int mode) {
    return CFtpComponent::SetTransferMode(mode);
}
int CFTPNonSecure::Logon() {
    return CFtpComponent::Logon();
}
int CFTPNonSecure::Logoff() {
    return CFtpComponent::Logoff();
}
int CFTPNonSecure::SetPassword(const std::string& password) {
    return CFtpComponent::SetPassword(password);
}
int CFTPNonSecure::SetUser(const std::string& user) {
    return CFtpComponent::SetUser(user);
}
int CFTPNonSecure::ListDirectory() {
    return CFtpComponent::ListDirectoryLong();
}
std::string CFTPNonSecure::GetRemoteFile() {
    return CFtpComponent::GetRemoteFile();
}
std::string CFTPNonSecure::Config(const std::string& setting) {
    return CFtpComponent::Config(setting);
}
int CFTPNonSecure::Interrupt() {
    return CFtpComponent::Interrupt();
}
int CFTPNonSecure::Abort() {
    return CFtpComponent::Abort();
}

// --- component events to the link's handlers -----------------------------------------------

void CFTPNonSecure::FireConnectionStatus(const std::string& event, int status,
                                         const std::string& description) {
    OnConnectionStatus(event, status, description);
}
void CFTPNonSecure::FireDirList(const std::string&, const std::string& fileName) {
    OnDirListEntry(fileName);
}
void CFTPNonSecure::FireEndTransfer() {
    OnEndTransfer();
}
void CFTPNonSecure::FireError(int code, const std::string& description) {
    OnComponentError(code, description);
}
void CFTPNonSecure::FirePITrail(int direction, const std::string& message) {
    OnProtocolTrail(direction, message);
}
void CFTPNonSecure::FireStartTransfer() {
    OnStartTransfer();
}
void CFTPNonSecure::FireTransfer(std::int64_t bytesSoFar, const char* chunk, std::size_t length) {
    OnTransferData(bytesSoFar, chunk, length);
}

}  // namespace quillmarch
