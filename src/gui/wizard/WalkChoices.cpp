#include "gui/wizard/WalkChoices.h"

#include "core/catalogue/ModelCatalogue.h"
#include "core/job/RunContext.h"

namespace quillmarch {

void WalkChoices::ResetForNewWalk(RunContext& job) {
    job.Job().tasks.customUpdate = false;
    job.Job().tasks.changeSettings = false;
    job.Job().tasks.eraseFlash = false;
    job.Job().lan.changeLan = false;
    job.Job().display.changeDisplay = false;
    job.Job().security.secureModeWanted = job.Job().security.secureModeCurrent = false;
    job.Job().lan.dhcpWanted = job.Job().lan.dhcpCurrent;
    job.Job().display.palWanted = job.Job().display.palCurrent;
    job.Job().lan.ipAddress.clear();
    job.Job().lan.subnetMask.clear();
    job.Job().lan.defaultGateway.clear();
    job.Job().security.newRoomPassword.clear();
    job.Job().security.newRemotePassword.clear();
    job.Job().retain.directory = true;
    job.Job().retain.systemSettings = true;
    job.Job().retain.sampleSites = true;
    job.Job().retain.callDetail = true;
    job.Job().target.systemName.clear();
}

WalkChoices::STasks WalkChoices::Effective(const RunContext& job) {
    STasks tasks;
    tasks.bUpdateSoftware = job.Job().tasks.updateSoftware;
    tasks.bChangeSettings = job.Job().tasks.customUpdate && job.Job().tasks.changeSettings;
    tasks.bEraseFlash = job.Job().tasks.customUpdate && job.Job().tasks.eraseFlash;
    tasks.bSecureModeWanted = job.Job().security.secureModeCurrent;
    if (!tasks.bChangeSettings) return tasks;
    tasks.bChangeLan = job.Job().lan.changeLan;
    // Only a display-settings model is offered the display page.
    tasks.bChangeDisplay = job.Job().display.changeDisplay &&
                           ModelCatalogue::IsDisplaySettingsModel(job.Job().target.systemType);
    tasks.bSecureModeWanted = job.Job().security.secureModeWanted;
    tasks.bChangeSecurity =
        job.Job().security.secureModeWanted != job.Job().security.secureModeCurrent;
    return tasks;
}

void WalkChoices::DropHiddenChoices(RunContext& job) {
    const STasks tasks = Effective(job);
    job.Job().tasks.changeSettings = tasks.bChangeSettings;
    job.Job().tasks.eraseFlash = tasks.bEraseFlash;
    job.Job().lan.changeLan = tasks.bChangeLan;
    job.Job().display.changeDisplay = tasks.bChangeDisplay;
    job.Job().security.secureModeWanted = tasks.bSecureModeWanted;
}

}  // namespace quillmarch
