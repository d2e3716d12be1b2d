// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/run/RetainBackup.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

#include "core/device/SystemConnector.h"
#include "core/job/RunContext.h"
#include "core/link/PlainFileName.h"
#include "core/platform/Platform.h"
#include "core/progress/ProgressProtocol.h"
#include "core/provisioning/ProvisioningWriter.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

namespace fs = std::filesystem;

namespace {

constexpr int kKeepNothing = 79;
constexpr const char* kRetainRecordRefused =
    "The system refused the retain record BackupFiles.swt: nothing is switched or sent";
constexpr const char* kProvisioningRefused =
    "The system refused a settings file: its settings are not changed, nothing is switched or "
    "sent";
constexpr const char* kSampleSiteMarker = "<category category=\"tessary_test\"/>";

}  // namespace

int RetainBackup::RetainMask(bool directory, bool systemSettings, bool sampleSites, bool callDetail,
                             bool userConfiguration) {
    return kKeepNothing - (directory ? 1 : 0) - (systemSettings ? 2 : 0) - (sampleSites ? 4 : 0) -
           (callDetail ? 8 : 0) - (userConfiguration ? 64 : 0);
}

const std::vector<std::string>& RetainBackup::ChoiceFiles() {
    static const std::vector<std::string> kFiles = {"selectsite.choice",
                                                    "speeds.choice",
                                                    "switchprotocol.choice",
                                                    "switchprotocol1.choice",
                                                    "prilinesig.choice",
                                                    "prilinesig1.choice",
                                                    "prilinebuildout.choice",
                                                    "prilinebuildout1.choice",
                                                    "prichannelmask.choice",
                                                    "prichannelmask1.choice",
                                                    "pricallbycall.choice",
                                                    "rs232cameracontrol.choice",
                                                    "rs232cameracontrol1.choice",
                                                    "rs232baudrate.choice",
                                                    "rs232baudrate1.choice",
                                                    "rs232controlpass.choice",
                                                    "globaladdrmaxh320.choice",
                                                    "globaladdrmaxh320intl.choice",
                                                    "globaladdrmaxh323.choice",
                                                    "gatewayprepostfix.choice",
                                                    "dhcp_flg.choice",
                                                    "allowdhcp.choice",
                                                    "cameraname1.choice",
                                                    "cameraicon1.choice",
                                                    "ipmaxincoming.choice",
                                                    "isdnmaxincoming.choice",
                                                    "tosaudio.choice",
                                                    "tosvideo.choice",
                                                    "tosfecc.choice",
                                                    "day.choice",
                                                    "hour.choice",
                                                    "monitor2display.choice",
                                                    "maxtxbandwidth.choice",
                                                    "maxrxbandwidth.choice",
                                                    "primarycamera.choice",
                                                    "addrbookcategoryfilter.choice",
                                                    "category.choice",
                                                    "piptimer.choice",
                                                    "graphicsmonitor.choice",
                                                    "vstereoenable.choice",
                                                    "usepathnavigator.choice",
                                                    "schedulehour.choice",
                                                    "language.choice",
                                                    "usesipcod.choice",
                                                    "gatekeeperenable.choice",
                                                    "promotionenabled.choice",
                                                    "displayiph320information.choice",
                                                    "voicepreset.choice",
                                                    "voicepreset1.choice",
                                                    "voicepreset2.choice",
                                                    "voicepreset3.choice",
                                                    "voicepreset4.choice",
                                                    "voicepreset5.choice",
                                                    "voicepreset6.choice",
                                                    "voicepreset7.choice",
                                                    "voicepreset8.choice",
                                                    "voicepreset9.choice",
                                                    "numtcpfixedports.choice",
                                                    "numudpfixedports.choice",
                                                    "screentheme.choice",
                                                    "vgaresolution.choice",
                                                    "camerabrightness.choice"};
    return kFiles;
}

bool RetainBackup::IsSampleSiteText(const std::string& text) {
    return text::Lower(text).find(kSampleSiteMarker) != std::string::npos;
}

bool RetainBackup::WriteRetainRecord() {
    if (!m_app.m_link || !m_app.m_link->IsLoggedOn()) return false;
    std::string task = m_app.LoadUiString(244, "Retaining : ");
    bool listed = false;
    auto list = [&](bool retained, int id, const char* fallback) {
        if (!retained) return;
        task += (listed ? "," : "") + m_app.LoadUiString(id, fallback);
        listed = true;
    };
    list(m_app.Job().retain.directory, 175, " Address Book files");
    list(m_app.Job().retain.systemSettings, 174, " System files");
    list(m_app.Job().retain.sampleSites, 243, " Tessary Sample Sites");
    list(m_app.Job().retain.callDetail, 245, " Call detail report");
    const bool provisioned = ProvisioningWriter(m_app.Job(), m_app.m_link.get(), [this] {
                                 return SystemConnector(m_app).ConnectToSystem("", "");
                             }).WriteProvisioning();
    if (!provisioned) {
        m_app.WriteFailure(FailureCode::kSettingsRefused, kProvisioningRefused);
        return false;
    }
    const bool userConfiguration = !m_app.Job().options.provision.empty();
    list(userConfiguration, 173, " User Configuration");

    const int mask = RetainMask(m_app.Job().retain.directory, m_app.Job().retain.systemSettings,
                                m_app.Job().retain.sampleSites, m_app.Job().retain.callDetail,
                                userConfiguration);
    char digits[8];
    std::snprintf(digits, sizeof(digits), "%03d", mask);
    ProgressProtocol progress(m_app);
    bool result = true;
    if (mask < kKeepNothing) result = progress.TaskStarted(task, kStepTaskBytes);
    // Without the record the system would keep nothing of what the operator asked to keep: no
    // update mode, no image.
    if (!m_app.Job().tasks.isdnUpdate &&
        !m_app.m_link->UploadBuffer("BackupFiles.swt",
                                    reinterpret_cast<const std::uint8_t*>(digits), 3, 0)) {
        m_app.WriteFailure(FailureCode::kRetainRecordRefused, kRetainRecordRefused);
        result = false;
    }
    if (mask < kKeepNothing) result = progress.TaskDone() && result;
    m_app.Clock().Wait(std::chrono::milliseconds(500));
    return result;
}

bool RetainBackup::BackupFiles() {
    m_app.WriteLog("Starting BackupFiles.", 0);
    if (!m_app.m_link || !m_app.m_link->IsLoggedOn()) return false;
    DeviceLink& link = *m_app.m_link;
    m_copies.clear();
    std::vector<std::string> names;
    std::size_t fixed = 0;
    if (!CollectNames(link, names, fixed)) return false;
    if (names.size() > filelimit::kBackupFiles) {
        return Fail("the system names " + std::to_string(names.size()) + " files, more than the " +
                    std::to_string(filelimit::kBackupFiles) + " a backup may hold");
    }
    // A fresh folder for every backup; one that another backup still holds stays as it is.
    if (!m_dir.empty()) EndBackup(false);
    link.ReleaseWorkDirectory(true);
    m_dir = link.GetWorkDirectory();
    if (m_dir.empty()) return Fail("no private work folder could be made");
    m_app.WriteLog("Backup folder: " + m_dir, 0);
    if (!FetchAll(link, names, fixed)) return false;
    LogFilesNotKept(link, names);
    m_app.WriteLog("BackupFiles Complete.", 0);
    return true;
}

// Before the erase, the log names every file on the system that is not copied: the erase
// removes those for good. A listing that fails only costs this record, never the backup.
void RetainBackup::LogFilesNotKept(DeviceLink& link, const std::vector<std::string>& kept) {
    link.ClearFileFilter();
    link.AddFileFilter("");  // every name
    std::vector<std::string> listed;
    const bool all = link.ListFiles(listed);
    link.ClearFileFilter();
    if (!all) {
        m_app.WriteLog("The files not kept across the erase could not be listed", 0);
        return;
    }
    std::set<std::string> copied(kept.begin(), kept.end());
    std::size_t count = 0;
    for (const auto& name : listed) {
        if (copied.count(name) != 0) continue;
        m_app.WriteLog("Not kept, the erase removes it: " + text::ForLog(name, 260), 0);
        ++count;
    }
    m_app.WriteLog(std::to_string(count) + " file(s) on the system are not kept", 0);
}

// The fixed names first, then what the filtered listing finds; `fixed` counts the former.
bool RetainBackup::CollectNames(DeviceLink& link, std::vector<std::string>& names,
                                std::size_t& fixed) {
    link.ClearFileFilter();
    if (m_app.Job().retain.directory || m_app.Job().retain.sampleSites) link.AddFileFilter(".abk");
    if (m_app.Job().retain.systemSettings) {
        names = ChoiceFiles();
        names.push_back("mylogo.png");
        names.push_back("myoemlogo.png");
        link.AddFileFilter(".dat");
    }
    if (m_app.Job().retain.callDetail) {
        names.push_back("localcdr.csv");
        names.push_back("localcdr_archive.csv");
    }
    fixed = names.size();
    std::vector<std::string> listed;
    if (!link.ListFiles(listed)) return Fail("the system's file listing failed");
    for (auto& name : PlainNames(listed)) names.push_back(std::move(name));
    return true;
}

// Listed names that can only mean a file inside the work folder, each once.
std::vector<std::string> RetainBackup::PlainNames(const std::vector<std::string>& names) {
    std::vector<std::string> plain;
    for (const auto& name : names) {
        if (!ftp::IsPlainFileName(name)) {
            m_app.WriteLog(
                "Skipped a listed name that is not a plain file name: " + text::ForLog(name), 0);
            continue;
        }
        plain.push_back(name);
    }
    return plain;
}

// A bound in seconds, scaled like every wait of the run (a test aid), never below one second.
int RetainBackup::ScaledSeconds(int seconds) const {
    const double scaled = seconds * m_app.TimeScale();
    return scaled < 1.0 ? 1 : static_cast<int>(scaled);
}

bool RetainBackup::FetchAll(DeviceLink& link, const std::vector<std::string>& names,
                            std::size_t fixed) {
    const bool fetched = FetchBounded(link, names, fixed);
    link.Config("TransferTimeout=" + std::to_string(ftpbound::kTransferSeconds));
    return fetched;
}

bool RetainBackup::FetchBounded(DeviceLink& link, const std::vector<std::string>& names,
                                std::size_t fixed) {
    using std::chrono::steady_clock;
    const auto started = steady_clock::now();
    const int fileSeconds = ScaledSeconds(ftpbound::kBackupFileSeconds);
    const int allSeconds = ScaledSeconds(ftpbound::kBackupSeconds);
    std::int64_t total = 0;
    std::set<std::string> seen;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!seen.insert(names[i]).second) continue;  // a name two filters found
        const auto spent =
            std::chrono::duration_cast<std::chrono::seconds>(steady_clock::now() - started);
        const std::int64_t left = allSeconds - spent.count();
        if (left <= 0)
            return Fail("the backup took longer than its bound of " + std::to_string(allSeconds) +
                        " s");
        link.Config("TransferTimeout=" + std::to_string(std::min<std::int64_t>(fileSeconds, left)));
        // A fixed name the system lacks is normal; a listed one it then refuses is not.
        if (!FetchOne(link, names[i], i < fixed, total)) return false;
    }
    return true;
}

bool RetainBackup::FetchOne(DeviceLink& link, const std::string& name, bool mayBeMissing,
                            std::int64_t& total) {
    const auto fetch = link.FetchToFile(name, m_dir + name, filelimit::kBackupBytes - total);
    const std::string shown = text::ForLog(name);
    switch (fetch.outcome) {
        case DeviceLink::FetchKind::kOk:
            total += fetch.bytes;
            m_copies.push_back(name);
            return true;
        case DeviceLink::FetchKind::kMissing:
            if (mayBeMissing) return true;
            return Fail("the listed file " + shown + " could not be fetched");
        case DeviceLink::FetchKind::kTooLarge:
            return Fail("the files pass the limit of " +
                        std::to_string(filelimit::kBackupBytes / (1024LL * 1024)) + " MB at " +
                        shown);
        case DeviceLink::FetchKind::kLocalError:
            return Fail("the copy of " + shown + " could not be written: " + fetch.error);
        case DeviceLink::FetchKind::kTransferError:
            break;
    }
    return Fail("the file " + shown + " could not be fetched: " + fetch.error);
}

bool RetainBackup::Fail(const std::string& reason) {
    m_app.WriteLog("Backup failed: " + reason, 0);
    return false;
}

bool RetainBackup::IsMarkedCopy(const std::string& name, bool& opened) const {
    std::ifstream in(platform::PathFromUtf8(m_dir + name), std::ios::binary);
    opened = static_cast<bool>(in);
    bool marked = false;
    for (std::string line; !marked && std::getline(in, line);) marked = IsSampleSiteText(line);
    return marked;
}

void RetainBackup::RemoveSampleSiteCopies() {
    std::vector<std::string> kept;
    for (const auto& name : m_copies) {
        const std::string folded = text::Lower(name);
        const bool book = folded.size() > 4 && folded.compare(folded.size() - 4, 4, ".abk") == 0;
        bool opened = true;
        if (book && IsMarkedCopy(name, opened)) {
            std::error_code ec;
            if (fs::remove(platform::PathFromUtf8(m_dir + name), ec)) continue;
            m_app.WriteLog("File remove failed::" + text::ForLog(name), 0);
        }
        if (!opened) m_app.WriteLog("File open failed::" + text::ForLog(name), 0);
        kept.push_back(name);  // a copy that cannot be read or removed still goes back
    }
    m_copies = std::move(kept);
}

bool RetainBackup::RestoreFiles() {
    if (!m_app.Job().retain.sampleSites) RemoveSampleSiteCopies();
    std::size_t missing = 0;
    for (const auto& name : m_copies) {
        if (RestoreOne(name)) continue;
        m_app.WriteFailure(FailureCode::kRestoreFailed, "File not restored: " + text::ForLog(name));
        ++missing;
    }
    if (missing > 0) {
        m_app.WriteLog("Restore incomplete: " + std::to_string(missing) + " of " +
                           std::to_string(m_copies.size()) + " files not restored",
                       0);
    }
    return missing == 0;
}

// A dropped connection costs a new session, not the file: each file is tried a few times,
// each try after a reconnect. A file that never arrives whole is removed from the system, so
// no cut-off copy passes for the real one (the whole copy stays on this computer).
bool RetainBackup::RestoreOne(const std::string& name) {
    DeviceLink* link = m_app.m_link.get();
    if (!link) return false;
    for (int attempt = 1; attempt <= kRestoreAttempts; ++attempt) {
        if (attempt > 1) m_app.Clock().Wait(kRestorePause);
        if (!link->IsLoggedOn() && !SystemConnector(m_app).ConnectToSystem("", "")) continue;
        if (link->SendFile(m_dir + name, name)) return true;
        m_app.WriteLog("Restore of " + text::ForLog(name) + " failed (try " +
                           std::to_string(attempt) + " of " + std::to_string(kRestoreAttempts) +
                           ")",
                       0);
        link->Disconnect();  // the next try starts on a session of its own
    }
    const bool removed = (link->IsLoggedOn() || SystemConnector(m_app).ConnectToSystem("", "")) &&
                         link->SendCommand("DELE " + name, nullptr, 1) / 100 == 2;
    m_app.WriteLog(removed
                       ? "Removed the cut-off copy of " + text::ForLog(name) + " from the system"
                       : "A cut-off copy of " + text::ForLog(name) + " may be left on the system",
                   0);
    return false;
}

void RetainBackup::EndBackup(bool keepCopies) {
    if (!m_app.m_link) return;
    if (keepCopies && !m_dir.empty()) m_app.WriteLog("The backup copies are kept in " + m_dir, 0);
    m_app.m_link->ReleaseWorkDirectory(keepCopies);
    m_dir.clear();
}

}  // namespace quillmarch
