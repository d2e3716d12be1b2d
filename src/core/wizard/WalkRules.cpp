#include "core/wizard/WalkRules.h"

#include "core/catalogue/ModelCatalogue.h"
#include "core/job/RunContext.h"

namespace quillmarch {

namespace {

// The settings walk enters at the LAN page for models whose only settings are the LAN ones.
int FirstSettingsPage(const RunContext& job) {
    return ModelCatalogue::IsLanOnlyModel(job.Job().target.systemType) ? WalkRules::kNetworkSettings
                                                                       : WalkRules::kChangeSettings;
}

// After the last settings page: the retained-data page still has to be asked when the flash is
// erased without a software update (nothing asked it earlier), else the summary.
int AfterSettings(const RunContext& job) {
    return job.Job().tasks.eraseFlash && !job.Job().tasks.updateSoftware
               ? WalkRules::kSoftwareUpgrade
               : WalkRules::kResults;
}

bool SecureModeToSwitchOn(const RunContext& job) {
    return job.Job().security.secureModeWanted && !job.Job().security.secureModeCurrent;
}

int AfterTaskChoice(const RunContext& job) {
    if (job.Job().tasks.updateSoftware) return WalkRules::kSoftwareUpgrade;
    if (job.Job().tasks.changeSettings) return FirstSettingsPage(job);
    if (job.Job().tasks.eraseFlash) return WalkRules::kSoftwareUpgrade;
    return WalkRules::kResults;
}

int AfterRetainedData(const RunContext& job) {
    const bool settingsFollow = !ModelCatalogue::IsFirstModel(job.Job().target.systemType) &&
                                job.Job().tasks.updateSoftware && job.Job().tasks.customUpdate &&
                                job.Job().tasks.changeSettings;
    return settingsFollow ? FirstSettingsPage(job) : WalkRules::kResults;
}

int AfterSettingsChoice(const RunContext& job) {
    if (job.Job().lan.changeLan) return WalkRules::kNetworkSettings;
    if (SecureModeToSwitchOn(job)) return WalkRules::kSecureMode;
    if (job.Job().display.changeDisplay) return WalkRules::kDisplaySettings;
    return WalkRules::kResults;
}

int AfterLanSettings(const RunContext& job) {
    if (SecureModeToSwitchOn(job)) return WalkRules::kSecureMode;
    if (job.Job().display.changeDisplay) return WalkRules::kDisplaySettings;
    return AfterSettings(job);
}

int AfterSecureMode(const RunContext& job) {
    if (job.Job().display.changeDisplay) return WalkRules::kDisplaySettings;
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
            return ModelCatalogue::IsFirstModel(job.Job().target.systemType) ? kSoftwareUpgrade
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
