#include "core/app/CQuillmarch6App.h"

#include <cstdio>

#include "core/app/CCommandLine.h"
#include "core/app/CUiStrings.h"
#include "core/platform/Platform.h"

namespace quillmarch {

namespace {

// Starts as a path in the program's own folder that does not name the help file.
std::string InitialHelpFilePath() {
    const std::string dir = platform::ExecutableDirectory();
    return (dir.empty() ? std::string(".") : dir) + platform::Separator() + "Quillmarch.hlp";
}

}  // namespace

CQuillmarch6App::CQuillmarch6App(IClock& clock, IMessageBox& messageBox)
    : m_strHelpFilePath(InitialHelpFilePath()),
      m_imageCatalogue(m_catalogue, m_payloads),
      m_clock(clock),
      m_messageBox(messageBox) {
    m_log.SetWriteFailureHandler([this](const std::string& why) {
        TellOperator(why + "; the run goes on, its log is incomplete");
    });
}

CQuillmarch6App::~CQuillmarch6App() {
    // The link logs through this object while it closes, so it goes first.
    m_pLink.reset();
    m_log.Close();
}

SStartup CQuillmarch6App::Startup(const std::vector<std::string>& args) {
    m_catalogue.Build();
    RecordImagePresence();
    SStartup result;
    if (!args.empty()) {
        if (!CCommandLine::Parse(*this, args, result.message)) {
            result.state = EStartup::kBadCommandLine;
            return result;
        }
        if (m_nLogLevel == 0 && !StartLog(m_strLogPath)) {
            result.state = m_log.Busy() ? EStartup::kLogBusy : EStartup::kNoLog;
            result.message = m_log.FailureReason();
            return result;
        }
        result.state = EStartup::kReady;
    }
    CreateLink(false);
    return result;
}

std::string CQuillmarch6App::LoadUiString(int id, const std::string& fallback) const {
    return CUiStrings::Load(m_nLanguage, id, fallback);
}

int CQuillmarch6App::ShowMessage(const std::string& text, const std::string& caption,
                                 unsigned style) {
    if (m_bQuiet) {
        WriteLog("MessageBox(" + text + ")", 0);
        return IDOK;
    }
    return m_messageBox.Show(text, caption.empty() ? "Quillmarch" : caption, style);
}

void CQuillmarch6App::WriteLog(const std::string& text, int level) {
    if (level > m_nLogLevel) return;
    m_log.Write(text);
    if (m_pRunObserver) m_pRunObserver->OnLogRecord(text);
}

void CQuillmarch6App::TellOperator(const std::string& text) {
    if (m_console) {
        m_console(text);
        return;
    }
    std::fprintf(stderr, "quillmarch: %s\n", text.c_str());
    std::fflush(stderr);
}

bool CQuillmarch6App::StartLog(const std::string& path) {
    if (!path.empty()) m_strLogPath = path;
    std::string fileError;
    if (!m_log.Open(m_strLogPath, fileError)) return false;
    if (!fileError.empty()) WriteLog(LoadUiString(191, "Error opening log file : ") + fileError, 0);
    // The command line is kept with its passwords masked already.
    if (!m_strCommandLine.empty()) WriteLog("Command Line: " + m_strCommandLine, 0);
    if (m_dTimeScale != 1.0) {
        char scale[32];
        std::snprintf(scale, sizeof(scale), "%g", m_dTimeScale);
        const std::string warning = std::string("Warning: QUILLMARCH_TIME_SCALE is ") + scale +
                                    ": every fixed wait is scaled, so this run does not wait "
                                    "for a real system to restart";
        WriteLog(warning, 0);
        TellOperator(warning);
    }
    WriteOptionDump();
    return true;
}

void CQuillmarch6App::ReportConnectFailure() {
    std::string reason = m_pLink ? m_pLink->GetLastErrorText() : std::string();
    if (!m_pLink) reason = "No FTP link could be made";
    if (reason.empty()) reason = "The system did not say which model it is";
    if (m_interrupt.Requested()) reason = "Interrupted by the operator";
    WriteLog("Reason: " + reason, 0);
    if (!m_bQuiet) TellOperator(LoadUiString(10, "Could not connect to system") + ": " + reason);
}

void CQuillmarch6App::CloseLog() {
    if (!m_log.IsOpen()) return;
    const std::string stars = "*******************************";
    WriteLog(stars + LoadUiString(190, "Finish Update") + stars, 0);
    m_log.Close();
}

void CQuillmarch6App::WriteOptionDump() {
    WriteLog(CCommandLine::OptionDump(*this), 0);
}

void CQuillmarch6App::RecordImagePresence() {
    for (int row = 0; row < m_catalogue.GetSize() && row < CSystemInformationArray::kRowCount;
         ++row) {
        const std::string& entry = m_catalogue.GetAt(row).MainImageEntry();
        m_abImagePresent[static_cast<size_t>(row)] =
            entry.size() > 1 && m_imageCatalogue.LoadImage("MainSoftware", entry);
    }
    m_payloads.Release();  // presence only; no image stays in memory
}

bool CQuillmarch6App::ImagePresent(int row) const {
    return row >= 0 && row < CSystemInformationArray::kRowCount &&
           m_abImagePresent[static_cast<size_t>(row)];
}

int CQuillmarch6App::FirstRowWithImage() const {
    for (int row = 0; row < CSystemInformationArray::kRowCount; ++row) {
        if (ImagePresent(row)) return row;
    }
    return -1;
}

}  // namespace quillmarch
