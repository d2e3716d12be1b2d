// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/link/FtpSession.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <system_error>

#include "core/link/CurlOptions.h"
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
constexpr long kMinUploadBuffer = 16L * 1024;                // libcurl's accepted range
constexpr long kMaxUploadBuffer = 2L * 1024 * 1024;
constexpr int kPollMilliseconds = 10;

void InitCurlOnce() {
    // libcurl counts its initialisations, so main() may call curl_global_init as well.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

FtpSession::FtpSession(bool secure) : m_tls(secure) {
    InitCurlOnce();
}

FtpSession::~FtpSession() {
    CloseHandle();
}

bool FtpSession::IsAvailable(bool secure) {
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

int FtpSession::SetRemoteHost(const std::string& host) {
    m_remoteHost = host;
    m_hostPort = address::SplitHostPort(host);
    return m_hostPort.valid && ValidHost(m_hostPort.host) ? ftpcode::kOk
                                                          : ftpcode::kInvalidArgument;
}

int FtpSession::SetRemotePort(int port) {
    if (port < 0 || port > 65535) return ftpcode::kInvalidArgument;
    m_remotePort = port;
    return ftpcode::kOk;
}

int FtpSession::SetUser(const std::string& user) {
    m_user = user;
    return HasLineBreak(user) ? ftpcode::kInvalidArgument : ftpcode::kOk;
}

int FtpSession::SetPassword(const std::string& password) {
    m_password = password;
    return HasLineBreak(password) ? ftpcode::kInvalidArgument : ftpcode::kOk;
}

int FtpSession::SetLocalFile(const std::string& path) {
    m_localFile = path;
    return ftpcode::kOk;
}

int FtpSession::SetRemoteFile(const std::string& name) {
    m_remoteFile = name;
    return ftpcode::kOk;
}

int FtpSession::SetUploadData(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr && size != 0) return ftpcode::kInvalidArgument;
    m_uploadData = data;
    m_uploadDataSize = size;
    m_uploadFromMemory = true;
    return ftpcode::kOk;
}

int FtpSession::SetPassive(bool passive) {
    m_passive = passive;
    return ftpcode::kOk;
}

int FtpSession::SetTimeout(int seconds) {
    if (seconds < 0) return ftpcode::kInvalidArgument;
    m_timeout = seconds;
    return ftpcode::kOk;
}

int FtpSession::SetTransferMode(int mode) {
    if (mode < 0 || mode > 2) return ftpcode::kInvalidArgument;
    m_transferMode = mode;
    return ftpcode::kOk;
}

std::string FtpSession::Config(const std::string& setting) {
    const auto equals = setting.find('=');
    const std::string name = Trim(std::string_view(setting).substr(0, equals));
    if (equals == std::string::npos) return ConfigValue(name);
    const std::string value = Trim(std::string_view(setting).substr(equals + 1));
    bool applied = false;
    if (EqualsNoCase(name, "UseRemoteHostAddressForPassive")) {
        applied = ftp::ParseFlag(value, m_remoteHostForPassive);
    } else if (EqualsNoCase(name, "AbsoluteTimeout")) {
        applied = ftp::ParseFlag(value, m_absoluteTimeout);
    } else if (EqualsNoCase(name, "OutBufferSize")) {
        applied = ftp::ParseNumber(value, 1, m_outBufferSize);
    } else if (EqualsNoCase(name, "ReplyTimeout")) {
        applied = ftp::ParseNumber(value, 1, m_replySeconds);
    } else if (EqualsNoCase(name, "StallTimeout")) {
        applied = ftp::ParseNumber(value, 1, m_stallSeconds);
    } else if (EqualsNoCase(name, "ConnectTimeout")) {
        applied = ftp::ParseNumber(value, 1, m_connectSeconds);
    } else if (EqualsNoCase(name, "TransferTimeout")) {
        applied = ftp::ParseNumber(value, 1, m_transferSeconds);
    }
    return applied ? ConfigValue(name) : std::string();
}

std::string FtpSession::ConfigValue(const std::string& name) const {
    if (EqualsNoCase(name, "UseRemoteHostAddressForPassive"))
        return m_remoteHostForPassive ? "true" : "false";
    if (EqualsNoCase(name, "AbsoluteTimeout")) return m_absoluteTimeout ? "true" : "false";
    if (EqualsNoCase(name, "OutBufferSize")) return std::to_string(m_outBufferSize);
    if (EqualsNoCase(name, "ReplyTimeout")) return std::to_string(m_replySeconds);
    if (EqualsNoCase(name, "StallTimeout")) return std::to_string(m_stallSeconds);
    if (EqualsNoCase(name, "ConnectTimeout")) return std::to_string(m_connectSeconds);
    if (EqualsNoCase(name, "TransferTimeout")) return std::to_string(m_transferSeconds);
    return {};
}

// --- methods ---------------------------------------------------------------------------------

int FtpSession::Logon() {
    m_stop = false;
    CloseHandle();  // a second logon starts a new session
    m_connected = false;
    if (const int code = ValidateLogon(); code != ftpcode::kOk) return code;
    m_curl.reset(curl_easy_init());
    m_multi.reset(curl_multi_init());
    if (!m_curl || !m_multi ||
        curl_multi_setopt(m_multi.get(), CURLMOPT_MAXCONNECTS, 1L) != CURLM_OK)
        return Fail(ftpcode::kProtocolError, "libcurl could not create a session");
    m_inLogon = true;
    const CURLcode result = Perform(Operation::kLogon);
    m_inLogon = false;
    if (const int code = Finish(Operation::kLogon, result); code != ftpcode::kOk) {
        CloseHandle();
        return code;
    }
    m_connected = true;
    ReportCertificate();
    FireConnectionStatus(
        "Connected", 0,
        "Logged on to " + m_hostPort.host + " port " + std::to_string(ControlPort()));
    return ftpcode::kOk;
}

int FtpSession::ValidateLogon() {
    if (!m_hostPort.valid || !ValidHost(m_hostPort.host))
        return Fail(ftpcode::kInvalidArgument, "Malformed address: " + m_remoteHost);
    if (HasLineBreak(m_user) || HasLineBreak(m_password))
        return Fail(ftpcode::kInvalidArgument, "User or password contains a line break");
    return ftpcode::kOk;
}

int FtpSession::Logoff() {
    const bool wasConnected = m_connected;
    if (m_connected && SessionAlive()) {
        // QUIT as a command of our own, so that the trail shows it.
        curl_slist quit{const_cast<char*>("*QUIT"), nullptr};
        // The session ends either way; a QUIT nobody answers changes nothing.
        static_cast<void>(Perform(Operation::kCommand, &quit));
    }
    CloseHandle();
    m_connected = false;
    if (wasConnected) FireConnectionStatus("Disconnected", 0, "Logged off");
    return ftpcode::kOk;
}

int FtpSession::SetCommand(const std::string& command) {
    m_stop = false;
    if (command.empty() || HasLineBreak(command))
        return Fail(ftpcode::kInvalidArgument, "A command is one non-empty line");
    if (const int code = CheckSession(); code != ftpcode::kOk) return code;
    // The "*" keeps the session when the server refuses: the reply code is judged here.
    std::string quoted = "*" + command;
    curl_slist quote{quoted.data(), nullptr};
    m_lastReply.clear();
    return Finish(Operation::kCommand, Perform(Operation::kCommand, &quote));
}

int FtpSession::Upload() {
    m_stop = false;
    int code = CheckSession();
    if (code == ftpcode::kOk) code = CheckDataMode();
    if (code == ftpcode::kOk) code = PrepareUpload();
    if (code == ftpcode::kOk) {
        const CURLcode result = Perform(Operation::kUpload);
        m_inFile.close();
        EndTransfer(result == CURLE_OK);
        code = Finish(Operation::kUpload, result);
    }
    m_uploadFromMemory = false;  // the caller's bytes are not touched again
    m_uploadData = nullptr;
    return code;
}

int FtpSession::PrepareUpload() {
    if (m_remoteFile.empty()) return Fail(ftpcode::kInvalidArgument, "No remote file name");
    m_bytes = 0;
    m_started = false;
    if (m_uploadFromMemory) {
        m_uploadSize = static_cast<std::int64_t>(m_uploadDataSize);
        return ftpcode::kOk;
    }
    const auto path = platform::PathFromUtf8(m_localFile);
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    m_inFile.close();
    m_inFile.clear();
    if (!error) m_inFile.open(path, std::ios::binary);
    if (error || !m_inFile.is_open())
        return Fail(ftpcode::kLocalFileError, "Cannot read the local file " + m_localFile);
    m_uploadSize = static_cast<std::int64_t>(size);
    return ftpcode::kOk;
}

int FtpSession::Download() {
    m_stop = false;
    if (const int code = CheckSession(); code != ftpcode::kOk) return code;
    if (const int code = CheckDataMode(); code != ftpcode::kOk) return code;
    if (m_remoteFile.empty()) return Fail(ftpcode::kInvalidArgument, "No remote file name");
    m_bytes = 0;
    m_started = false;
    m_outFileOpen = false;
    CURLcode result = Perform(Operation::kDownload);
    // An empty file still makes a local file; a failed one leaves none behind.
    if (result == CURLE_OK && !m_localFile.empty() && !WriteChunk(nullptr, 0))
        result = CURLE_WRITE_ERROR;
    if (m_outFileOpen) {
        m_outFile.close();
        m_outFileOpen = false;
        std::error_code ignored;
        if (result != CURLE_OK)
            std::filesystem::remove(platform::PathFromUtf8(m_localFile), ignored);
    }
    EndTransfer(result == CURLE_OK);
    return Finish(Operation::kDownload, result);
}

int FtpSession::ListDirectoryLong() {
    m_stop = false;
    if (const int code = CheckSession(); code != ftpcode::kOk) return code;
    if (const int code = CheckDataMode(); code != ftpcode::kOk) return code;
    m_listingText.clear();
    const CURLcode result = Perform(Operation::kList);
    if (result == CURLE_OK) DeliverListing(true);
    m_listingText.clear();
    return Finish(Operation::kList, result);
}

int FtpSession::Interrupt() {
    m_stop = true;
    return ftpcode::kOk;
}

int FtpSession::Abort() {
    m_stop = true;
    return ftpcode::kOk;
}

// --- the session -----------------------------------------------------------------------------

int FtpSession::ControlPort() const {
    if (m_hostPort.port != 0) return m_hostPort.port;
    if (m_remotePort != 0) return m_remotePort;
    return m_tls ? 990 : 21;
}

std::string FtpSession::BaseUrl() const {
    const std::string& host = m_hostPort.host;
    const std::string bracketed = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return std::string(m_tls ? "ftps://" : "ftp://") + bracketed + ":" +
           std::to_string(ControlPort()) + "/";
}

std::string FtpSession::FileUrl() const {
    char* escaped =
        curl_easy_escape(m_curl.get(), m_remoteFile.data(), static_cast<int>(m_remoteFile.size()));
    if (escaped == nullptr) return BaseUrl();
    std::string url = BaseUrl() + escaped;
    curl_free(escaped);
    return url;
}

CURLcode FtpSession::Perform(Operation operation, curl_slist* quote) {
    m_operation = operation;
    m_refusedReconnect = false;
    CurlOptions options(m_curl.get());
    ApplySessionOptions(options);
    ApplyOperationOptions(options, operation, quote);
    if (!options.Ok()) {
        // Nothing was sent: the refusal is the operation's error, in words for the log.
        const std::string error = options.Error();
        error.copy(m_errorBuffer, sizeof(m_errorBuffer) - 1);
        m_errorBuffer[std::min(error.size(), sizeof(m_errorBuffer) - 1)] = '\0';
        return options.Result();
    }
    const CURLcode result = Run();
    FlushTrail();
    return result;
}

// libcurl's own perform loop waits up to a second when the passive data connection is set up
// from a reply read late (libcurl 7.88); this loop polls often enough for that to vanish.
CURLcode FtpSession::Run() {
    CURLM* multi = m_multi.get();
    if (curl_multi_add_handle(multi, m_curl.get()) != CURLM_OK) return CURLE_FAILED_INIT;
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
    m_controlSocket = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(m_curl.get(), CURLINFO_ACTIVESOCKET, &m_controlSocket) != CURLE_OK)
        m_controlSocket = CURL_SOCKET_BAD;
    curl_multi_remove_handle(multi, m_curl.get());
    return result;
}

void FtpSession::ApplySessionOptions(CurlOptions& options) {
    curl_easy_reset(m_curl.get());  // options are sticky; the connection survives the reset
    m_errorBuffer[0] = '\0';
    options.Set(CURLOPT_ERRORBUFFER, m_errorBuffer);
    options.Set(CURLOPT_NOSIGNAL, 1L);
    options.Set(CURLOPT_VERBOSE, 1L);
    options.Set(CURLOPT_DEBUGFUNCTION, &FtpSession::OnDebug);
    options.Set(CURLOPT_DEBUGDATA, this);
    options.Set(CURLOPT_OPENSOCKETFUNCTION, &FtpSession::OnOpenSocket);
    options.Set(CURLOPT_OPENSOCKETDATA, this);
    options.Set(CURLOPT_SOCKOPTFUNCTION, &FtpSession::OnSocketOption);
    options.Set(CURLOPT_SOCKOPTDATA, this);
    options.Set(CURLOPT_NOPROGRESS, 0L);
    options.Set(CURLOPT_XFERINFOFUNCTION, &FtpSession::OnProgress);
    options.Set(CURLOPT_XFERINFODATA, this);
    options.Set(CURLOPT_USERNAME, m_user.c_str());
    options.Set(CURLOPT_PASSWORD, m_password.c_str());
    options.Set(CURLOPT_MAXAGE_CONN, kNeverExpireSeconds);
    options.Set(CURLOPT_MAXCONNECTS, 1L);
    options.Set(CURLOPT_FTP_USE_EPSV, 0L);
    options.Set(CURLOPT_FTP_USE_EPRT, 0L);
    options.Set(CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    options.Set(CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    options.Set(CURLOPT_TRANSFERTEXT, m_transferMode == 1 ? 1L : 0L);
    options.Set(CURLOPT_FTP_SKIP_PASV_IP, m_remoteHostForPassive ? 1L : 0L);
    options.Set(CURLOPT_FTPPORT, m_passive ? nullptr : "-");
    options.Set(CURLOPT_UPLOAD_BUFFERSIZE,
                std::clamp(m_outBufferSize, kMinUploadBuffer, kMaxUploadBuffer));
    if (m_tls) {
        // Systems carry self-made certificates: accepted whatever their status.
        options.Set(CURLOPT_SSL_VERIFYPEER, 0L);
        options.Set(CURLOPT_SSL_VERIFYHOST, 0L);
    }
    ApplyBounds(options);
}

void FtpSession::ApplyBounds(CurlOptions& options) {
    long reply = m_replySeconds;
    long stall = m_stallSeconds;
    long connect = m_connectSeconds;
    // Every operation ends within the overall bound; the caller's absolute timeout replaces it.
    long overall = m_transferSeconds;
    if (m_timeout > 0 && m_absoluteTimeout) {
        overall = m_timeout;
    } else if (m_timeout > 0) {
        reply = stall = m_timeout;  // the caller's timeout bounds idle time only
        connect = std::min<long>(connect, m_timeout);
    }
    options.Set(CURLOPT_TIMEOUT_MS, overall * 1000L);
    options.Set(CURLOPT_SERVER_RESPONSE_TIMEOUT, reply);
    options.Set(CURLOPT_LOW_SPEED_LIMIT, 1L);
    options.Set(CURLOPT_LOW_SPEED_TIME, stall);
    options.Set(CURLOPT_CONNECTTIMEOUT, connect);
}

void FtpSession::ApplyOperationOptions(CurlOptions& options, Operation operation,
                                       curl_slist* quote) {
    switch (operation) {
        case Operation::kLogon:
            if (m_tls) options.Set(CURLOPT_CERTINFO, 1L);
            [[fallthrough]];
        case Operation::kCommand:
            options.Set(CURLOPT_URL, BaseUrl().c_str());
            options.Set(CURLOPT_NOBODY, 1L);
            options.Set(CURLOPT_QUOTE, quote);
            break;
        case Operation::kList:
            options.Set(CURLOPT_URL, BaseUrl().c_str());
            options.Set(CURLOPT_DIRLISTONLY, 0L);
            options.Set(CURLOPT_WRITEFUNCTION, &FtpSession::OnWrite);
            options.Set(CURLOPT_WRITEDATA, this);
            break;
        case Operation::kDownload:
            options.Set(CURLOPT_URL, FileUrl().c_str());
            options.Set(CURLOPT_WRITEFUNCTION, &FtpSession::OnWrite);
            options.Set(CURLOPT_WRITEDATA, this);
            break;
        case Operation::kUpload:
            options.Set(CURLOPT_URL, FileUrl().c_str());
            options.Set(CURLOPT_UPLOAD, 1L);
            options.Set(CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(m_uploadSize));
            options.Set(CURLOPT_READFUNCTION, &FtpSession::OnRead);
            options.Set(CURLOPT_READDATA, this);
            break;
    }
}

int FtpSession::CheckSession() {
    if (!m_curl || !m_connected) return Fail(ftpcode::kNotConnected, "Not connected");
    if (!SessionAlive()) {
        LoseSession(ftpcode::kConnectionLost, "The server closed the connection");
        return Fail(ftpcode::kNotConnected, "Not connected");
    }
    return ftpcode::kOk;
}

// An idle control connection has nothing to read: anything readable is its end.
bool FtpSession::SessionAlive() const {
    const curl_socket_t socket = m_controlSocket;
    if (!m_curl || socket == CURL_SOCKET_BAD) return false;
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

int FtpSession::CheckDataMode() {
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    // Active data connections over TLS hang in libcurl before 8.0.
    if (m_tls && !m_passive && info->version_num < 0x080000)
        return Fail(ftpcode::kUnsupported,
                    std::string("Active mode over TLS is not supported with libcurl ") +
                        info->version + "; use passive mode");
    return ftpcode::kOk;
}

int FtpSession::Finish(Operation operation, CURLcode result) {
    int code = MapCurlCode(operation, result);
    std::string description = m_errorBuffer[0] != '\0' ? m_errorBuffer : curl_easy_strerror(result);
    if (code == ftpcode::kOk && operation == Operation::kCommand) {
        code = CommandReplyCode();
        description = "The server refused the command: " + m_lastReply;
    }
    if (m_refusedReconnect) description = "Not connected: the server closed the session";
    if (code == ftpcode::kOk) return code;
    FireError(code, description);
    if (operation != Operation::kLogon && result != CURLE_OK && !SessionAlive())
        LoseSession(code, description);
    return code;
}

int FtpSession::CommandReplyCode() const {
    if (m_lastReply.empty()) return ftpcode::kConnectionLost;
    return m_lastReply[0] == '4' || m_lastReply[0] == '5' ? ftpcode::kServerRefused : ftpcode::kOk;
}

int FtpSession::MapCurlCode(Operation operation, CURLcode result) const {
    if (m_refusedReconnect) return ftpcode::kNotConnected;
    return ftp::MapCurlResult(result, operation == Operation::kLogon, m_stop);
}

int FtpSession::Fail(int code, const std::string& description) {
    FireError(code, description);
    return code;
}

void FtpSession::LoseSession(int code, const std::string& description) {
    CloseHandle();
    m_connected = false;
    FireConnectionStatus("Disconnected", code, description);
}

void FtpSession::CloseHandle() {
    if (!m_curl) return;
    // libcurl may still talk while closing; nothing of it reaches the events.
    // A refusal here changes nothing: the handle is going either way.
    static_cast<void>(CurlOptions(m_curl.get())
                          .Set(CURLOPT_VERBOSE, 0L)
                          .Set(CURLOPT_DEBUGFUNCTION, nullptr)
                          .Set(CURLOPT_OPENSOCKETFUNCTION, nullptr)
                          .Result());
    m_curl.reset();
    m_multi.reset();  // closes the connection it keeps
    m_controlSocket = CURL_SOCKET_BAD;
}

void FtpSession::ReportCertificate() {
    if (!m_tls) return;
    curl_certinfo* info = nullptr;
    if (curl_easy_getinfo(m_curl.get(), CURLINFO_CERTINFO, &info) != CURLE_OK || info == nullptr ||
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
