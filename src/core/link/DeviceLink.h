// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/link/ILocalFileWriter.h"
#include "core/link/TransferLimits.h"

namespace quillmarch {

class RunContext;
class IProgressWindow;

// The device link: one file-transfer session with one system. The twenty primitives are the
// FTP component's operations; everything the program needs is built on them here.
// Errors are values: primitives answer the component's code (0 = success).
class DeviceLink {
public:
    explicit DeviceLink(RunContext& app);
    virtual ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // --- primitives -------------------------------------------------------------------------
    [[nodiscard]] virtual int SetTimeout(
        int seconds) = 0;  // 0 = no limit of our own (see the component)
    [[nodiscard]] virtual int SetRemoteHost(const std::string& host) = 0;
    virtual int SetLocalFile(const std::string& path) = 0;  // empty: to/from memory
    virtual int SetRemoteFile(const std::string& name) = 0;
    // The bytes the next Upload sends instead of the local file (kept by the caller meanwhile).
    [[nodiscard]] virtual int SetUploadData(const std::uint8_t* data, std::size_t size) = 0;
    [[nodiscard]] virtual int Upload() = 0;
    [[nodiscard]] virtual int Download() = 0;
    virtual int SetPassive(bool passive) = 0;
    [[nodiscard]] virtual bool GetPassive() = 0;
    virtual std::string GetLastReply() = 0;  // "200 text"
    [[nodiscard]] virtual int SetCommand(const std::string& command) = 0;
    [[nodiscard]] virtual int SetTransferMode(int mode) = 0;  // 2 = binary
    [[nodiscard]] virtual int Logon() = 0;
    [[nodiscard]] virtual int Logoff() = 0;
    [[nodiscard]] virtual int SetPassword(const std::string& password) = 0;
    [[nodiscard]] virtual int SetUser(const std::string& user) = 0;
    [[nodiscard]] virtual int ListDirectory() = 0;
    virtual std::string GetRemoteFile() = 0;
    virtual std::string Config(const std::string& setting) = 0;  // "name" reads, "name=value" sets
    virtual int Interrupt() = 0;
    virtual int Abort() = 0;

    // --- state ------------------------------------------------------------------------------
    [[nodiscard]] bool IsSecure() const { return m_secure; }
    [[nodiscard]] bool IsLoggedOn() const { return m_loggedOn; }
    [[nodiscard]] bool IsNormalMode() const { return m_normalMode; }
    void Disconnect();
    std::string GetLastErrorText() const { return m_lastError; }
    // The last error is the system turning the password down (whatever words it is shown in).
    [[nodiscard]] bool LogonRefused() const { return m_logonRefused; }
    // The window transfers report their byte counts to; a null window keeps the earlier one.
    void SetNotifyWindow(std::shared_ptr<IProgressWindow> window);

    // --- operations ---------------------------------------------------------------------------
    [[nodiscard]] bool LogonToSystem(const std::string& address, const std::string& user,
                                     const std::string& password);
    [[nodiscard]] bool QueryMode();
    // 200 when the component sent the command and got a reply, 0 otherwise.
    [[nodiscard]] int SendCommand(const std::string& command, std::string* reply, int wantReply);
    // A remote file into memory, at most `limit` bytes: a larger one is cut off and refused.
    [[nodiscard]] bool DownloadToString(const std::string& remoteName, std::string& out,
                                        std::size_t limit = filelimit::kTextFileBytes);
    // A one-value settings file ("name.dat"), at most filelimit::kValueFileBytes.
    [[nodiscard]] bool DownloadDatFile(const std::string& baseName, std::string& out);
    // Sends the buffer straight from memory (no copy on disk).
    [[nodiscard]] bool UploadBuffer(const std::string& remoteName, const std::uint8_t* data,
                                    std::size_t size, int timeoutSeconds);
    void ClearFileFilter();
    void AddFileFilter(const std::string& name);
    // Appends the names found; false (and nothing appended) when the listing failed or found
    // more than filelimit::kBackupFiles names.
    [[nodiscard]] bool ListFiles(std::vector<std::string>& names);

    // --- local copies (the backup around a flash erase) ------------------------------------
    enum class FetchKind { kOk, kMissing, kTooLarge, kLocalError, kTransferError };
    struct SFetch {
        FetchKind outcome = FetchKind::kTransferError;
        std::int64_t bytes = 0;  // written to the local file, all checked
        std::string error;       // in words, for the log
    };
    // A remote file into a new local file: every write, the flush and the close are checked and
    // the bytes written compared with those received; more than `maxBytes` is refused. A copy
    // that is not whole is removed. kMissing: the system has no such file (a 550 reply).
    [[nodiscard]] SFetch FetchToFile(const std::string& remoteName, const std::string& localPath,
                                     std::int64_t maxBytes);
    // Sends a local file under `remoteName`.
    [[nodiscard]] bool SendFile(const std::string& localPath, const std::string& remoteName);
    // How local files are created; the default writes to the disk. Tests make writes fail here.
    void SetLocalFileOpener(LocalFileOpener opener) { m_localFileOpener = std::move(opener); }
    // The run's work folder, with a trailing separator: made fresh and private (0700) on first
    // use, beside the help file when that folder is the user's own, else in the user's cache.
    // Empty when no folder could be made.
    std::string GetWorkDirectory();
    // Ends the use of the work folder: removed with its contents unless `keep`; the next use
    // makes a new one.
    void ReleaseWorkDirectory(bool keep);

    // --- component events ---------------------------------------------------------------------
    void OnConnectionStatus(const std::string& event, int status, const std::string& description);
    void OnDirListEntry(const std::string& fileName);
    void OnComponentError(int code, const std::string& description);
    void OnProtocolTrail(int direction, const std::string& message);
    void OnTransferData(std::int64_t bytesSoFar, const char* chunk, std::size_t length);
    virtual void OnStartTransfer();
    virtual void OnEndTransfer();

protected:
    RunContext& m_app;
    bool m_normalMode = false;
    std::string m_lastError;
    std::string m_host;
    bool m_secure = false;
    std::string m_receivedText;
    std::vector<std::string> m_filter;
    std::vector<std::string> m_listingNames;
    std::string m_workDir;
    std::shared_ptr<IProgressWindow> m_notifyWnd;
    bool m_loggedOn = false;
    bool m_logonRefused = false;
    // True while an in-memory download collects its text.
    bool m_collecting = false;

private:
    enum class SinkState { kFine, kTooLarge, kLocalError };
    void CollectText(const char* chunk, std::size_t length);
    void WriteToSink(const char* chunk, std::size_t length);
    [[nodiscard]] SFetch FinishFetch(int code, const std::string& localPath);
    std::string WorkBase() const;

    LocalFileOpener m_localFileOpener;
    // The in-memory download or local copy in progress: where its bytes go and its bound.
    std::unique_ptr<ILocalFileWriter> m_sink;
    SinkState m_sinkState = SinkState::kFine;
    std::int64_t m_receivedBytes = 0;
    std::int64_t m_written = 0;
    std::int64_t m_limit = 0;
    bool m_listingOverflow = false;
};

// Creates the directory and its missing parents; an empty or existing path is success.
[[nodiscard]] bool CreateDirectoryTree(const std::string& path);

}  // namespace quillmarch
