// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/WalkChoices.h"

#include "core/catalogue/ModelCatalogue.h"
#include "core/job/UpdateJob.h"

namespace quillmarch {

void WalkChoices::ResetForNewWalk(UpdateJob& job) {
    job.tasks.customUpdate = false;
    job.tasks.changeSettings = false;
    job.tasks.eraseFlash = false;
    job.lan.changeLan = false;
    job.display.changeDisplay = false;
    job.security.secureModeWanted = job.security.secureModeCurrent = false;
    job.lan.dhcpWanted = job.lan.dhcpCurrent;
    job.display.palWanted = job.display.palCurrent;
    job.lan.ipAddress.clear();
    job.lan.subnetMask.clear();
    job.lan.defaultGateway.clear();
    job.security.newRoomPassword.clear();
    job.security.newRemotePassword.clear();
    job.retain.directory = true;
    job.retain.systemSettings = true;
    job.retain.sampleSites = true;
    job.retain.callDetail = true;
    job.target.systemName.clear();
}

WalkChoices::STasks WalkChoices::Effective(const UpdateJob& job) {
    STasks tasks;
    tasks.bUpdateSoftware = job.tasks.updateSoftware;
    tasks.bChangeSettings = job.tasks.customUpdate && job.tasks.changeSettings;
    tasks.bEraseFlash = job.tasks.customUpdate && job.tasks.eraseFlash;
    tasks.bSecureModeWanted = job.security.secureModeCurrent;
    if (!tasks.bChangeSettings) return tasks;
    tasks.bChangeLan = job.lan.changeLan;
    // Only a display-settings model is offered the display page.
    tasks.bChangeDisplay =
        job.display.changeDisplay && ModelCatalogue::IsDisplaySettingsModel(job.target.systemType);
    tasks.bSecureModeWanted = job.security.secureModeWanted;
    tasks.bChangeSecurity = job.security.secureModeWanted != job.security.secureModeCurrent;
    return tasks;
}

void WalkChoices::DropHiddenChoices(UpdateJob& job) {
    const STasks tasks = Effective(job);
    job.tasks.changeSettings = tasks.bChangeSettings;
    job.tasks.eraseFlash = tasks.bEraseFlash;
    job.lan.changeLan = tasks.bChangeLan;
    job.display.changeDisplay = tasks.bChangeDisplay;
    job.security.secureModeWanted = tasks.bSecureModeWanted;
}

}  // namespace quillmarch
