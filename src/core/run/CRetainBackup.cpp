#include "core/run/CRetainBackup.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/app/CQuillmarch6App.h"
#include "core/app/TextUtil.h"
#include "core/platform/Platform.h"
#include "core/progress/CProgressProtocol.h"
#include "core/settings/CProvisioning.h"

namespace quillmarch {

namespace fs = std::filesystem;

namespace {

constexpr int kKeepNothing = 79;
constexpr const char* kSampleSiteMarker = "<category category=\"tessary_test\"/>";

}  // namespace

int CRetainBackup::RetainMask(bool directory, bool systemSettings, bool sampleSites,
                              bool callDetail, bool userConfiguration) {
    return kKeepNothing - (directory ? 1 : 0) - (systemSettings ? 2 : 0) - (sampleSites ? 4 : 0) -
           (callDetail ? 8 : 0) - (userConfiguration ? 64 : 0);
}

const std::vector<std::string>& CRetainBackup::ChoiceFiles() {
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

bool CRetainBackup::IsSampleSiteText(const std::string& text) {
    return text::Lower(text).find(kSampleSiteMarker) != std::string::npos;
}

bool CRetainBackup::WriteRetainRecord() {
    if (!m_app.m_pLink || !m_app.m_pLink->IsLoggedOn()) return false;
    std::string task = m_app.LoadUiString(244, "Retaining : ");
    bool listed = false;
    auto list = [&](bool retained, int id, const char* fallback) {
        if (!retained) return;
        task += (listed ? "," : "") + m_app.LoadUiString(id, fallback);
        listed = true;
    };
    list(m_app.m_bRetainDirectory, 175, " Address Book files");
    list(m_app.m_bRetainSystemSettings, 174, " System files");
    list(m_app.m_bRetainSampleSites, 243, " Tessary Sample Sites");
    list(m_app.m_bRetainCallDetail, 245, " Call detail report");
    CProvisioning(m_app).WriteProvisioning();
    const bool userConfiguration = !m_app.m_strProvision.empty();
    list(userConfiguration, 173, " User Configuration");

    const int mask =
        RetainMask(m_app.m_bRetainDirectory, m_app.m_bRetainSystemSettings,
                   m_app.m_bRetainSampleSites, m_app.m_bRetainCallDetail, userConfiguration);
    char digits[8];
    std::snprintf(digits, sizeof(digits), "%03d", mask);
    CProgressProtocol progress(m_app);
    bool result = true;
    if (mask < kKeepNothing) result = progress.SendProgress(UM_PROGRESS_TASK_START, 0, 1, task);
    if (!m_app.m_bIsdnUpdate) {
        m_app.m_pLink->UploadBuffer("BackupFiles.swt",
                                    reinterpret_cast<const std::uint8_t*>(digits), 3, 0);
    }
    if (mask < kKeepNothing) result = progress.SendProgress(UM_PROGRESS_TASK_DONE) && result;
    m_app.Clock().Wait(std::chrono::milliseconds(500));
    return result;
}

bool CRetainBackup::BackupFiles() {
    m_app.WriteLog("Starting BackupFiles.", 0);
    if (!m_app.m_pLink || !m_app.m_pLink->IsLoggedOn()) return false;
    CFTPBase& link = *m_app.m_pLink;
    std::vector<std::string> fetch;
    link.ClearFileFilter();
    if (m_app.m_bRetainDirectory || m_app.m_bRetainSampleSites) link.AddFileFilter(".abk");
    if (m_app.m_bRetainSystemSettings) {
        fetch = ChoiceFiles();
        fetch.push_back("mylogo.png");
        fetch.push_back("myoemlogo.png");
        link.AddFileFilter(".dat");
    }
    if (m_app.m_bRetainCallDetail) {
        fetch.push_back("localcdr.csv");
        fetch.push_back("localcdr_archive.csv");
    }
    if (!link.ListFiles(fetch)) return false;
    link.DownloadFiles(fetch);
    m_app.WriteLog("BackupFiles Complete.", 0);
    return true;
}

void CRetainBackup::RemoveSampleSiteCopies() {
    const std::string dir = m_app.m_pLink->GetWorkDirectory();
    if (dir.empty()) return;
    std::error_code ec;
    std::vector<fs::path> books;
    for (const auto& entry : fs::directory_iterator(platform::PathFromUtf8(dir), ec)) {
        if (entry.is_regular_file(ec) && entry.path().extension() == ".abk")
            books.push_back(entry.path());
    }
    for (const auto& book : books) {
        const std::string name = platform::Utf8FromPath(book.filename());
        std::ifstream in(book);
        if (!in) {
            m_app.WriteLog("File open failed::" + name, 0);
            continue;
        }
        bool marked = false;
        for (std::string line; !marked && std::getline(in, line);) marked = IsSampleSiteText(line);
        in.close();
        if (marked && !fs::remove(book, ec)) m_app.WriteLog("File remove failed::" + name, 0);
    }
}

bool CRetainBackup::RestoreFiles() {
    if (!m_app.m_pLink || !m_app.m_pLink->IsLoggedOn()) return false;
    if (!m_app.m_bRetainSampleSites) RemoveSampleSiteCopies();
    m_app.m_pLink->UploadFiles("*.*");
    return true;
}

}  // namespace quillmarch
