#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillmarch {

class CQuillmarch6App;
class IProgressWindow;

// The device link: one file-transfer session with one system. The twenty primitives are the
// FTP component's operations; everything the program needs is built on them here.
// Errors are values: primitives answer the component's code (0 = success).
class CFTPBase {
public:
    explicit CFTPBase(CQuillmarch6App& app);
    virtual ~CFTPBase();
    CFTPBase(const CFTPBase&) = delete;
    CFTPBase& operator=(const CFTPBase&) = delete;

    // --- primitives -------------------------------------------------------------------------
    virtual int SetTimeout(int seconds) = 0;  // 0 = no limit of our own (see the component)
    virtual int SetRemoteHost(const std::string& host) = 0;
    virtual int SetLocalFile(const std::string& path) = 0;  // empty: to/from memory
    virtual int SetRemoteFile(const std::string& name) = 0;
    virtual int Upload() = 0;
    virtual int Download() = 0;
    virtual int SetPassive(bool passive) = 0;
    virtual bool GetPassive() = 0;
    virtual std::string GetLastReply() = 0;  // "200 text"
    virtual int SetCommand(const std::string& command) = 0;
    virtual int SetTransferMode(int mode) = 0;  // 2 = binary
    virtual int Logon() = 0;
    virtual int Logoff() = 0;
    virtual int SetPassword(const std::string& password) = 0;
    virtual int SetUser(const std::string& user) = 0;
    virtual int ListDirectory() = 0;
    virtual std::string GetRemoteFile() = 0;
    virtual std::string Config(const std::string& setting) = 0;  // "name" reads, "name=value" sets
    virtual int Interrupt() = 0;
    virtual int Abort() = 0;

    // --- state ------------------------------------------------------------------------------
    bool IsSecure() const { return m_bSecure; }
    bool IsLoggedOn() const { return m_bLoggedOn; }
    bool IsNormalMode() const { return m_bNormalMode; }
    void Disconnect();
    std::string GetLastErrorText() const { return m_strLastError; }
    // A null window keeps the earlier one; the message is always stored (0 = no notices).
    void SetNotifyWindow(std::shared_ptr<IProgressWindow> window, unsigned message);

    // --- operations ---------------------------------------------------------------------------
    bool LogonToSystem(const std::string& address, const std::string& user,
                       const std::string& password);
    bool QueryMode();
    // 200 when the component sent the command and got a reply, 0 otherwise.
    int SendCommand(const std::string& command, std::string* reply, int wantReply);
    bool DownloadToString(const std::string& remoteName, std::string& out);
    bool DownloadDatFile(const std::string& baseName, std::string& out);
    bool DownloadFiles(std::vector<std::string>& names);  // always true; empties the list
    bool UploadBuffer(const std::string& remoteName, const std::uint8_t* data, std::size_t size,
                      int timeoutSeconds);
    bool UploadFiles(const std::string& pattern);
    void ClearFileFilter();
    void AddFileFilter(const std::string& name);
    bool ListFiles(std::vector<std::string>& names);
    std::string GetWorkDirectory();

    // --- component events ---------------------------------------------------------------------
    void OnConnectionStatus(const std::string& event, int status, const std::string& description);
    void OnDirListEntry(const std::string& fileName);
    void OnComponentError(int code, const std::string& description);
    void OnProtocolTrail(int direction, const std::string& message);
    void OnTransferData(std::int64_t bytesSoFar, const char* chunk, std::size_t length);
    virtual void OnStartTransfer();
    virtual void OnEndTransfer();

protected:
    CQuillmarch6App& m_app;
    bool m_bNormalMode = false;
    std::string m_strLastError;
    std::string m_strHost;
    bool m_bSecure = false;
    std::string m_strReceived;
    std::vector<std::string> m_arrFilter;
    std::vector<std::string> m_arrListing;
    std::string m_strWorkDir;
    unsigned m_nNotifyMsg = 0;
    std::shared_ptr<IProgressWindow> m_hNotifyWnd;
    bool m_bLoggedOn = false;
    // True while an in-memory download collects its text.
    bool m_bCollecting = false;
};

// Creates the directory and its missing parents; an empty or existing path is success.
bool CreateDirectoryTree(const std::string& path);

}  // namespace quillmarch
