// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/link/DeviceLink.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/job/RunContext.h"
#include "core/link/FtpSession.h"
#include "core/link/LogonReason.h"
#include "core/platform/LocalFileWriter.h"
#include "core/platform/Platform.h"
#include "core/progress/IProgressWindow.h"
#include "core/ui/HelpFile.h"
#include "core/util/AddressNames.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kListedNameKept = 1024;

}  // namespace

DeviceLink::DeviceLink(RunContext& app) : m_app(app) {}

DeviceLink::~DeviceLink() = default;

void DeviceLink::Disconnect() {
    // The session is gone afterwards whatever the component answers.
    static_cast<void>(Logoff());
    m_loggedOn = false;
}

void DeviceLink::SetNotifyWindow(std::shared_ptr<IProgressWindow> window) {
    if (window) m_notifyWnd = std::move(window);
}

bool DeviceLink::LogonToSystem(const std::string& address, const std::string& user,
                               const std::string& password) {
    const std::string host = address::Normalise(address);
    m_lastError.clear();  // a reason of an earlier attempt must not explain this one
    m_logonRefused = false;
    if (password.find_first_of("\r\n") != std::string::npos) {
        m_lastError = kPasswordLineBreak;
        m_app.WriteLog(m_lastError, 0);
        return false;
    }
    // Logon checks the address, user and password again and reports what it refuses.
    static_cast<void>(SetRemoteHost(host));
    static_cast<void>(SetUser(user));
    static_cast<void>(SetPassword(password.empty() ? " " : password));
    static_cast<void>(SetTimeout(10));  // in range: cannot be refused
    Config("UseRemoteHostAddressForPassive=true");
    Config("AbsoluteTimeout=true");
    const int code = Logon();
    if (code != 0) {
        char line[64];
        std::snprintf(line, sizeof(line), "FTP: Logon failed - %d", code);
        m_app.WriteLog(line, 1);
        // The operator's own language where the program has the words, plain English else.
        m_lastError = LogonFailureReason(code, GetLastReply());
        // A 530 that asks for encryption did not judge the password.
        m_logonRefused = code == ftpcode::kLogonRefused && m_lastError == LogonFailureReason(code);
        if (m_lastError == LogonFailureReason(code) && code == 301)
            m_lastError = m_app.LoadUiString(290, "Wrong Password");
        if (code == 10061) m_lastError = m_app.LoadUiString(291, "Connection Refused");
        Disconnect();
        return false;
    }
    static_cast<void>(SetTimeout(0));  // in range: cannot be refused
    m_loggedOn = true;
    if (!QueryMode()) {
        Disconnect();
        m_lastError = m_app.LoadUiString(211, "Not a correct FTP server for system");
        return false;
    }
    static_cast<void>(SetTransferMode(2));  // binary, always known
    m_host = host;
    return true;
}

int DeviceLink::SendCommand(const std::string& command, std::string* reply, int wantReply) {
    if (SetCommand(command) != 0) {
        m_lastError = "Not connected yet";
        m_logonRefused = false;
        return 0;
    }
    if (reply && wantReply == 1) {
        const std::string last = GetLastReply();
        *reply = last.size() > 4 ? last.substr(4) : std::string();
    }
    m_app.WriteLog("FTP Quote " + command + " > " + text::ForLog(reply ? *reply : std::string()),
                   0);
    return 200;
}

bool DeviceLink::QueryMode() {
    std::string reply;
    if (SendCommand("FLAG", &reply, 1) == 0) return false;
    const std::string mode = text::Upper(reply).substr(0, 6);
    if (mode == "NORMAL" || mode == "BOOTUI") {
        m_normalMode = mode == "NORMAL";
        return true;
    }
    m_app.WriteLog("Invalid respose from FTP server for FLAG", 0);
    return false;
}

bool DeviceLink::DownloadToString(const std::string& remoteName, std::string& out,
                                  std::size_t limit) {
    SetLocalFile("");
    SetRemoteFile(remoteName);
    m_receivedText.clear();
    out.clear();
    m_receivedBytes = 0;
    m_limit = static_cast<std::int64_t>(limit);
    m_sinkState = SinkState::kFine;
    m_collecting = true;
    // A file this small has no reason to take long: a trickling system is cut off early.
    Config("TransferTimeout=" + std::to_string(ftpbound::kMemoryFileSeconds));
    const int code = Download();
    Config("TransferTimeout=" + std::to_string(ftpbound::kTransferSeconds));
    m_collecting = false;
    if (m_sinkState == SinkState::kTooLarge) {
        m_app.WriteLog("FTP: File too large - " + text::ForLog(remoteName) + " (more than " +
                           std::to_string(limit) + " bytes)",
                       0);
    } else if (code != 0) {
        m_app.WriteLog("FTP: File Download failed - " + std::to_string(code), 1);
    }
    if (code != 0 || m_sinkState != SinkState::kFine) {
        m_receivedText.clear();
        return false;
    }
    out = std::move(m_receivedText);
    m_receivedText.clear();
    return true;
}

bool DeviceLink::DownloadDatFile(const std::string& baseName, std::string& out) {
    return DownloadToString(baseName + ".dat", out, filelimit::kValueFileBytes);
}

DeviceLink::SFetch DeviceLink::FetchToFile(const std::string& remoteName,
                                           const std::string& localPath, std::int64_t maxBytes) {
    std::string error;
    m_sink = m_localFileOpener ? m_localFileOpener(localPath, error)
                               : platform::LocalFileWriter::Create(localPath, error);
    if (!m_sink) return SFetch{FetchKind::kLocalError, 0, error};
    SetLocalFile("");
    SetRemoteFile(remoteName);
    m_receivedBytes = m_written = 0;
    m_limit = maxBytes;
    m_sinkState = SinkState::kFine;
    const int code = Download();
    return FinishFetch(code, localPath);
}

DeviceLink::SFetch DeviceLink::FinishFetch(int code, const std::string& localPath) {
    SFetch fetch;
    fetch.bytes = m_written;
    const bool closed = m_sink->Close();
    if (m_sinkState == SinkState::kTooLarge) {
        fetch.outcome = FetchKind::kTooLarge;
        fetch.error = "more than " + std::to_string(m_limit) + " bytes";
    } else if (m_sinkState == SinkState::kLocalError || !closed) {
        fetch.outcome = FetchKind::kLocalError;
        fetch.error = m_sink->Error();
    } else if (code != 0) {
        const bool missing = GetLastReply().rfind("550", 0) == 0;
        fetch.outcome = missing ? FetchKind::kMissing : FetchKind::kTransferError;
        fetch.error = "transfer failed - " + std::to_string(code);
    } else if (m_written != m_receivedBytes) {
        fetch.outcome = FetchKind::kLocalError;
        fetch.error = std::to_string(m_written) + " bytes written of " +
                      std::to_string(m_receivedBytes) + " received";
    } else {
        fetch.outcome = FetchKind::kOk;
    }
    m_sink.reset();
    if (fetch.outcome != FetchKind::kOk) {
        std::error_code ec;
        fs::remove(platform::PathFromUtf8(localPath), ec);
    }
    return fetch;
}

bool DeviceLink::SendFile(const std::string& localPath, const std::string& remoteName) {
    SetLocalFile(localPath);
    SetRemoteFile(remoteName);
    const int code = Upload();
    if (code != 0) m_app.WriteLog("FTP: File Upload failed - " + std::to_string(code), 1);
    return code == 0;
}

// Copies of a system's files go into the user's private data folder. A help path that names
// a folder of the caller's own (an embedding program, a test) puts them there instead; an
// installed help page's folder is never written.
std::string DeviceLink::WorkBase() const {
    const std::string& help = m_app.m_helpFilePath;
    if (help.empty() || HelpFile::IsInstalledPage(help)) return platform::UserDataDirectory();
    const auto cut = help.find_last_of("\\/");
    return cut == std::string::npos ? std::string(".") : help.substr(0, cut);
}

std::string DeviceLink::GetWorkDirectory() {
    if (!m_workDir.empty()) return m_workDir;
    // A folder of its own per run: nothing an earlier run, or another system that once had
    // this address, left behind can ever be restored to this system.
    const std::string prefix = address::LocalName(m_host) + "-";
    const std::string sep = platform::Separator();
    for (const std::string& base : {WorkBase(), platform::UserCacheDirectory()}) {
        // A folder that is not private (shared, or someone else's) is passed over.
        if (!platform::IsPrivateDirectory(base)) continue;
        const std::string dir = platform::MakeUniqueDirectory(base, prefix);
        if (!dir.empty()) {
            m_workDir = dir + sep;
            return m_workDir;
        }
        m_app.WriteLog("Failed to create directory :" + base + sep + prefix, 0);
    }
    m_app.WriteLog("Failed to create directory :" + prefix, 0);
    return {};
}

void DeviceLink::ReleaseWorkDirectory(bool keep) {
    if (m_workDir.empty()) return;
    if (!keep) {
        std::error_code ec;  // remove_all takes links away, never what they point to
        fs::remove_all(platform::PathFromUtf8(m_workDir), ec);
    }
    m_workDir.clear();
}

bool DeviceLink::UploadBuffer(const std::string& remoteName, const std::uint8_t* data,
                              std::size_t size, int timeoutSeconds) {
    if (data == nullptr && size != 0) {
        m_lastError = "WriteFile() not a valid file name";
        m_logonRefused = false;
        return false;
    }
    const std::string before = Config("OutBufferSize");
    m_app.WriteLog("Before setting out buffer size = " + before, 1);
    if (std::strtoll(before.c_str(), nullptr, 10) < static_cast<long long>(size))
        Config("OutBufferSize=" + std::to_string(size));
    m_app.WriteLog("After setting out buffer size = " + Config("OutBufferSize"), 1);
    SetRemoteFile(remoteName);
    int code = SetUploadData(data, size);
    if (code == 0 && timeoutSeconds > 0) code = SetTimeout(timeoutSeconds);
    if (code == 0) code = Upload();
    if (code != 0) m_app.WriteLog("FTP: File Upload failed - " + std::to_string(code), 1);
    return code == 0;
}

void DeviceLink::ClearFileFilter() {
    m_filter.clear();
}

void DeviceLink::AddFileFilter(const std::string& name) {
    m_filter.push_back(name);
}

bool DeviceLink::ListFiles(std::vector<std::string>& names) {
    m_listingNames.clear();
    m_listingOverflow = false;
    const int code = ListDirectory();
    const bool overflow = m_listingOverflow;
    m_listingOverflow = false;
    if (overflow) {
        m_app.WriteLog("FTP: Listing refused - more than " +
                           std::to_string(filelimit::kBackupFiles) + " names",
                       0);
    }
    if (code != 0 || overflow) {
        m_listingNames.clear();
        return false;
    }
    names.insert(names.end(), m_listingNames.begin(), m_listingNames.end());
    m_listingNames.clear();
    return true;
}

void DeviceLink::OnConnectionStatus(const std::string& event, int status,
                                    const std::string& description) {
    m_app.WriteLog("FTP:Connection Status: " + event + " - " + std::to_string(status) + " - " +
                       text::ForLog(description),
                   1);
    // A session the server ended is gone: callers that check IsLoggedOn connect anew instead
    // of sending into nothing (the final BOOT that takes a system out of update mode).
    if (event == "Disconnected") m_loggedOn = false;
}

void DeviceLink::OnDirListEntry(const std::string& fileName) {
    const std::string name = text::Trim(fileName, " \t\r\n");
    // The system's file system does not tell case apart for these: OFFICE2.ABK is an address
    // book like office2.abk, and a file the operator asked to keep must not be missed.
    const std::string folded = text::Lower(name);
    for (const auto& filter : m_filter) {
        if (folded.find(text::Lower(filter)) == std::string::npos) continue;
        if (m_listingNames.size() >= filelimit::kBackupFiles) {
            // More than any system holds: stop taking names, and stop the listing.
            if (!m_listingOverflow) Abort();
            m_listingOverflow = true;
            return;
        }
        // A name longer than any file name is refused later anyway; only its start is kept,
        // so that the listing's memory stays bounded.
        m_listingNames.push_back(name.substr(0, kListedNameKept));
    }
}

void DeviceLink::OnComponentError(int /*code*/, const std::string& description) {
    m_app.WriteLog("FTP Error: " + text::ForLog(description), 1);
}

void DeviceLink::OnProtocolTrail(int direction, const std::string& message) {
    static const char* const kPrefix[] = {"Client: ", "Server: ", "Info: "};
    const std::string prefix = direction >= 0 && direction <= 2 ? kPrefix[direction] : "";
    m_app.WriteLog("FTP Trail: " + prefix + text::ForLog(message), 1);
}

void DeviceLink::OnTransferData(std::int64_t bytesSoFar, const char* chunk, std::size_t length) {
    if (m_notifyWnd) m_notifyWnd->Bytes(bytesSoFar);
    // Only in-memory downloads and local copies take the bytes; images pass through untouched.
    if (!chunk || m_sinkState != SinkState::kFine) return;
    if (m_sink) {
        WriteToSink(chunk, length);
    } else if (m_collecting) {
        CollectText(chunk, length);
    }
}

void DeviceLink::CollectText(const char* chunk, std::size_t length) {
    m_receivedBytes += static_cast<std::int64_t>(length);
    if (m_receivedBytes > m_limit) {
        // Cut off: the rest is never read, and what came so far is dropped.
        m_sinkState = SinkState::kTooLarge;
        m_receivedText.clear();
        Abort();
        return;
    }
    std::size_t n = 0;
    while (n < length && chunk[n] != '\0') ++n;
    m_receivedText.append(chunk, n);
}

void DeviceLink::WriteToSink(const char* chunk, std::size_t length) {
    m_receivedBytes += static_cast<std::int64_t>(length);
    if (m_receivedBytes > m_limit) {
        m_sinkState = SinkState::kTooLarge;
        Abort();
        return;
    }
    if (!m_sink->Write(chunk, length)) {
        m_sinkState = SinkState::kLocalError;
        Abort();
        return;
    }
    m_written += static_cast<std::int64_t>(length);
}

void DeviceLink::OnStartTransfer() {
    m_app.WriteLog("Start Transfer", 1);
}

void DeviceLink::OnEndTransfer() {
    m_app.WriteLog("End Transfer", 1);
}

bool CreateDirectoryTree(const std::string& path) {
    if (path.empty()) return true;
    std::error_code ec;
    const fs::path target = platform::PathFromUtf8(path);
    if (fs::is_directory(target, ec)) return true;
    fs::create_directories(target, ec);
    return fs::is_directory(target, ec);
}

}  // namespace quillmarch
