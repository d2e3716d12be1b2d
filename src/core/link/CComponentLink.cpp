#include "core/link/CComponentLink.h"

namespace quillmarch {

CComponentLink::CComponentLink(CQuillmarch6App& app, bool secure)
    : CFTPBase(app), CFtpComponent(secure) {
    m_bSecure = secure;
}

CComponentLink::~CComponentLink() = default;

// --- primitives: one component call each ---------------------------------------------------

int CComponentLink::SetTimeout(int seconds) {
    return CFtpComponent::SetTimeout(seconds);
}
int CComponentLink::SetRemoteHost(const std::string& host) {
    return CFtpComponent::SetRemoteHost(host);
}
int CComponentLink::SetLocalFile(const std::string& path) {
    return CFtpComponent::SetLocalFile(path);
}
int CComponentLink::SetRemoteFile(const std::string& name) {
    return CFtpComponent::SetRemoteFile(name);
}
int CComponentLink::SetUploadData(const std::uint8_t* data, std::size_t size) {
    return CFtpComponent::SetUploadData(data, size);
}
int CComponentLink::Upload() {
    return CFtpComponent::Upload();
}
int CComponentLink::Download() {
    return CFtpComponent::Download();
}
int CComponentLink::SetPassive(bool passive) {
    return CFtpComponent::SetPassive(passive);
}
bool CComponentLink::GetPassive() {
    return CFtpComponent::GetPassive();
}
std::string CComponentLink::GetLastReply() {
    return CFtpComponent::GetLastReply();
}
int CComponentLink::SetCommand(const std::string& command) {
    return CFtpComponent::SetCommand(command);
}
int CComponentLink::SetTransferMode(int mode) {
    return CFtpComponent::SetTransferMode(mode);
}
int CComponentLink::Logon() {
    return CFtpComponent::Logon();
}
int CComponentLink::Logoff() {
    return CFtpComponent::Logoff();
}
int CComponentLink::SetPassword(const std::string& password) {
    return CFtpComponent::SetPassword(password);
}
int CComponentLink::SetUser(const std::string& user) {
    return CFtpComponent::SetUser(user);
}
int CComponentLink::ListDirectory() {
    return CFtpComponent::ListDirectoryLong();
}
std::string CComponentLink::GetRemoteFile() {
    return CFtpComponent::GetRemoteFile();
}
std::string CComponentLink::Config(const std::string& setting) {
    return CFtpComponent::Config(setting);
}
int CComponentLink::Interrupt() {
    return CFtpComponent::Interrupt();
}
int CComponentLink::Abort() {
    return CFtpComponent::Abort();
}

// --- component events to the link's handlers -----------------------------------------------

void CComponentLink::FireConnectionStatus(const std::string& event, int status,
                                          const std::string& description) {
    OnConnectionStatus(event, status, description);
}
void CComponentLink::FireDirList(const std::string&, const std::string& fileName) {
    OnDirListEntry(fileName);
}
void CComponentLink::FireEndTransfer() {
    OnEndTransfer();
}
void CComponentLink::FireError(int code, const std::string& description) {
    OnComponentError(code, description);
}
void CComponentLink::FirePITrail(int direction, const std::string& message) {
    OnProtocolTrail(direction, message);
}
void CComponentLink::FireStartTransfer() {
    OnStartTransfer();
}
void CComponentLink::FireTransfer(std::int64_t bytesSoFar, const char* chunk, std::size_t length) {
    OnTransferData(bytesSoFar, chunk, length);
}

}  // namespace quillmarch
