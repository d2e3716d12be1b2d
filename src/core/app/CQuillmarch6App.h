#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/app/CPayloadLoader.h"
#include "core/app/CUpdateLog.h"
#include "core/app/IClock.h"
#include "core/app/IMessageBox.h"
#include "core/app/RunInterrupt.h"
#include "core/catalogue/CImageCatalogue.h"
#include "core/catalogue/CSystemInformationArray.h"
#include "core/link/CFTPBase.h"
#include "core/progress/IProgressWindowFactory.h"
#include "core/run/IRunObserver.h"

namespace quillmarch {

// How start-up left the program: what the command-line run does next.
enum class EStartup {
    kNoArguments,     // wizard mode (or usage without a display)
    kReady,           // job and log in place
    kBadCommandLine,  // refused before anything was sent
    kNoLog,           // no log anywhere: the system must not be touched
    kLogBusy,         // another run writes this log
};

struct SStartup {
    EStartup state = EStartup::kNoArguments;
    std::string message;  // why, for the operator, when not ready
};

// The application object: the one update job record and the services every part reaches
// through it. No globals: tests build their own application with fake services.
class CQuillmarch6App {
public:
    using LinkFactory = std::function<std::unique_ptr<CFTPBase>(CQuillmarch6App&, bool secure)>;

    CQuillmarch6App(IClock& clock, IMessageBox& messageBox);
    ~CQuillmarch6App();
    CQuillmarch6App(const CQuillmarch6App&) = delete;
    CQuillmarch6App& operator=(const CQuillmarch6App&) = delete;

    // Start-up up to the choice of run mode: catalogue, image presence, the arguments after the
    // program's name, the log when there are arguments, a plain link.
    SStartup Startup(const std::vector<std::string>& args);

    // --- job record -------------------------------------------------------------------------
    std::string m_strNewRoomPassword;
    std::string m_strRoomPassword;
    bool m_bUseRoomForRemote = false;
    std::string m_strNewRemotePassword;
    bool m_bUpdateRunning = false;
    std::unique_ptr<CFTPBase> m_pLink;
    std::string m_strAddress;
    std::string m_strSystemName;
    std::string m_strPassword;
    int m_nSystemType = CSystemInformationArray::kUnknown;
    bool m_bUploadImage = true;
    bool m_bRetainDirectory = true;
    bool m_bRetainSystemSettings = true;
    bool m_bRetainSampleSites = true;
    bool m_bRetainCallDetail = true;
    std::string m_strProgressCaption;
    bool m_bUpdateSoftware = true;
    int m_nLanguage = 0;
    bool m_bCustomUpdate = false;
    bool m_bChangeSettings = false;
    bool m_bEraseFlash = false;
    bool m_bChangeLan = false;
    bool m_bSecureModeWanted = false;
    bool m_bSecureModeCurrent = false;
    bool m_bChangeDisplay = false;
    bool m_bDhcpWanted = true;
    bool m_bDhcpCurrent = false;
    bool m_bIsdnUpdate = false;
    int m_nTransferOption = 0;
    std::string m_strIpAddress;
    std::string m_strSubnetMask;
    std::string m_strDefaultGateway;
    bool m_bAspect16x9 = false;
    bool m_bPalWanted = false;
    bool m_bPalCurrent = false;
    bool m_bResolution1024 = false;
    int m_nVideoOutput = 0;
    bool m_bPassiveMode = false;
    int m_nLogLevel = 0;
    std::array<bool, CSystemInformationArray::kRowCount> m_abImagePresent{};
    bool m_bQuiet = false;
    std::shared_ptr<IProgressWindow> m_hProgressWnd;
    std::string m_strLogPath;
    std::string m_strCommandLine;
    std::string m_strProvision;
    // Folder of the per-system run locks; empty: <user cache>/locks (tests use their own).
    std::string m_strLockFolder;

    // Folder-bearing path the work directories hang off (the help-file path of the program).
    std::string m_strHelpFilePath;

    // --- preflight check, verification, report (command line only) -----------------------
    bool m_bCheckOnly = false;  // --check: look, change nothing
    bool m_bVerify = false;     // --verify: the run ends when the system is back, checked
    int m_nVerifyTimeoutSeconds = 900;
    std::string m_strReportPath;  // --report: JSON file, "-" for stdout, empty for none

    // --- services ---------------------------------------------------------------------------
    CSystemInformationArray m_catalogue;
    CPayloadLoader m_payloads;
    CImageCatalogue m_imageCatalogue;
    CUpdateLog m_log;
    IClock& Clock() { return m_clock; }
    IMessageBox& MessageBox() { return m_messageBox; }
    void SetProgressWindowFactory(IProgressWindowFactory* factory) { m_pProgressFactory = factory; }
    IProgressWindowFactory* ProgressWindowFactory() const { return m_pProgressFactory; }
    void SetLinkFactory(LinkFactory factory) { m_linkFactory = std::move(factory); }
    // The operator's request to stop; the signal handler and the link see the same object.
    RunInterrupt& Interrupt() { return m_interrupt; }
    // Where notes for the operator go (stderr unless replaced; tests capture them).
    void SetConsole(std::function<void(const std::string&)> console) {
        m_console = std::move(console);
    }
    // Whether the system answers at its address (--verify); null: a TCP connection is tried.
    using SystemProbeFn = std::function<bool()>;
    void SetSystemProbe(SystemProbeFn probe) { m_systemProbe = std::move(probe); }
    const SystemProbeFn& SystemProbe() const { return m_systemProbe; }
    // Sees every log record and progress task (the run's report); null for none.
    void SetRunObserver(IRunObserver* observer) { m_pRunObserver = observer; }
    IRunObserver* RunObserver() const { return m_pRunObserver; }
    // The clock's scale of every fixed wait; anything but 1 is announced in the log.
    void SetTimeScale(double scale) { m_dTimeScale = scale; }

    // --- operations ---------------------------------------------------------------------------
    std::string LoadUiString(int id, const std::string& fallback) const;
    // Quiet run: logs "MessageBox(text)" and answers OK; otherwise shows the box.
    int ShowMessage(const std::string& text, const std::string& caption, unsigned style);
    void WriteLog(const std::string& text, int level = 0);
    // One line for the operator on the console, whatever the run mode.
    void TellOperator(const std::string& text);
    // False when no log could be opened anywhere (m_log says why).
    bool StartLog(const std::string& path);
    // After the "Could not connect to system" record: the reason in plain words, in the log and,
    // in a run that is not quiet, on the console.
    void ReportConnectFailure();
    void CloseLog();
    void WriteOptionDump();
    bool CreateLink(bool secure);
    void RecordImagePresence();
    bool ImagePresent(int row) const;
    int FirstRowWithImage() const;

private:
    IClock& m_clock;
    IMessageBox& m_messageBox;
    IProgressWindowFactory* m_pProgressFactory = nullptr;
    LinkFactory m_linkFactory;
    RunInterrupt m_interrupt;
    std::function<void(const std::string&)> m_console;
    IRunObserver* m_pRunObserver = nullptr;
    SystemProbeFn m_systemProbe;
    double m_dTimeScale = 1.0;
};

}  // namespace quillmarch
