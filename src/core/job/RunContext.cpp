// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/job/RunContext.h"

#include <cstdio>

#include "core/job/CommandLine.h"
#include "core/job/JobStartup.h"
#include "core/platform/OutputPlace.h"
#include "core/platform/Platform.h"
#include "core/ui/HelpFile.h"
#include "core/ui/UiStrings.h"

namespace quillmarch {

namespace {

// Starts as a path in the program's own folder that does not name the help file.
// The installed help page when there is one; else none yet (a copy is written on the first
// help request into the user's private cache, never beside the program).
std::string InitialHelpFilePath() {
    return HelpFile::InstalledPage(platform::ExecutableDirectory());
}

}  // namespace

RunContext::RunContext(IClock& clock, IMessageBox& messageBox,
                       std::shared_ptr<const ModelCatalogue> sharedCatalogue)
    : m_helpFilePath(InitialHelpFilePath()),
      m_ownCatalogue(sharedCatalogue ? nullptr : std::make_shared<ModelCatalogue>()),
      m_catalogue(sharedCatalogue ? std::move(sharedCatalogue) : m_ownCatalogue),
      m_imageCatalogue(*m_catalogue, m_payloads),
      m_clock(clock),
      m_messageBox(messageBox) {
    m_log.SetWriteFailureHandler([this](const std::string& why) {
        TellOperator(why + "; the run goes on, its log is incomplete");
    });
}

RunContext::~RunContext() {
    // The link logs through this object while it closes, so it goes first.
    m_link.reset();
    m_log.Close();
}

StartupResult RunContext::Startup(const std::vector<std::string>& args) {
    BuildCatalogue();
    StartupResult result;
    // The command line may name the pack, so it is read before the images are looked for.
    if (!args.empty() &&
        (!CommandLine::Parse(*this, args, result.message) || !OutputPlacesUsable(result.message) ||
         (m_passwordSource && !m_job.target.address.empty() &&
          !m_passwordSource(*this, result.message)))) {
        result.state = StartupState::kBadCommandLine;
        return result;
    }
    if (!args.empty()) return JobStartup::Open(*this);
    OpenImagePack();
    CreateLink(false);
    return result;
}

// Checked before the log is opened and the system contacted: a run whose report cannot be
// written would leave a script without its answer.
bool RunContext::OutputPlacesUsable(std::string& error) const {
    const std::string& report = m_job.options.reportPath;
    // The log too is only ever a plain file: -f:/dev/null or a pipe would be replaced by
    // rotation, or block the run at its first record.
    if (platform::OutputPlace::Special(m_logPath)) {
        error = "-f: " + m_logPath + " is not a plain file (a folder, a device or a pipe)";
        return false;
    }
    if (report.empty() || report == "-") return true;
    if (platform::OutputPlace::Same(report, m_logPath)) {
        error = "--report names the log file " + report;
        return false;
    }
    if (!platform::OutputPlace::Usable(report, error)) {
        error = "--report: " + error;
        return false;
    }
    return true;
}

void RunContext::BuildCatalogue() {
    // A shared table was built by its owner and is only read here.
    if (m_ownCatalogue) m_ownCatalogue->Build();
}

std::string RunContext::LoadUiString(int id, const std::string& fallback) const {
    return UiStrings::Load(m_job.options.language, id, fallback);
}

int RunContext::ShowMessage(const std::string& text, const std::string& caption, unsigned style) {
    if (m_job.options.quiet || !m_messageBox.CanShow()) {
        WriteLog("MessageBox(" + text + ")", 0);
        return IDOK;
    }
    return m_messageBox.Show(text, caption.empty() ? "Quillmarch" : caption, style);
}

void RunContext::WriteLog(const std::string& text, int level) {
    if (level > m_job.options.logLevel) return;
    m_log.Write(text);
    if (m_runObserver) m_runObserver->OnLogRecord(text);
}

void RunContext::WriteFailure(FailureCode code, const std::string& record) {
    WriteLog(record, 0);
    if (m_runObserver) m_runObserver->OnFailure(code, record);
}

void RunContext::TellOperator(const std::string& text) {
    if (m_console) {
        m_console(text);
        return;
    }
    std::fprintf(stderr, "quillmarch: %s\n", text.c_str());
    std::fflush(stderr);
}

bool RunContext::StartLog(const std::string& path) {
    if (!path.empty()) m_logPath = path;
    std::string fileError;
    if (!m_log.Open(m_logPath, fileError)) return false;
    if (!fileError.empty()) WriteLog(LoadUiString(191, "Error opening log file : ") + fileError, 0);
    // The command line is kept with its passwords masked already.
    if (!m_job.options.commandLine.empty())
        WriteLog("Command Line: " + m_job.options.commandLine, 0);
    if (m_timeScale != 1.0) {
        char scale[32];
        std::snprintf(scale, sizeof(scale), "%g", m_timeScale);
        const std::string warning = std::string("Warning: QUILLMARCH_TIME_SCALE is ") + scale +
                                    ": every fixed wait is scaled, so this run does not wait "
                                    "for a real system to restart";
        WriteLog(warning, 0);
        TellOperator(warning);
    }
    WriteOptionDump();
    return true;
}

void RunContext::ReportConnectFailure() {
    std::string reason = m_link ? m_link->GetLastErrorText() : std::string();
    if (!m_link) reason = "No FTP link could be made";
    if (reason.empty()) reason = "The system did not say which model it is";
    const bool interrupted = m_interrupt.Requested();
    if (interrupted) reason = "Interrupted by the operator";
    WriteLog("Reason: " + reason, 0);
    if (m_runObserver)
        m_runObserver->OnConnectReason(reason, m_link && !interrupted && m_link->LogonRefused());
    if (!m_job.options.quiet)
        TellOperator(LoadUiString(10, "Could not connect to system") + ": " + reason);
}

void RunContext::CloseLog() {
    if (!m_log.IsOpen()) return;
    const std::string stars = "*******************************";
    WriteLog(stars + LoadUiString(190, "Finish Update") + stars, 0);
    m_log.Close();
}

void RunContext::WriteOptionDump() {
    WriteLog(CommandLine::OptionDump(*this), 0);
}

void RunContext::OpenImagePack() {
    PackRequest request = m_job.pack;
    if (request.folder.empty()) request.folder = m_payloads.Folder();
    m_pack.Open(request);
    m_payloads.SetFolder(m_pack.Folder());
    RecordImagePresence();
}

void RunContext::RecordImagePresence() {
    // From a stat: no image is read to learn that it exists (under 10 bytes counts as absent).
    for (int row = 0; row < m_catalogue->GetSize() && row < ModelCatalogue::kRowCount; ++row) {
        const std::string& entry = m_catalogue->GetAt(row).MainImageEntry();
        std::uint16_t id = 0;
        m_imageCatalogue.GetEntry("MainSoftware", entry, &id);
        m_imagePresent[static_cast<size_t>(row)] = entry.size() > 1 && m_payloads.Present(id, 10);
    }
}

bool RunContext::ImagePresent(int row) const {
    return row >= 0 && row < ModelCatalogue::kRowCount && m_imagePresent[static_cast<size_t>(row)];
}

int RunContext::FirstRowWithImage() const {
    for (int row = 0; row < ModelCatalogue::kRowCount; ++row) {
        if (ImagePresent(row)) return row;
    }
    return -1;
}

}  // namespace quillmarch
