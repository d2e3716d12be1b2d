#include "gui/wizard/CWalkChoices.h"

#include "core/app/CQuillmarch6App.h"
#include "core/catalogue/CSystemInformationArray.h"

namespace quillmarch {

void CWalkChoices::ResetForNewWalk(CQuillmarch6App& job) {
    job.m_bCustomUpdate = false;
    job.m_bChangeSettings = false;
    job.m_bEraseFlash = false;
    job.m_bChangeLan = false;
    job.m_bChangeDisplay = false;
    job.m_bSecureModeWanted = job.m_bSecureModeCurrent = false;
    job.m_bDhcpWanted = job.m_bDhcpCurrent;
    job.m_bPalWanted = job.m_bPalCurrent;
    job.m_strIpAddress.clear();
    job.m_strSubnetMask.clear();
    job.m_strDefaultGateway.clear();
    job.m_strNewRoomPassword.clear();
    job.m_strNewRemotePassword.clear();
    job.m_bRetainDirectory = true;
    job.m_bRetainSystemSettings = true;
    job.m_bRetainSampleSites = true;
    job.m_bRetainCallDetail = true;
    job.m_strSystemName.clear();
}

CWalkChoices::STasks CWalkChoices::Effective(const CQuillmarch6App& job) {
    STasks tasks;
    tasks.bUpdateSoftware = job.m_bUpdateSoftware;
    tasks.bChangeSettings = job.m_bCustomUpdate && job.m_bChangeSettings;
    tasks.bEraseFlash = job.m_bCustomUpdate && job.m_bEraseFlash;
    tasks.bSecureModeWanted = job.m_bSecureModeCurrent;
    if (!tasks.bChangeSettings) return tasks;
    tasks.bChangeLan = job.m_bChangeLan;
    // Only a display-settings model is offered the display page.
    tasks.bChangeDisplay =
        job.m_bChangeDisplay && CSystemInformationArray::IsDisplaySettingsModel(job.m_nSystemType);
    tasks.bSecureModeWanted = job.m_bSecureModeWanted;
    tasks.bChangeSecurity = job.m_bSecureModeWanted != job.m_bSecureModeCurrent;
    return tasks;
}

void CWalkChoices::DropHiddenChoices(CQuillmarch6App& job) {
    const STasks tasks = Effective(job);
    job.m_bChangeSettings = tasks.bChangeSettings;
    job.m_bEraseFlash = tasks.bEraseFlash;
    job.m_bChangeLan = tasks.bChangeLan;
    job.m_bChangeDisplay = tasks.bChangeDisplay;
    job.m_bSecureModeWanted = tasks.bSecureModeWanted;
}

}  // namespace quillmarch
