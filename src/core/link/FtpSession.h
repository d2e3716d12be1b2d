// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "core/link/TransferLimits.h"
#include "core/util/AddressNames.h"

namespace quillmarch {

class CurlOptions;

// Return codes of the FTP component. 0 is success; the link passes every code through.
namespace ftpcode {
inline constexpr int kOk = 0;
inline constexpr int kLogonRefused = 301;         // 530 to USER or PASS
inline constexpr int kNotConnected = 302;         // no session (never logged on, or it was lost)
inline constexpr int kTimeout = 303;              // a bound ran out; the session is closed
inline constexpr int kConnectionLost = 304;       // the server closed or reset the connection
inline constexpr int kTransferFailed = 305;       // data connection or transfer refused/broken
inline constexpr int kRemoteFileNotFound = 306;   // 550 on a file; the session stays
inline constexpr int kServerRefused = 307;        // raw command answered 4xx/5xx; session stays
inline constexpr int kHostNotFound = 308;         // the name does not resolve
inline constexpr int kTlsFailure = 309;           // TLS handshake or protection failed
inline constexpr int kUnsupported = 310;          // a combination this libcurl cannot do safely
inline constexpr int kLocalFileError = 311;       // LocalFile cannot be read or written
inline constexpr int kInterrupted = 312;          // Interrupt or Abort stopped the operation
inline constexpr int kInvalidArgument = 313;      // malformed address, command or credentials
inline constexpr int kProtocolError = 314;        // anything else libcurl reports
inline constexpr int kConnectionRefused = 10061;  // nothing listens at the address
}  // namespace ftpcode

// The bounds that hold even when the caller sets no Timeout (ftpbound) live with the other
// limits in TransferLimits.h, so that a silent or dripping server never hangs an operation.

// One FTP or FTPS session on a libcurl easy handle: the component the device links stand on.
// The control connection lives in a multi handle of the session's own and is never re-opened
// outside Logon.
//
// Properties are set before the operation that uses them. Operations are synchronous; events
// are virtual calls made on the calling thread while the operation runs:
//   FirePITrail         once per protocol line (0 client, 1 server, 2 info); PASS is masked.
//   FireConnectionStatus after a logon ("Connected"), at Logoff and when the session is found
//                        lost ("Disconnected", with the code that ended it).
//   FireStartTransfer    when the data of a Download or Upload starts to flow (or at the end
//                        of an empty transfer); FireEndTransfer once after it, also on failure.
//   FireTransfer         once per data chunk with the running byte count, both directions.
//   FireDirList          once per entry of ListDirectoryLong.
//   FireError            once per failing operation, with its code and a description.
//   FireSSLServerAuthentication after a TLS logon, with the server certificate's details; the
//                        certificate is accepted whatever its status.
// Handlers must not start another operation. Interrupt and Abort (the same: a flag the
// transfer callbacks check) stop the operation in progress, called from a handler or from
// another thread; each operation clears the flag when it starts.
//
// The session is never re-established behind the caller's back: once the server closes it,
// every operation answers kNotConnected until the next Logon.
class FtpSession {
public:
    explicit FtpSession(bool secure);
    virtual ~FtpSession();
    FtpSession(const FtpSession&) = delete;
    FtpSession& operator=(const FtpSession&) = delete;

    // True when this libcurl offers ftp:// (ftps:// for `secure`).
    [[nodiscard]] static bool IsAvailable(bool secure);

    // --- properties ----------------------------------------------------------------------
    // "host", "host:port" or "[v6]:port"; without a port RemotePort applies.
    [[nodiscard]] int SetRemoteHost(const std::string& host);
    std::string GetRemoteHost() const { return m_remoteHost; }
    // 0 = the default of the kind: 21 plain, 990 secure (implicit TLS).
    [[nodiscard]] int SetRemotePort(int port);
    [[nodiscard]] int GetRemotePort() const { return m_remotePort; }
    [[nodiscard]] int SetUser(const std::string& user);
    [[nodiscard]] int SetPassword(const std::string& password);
    int SetLocalFile(const std::string& path);  // empty: Download raises Transfer events only
    std::string GetLocalFile() const { return m_localFile; }
    int SetRemoteFile(const std::string& name);
    std::string GetRemoteFile() const { return m_remoteFile; }
    // The bytes the next Upload sends instead of LocalFile (an image straight from memory, no
    // copy on disk). The caller keeps them until Upload returns; one Upload uses them up.
    [[nodiscard]] int SetUploadData(const std::uint8_t* data, std::size_t size);
    int SetPassive(bool passive);
    [[nodiscard]] bool GetPassive() const { return m_passive; }
    [[nodiscard]] int SetTimeout(
        int seconds);  // 0: no bound of the caller (the fixed bounds still hold)
    [[nodiscard]] int GetTimeout() const { return m_timeout; }
    [[nodiscard]] int SetTransferMode(int mode);  // 0 default (binary), 1 ASCII, 2 binary
    [[nodiscard]] int GetTransferMode() const { return m_transferMode; }
    // Sends one raw command and waits for its reply. kServerRefused for a 4xx/5xx reply (the
    // session stays); the reply line is in LastReply either way.
    [[nodiscard]] int SetCommand(const std::string& command);
    std::string GetLastReply() const { return m_lastReply; }
    // "Name" reads a setting, "Name=value" sets it; both answer the value now in force, or ""
    // for an unknown name or an unusable value. Names: UseRemoteHostAddressForPassive,
    // AbsoluteTimeout (true/false), OutBufferSize (bytes), ReplyTimeout, StallTimeout,
    // ConnectTimeout, TransferTimeout (seconds, > 0).
    std::string Config(const std::string& setting);
    [[nodiscard]] bool IsConnected() const { return m_connected; }

    // --- methods -------------------------------------------------------------------------
    [[nodiscard]] int Logon();
    [[nodiscard]] int Logoff();
    [[nodiscard]] int Upload();
    [[nodiscard]] int Download();
    [[nodiscard]] int ListDirectoryLong();
    int Interrupt();
    int Abort();
    // Asked while an operation runs; true stops it as Interrupt does (the operator asked the
    // run to stop), so a long upload ends within a moment.
    void SetCancelHook(std::function<bool()> shouldStop) { m_cancelHook = std::move(shouldStop); }
    // Told, in words for the log, about a data connection the component turned away.
    void SetNoticeHook(std::function<void(const std::string&)> notice) {
        m_noticeHook = std::move(notice);
    }

protected:
    // The events; the component itself ignores them.
    virtual void FireConnectionStatus(const std::string& /*event*/, int /*status*/,
                                      const std::string& /*description*/) {}
    virtual void FireDirList(const std::string& /*entry*/, const std::string& /*fileName*/) {}
    virtual void FireEndTransfer() {}
    virtual void FireError(int /*code*/, const std::string& /*description*/) {}
    virtual void FirePITrail(int /*direction*/, const std::string& /*message*/) {}
    virtual void FireSSLServerAuthentication(const std::string& /*certificate*/) {}
    virtual void FireStartTransfer() {}
    virtual void FireTransfer(std::int64_t /*bytesSoFar*/, const char* /*chunk*/,
                              std::size_t /*length*/) {}

private:
    enum class Operation { kLogon, kCommand, kDownload, kUpload, kList };
    struct SCurlDeleter {
        void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
    };
    struct SMultiDeleter {
        void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
    };

    static std::size_t OnWrite(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t OnRead(char* data, std::size_t size, std::size_t count, void* self);
    [[nodiscard]] static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    [[nodiscard]] static int OnDebug(CURL* handle, curl_infotype type, char* data, std::size_t size,
                                     void* self);
    static curl_socket_t OnOpenSocket(void* self, curlsocktype purpose, curl_sockaddr* address);
    [[nodiscard]] static int OnSocketOption(void* self, curl_socket_t socket, curlsocktype purpose);

    [[nodiscard]] CURLcode Perform(Operation operation, curl_slist* quote = nullptr);
    [[nodiscard]] CURLcode Run();
    void ApplySessionOptions(CurlOptions& options);
    void ApplyOperationOptions(CurlOptions& options, Operation operation, curl_slist* quote);
    void ApplyBounds(CurlOptions& options);
    [[nodiscard]] int ValidateLogon();
    [[nodiscard]] int CheckDataMode();
    void EndTransfer(bool success);
    void FlushTrail();
    [[nodiscard]] int ControlPort() const;
    std::string BaseUrl() const;
    std::string FileUrl() const;
    [[nodiscard]] int CheckSession();
    [[nodiscard]] int Finish(Operation operation, CURLcode result);
    [[nodiscard]] int MapCurlCode(Operation operation, CURLcode result) const;
    [[nodiscard]] int Fail(int code, const std::string& description);
    void LoseSession(int code, const std::string& description);
    void CloseHandle();
    [[nodiscard]] bool SessionAlive() const;
    void TraceLines(int direction, const char* data, std::size_t size);
    void TraceLine(int direction, std::string line);
    void StartTransferOnce();
    [[nodiscard]] bool WriteChunk(const char* data, std::size_t length);
    std::size_t CopyUploadData(char* buffer, std::size_t room) const;
    void DeliverListing(bool flushAll);
    [[nodiscard]] int PrepareUpload();
    [[nodiscard]] int CommandReplyCode() const;
    void ReportCertificate();
    std::string ConfigValue(const std::string& name) const;

    const bool m_tls;
    std::unique_ptr<CURL, SCurlDeleter> m_curl;
    std::unique_ptr<CURLM, SMultiDeleter> m_multi;  // keeps the control connection
    curl_socket_t m_controlSocket = CURL_SOCKET_BAD;
    bool m_connected = false;
    bool m_inLogon = false;
    bool m_refusedReconnect = false;
    std::atomic<bool> m_stop{false};
    std::function<bool()> m_cancelHook;
    std::function<void(const std::string&)> m_noticeHook;

    std::string m_remoteHost;
    address::HostPort m_hostPort;
    int m_remotePort = 0;
    std::string m_user;
    std::string m_password;
    std::string m_localFile;
    std::string m_remoteFile;
    std::string m_lastReply;
    bool m_passive = true;
    int m_timeout = 0;
    int m_transferMode = 0;
    bool m_remoteHostForPassive = true;
    bool m_absoluteTimeout = false;
    long m_outBufferSize = 65536;
    long m_replySeconds = ftpbound::kReplySeconds;
    long m_stallSeconds = ftpbound::kStallSeconds;
    long m_connectSeconds = ftpbound::kConnectSeconds;
    long m_transferSeconds = ftpbound::kTransferSeconds;

    // State of the operation in progress.
    Operation m_operation = Operation::kLogon;
    char m_errorBuffer[CURL_ERROR_SIZE] = {};
    std::string m_partialLine[3];
    std::string m_listingText;
    std::ofstream m_outFile;
    std::ifstream m_inFile;
    bool m_outFileOpen = false;
    bool m_started = false;
    std::int64_t m_bytes = 0;
    std::int64_t m_uploadSize = 0;
    const std::uint8_t* m_uploadData = nullptr;  // set: Upload reads from memory
    std::size_t m_uploadDataSize = 0;
    bool m_uploadFromMemory = false;
};

}  // namespace quillmarch
