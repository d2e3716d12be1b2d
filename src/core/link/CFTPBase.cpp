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
#include "core/platform/Platform.h"
#include "core/progress/IProgressWindow.h"

namespace quillmarch {

namespace fs = std::filesystem;

namespace {

// "*" and "?" wildcards; "*.*" and "*" take every name, as on Windows.
bool WildcardMatch(const char* pattern, const char* name) {
    if (*pattern == '\0') return *name == '\0';
    if (*pattern == '*')
        return WildcardMatch(pattern + 1, name) || (*name && WildcardMatch(pattern, name + 1));
    if (*name == '\0') return false;
    return (*pattern == '?' || *pattern == *name) && WildcardMatch(pattern + 1, name + 1);
}

bool PatternMatches(const std::string& pattern, const std::string& name) {
    if (pattern == "*.*" || pattern == "*") return true;
    return WildcardMatch(pattern.c_str(), name.c_str());
}

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
    m_app.WriteLog("FTP Quote " + command + " > " + (reply ? *reply : std::string()), 0);
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

bool CFTPBase::DownloadToString(const std::string& remoteName, std::string& out) {
    SetLocalFile("");
    SetRemoteFile(remoteName);
    m_strReceived.clear();
    out.clear();
    m_bCollecting = true;
    const int code = Download();
    m_bCollecting = false;
    if (code != 0) {
        m_app.WriteLog("FTP: File Download failed - " + std::to_string(code), 1);
        m_strReceived.clear();
        return false;
    }
    out = std::move(m_strReceived);
    m_strReceived.clear();
    return true;
}

bool CFTPBase::DownloadDatFile(const std::string& baseName, std::string& out) {
    return DownloadToString(baseName + ".dat", out);
}

bool CFTPBase::DownloadFiles(std::vector<std::string>& names) {
    const std::string dir = GetWorkDirectory();
    while (!names.empty()) {
        SetLocalFile(dir + names.front());
        SetRemoteFile(names.front());
        Download();  // a file the system lacks is skipped
        names.erase(names.begin());
    }
    return true;
}

std::string CFTPBase::GetWorkDirectory() {
    if (!m_strWorkDir.empty()) return m_strWorkDir;
    const std::string& help = m_app.m_strHelpFilePath;
    const auto cut = help.find_last_of("\\/");
    const std::string base = cut == std::string::npos ? std::string(".") : help.substr(0, cut);
    const std::string name = address::LocalName(m_strHost);
    const std::string sep = platform::Separator();
    m_strWorkDir = base + sep + name + sep;
    if (CreateDirectoryTree(m_strWorkDir)) return m_strWorkDir;

    m_app.WriteLog("Failed to create directory :" + m_strWorkDir, 0);
    m_strWorkDir.clear();
    const std::string temp = platform::TempDirectory();
    if (temp.empty()) {
        m_app.WriteLog("Failed to retrive system temporary path", 0);
        return {};
    }
    m_strWorkDir = temp + sep + name + sep;
    if (!CreateDirectoryTree(m_strWorkDir)) {
        m_app.WriteLog("Failed to create directory :" + m_strWorkDir, 0);
        m_strWorkDir.clear();
    }
    return m_strWorkDir;
}

bool CFTPBase::UploadBuffer(const std::string& remoteName, const std::uint8_t* data,
                            std::size_t size, int timeoutSeconds) {
    const std::string dir = GetWorkDirectory();
    const std::string localPath = dir + remoteName;
    {
        std::ofstream file(platform::PathFromUtf8(localPath), std::ios::binary | std::ios::trunc);
        if (dir.empty() || !file) {
            m_strLastError = "WriteFile() not a valid file name";
            return false;
        }
        if (size)
            file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!file.flush()) {
            m_strLastError = "WriteFile() not a valid file name";
            return false;
        }
    }
    const std::string before = Config("OutBufferSize");
    m_app.WriteLog("Before setting out buffer size = " + before, 1);
    if (std::strtoll(before.c_str(), nullptr, 10) < static_cast<long long>(size))
        Config("OutBufferSize=" + std::to_string(size));
    m_app.WriteLog("After setting out buffer size = " + Config("OutBufferSize"), 1);
    SetLocalFile(localPath);
    SetRemoteFile(remoteName);
    if (timeoutSeconds > 0) SetTimeout(timeoutSeconds);
    const int code = Upload();
    if (code != 0) m_app.WriteLog("FTP: File Upload failed - " + std::to_string(code), 1);
    std::error_code ec;
    fs::remove(platform::PathFromUtf8(localPath), ec);
    return code == 0;
}

bool CFTPBase::UploadFiles(const std::string& pattern) {
    const std::string dir = GetWorkDirectory();
    if (dir.empty()) return false;
    std::error_code ec;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(platform::PathFromUtf8(dir), ec)) {
        if (!entry.is_regular_file(ec)) continue;
        const std::string name = platform::Utf8FromPath(entry.path().filename());
        if (PatternMatches(pattern, name)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());  // a stable order for the system and the log
    for (const auto& name : names) {
        SetLocalFile(dir + name);
        SetRemoteFile(name);
        if (Upload() != 0) return false;
    }
    return true;
}

void CFTPBase::ClearFileFilter() {
    m_arrFilter.clear();
}

void CFTPBase::AddFileFilter(const std::string& name) {
    m_arrFilter.push_back(name);
}

bool CFTPBase::ListFiles(std::vector<std::string>& names) {
    m_arrListing.clear();
    if (ListDirectory() != 0) return false;
    names.insert(names.end(), m_arrListing.begin(), m_arrListing.end());
    return true;
}

void CFTPBase::OnConnectionStatus(const std::string& event, int status,
                                  const std::string& description) {
    m_app.WriteLog(
        "FTP:Connection Status: " + event + " - " + std::to_string(status) + " - " + description,
        1);
}

void CFTPBase::OnDirListEntry(const std::string& fileName) {
    const std::string name = text::Trim(fileName, " \t\r\n");
    for (const auto& filter : m_arrFilter) {
        if (name.find(filter) != std::string::npos) m_arrListing.push_back(name);
    }
}

void CFTPBase::OnComponentError(int /*code*/, const std::string& description) {
    m_app.WriteLog("FTP Error: " + description, 1);
}

void CFTPBase::OnProtocolTrail(int direction, const std::string& message) {
    static const char* const kPrefix[] = {"Client: ", "Server: ", "Info: "};
    const std::string prefix = direction >= 0 && direction <= 2 ? kPrefix[direction] : "";
    m_app.WriteLog("FTP Trail: " + prefix + message, 1);
}

void CFTPBase::OnTransferData(std::int64_t bytesSoFar, const char* chunk, std::size_t length) {
    if (m_nNotifyMsg != 0 && m_hNotifyWnd) {
        SProgressMessage notice;
        notice.id = m_nNotifyMsg;
        notice.wParam = bytesSoFar;
        m_hNotifyWnd->Post(notice);
    }
    // Only in-memory downloads collect text; images and files pass through untouched.
    if (m_bCollecting && chunk) {
        std::size_t n = 0;
        while (n < length && chunk[n] != '\0') ++n;
        m_strReceived.append(chunk, n);
    }
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
