#include "core/wizard/WalkRules.h"

#include "core/catalogue/ModelCatalogue.h"
#include "core/job/RunContext.h"

namespace quillmarch {

namespace {

// The settings walk enters at the LAN page for models whose only settings are the LAN ones.
int FirstSettingsPage(const RunContext& job) {
    return ModelCatalogue::IsLanOnlyModel(job.m_systemType) ? WalkRules::kNetworkSettings
                                                            : WalkRules::kChangeSettings;
}

// After the last settings page: the retained-data page still has to be asked when the flash is
// erased without a software update (nothing asked it earlier), else the summary.
int AfterSettings(const RunContext& job) {
    return job.m_eraseFlash && !job.m_updateSoftware ? WalkRules::kSoftwareUpgrade
                                                     : WalkRules::kResults;
}

bool SecureModeToSwitchOn(const RunContext& job) {
    return job.m_secureModeWanted && !job.m_secureModeCurrent;
}

int AfterTaskChoice(const RunContext& job) {
    if (job.m_updateSoftware) return WalkRules::kSoftwareUpgrade;
    if (job.m_changeSettings) return FirstSettingsPage(job);
    if (job.m_eraseFlash) return WalkRules::kSoftwareUpgrade;
    return WalkRules::kResults;
}

int AfterRetainedData(const RunContext& job) {
    const bool settingsFollow = !ModelCatalogue::IsFirstModel(job.m_systemType) &&
                                job.m_updateSoftware && job.m_customUpdate && job.m_changeSettings;
    return settingsFollow ? FirstSettingsPage(job) : WalkRules::kResults;
}

int AfterSettingsChoice(const RunContext& job) {
    if (job.m_changeLan) return WalkRules::kNetworkSettings;
    if (SecureModeToSwitchOn(job)) return WalkRules::kSecureMode;
    if (job.m_changeDisplay) return WalkRules::kDisplaySettings;
    return WalkRules::kResults;
}

int AfterLanSettings(const RunContext& job) {
    if (SecureModeToSwitchOn(job)) return WalkRules::kSecureMode;
    if (job.m_changeDisplay) return WalkRules::kDisplaySettings;
    return AfterSettings(job);
}

int AfterSecureMode(const RunContext& job) {
    if (job.m_changeDisplay) return WalkRules::kDisplaySettings;
    return AfterSettings(job);
}

}  // namespace

int WalkRules::NextPage(int currentPage, const RunContext& job) {
    switch (currentPage) {
        case kInfoAlert:
            return kIPAddress;
        case kIPAddress:
            return kSystemInfo;
        case kSystemInfo:
            return ModelCatalogue::IsFirstModel(job.m_systemType) ? kSoftwareUpgrade : kUpgradeType;
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
