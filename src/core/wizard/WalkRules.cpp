// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/wizard/WalkRules.h"

#include "core/catalogue/ModelCatalogue.h"
#include "core/job/UpdateJob.h"

namespace quillmarch {

namespace {

// The settings walk enters at the LAN page for models whose only settings are the LAN ones.
int FirstSettingsPage(const UpdateJob& job) {
    return ModelCatalogue::IsLanOnlyModel(job.target.systemType) ? WalkRules::kNetworkSettings
                                                                 : WalkRules::kChangeSettings;
}

// After the last settings page: the retained-data page still has to be asked when the flash is
// erased without a software update (nothing asked it earlier), else the summary.
int AfterSettings(const UpdateJob& job) {
    return job.tasks.eraseFlash && !job.tasks.updateSoftware ? WalkRules::kSoftwareUpgrade
                                                             : WalkRules::kResults;
}

bool SecureModeToSwitchOn(const UpdateJob& job) {
    return job.security.secureModeWanted && !job.security.secureModeCurrent;
}

int AfterTaskChoice(const UpdateJob& job) {
    if (job.tasks.updateSoftware) return WalkRules::kSoftwareUpgrade;
    if (job.tasks.changeSettings) return FirstSettingsPage(job);
    if (job.tasks.eraseFlash) return WalkRules::kSoftwareUpgrade;
    return WalkRules::kResults;
}

int AfterRetainedData(const UpdateJob& job) {
    const bool settingsFollow = !ModelCatalogue::IsFirstModel(job.target.systemType) &&
                                job.tasks.updateSoftware && job.tasks.customUpdate &&
                                job.tasks.changeSettings;
    return settingsFollow ? FirstSettingsPage(job) : WalkRules::kResults;
}

int AfterSettingsChoice(const UpdateJob& job) {
    if (job.lan.changeLan) return WalkRules::kNetworkSettings;
    if (SecureModeToSwitchOn(job)) return WalkRules::kSecureMode;
    if (job.display.changeDisplay) return WalkRules::kDisplaySettings;
    return WalkRules::kResults;
}

int AfterLanSettings(const UpdateJob& job) {
    if (SecureModeToSwitchOn(job)) return WalkRules::kSecureMode;
    if (job.display.changeDisplay) return WalkRules::kDisplaySettings;
    return AfterSettings(job);
}

int AfterSecureMode(const UpdateJob& job) {
    if (job.display.changeDisplay) return WalkRules::kDisplaySettings;
    return AfterSettings(job);
}

}  // namespace

int WalkRules::NextPage(int currentPage, const UpdateJob& job) {
    switch (currentPage) {
        case kInfoAlert:
            return kIPAddress;
        case kIPAddress:
            return kSystemInfo;
        case kSystemInfo:
            return ModelCatalogue::IsFirstModel(job.target.systemType) ? kSoftwareUpgrade
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
