#include "core/link/CFtpComponent.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <system_error>

#include "core/link/FtpHelpers.h"
#include "core/platform/Platform.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#endif

namespace quillmarch {

using ftp::EqualsNoCase;
using ftp::HasLineBreak;
using ftp::Trim;
using ftp::ValidHost;

namespace {

constexpr long kNeverExpireSeconds = 10L * 365 * 24 * 3600;  // keep an idle session for good
constexpr long kMinUploadBuffer = 16 * 1024;                 // libcurl's accepted range
constexpr long kMaxUploadBuffer = 2 * 1024 * 1024;
constexpr int kPollMilliseconds = 10;

void InitCurlOnce() {
    // libcurl counts its initialisations, so main() may call curl_global_init as well.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

CFtpComponent::CFtpComponent(bool secure) : m_bTls(secure) {
    InitCurlOnce();
}

CFtpComponent::~CFtpComponent() {
    CloseHandle();
}

bool CFtpComponent::IsAvailable(bool secure) {
    InitCurlOnce();
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    if (info == nullptr || info->protocols == nullptr) return false;
    if (secure && (info->features & CURL_VERSION_SSL) == 0) return false;
    const std::string_view wanted = secure ? "ftps" : "ftp";
    for (const char* const* protocol = info->protocols; *protocol != nullptr; ++protocol) {
        if (EqualsNoCase(*protocol, wanted)) return true;
    }
    return false;
}

// --- properties ------------------------------------------------------------------------------

int CFtpComponent::SetRemoteHost(const std::string& host) {
    m_strRemoteHost = host;
    m_hostPort = address::SplitHostPort(host);
    return m_hostPort.valid && ValidHost(m_hostPort.host) ? ftpcode::kOk
                                                          : ftpcode::kInvalidArgument;
}

int CFtpComponent::SetRemotePort(int port) {
    if (port < 0 || port > 65535) return ftpcode::kInvalidArgument;
    m_nRemotePort = port;
    return ftpcode::kOk;
}

int CFtpComponent::SetUser(const std::string& user) {
    m_strUser = user;
    return HasLineBreak(user) ? ftpcode::kInvalidArgument : ftpcode::kOk;
}

int CFtpComponent::SetPassword(const std::string& password) {
    m_strPassword = password;
    return HasLineBreak(password) ? ftpcode::kInvalidArgument : ftpcode::kOk;
}

int CFtpComponent::SetLocalFile(const std::string& path) {
    m_strLocalFile = path;
    return ftpcode::kOk;
}

int CFtpComponent::SetRemoteFile(const std::string& name) {
    m_strRemoteFile = name;
    return ftpcode::kOk;
}

int CFtpComponent::SetUploadData(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr && size != 0) return ftpcode::kInvalidArgument;
    m_pUploadData = data;
    m_nUploadDataSize = size;
    m_bUploadFromMemory = true;
    return ftpcode::kOk;
}

int CFtpComponent::SetPassive(bool passive) {
    m_bPassive = passive;
    return ftpcode::kOk;
}

int CFtpComponent::SetTimeout(int seconds) {
    if (seconds < 0) return ftpcode::kInvalidArgument;
    m_nTimeout = seconds;
    return ftpcode::kOk;
}

int CFtpComponent::SetTransferMode(int mode) {
    if (mode < 0 || mode > 2) return ftpcode::kInvalidArgument;
    m_nTransferMode = mode;
    return ftpcode::kOk;
}

std::string CFtpComponent::Config(const std::string& setting) {
    const auto equals = setting.find('=');
    const std::string name = Trim(std::string_view(setting).substr(0, equals));
    if (equals == std::string::npos) return ConfigValue(name);
    const std::string value = Trim(std::string_view(setting).substr(equals + 1));
    bool applied = false;
    if (EqualsNoCase(name, "UseRemoteHostAddressForPassive")) {
        applied = ftp::ParseFlag(value, m_bRemoteHostForPassive);
    } else if (EqualsNoCase(name, "AbsoluteTimeout")) {
        applied = ftp::ParseFlag(value, m_bAbsoluteTimeout);
    } else if (EqualsNoCase(name, "OutBufferSize")) {
        applied = ftp::ParseNumber(value, 1, m_nOutBufferSize);
    } else if (EqualsNoCase(name, "ReplyTimeout")) {
        applied = ftp::ParseNumber(value, 1, m_nReplySeconds);
    } else if (EqualsNoCase(name, "StallTimeout")) {
        applied = ftp::ParseNumber(value, 1, m_nStallSeconds);
    } else if (EqualsNoCase(name, "ConnectTimeout")) {
        applied = ftp::ParseNumber(value, 1, m_nConnectSeconds);
    } else if (EqualsNoCase(name, "TransferTimeout")) {
        applied = ftp::ParseNumber(value, 1, m_nTransferSeconds);
    }
    return applied ? ConfigValue(name) : std::string();
}

std::string CFtpComponent::ConfigValue(const std::string& name) const {
    if (EqualsNoCase(name, "UseRemoteHostAddressForPassive"))
        return m_bRemoteHostForPassive ? "true" : "false";
    if (EqualsNoCase(name, "AbsoluteTimeout")) return m_bAbsoluteTimeout ? "true" : "false";
    if (EqualsNoCase(name, "OutBufferSize")) return std::to_string(m_nOutBufferSize);
    if (EqualsNoCase(name, "ReplyTimeout")) return std::to_string(m_nReplySeconds);
    if (EqualsNoCase(name, "StallTimeout")) return std::to_string(m_nStallSeconds);
    if (EqualsNoCase(name, "ConnectTimeout")) return std::to_string(m_nConnectSeconds);
    if (EqualsNoCase(name, "TransferTimeout")) return std::to_string(m_nTransferSeconds);
    return {};
}

// --- methods ---------------------------------------------------------------------------------

int CFtpComponent::Logon() {
    m_bStop = false;
    CloseHandle();  // a second logon starts a new session
    m_bConnected = false;
    if (const int code = ValidateLogon(); code != ftpcode::kOk) return code;
    m_pCurl.reset(curl_easy_init());
    m_pMulti.reset(curl_multi_init());
    if (!m_pCurl || !m_pMulti)
        return Fail(ftpcode::kProtocolError, "libcurl could not create a session");
    curl_multi_setopt(m_pMulti.get(), CURLMOPT_MAXCONNECTS, 1L);
    m_bInLogon = true;
    const CURLcode result = Perform(EOperation::kLogon);
    m_bInLogon = false;
    if (const int code = Finish(EOperation::kLogon, result); code != ftpcode::kOk) {
        CloseHandle();
        return code;
    }
    m_bConnected = true;
    ReportCertificate();
    FireConnectionStatus(
        "Connected", 0,
        "Logged on to " + m_hostPort.host + " port " + std::to_string(ControlPort()));
    return ftpcode::kOk;
}

int CFtpComponent::ValidateLogon() {
    if (!m_hostPort.valid || !ValidHost(m_hostPort.host))
        return Fail(ftpcode::kInvalidArgument, "Malformed address: " + m_strRemoteHost);
    if (HasLineBreak(m_strUser) || HasLineBreak(m_strPassword))
        return Fail(ftpcode::kInvalidArgument, "User or password contains a line break");
    return ftpcode::kOk;
}

int CFtpComponent::Logoff() {
    const bool wasConnected = m_bConnected;
    if (m_bConnected && SessionAlive()) {
        // QUIT as a command of our own, so that the trail shows it.
        curl_slist quit{const_cast<char*>("*QUIT"), nullptr};
        Perform(EOperation::kCommand, &quit);
    }
    CloseHandle();
    m_bConnected = false;
    if (wasConnected) FireConnectionStatus("Disconnected", 0, "Logged off");
    return ftpcode::kOk;
}

int CFtpComponent::SetCommand(const std::string& command) {
    m_bStop = false;
    if (command.empty() || HasLineBreak(command))
        return Fail(ftpcode::kInvalidArgument, "A command is one non-empty line");
    if (const int code = CheckSession(); code != ftpcode::kOk) return code;
    // The "*" keeps the session when the server refuses: the reply code is judged here.
    std::string quoted = "*" + command;
    curl_slist quote{quoted.data(), nullptr};
    m_strLastReply.clear();
    return Finish(EOperation::kCommand, Perform(EOperation::kCommand, &quote));
}

int CFtpComponent::Upload() {
    m_bStop = false;
    int code = CheckSession();
    if (code == ftpcode::kOk) code = CheckDataMode();
    if (code == ftpcode::kOk) code = PrepareUpload();
    if (code == ftpcode::kOk) {
        const CURLcode result = Perform(EOperation::kUpload);
        m_inFile.close();
        EndTransfer(result == CURLE_OK);
        code = Finish(EOperation::kUpload, result);
    }
    m_bUploadFromMemory = false;  // the caller's bytes are not touched again
    m_pUploadData = nullptr;
    return code;
}

int CFtpComponent::PrepareUpload() {
    if (m_strRemoteFile.empty()) return Fail(ftpcode::kInvalidArgument, "No remote file name");
    m_nBytes = 0;
    m_bStarted = false;
    if (m_bUploadFromMemory) {
        m_nUploadSize = static_cast<std::int64_t>(m_nUploadDataSize);
        return ftpcode::kOk;
    }
    const auto path = platform::PathFromUtf8(m_strLocalFile);
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    m_inFile.close();
    m_inFile.clear();
    if (!error) m_inFile.open(path, std::ios::binary);
    if (error || !m_inFile.is_open())
        return Fail(ftpcode::kLocalFileError, "Cannot read the local file " + m_strLocalFile);
    m_nUploadSize = static_cast<std::int64_t>(size);
    return ftpcode::kOk;
}

int CFtpComponent::Download() {
    m_bStop = false;
    if (const int code = CheckSession(); code != ftpcode::kOk) return code;
    if (const int code = CheckDataMode(); code != ftpcode::kOk) return code;
    if (m_strRemoteFile.empty()) return Fail(ftpcode::kInvalidArgument, "No remote file name");
    m_nBytes = 0;
    m_bStarted = false;
    m_bOutFileOpen = false;
    CURLcode result = Perform(EOperation::kDownload);
    // An empty file still makes a local file; a failed one leaves none behind.
    if (result == CURLE_OK && !m_strLocalFile.empty() && !WriteChunk(nullptr, 0))
        result = CURLE_WRITE_ERROR;
    if (m_bOutFileOpen) {
        m_outFile.close();
        m_bOutFileOpen = false;
        std::error_code ignored;
        if (result != CURLE_OK)
            std::filesystem::remove(platform::PathFromUtf8(m_strLocalFile), ignored);
    }
    EndTransfer(result == CURLE_OK);
    return Finish(EOperation::kDownload, result);
}

int CFtpComponent::ListDirectoryLong() {
    m_bStop = false;
    if (const int code = CheckSession(); code != ftpcode::kOk) return code;
    if (const int code = CheckDataMode(); code != ftpcode::kOk) return code;
    m_strListing.clear();
    const CURLcode result = Perform(EOperation::kList);
    if (result == CURLE_OK) DeliverListing(true);
    m_strListing.clear();
    return Finish(EOperation::kList, result);
}

int CFtpComponent::Interrupt() {
    m_bStop = true;
    return ftpcode::kOk;
}

int CFtpComponent::Abort() {
    m_bStop = true;
    return ftpcode::kOk;
}

// --- the session -----------------------------------------------------------------------------

int CFtpComponent::ControlPort() const {
    if (m_hostPort.port != 0) return m_hostPort.port;
    if (m_nRemotePort != 0) return m_nRemotePort;
    return m_bTls ? 990 : 21;
}

std::string CFtpComponent::BaseUrl() const {
    const std::string& host = m_hostPort.host;
    const std::string bracketed = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return std::string(m_bTls ? "ftps://" : "ftp://") + bracketed + ":" +
           std::to_string(ControlPort()) + "/";
}

std::string CFtpComponent::FileUrl() const {
    char* escaped = curl_easy_escape(m_pCurl.get(), m_strRemoteFile.data(),
                                     static_cast<int>(m_strRemoteFile.size()));
    if (escaped == nullptr) return BaseUrl();
    std::string url = BaseUrl() + escaped;
    curl_free(escaped);
    return url;
}

CURLcode CFtpComponent::Perform(EOperation operation, curl_slist* quote) {
    m_eOperation = operation;
    m_bRefusedReconnect = false;
    ApplySessionOptions();
    ApplyOperationOptions(operation, quote);
    const CURLcode result = Run();
    FlushTrail();
    return result;
}

// libcurl's own perform loop waits up to a second when the passive data connection is set up
// from a reply read late (libcurl 7.88); this loop polls often enough for that to vanish.
CURLcode CFtpComponent::Run() {
    CURLM* multi = m_pMulti.get();
    if (curl_multi_add_handle(multi, m_pCurl.get()) != CURLM_OK) return CURLE_FAILED_INIT;
    int running = 1;
    CURLMcode state = CURLM_OK;
    while (state == CURLM_OK) {
        state = curl_multi_perform(multi, &running);
        if (state != CURLM_OK || running == 0) break;
        state = curl_multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr);
    }
    CURLcode result = state == CURLM_OK ? CURLE_OK : CURLE_FAILED_INIT;
    int queued = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE) result = message->data.result;
    }
    // The connection libcurl kept, if any; only found while the handle is in the multi.
    m_nControlSocket = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(m_pCurl.get(), CURLINFO_ACTIVESOCKET, &m_nControlSocket) != CURLE_OK)
        m_nControlSocket = CURL_SOCKET_BAD;
    curl_multi_remove_handle(multi, m_pCurl.get());
    return result;
}

void CFtpComponent::ApplySessionOptions() {
    CURL* curl = m_pCurl.get();
    curl_easy_reset(curl);  // options are sticky; the connection survives the reset
    m_szError[0] = '\0';
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_szError);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &CFtpComponent::OnDebug);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, this);
    curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, &CFtpComponent::OnOpenSocket);
    curl_easy_setopt(curl, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(curl, CURLOPT_SOCKOPTFUNCTION, &CFtpComponent::OnSocketOption);
    curl_easy_setopt(curl, CURLOPT_SOCKOPTDATA, this);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &CFtpComponent::OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl, CURLOPT_USERNAME, m_strUser.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, m_strPassword.c_str());
    curl_easy_setopt(curl, CURLOPT_MAXAGE_CONN, kNeverExpireSeconds);
    curl_easy_setopt(curl, CURLOPT_MAXCONNECTS, 1L);
    curl_easy_setopt(curl, CURLOPT_FTP_USE_EPSV, 0L);
    curl_easy_setopt(curl, CURLOPT_FTP_USE_EPRT, 0L);
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    curl_easy_setopt(curl, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, m_nTransferMode == 1 ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_FTP_SKIP_PASV_IP, m_bRemoteHostForPassive ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_FTPPORT, m_bPassive ? nullptr : "-");
    curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE,
                     std::clamp(m_nOutBufferSize, kMinUploadBuffer, kMaxUploadBuffer));
    if (m_bTls) {
        // Systems carry self-made certificates: accepted whatever their status.
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    }
    ApplyBounds();
}

void CFtpComponent::ApplyBounds() {
    CURL* curl = m_pCurl.get();
    long reply = m_nReplySeconds;
    long stall = m_nStallSeconds;
    long connect = m_nConnectSeconds;
    // Every operation ends within the overall bound; the caller's absolute timeout replaces it.
    long overall = m_nTransferSeconds;
    if (m_nTimeout > 0 && m_bAbsoluteTimeout) {
        overall = m_nTimeout;
    } else if (m_nTimeout > 0) {
        reply = stall = m_nTimeout;  // the caller's timeout bounds idle time only
        connect = std::min<long>(connect, m_nTimeout);
    }
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, overall * 1000L);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, reply);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, stall);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, connect);
}

void CFtpComponent::ApplyOperationOptions(EOperation operation, curl_slist* quote) {
    CURL* curl = m_pCurl.get();
    switch (operation) {
        case EOperation::kLogon:
            if (m_bTls) curl_easy_setopt(curl, CURLOPT_CERTINFO, 1L);
            [[fallthrough]];
        case EOperation::kCommand:
            curl_easy_setopt(curl, CURLOPT_URL, BaseUrl().c_str());
            curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
            curl_easy_setopt(curl, CURLOPT_QUOTE, quote);
            break;
        case EOperation::kList:
            curl_easy_setopt(curl, CURLOPT_URL, BaseUrl().c_str());
            curl_easy_setopt(curl, CURLOPT_DIRLISTONLY, 0L);
            curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &CFtpComponent::OnWrite);
            curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
            break;
        case EOperation::kDownload:
            curl_easy_setopt(curl, CURLOPT_URL, FileUrl().c_str());
            curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &CFtpComponent::OnWrite);
            curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
            break;
        case EOperation::kUpload:
            curl_easy_setopt(curl, CURLOPT_URL, FileUrl().c_str());
            curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
            curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE,
                             static_cast<curl_off_t>(m_nUploadSize));
            curl_easy_setopt(curl, CURLOPT_READFUNCTION, &CFtpComponent::OnRead);
            curl_easy_setopt(curl, CURLOPT_READDATA, this);
            break;
    }
}

int CFtpComponent::CheckSession() {
    if (!m_pCurl || !m_bConnected) return Fail(ftpcode::kNotConnected, "Not connected");
    if (!SessionAlive()) {
        LoseSession(ftpcode::kConnectionLost, "The server closed the connection");
        return Fail(ftpcode::kNotConnected, "Not connected");
    }
    return ftpcode::kOk;
}

// An idle control connection has nothing to read: anything readable is its end.
bool CFtpComponent::SessionAlive() const {
    const curl_socket_t socket = m_nControlSocket;
    if (!m_pCurl || socket == CURL_SOCKET_BAD) return false;
#ifdef _WIN32
    WSAPOLLFD entry{};
    entry.fd = socket;
    entry.events = POLLRDNORM;
    return WSAPoll(&entry, 1, 0) == 0;
#else
    pollfd entry{};
    entry.fd = socket;
    entry.events = POLLIN;
    return poll(&entry, 1, 0) == 0;
#endif
}

int CFtpComponent::CheckDataMode() {
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    // Active data connections over TLS hang in libcurl before 8.0.
    if (m_bTls && !m_bPassive && info->version_num < 0x080000)
        return Fail(ftpcode::kUnsupported,
                    std::string("Active mode over TLS is not supported with libcurl ") +
                        info->version + "; use passive mode");
    return ftpcode::kOk;
}

int CFtpComponent::Finish(EOperation operation, CURLcode result) {
    int code = MapCurlCode(operation, result);
    std::string description = m_szError[0] != '\0' ? m_szError : curl_easy_strerror(result);
    if (code == ftpcode::kOk && operation == EOperation::kCommand) {
        code = CommandReplyCode();
        description = "The server refused the command: " + m_strLastReply;
    }
    if (m_bRefusedReconnect) description = "Not connected: the server closed the session";
    if (code == ftpcode::kOk) return code;
    FireError(code, description);
    if (operation != EOperation::kLogon && result != CURLE_OK && !SessionAlive())
        LoseSession(code, description);
    return code;
}

int CFtpComponent::CommandReplyCode() const {
    if (m_strLastReply.empty()) return ftpcode::kConnectionLost;
    return m_strLastReply[0] == '4' || m_strLastReply[0] == '5' ? ftpcode::kServerRefused
                                                                : ftpcode::kOk;
}

int CFtpComponent::MapCurlCode(EOperation operation, CURLcode result) const {
    if (m_bRefusedReconnect) return ftpcode::kNotConnected;
    return ftp::MapCurlResult(result, operation == EOperation::kLogon, m_bStop);
}

int CFtpComponent::Fail(int code, const std::string& description) {
    FireError(code, description);
    return code;
}

void CFtpComponent::LoseSession(int code, const std::string& description) {
    CloseHandle();
    m_bConnected = false;
    FireConnectionStatus("Disconnected", code, description);
}

void CFtpComponent::CloseHandle() {
    if (!m_pCurl) return;
    // libcurl may still talk while closing; nothing of it reaches the events.
    curl_easy_setopt(m_pCurl.get(), CURLOPT_VERBOSE, 0L);
    curl_easy_setopt(m_pCurl.get(), CURLOPT_DEBUGFUNCTION, nullptr);
    curl_easy_setopt(m_pCurl.get(), CURLOPT_OPENSOCKETFUNCTION, nullptr);
    m_pCurl.reset();
    m_pMulti.reset();  // closes the connection it keeps
    m_nControlSocket = CURL_SOCKET_BAD;
}

void CFtpComponent::ReportCertificate() {
    if (!m_bTls) return;
    curl_certinfo* info = nullptr;
    if (curl_easy_getinfo(m_pCurl.get(), CURLINFO_CERTINFO, &info) != CURLE_OK || info == nullptr ||
        info->num_of_certs < 1)
        return;
    std::string text;
    for (const curl_slist* field = info->certinfo[0]; field != nullptr; field = field->next) {
        const std::string_view line = field->data;
        for (std::string_view key : {"Subject:", "Issuer:", "Start date:", "Expire date:"}) {
            if (line.substr(0, key.size()) == key)
                text += (text.empty() ? "" : "; ") + std::string(line);
        }
    }
    FireSSLServerAuthentication(text);
}

}  // namespace quillmarch
