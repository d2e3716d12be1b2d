#include "gui/wizard/WalkChoices.h"

#include "core/catalogue/ModelCatalogue.h"
#include "core/job/RunContext.h"

namespace quillmarch {

void WalkChoices::ResetForNewWalk(RunContext& job) {
    job.m_customUpdate = false;
    job.m_changeSettings = false;
    job.m_eraseFlash = false;
    job.m_changeLan = false;
    job.m_changeDisplay = false;
    job.m_secureModeWanted = job.m_secureModeCurrent = false;
    job.m_dhcpWanted = job.m_dhcpCurrent;
    job.m_palWanted = job.m_palCurrent;
    job.m_ipAddress.clear();
    job.m_subnetMask.clear();
    job.m_defaultGateway.clear();
    job.m_newRoomPassword.clear();
    job.m_newRemotePassword.clear();
    job.m_retainDirectory = true;
    job.m_retainSystemSettings = true;
    job.m_retainSampleSites = true;
    job.m_retainCallDetail = true;
    job.m_systemName.clear();
}

WalkChoices::STasks WalkChoices::Effective(const RunContext& job) {
    STasks tasks;
    tasks.bUpdateSoftware = job.m_updateSoftware;
    tasks.bChangeSettings = job.m_customUpdate && job.m_changeSettings;
    tasks.bEraseFlash = job.m_customUpdate && job.m_eraseFlash;
    tasks.bSecureModeWanted = job.m_secureModeCurrent;
    if (!tasks.bChangeSettings) return tasks;
    tasks.bChangeLan = job.m_changeLan;
    // Only a display-settings model is offered the display page.
    tasks.bChangeDisplay =
        job.m_changeDisplay && ModelCatalogue::IsDisplaySettingsModel(job.m_systemType);
    tasks.bSecureModeWanted = job.m_secureModeWanted;
    tasks.bChangeSecurity = job.m_secureModeWanted != job.m_secureModeCurrent;
    return tasks;
}

void WalkChoices::DropHiddenChoices(RunContext& job) {
    const STasks tasks = Effective(job);
    job.m_changeSettings = tasks.bChangeSettings;
    job.m_eraseFlash = tasks.bEraseFlash;
    job.m_changeLan = tasks.bChangeLan;
    job.m_changeDisplay = tasks.bChangeDisplay;
    job.m_secureModeWanted = tasks.bSecureModeWanted;
}

}  // namespace quillmarch
