#include "core/app/CQuillmarch6App.h"

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
      m_messageBox(messageBox) {}

CQuillmarch6App::~CQuillmarch6App() {
    // The link logs through this object while it closes, so it goes first.
    m_pLink.reset();
    m_log.Close();
}

bool CQuillmarch6App::Startup(const std::string& commandLine) {
    m_catalogue.Build();
    RecordImagePresence();
    const bool hasArguments = CCommandLine::Parse(*this, commandLine);
    CreateLink(false);
    return hasArguments;
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
    if (level <= m_nLogLevel) m_log.Write(text);
}

void CQuillmarch6App::StartLog(const std::string& path) {
    if (!path.empty()) m_strLogPath = path;
    std::string fileError;
    m_log.Open(m_strLogPath, fileError);
    if (!fileError.empty()) WriteLog(LoadUiString(191, "Error opening log file : ") + fileError, 0);
    if (!m_strCommandLine.empty())
        WriteLog("Command Line: " + CCommandLine::MaskPasswords(m_strCommandLine), 0);
    WriteOptionDump();
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
