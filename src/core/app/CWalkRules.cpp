#include "core/app/CWalkRules.h"

#include "core/app/CQuillmarch6App.h"
#include "core/catalogue/CSystemInformationArray.h"

namespace quillmarch {

namespace {

// The settings walk enters at the LAN page for models whose only settings are the LAN ones.
int FirstSettingsPage(const CQuillmarch6App& job) {
    return CSystemInformationArray::IsLanOnlyModel(job.m_nSystemType) ? CWalkRules::kNetworkSettings
                                                                      : CWalkRules::kChangeSettings;
}

// After the last settings page: the retained-data page still has to be asked when the flash is
// erased without a software update (nothing asked it earlier), else the summary.
int AfterSettings(const CQuillmarch6App& job) {
    return job.m_bEraseFlash && !job.m_bUpdateSoftware ? CWalkRules::kSoftwareUpgrade
                                                       : CWalkRules::kResults;
}

bool SecureModeToSwitchOn(const CQuillmarch6App& job) {
    return job.m_bSecureModeWanted && !job.m_bSecureModeCurrent;
}

int AfterTaskChoice(const CQuillmarch6App& job) {
    if (job.m_bUpdateSoftware) return CWalkRules::kSoftwareUpgrade;
    if (job.m_bChangeSettings) return FirstSettingsPage(job);
    if (job.m_bEraseFlash) return CWalkRules::kSoftwareUpgrade;
    return CWalkRules::kResults;
}

int AfterRetainedData(const CQuillmarch6App& job) {
    const bool settingsFollow = !CSystemInformationArray::IsFirstModel(job.m_nSystemType) &&
                                job.m_bUpdateSoftware && job.m_bCustomUpdate &&
                                job.m_bChangeSettings;
    return settingsFollow ? FirstSettingsPage(job) : CWalkRules::kResults;
}

int AfterSettingsChoice(const CQuillmarch6App& job) {
    if (job.m_bChangeLan) return CWalkRules::kNetworkSettings;
    if (SecureModeToSwitchOn(job)) return CWalkRules::kSecureMode;
    if (job.m_bChangeDisplay) return CWalkRules::kDisplaySettings;
    return CWalkRules::kResults;
}

int AfterLanSettings(const CQuillmarch6App& job) {
    if (SecureModeToSwitchOn(job)) return CWalkRules::kSecureMode;
    if (job.m_bChangeDisplay) return CWalkRules::kDisplaySettings;
    return AfterSettings(job);
}

int AfterSecureMode(const CQuillmarch6App& job) {
    if (job.m_bChangeDisplay) return CWalkRules::kDisplaySettings;
    return AfterSettings(job);
}

}  // namespace

int CWalkRules::NextPage(int currentPage, const CQuillmarch6App& job) {
    switch (currentPage) {
        case kInfoAlert:
            return kIPAddress;
        case kIPAddress:
            return kSystemInfo;
        case kSystemInfo:
            return CSystemInformationArray::IsFirstModel(job.m_nSystemType) ? kSoftwareUpgrade
                                                                            : kUpgradeType;
        case kUpgradeType:
            return kUpgradeChoice;
        case kUpgradeChoice:
            return AfterTaskChoice(job);
        case kSoftwareUpgrade:
            return AfterRetainedData(job);
        case kChangeSettings:
            return AfterSettingsChoice(job);
        case kNetworkSettings:
            return AfterLanSettings(job);
        case kSecureMode:
            return AfterSecureMode(job);
        case kDisplaySettings:
            return AfterSettings(job);
        default:
            return kNone;  // the summary, or no page at all
    }
}

}  // namespace quillmarch
