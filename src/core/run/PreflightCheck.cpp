// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/run/PreflightCheck.h"

#include <cstdio>
#include <optional>

#include "core/device/SystemConnector.h"
#include "core/job/RunContext.h"
#include "core/link/FtpSession.h"
#include "core/link/LogonReason.h"
#include "core/link/SystemWebClient.h"
#include "core/pack/ImageCheck.h"
#include "core/run/RetainBackup.h"
#include "core/run/RunReport.h"
#include "core/run/SystemFactsReader.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

namespace {

// Logon failures after which something did answer at the address.
bool SomethingAnswered(const RunContext& app, const std::string& reason) {
    return reason.empty() || reason == app.LoadUiString(290, "Wrong Password") ||
           reason == kEncryptionDemanded || reason == kSilentAfterLogon ||
           reason == kPasswordLineBreak || reason == LogonFailureReason(ftpcode::kLogonRefused) ||
           reason == app.LoadUiString(211, "Not a correct FTP server for system");
}

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : "; ") + item;
    return text.empty() ? "none" : text;
}

}  // namespace

int PreflightCheck::Run(RunReport* report, std::FILE* out) {
    m_app.WriteLog("Check: the system is looked at, nothing is sent that changes it", 0);
    Rows rows;
    if (!m_app.m_link || !SystemConnector(m_app).ConnectToSystem(m_app.Job().target.address,
                                                                 m_app.Job().target.password))
        return End(ConnectFailure(report, rows), "", rows, out);
    const SystemFacts facts = SystemFactsReader::Read(m_app);
    if (report) report->OnSystemFacts(false, facts);
    rows = SystemFactsReader::Table(m_app, facts);
    const std::string installs = SystemFactsReader::InstalledVersion(m_app);
    rows.back().second += "   (this program installs: " +
                          (installs.empty() ? std::string("not known, the image pack has no "
                                                          "version for this model")
                                            : installs) +
                          ")";
    rows.emplace_back("Mode", facts.mode);
    std::string web;
    const bool readable =
        m_app.m_link->DownloadToString("webenabled.dat", web, filelimit::kValueFileBytes);
    const bool webOn = !readable || !text::EqualsNoCase(text::Trim(web), "False");
    rows.emplace_back("Web server", webOn ? "on" : "off");
    const std::optional<bool> inCall = SystemWebClient(m_app).CallState();
    rows.emplace_back("In a call", !inCall   ? "unknown (its web server did not answer)"
                                   : *inCall ? "yes"
                                             : "no");
    if (report) report->OnCallState(!inCall ? "unknown" : *inCall ? "in_call" : "no_call", 0);
    const std::string image =
        SystemFactsReader::ImageName(m_app.Job(), m_app.Catalogue(), m_app.m_imageCatalogue);
    rows.emplace_back("Image", image.empty() ? "none" : image);
    rows.emplace_back("Image pack", PackRow());
    rows.emplace_back("Tasks", Joined(PlannedTasks()));
    rows.emplace_back("Retain record", RetainRecord());
    std::string words;
    const int code = Judge(facts, report, words);
    return End(code, words, rows, out);
}

int PreflightCheck::ConnectFailure(RunReport* report, Rows& rows) {
    m_app.WriteFailure(FailureCode::kConnectFailed,
                       m_app.LoadUiString(10, "Could not connect to system"));
    m_app.ReportConnectFailure();
    const std::string reason = m_app.m_link ? m_app.m_link->GetLastErrorText() : "no link";
    const bool answered = m_app.m_link && SomethingAnswered(m_app, reason);
    const std::string shown = reason.empty() ? "the system did not say which model it is" : reason;
    rows.emplace_back("Connection", shown);
    if (report) {
        const bool unknown = reason.empty();
        report->SetFailure(!answered                     ? FailureCode::kUnreachable
                           : unknown                     ? FailureCode::kUnknownModel
                           : reason == kSilentAfterLogon ? FailureCode::kConnectFailed
                                                         : FailureCode::kLogonRefused,
                           shown);
    }
    return answered ? kCannotUpdate : kUnreachable;
}

int PreflightCheck::Judge(const SystemFacts& facts, RunReport* report, std::string& words) {
    const std::string& version = facts.softwareVersion;
    const bool sendsImage = m_app.Job().tasks.updateSoftware && m_app.Job().tasks.uploadImage;
    FailureCode code = FailureCode::kNone;
    if (m_app.Job().target.systemType == ModelCatalogue::kUnknown) {
        code = FailureCode::kUnknownModel;
        words = "cannot update: the model is not known";
    } else if (ImageCheck check(m_app); sendsImage && !check.Confirm()) {
        code = check.Code();
        words = "cannot update: " + check.Reason();
    } else if (sendsImage && !m_app.ImagePresent(m_app.Job().target.systemType)) {
        code = FailureCode::kNoImage;
        words = "cannot update: there is no image for this model";
    } else if (sendsImage && !facts.versionRead) {
        // Without the version, neither "ready" nor "up to date" would be true.
        code = FailureCode::kFactsUnread;
        words = "cannot tell: the system's software version could not be read (see the log)";
    } else if (sendsImage && SystemFactsReader::IsInstalledVersion(m_app, version)) {
        words = "already up to date: the system runs the version this program installs";
        return kUpToDate;
    } else {
        words = "ready to update";
        if (sendsImage && SystemFactsReader::InstalledVersion(m_app).empty())
            words +=
                " (the image's version is not known, so whether the system already runs it "
                "cannot be told)";
        return kReady;
    }
    if (report) report->SetFailure(code, words);
    return kCannotUpdate;
}

std::string PreflightCheck::PackRow() const {
    const ImagePack& pack = m_app.m_pack;
    switch (pack.GetState()) {
        case ImagePack::State::kNotFound:
            return "none found";
        case ImagePack::State::kRefused:
            return "refused";
        case ImagePack::State::kNoManifest:
            return pack.Folder() + " (no manifest: versions not known)";
        case ImagePack::State::kReady:
            break;
    }
    return pack.Folder() + " (" + pack.Identity() + (pack.Sample() ? ", SAMPLE images" : "") +
           (pack.Signer().empty() ? "" : ", signed by " + pack.Signer()) + ")";
}

std::vector<std::string> PreflightCheck::PlannedTasks() const {
    std::vector<std::string> tasks;
    if (!m_app.Job().tasks.updateSoftware) return {"Restart"};
    std::string retained;
    auto add = [&](bool kept, int id, const char* fallback) {
        if (kept) retained += (retained.empty() ? "" : ",") + m_app.LoadUiString(id, fallback);
    };
    add(m_app.Job().retain.directory, 175, " Address Book files");
    add(m_app.Job().retain.systemSettings, 174, " System files");
    add(m_app.Job().retain.sampleSites, 243, " Tessary Sample Sites");
    add(m_app.Job().retain.callDetail, 245, " Call detail report");
    if (!retained.empty()) tasks.push_back(m_app.LoadUiString(244, "Retaining : ") + retained);
    if (!m_app.Job().tasks.uploadImage) return tasks;
    if (!m_app.Job().tasks.isdnUpdate) tasks.push_back(m_app.LoadUiString(181, "Update Mode"));
    tasks.push_back(m_app.LoadUiString(180, "Main Image"));
    tasks.push_back(m_app.LoadUiString(179, "Waiting for Reboot"));
    if (m_app.Job().options.verify) tasks.push_back("Verifying the update");
    return tasks;
}

std::string PreflightCheck::RetainRecord() const {
    if (!m_app.Job().tasks.updateSoftware) return "none";
    if (m_app.Job().tasks.isdnUpdate) return "not written (ISDN update)";
    const int mask = RetainBackup::RetainMask(
        m_app.Job().retain.directory, m_app.Job().retain.systemSettings,
        m_app.Job().retain.sampleSites, m_app.Job().retain.callDetail, false);
    char digits[8];
    std::snprintf(digits, sizeof(digits), "%03d", mask);
    return std::string("BackupFiles.swt ") + digits;
}

int PreflightCheck::End(int code, const std::string& words, const Rows& rows, std::FILE* out) {
    if (m_app.Interrupt().Requested()) {
        m_app.WriteFailure(FailureCode::kInterrupted, "interrupted");
        code = m_app.Interrupt().ExitCode();
    }
    const std::string result =
        words.empty() ? (code == kUnreachable ? "unreachable" : "cannot update") : words;
    m_app.WriteLog("Check result: " + result + " (exit " + std::to_string(code) + ")", 0);
    std::fprintf(out, "Check of %s\n", m_app.Job().target.address.c_str());
    for (const auto& [label, value] : rows)
        std::fprintf(out, "  %-15s %s\n", label.c_str(), text::ForLog(value, 200).c_str());
    std::fprintf(out, "  %-15s %s (exit %d)\n", "Result", result.c_str(), code);
    std::fflush(out);
    m_app.CloseLog();
    if (m_app.m_link) m_app.m_link->Disconnect();
    return code;
}

}  // namespace quillmarch
