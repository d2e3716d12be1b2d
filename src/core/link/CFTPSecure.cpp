#include "core/link/CFTPSecure.h"

namespace quillmarch {

CFTPSecure::CFTPSecure(CQuillmarch6App& app) : CFTPBase(app), CFtpComponent(true) {
    CFtpComponent::SetRemotePort(990);  // implicit TLS
    m_bSecure = true;
}

CFTPSecure::~CFTPSecure() = default;

// --- primitives: one component call each ---------------------------------------------------

int CFTPSecure::SetTimeout(int seconds) {
    return CFtpComponent::SetTimeout(seconds);
}
int CFTPSecure::SetRemoteHost(const std::string& host) {
    return CFtpComponent::SetRemoteHost(host);
}
int CFTPSecure::SetLocalFile(const std::string& path) {
    return CFtpComponent::SetLocalFile(path);
}
int CFTPSecure::SetRemoteFile(const std::string& name) {
    return CFtpComponent::SetRemoteFile(name);
}
int CFTPSecure::Upload() {
    return CFtpComponent::Upload();
}
int CFTPSecure::Download() {
    return CFtpComponent::Download();
}
int CFTPSecure::SetPassive(bool passive) {
    return CFtpComponent::SetPassive(passive);
}
bool CFTPSecure::GetPassive() {
    return CFtpComponent::GetPassive();
}
std::string CFTPSecure::GetLastReply() {
    return CFtpComponent::GetLastReply();
}
int CFTPSecure::SetCommand(const std::string& command) {
    return CFtpComponent::SetCommand(command);
}
int CFTPSecure::SetTransferMode(int mode) {
    return CFtpComponent::SetTransferMode(mode);
}
int CFTPSecure::Logon() {
    return CFtpComponent::Logon();
}
int CFTPSecure::Logoff() {
    return CFtpComponent::Logoff();
}
int CFTPSecure::SetPassword(const std::string& password) {
    return CFtpComponent::SetPassword(password);
}
int CFTPSecure::SetUser(const std::string& user) {
    return CFtpComponent::SetUser(user);
}
int CFTPSecure::ListDirectory() {
    return CFtpComponent::ListDirectoryLong();
}
std::string CFTPSecure::GetRemoteFile() {
    return CFtpComponent::GetRemoteFile();
}
std::string CFTPSecure::Config(const std::string& setting) {
    return CFtpComponent::Config(setting);
}
int CFTPSecure::Interrupt() {
    return CFtpComponent::Interrupt();
}
int CFTPSecure::Abort() {
    return CFtpComponent::Abort();
}

// --- component events to the link's handlers -----------------------------------------------

void CFTPSecure::FireConnectionStatus(const std::string& event, int status,
                                      const std::string& description) {
    OnConnectionStatus(event, status, description);
}
void CFTPSecure::FireDirList(const std::string&, const std::string& fileName) {
    OnDirListEntry(fileName);
}
void CFTPSecure::FireEndTransfer() {
    OnEndTransfer();
}
void CFTPSecure::FireError(int code, const std::string& description) {
    OnComponentError(code, description);
}
void CFTPSecure::FirePITrail(int direction, const std::string& message) {
    OnProtocolTrail(direction, message);
}
void CFTPSecure::FireStartTransfer() {
    OnStartTransfer();
}
void CFTPSecure::FireTransfer(std::int64_t bytesSoFar, const char* chunk, std::size_t length) {
    OnTransferData(bytesSoFar, chunk, length);
}

}  // namespace quillmarch
