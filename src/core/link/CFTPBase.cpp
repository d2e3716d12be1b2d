#include "core/link/CFTPBase.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/app/AddressNames.h"
#include "core/app/CQuillmarch6App.h"
#include "core/app/TextUtil.h"
#include "core/link/LogonReason.h"
#include "core/platform/CLocalFileWriter.h"
#include "core/platform/Platform.h"
#include "core/progress/IProgressWindow.h"

namespace quillmarch {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kListedNameKept = 1024;

}  // namespace

CFTPBase::CFTPBase(CQuillmarch6App& app) : m_app(app) {}

CFTPBase::~CFTPBase() = default;

void CFTPBase::Disconnect() {
    Logoff();
    m_bLoggedOn = false;
}

void CFTPBase::SetNotifyWindow(std::shared_ptr<IProgressWindow> window, unsigned message) {
    if (window) m_hNotifyWnd = std::move(window);
    m_nNotifyMsg = message;
}

bool CFTPBase::LogonToSystem(const std::string& address, const std::string& user,
                             const std::string& password) {
    const std::string host = address::Normalise(address);
    m_strLastError.clear();  // a reason of an earlier attempt must not explain this one
    SetRemoteHost(host);
    SetUser(user);
    SetPassword(password.empty() ? " " : password);
    SetTimeout(10);
    Config("UseRemoteHostAddressForPassive=true");
    Config("AbsoluteTimeout=true");
    const int code = Logon();
    if (code != 0) {
        char line[64];
        std::snprintf(line, sizeof(line), "FTP: Logon failed - %d", code);
        m_app.WriteLog(line, 1);
        // The operator's own language where the program has the words, plain English else.
        m_strLastError = LogonFailureReason(code);
        if (code == 301) m_strLastError = m_app.LoadUiString(290, "Wrong Password");
        if (code == 10061) m_strLastError = m_app.LoadUiString(291, "Connection Refused");
        Disconnect();
        return false;
    }
    SetTimeout(0);
    m_bLoggedOn = true;
    if (!QueryMode()) {
        Disconnect();
        m_strLastError = m_app.LoadUiString(211, "Not a correct FTP server for system");
        return false;
    }
    SetTransferMode(2);
    m_strHost = host;
    return true;
}

int CFTPBase::SendCommand(const std::string& command, std::string* reply, int wantReply) {
    if (SetCommand(command) != 0) {
        m_strLastError = "Not connected yet";
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

bool CFTPBase::QueryMode() {
    std::string reply;
    if (SendCommand("FLAG", &reply, 1) == 0) return false;
    const std::string mode = text::Upper(reply).substr(0, 6);
    if (mode == "NORMAL" || mode == "BOOTUI") {
        m_bNormalMode = mode == "NORMAL";
        return true;
    }
    m_app.WriteLog("Invalid respose from FTP server for FLAG", 0);
    return false;
}

bool CFTPBase::DownloadToString(const std::string& remoteName, std::string& out,
                                std::size_t limit) {
    SetLocalFile("");
    SetRemoteFile(remoteName);
    m_strReceived.clear();
    out.clear();
    m_nReceived = 0;
    m_nLimit = static_cast<std::int64_t>(limit);
    m_eSink = ESinkState::kFine;
    m_bCollecting = true;
    // A file this small has no reason to take long: a trickling system is cut off early.
    Config("TransferTimeout=" + std::to_string(ftpbound::kMemoryFileSeconds));
    const int code = Download();
    Config("TransferTimeout=" + std::to_string(ftpbound::kTransferSeconds));
    m_bCollecting = false;
    if (m_eSink == ESinkState::kTooLarge) {
        m_app.WriteLog("FTP: File too large - " + text::ForLog(remoteName) + " (more than " +
                           std::to_string(limit) + " bytes)",
                       0);
    } else if (code != 0) {
        m_app.WriteLog("FTP: File Download failed - " + std::to_string(code), 1);
    }
    if (code != 0 || m_eSink != ESinkState::kFine) {
        m_strReceived.clear();
        return false;
    }
    out = std::move(m_strReceived);
    m_strReceived.clear();
    return true;
}

bool CFTPBase::DownloadDatFile(const std::string& baseName, std::string& out) {
    return DownloadToString(baseName + ".dat", out, filelimit::kValueFileBytes);
}

CFTPBase::SFetch CFTPBase::FetchToFile(const std::string& remoteName, const std::string& localPath,
                                       std::int64_t maxBytes) {
    std::string error;
    m_pSink = m_localFileOpener ? m_localFileOpener(localPath, error)
                                : platform::CLocalFileWriter::Create(localPath, error);
    if (!m_pSink) return SFetch{EFetch::kLocalError, 0, error};
    SetLocalFile("");
    SetRemoteFile(remoteName);
    m_nReceived = m_nWritten = 0;
    m_nLimit = maxBytes;
    m_eSink = ESinkState::kFine;
    const int code = Download();
    return FinishFetch(code, localPath);
}

CFTPBase::SFetch CFTPBase::FinishFetch(int code, const std::string& localPath) {
    SFetch fetch;
    fetch.bytes = m_nWritten;
    const bool closed = m_pSink->Close();
    if (m_eSink == ESinkState::kTooLarge) {
        fetch.outcome = EFetch::kTooLarge;
        fetch.error = "more than " + std::to_string(m_nLimit) + " bytes";
    } else if (m_eSink == ESinkState::kLocalError || !closed) {
        fetch.outcome = EFetch::kLocalError;
        fetch.error = m_pSink->Error();
    } else if (code != 0) {
        const bool missing = GetLastReply().rfind("550", 0) == 0;
        fetch.outcome = missing ? EFetch::kMissing : EFetch::kTransferError;
        fetch.error = "transfer failed - " + std::to_string(code);
    } else if (m_nWritten != m_nReceived) {
        fetch.outcome = EFetch::kLocalError;
        fetch.error = std::to_string(m_nWritten) + " bytes written of " +
                      std::to_string(m_nReceived) + " received";
    } else {
        fetch.outcome = EFetch::kOk;
    }
    m_pSink.reset();
    if (fetch.outcome != EFetch::kOk) {
        std::error_code ec;
        fs::remove(platform::PathFromUtf8(localPath), ec);
    }
    return fetch;
}

bool CFTPBase::SendFile(const std::string& localPath, const std::string& remoteName) {
    SetLocalFile(localPath);
    SetRemoteFile(remoteName);
    const int code = Upload();
    if (code != 0) m_app.WriteLog("FTP: File Upload failed - " + std::to_string(code), 1);
    return code == 0;
}

std::string CFTPBase::WorkBase() const {
    const std::string& help = m_app.m_strHelpFilePath;
    const auto cut = help.find_last_of("\\/");
    return cut == std::string::npos ? std::string(".") : help.substr(0, cut);
}

std::string CFTPBase::GetWorkDirectory() {
    if (!m_strWorkDir.empty()) return m_strWorkDir;
    // A folder of its own per run: nothing an earlier run, or another system that once had
    // this address, left behind can ever be restored to this system.
    const std::string prefix = address::LocalName(m_strHost) + "-";
    const std::string sep = platform::Separator();
    for (const std::string& base : {WorkBase(), platform::UserCacheDirectory()}) {
        // The help file's folder may be shared (the temporary folder): then the user's cache.
        if (!platform::IsPrivateDirectory(base)) continue;
        const std::string dir = platform::MakeUniqueDirectory(base, prefix);
        if (!dir.empty()) {
            m_strWorkDir = dir + sep;
            return m_strWorkDir;
        }
        m_app.WriteLog("Failed to create directory :" + base + sep + prefix, 0);
    }
    m_app.WriteLog("Failed to create directory :" + prefix, 0);
    return {};
}

void CFTPBase::ReleaseWorkDirectory(bool keep) {
    if (m_strWorkDir.empty()) return;
    if (!keep) {
        std::error_code ec;  // remove_all takes links away, never what they point to
        fs::remove_all(platform::PathFromUtf8(m_strWorkDir), ec);
    }
    m_strWorkDir.clear();
}

bool CFTPBase::UploadBuffer(const std::string& remoteName, const std::uint8_t* data,
                            std::size_t size, int timeoutSeconds) {
    if (data == nullptr && size != 0) {
        m_strLastError = "WriteFile() not a valid file name";
        return false;
    }
    const std::string before = Config("OutBufferSize");
    m_app.WriteLog("Before setting out buffer size = " + before, 1);
    if (std::strtoll(before.c_str(), nullptr, 10) < static_cast<long long>(size))
        Config("OutBufferSize=" + std::to_string(size));
    m_app.WriteLog("After setting out buffer size = " + Config("OutBufferSize"), 1);
    SetRemoteFile(remoteName);
    SetUploadData(data, size);
    if (timeoutSeconds > 0) SetTimeout(timeoutSeconds);
    const int code = Upload();
    if (code != 0) m_app.WriteLog("FTP: File Upload failed - " + std::to_string(code), 1);
    return code == 0;
}

void CFTPBase::ClearFileFilter() {
    m_arrFilter.clear();
}

void CFTPBase::AddFileFilter(const std::string& name) {
    m_arrFilter.push_back(name);
}

bool CFTPBase::ListFiles(std::vector<std::string>& names) {
    m_arrListing.clear();
    m_bListingOverflow = false;
    const int code = ListDirectory();
    const bool overflow = m_bListingOverflow;
    m_bListingOverflow = false;
    if (overflow) {
        m_app.WriteLog("FTP: Listing refused - more than " +
                           std::to_string(filelimit::kBackupFiles) + " names",
                       0);
    }
    if (code != 0 || overflow) {
        m_arrListing.clear();
        return false;
    }
    names.insert(names.end(), m_arrListing.begin(), m_arrListing.end());
    m_arrListing.clear();
    return true;
}

void CFTPBase::OnConnectionStatus(const std::string& event, int status,
                                  const std::string& description) {
    m_app.WriteLog("FTP:Connection Status: " + event + " - " + std::to_string(status) + " - " +
                       text::ForLog(description),
                   1);
    // A session the server ended is gone: callers that check IsLoggedOn connect anew instead
    // of sending into nothing (the final BOOT that takes a system out of update mode).
    if (event == "Disconnected") m_bLoggedOn = false;
}

void CFTPBase::OnDirListEntry(const std::string& fileName) {
    const std::string name = text::Trim(fileName, " \t\r\n");
    for (const auto& filter : m_arrFilter) {
        if (name.find(filter) == std::string::npos) continue;
        if (m_arrListing.size() >= filelimit::kBackupFiles) {
            // More than any system holds: stop taking names, and stop the listing.
            if (!m_bListingOverflow) Abort();
            m_bListingOverflow = true;
            return;
        }
        // A name longer than any file name is refused later anyway; only its start is kept,
        // so that the listing's memory stays bounded.
        m_arrListing.push_back(name.substr(0, kListedNameKept));
    }
}

void CFTPBase::OnComponentError(int /*code*/, const std::string& description) {
    m_app.WriteLog("FTP Error: " + text::ForLog(description), 1);
}

void CFTPBase::OnProtocolTrail(int direction, const std::string& message) {
    static const char* const kPrefix[] = {"Client: ", "Server: ", "Info: "};
    const std::string prefix = direction >= 0 && direction <= 2 ? kPrefix[direction] : "";
    m_app.WriteLog("FTP Trail: " + prefix + text::ForLog(message), 1);
}

void CFTPBase::OnTransferData(std::int64_t bytesSoFar, const char* chunk, std::size_t length) {
    if (m_nNotifyMsg != 0 && m_hNotifyWnd) {
        SProgressMessage notice;
        notice.id = m_nNotifyMsg;
        notice.wParam = bytesSoFar;
        m_hNotifyWnd->Post(notice);
    }
    // Only in-memory downloads and local copies take the bytes; images pass through untouched.
    if (!chunk || m_eSink != ESinkState::kFine) return;
    if (m_pSink) {
        WriteToSink(chunk, length);
    } else if (m_bCollecting) {
        CollectText(chunk, length);
    }
}

void CFTPBase::CollectText(const char* chunk, std::size_t length) {
    m_nReceived += static_cast<std::int64_t>(length);
    if (m_nReceived > m_nLimit) {
        // Cut off: the rest is never read, and what came so far is dropped.
        m_eSink = ESinkState::kTooLarge;
        m_strReceived.clear();
        Abort();
        return;
    }
    std::size_t n = 0;
    while (n < length && chunk[n] != '\0') ++n;
    m_strReceived.append(chunk, n);
}

void CFTPBase::WriteToSink(const char* chunk, std::size_t length) {
    m_nReceived += static_cast<std::int64_t>(length);
    if (m_nReceived > m_nLimit) {
        m_eSink = ESinkState::kTooLarge;
        Abort();
        return;
    }
    if (!m_pSink->Write(chunk, length)) {
        m_eSink = ESinkState::kLocalError;
        Abort();
        return;
    }
    m_nWritten += static_cast<std::int64_t>(length);
}

void CFTPBase::OnStartTransfer() {
    m_app.WriteLog("Start Transfer", 1);
}

void CFTPBase::OnEndTransfer() {
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
